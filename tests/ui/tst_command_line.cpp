// The window's command line, through the built program: --help, and every kind of
// wrong argument answered with the usage and status 2 before any window opens.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void help_data();
    void help();
    void wrongArguments_data();
    void wrongArguments();

private:
    QString program_;
};

void TestCommandLine::initTestCase()
{
    program_ = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/orlex-plotter");
    if (!QFileInfo::exists(program_))
        QSKIP("orlex-plotter has not been built");
}

void TestCommandLine::help_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--help") << QStringList{"--help"};
    QTest::newRow("-h") << QStringList{"-h"};
    QTest::newRow("with other options") << QStringList{"--simulate", "--help", "plot.plt"};
}

void TestCommandLine::help()
{
    QFETCH(QStringList, arguments);
    QProcess p;
    p.setProcessEnvironment(QProcessEnvironment()); // no display either way
    p.start(program_, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral(
                 "Usage: orlex-plotter [--simulate [--clock HZ]] [--port ppdev|direct] [--trace FILE] [PLOTFILE]")),
             qPrintable(out));
    QVERIFY(p.readAllStandardError().isEmpty());
}

void TestCommandLine::wrongArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown option") << QStringList{"--fast"} << "--fast";
    QTest::newRow("unknown port kind") << QStringList{"--port", "usb"} << "usb";
    QTest::newRow("port without kind") << QStringList{"--port"} << "--port";
    QTest::newRow("virtual is not a port kind") << QStringList{"--port=virtual"} << "virtual";
    QTest::newRow("trace without file") << QStringList{"--trace"} << "--trace";
    QTest::newRow("two plot files") << QStringList{"a.plt", "b.plt"} << "b.plt";
    QTest::newRow("clock without simulate") << QStringList{"--clock", "20000"} << "--simulate";
    QTest::newRow("clock not a frequency") << QStringList{"--simulate", "--clock", "0"} << "--clock";
    QTest::newRow("port twice") << QStringList{"--port", "ppdev", "--port=direct"} << "only once";
    QTest::newRow("simulate and port") << QStringList{"--simulate", "--port", "direct"} << "--simulate";
}

void TestCommandLine::wrongArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QProcess p;
    p.setProcessEnvironment(QProcessEnvironment());
    p.start(program_, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(reason), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("Usage: orlex-plotter")), qPrintable(err));
    QVERIFY(p.readAllStandardOutput().isEmpty());
}

QTEST_MAIN(TestCommandLine)
#include "tst_command_line.moc"
