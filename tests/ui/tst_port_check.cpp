// Help > "Port check…": the report the command-line tool's doctor gives, in a dialog
// whose text can be selected and copied, for the port the window opened.
#include "drive/ports/null_port.h"
#include "window_rig.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>

#include <sys/stat.h>

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
    QTest::newRow("ppdev port nobody may open")
        << true
        << QStringList{"Port check of the ppdev port at 0x378 (line 9 of the settings: &H378)",
                       "ok       /dev/parport0 at 0x378: the port of the settings (line 9: &H378)",
                       "problem  /dev/parport0 (owner root, group lp, mode 0660): ada may not open it: ada is not in "
                       "group lp",
                       "           sudo usermod -aG lp ada   # then log out and in again",
                       "problem  the port does not open: Permission denied on /dev/parport0.",
                       "problem  no plotter answers: the clock on status bit 7 did not change"};
}

void TestPortCheck::showsTheReportToCopy()
{
    QFETCH(bool, realPort);
    QFETCH(QStringList, lines);
    orlex::test::WindowRig rig;
    orlex::ui::MainWindowOptions options = rig.options();
    const std::filesystem::path root = rig.dir.file("pc");
    if (realPort) {
        const auto file = [&root](const std::string& name, const std::string& text) {
            std::filesystem::create_directories((root / name).parent_path());
            std::ofstream(root / name) << text;
        };
        file("proc/modules", "parport_pc 1 0 - Live 0x0\nppdev 1 0 - Live 0x0\nparport 1 2 - Live 0x0\n");
        file("proc/sys/dev/parport/parport0/base-addr", "888\n");
        file("dev/parport0", "");
        std::filesystem::permissions(root / "dev/parport0", std::filesystem::perms(0660));
        struct stat node {};
        ::stat((root / "dev/parport0").c_str(), &node);
        file("etc/passwd", "root:x:" + std::to_string(node.st_uid) + ":0::/:/bin/sh\nada:x:4242:4242::/:/bin/sh\n");
        file("etc/group", "lp:x:" + std::to_string(node.st_gid) + ":\n");
        file("proc/self/status", "Uid:\t4242\t4242\t4242\t4242\nGid:\t4242\nGroups:\t\n");
        options.openPort = [root](const orlex::MachineSettings& settings) {
            orlex::OpenedPort opened;
            opened.backend = std::make_unique<orlex::NullPort>();
            opened.request.kind = orlex::PortKind::Ppdev;
            opened.request.base = settings.portAddress;
            opened.request.systemRoot = root;
            opened.portError = "Permission denied on /dev/parport0.";
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
