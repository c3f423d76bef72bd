// Help > "Port check…": the report the command-line tool's doctor gives, in a dialog
// whose text can be selected and copied, for the port the window opened.
#include "drive/ports/null_port.h"
#include "window_rig.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using orlex::ui::controls;
using orlex::ui::MainWindow;

class TestPortCheck : public QObject {
    Q_OBJECT
private slots:
    void showsTheReportToCopy_data();
    void showsTheReportToCopy();
};

void TestPortCheck::showsTheReportToCopy_data()
{
    QTest::addColumn<bool>("realPort"); // a ppdev port on a PC made of files, else the rig's virtual plotter
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("virtual plotter") << false
                                     << QStringList{"Port check on the virtual plotter",
                                                    "ok       the virtual plotter stands in for the port",
                                                    "ok       the plotter answers: its clock on status bit 7 changes"};
    QTest::newRow("ppdev port without a driver")
        << true
        << QStringList{"Port check of the ppdev port at 0x378 (line 9 of the settings: &H378)",
                       "problem  the parallel-port driver is not loaded (parport_pc, ppdev), so there is no "
                       "/dev/parportN",
                       "           sudo modprobe parport_pc ppdev",
                       "problem  the port does not open: No parallel port at 0x378: no parallel-port driver.",
                       "problem  no plotter answers: the clock on status bit 7 did not change"};
}

void TestPortCheck::showsTheReportToCopy()
{
    QFETCH(bool, realPort);
    QFETCH(QStringList, lines);
    orlex::test::WindowRig rig;
    orlex::ui::MainWindowOptions options = rig.options();
    const std::filesystem::path root = rig.dir.file("pc");
    if (realPort) { // a PC without the parallel-port driver
        std::filesystem::create_directories(root);
        options.openPort = [root](const orlex::MachineSettings& settings) {
            orlex::OpenedPort opened;
            opened.backend = std::make_unique<orlex::NullPort>();
            opened.request.kind = orlex::PortKind::Ppdev;
            opened.request.base = settings.portAddress;
            opened.request.systemRoot = root;
            opened.portError = orlex::failure("No parallel port at 0x378: no parallel-port driver.");
            return opened;
        };
    }
    MainWindow w(options);
    QString shown, copied;
    orlex::test::onNextModal([&](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Port check"));
        auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("reportText"));
        QVERIFY(text != nullptr && text->isReadOnly());
        shown = text->toPlainText();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("copyButton")), Qt::LeftButton);
        copied = QGuiApplication::clipboard()->text();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
    });
    controls(w).portCheckAction->trigger(); // returns when the dialog is closed
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    const QStringList shownLines = shown.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        QVERIFY2(shownLines.contains(line), qPrintable(line + QStringLiteral("\nnot in:\n") + shown));
    QVERIFY(shown.contains(QStringLiteral("\nReal time\n")));
    QVERIFY(shown.endsWith(QStringLiteral("run: orlex-plotter-cli doctor --measure 10\n")));
    QCOMPARE(copied, shown);
}

QTEST_MAIN(TestPortCheck)
#include "tst_port_check.moc"
