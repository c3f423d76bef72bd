// Start-up and shut-down of the main window on the virtual plotter: what reaches the
// port, the settings file, the start-up display, Exit and close, File > Open, dropped
// files, Help > About and Options > Settings.
#include "window_rig.h"

#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/settings_dialog.h"
#include "ui/widgets.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

using orlex::Register;
using orlex::test::PortWrite;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;
using orlex::ui::OperatorFeedback;

namespace {

constexpr const char* kDefaultsFile = " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n";

const QColor kRed(255, 0, 0);

// Sends a drag-enter and, when it was accepted, a drop of these URLs; returns whether
// the drop was accepted.
bool dropUrls(QWidget& target, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void startUpRaisesThePenOnly_data();
    void startUpRaisesThePenOnly();
    void firstStartCreatesTheDefaultsFile();
    void secondStartLeavesTheFileAlone();
    void badSettingsFileGivesOneMessageAndStaysUntouched_data();
    void badSettingsFileGivesOneMessageAndStaysUntouched();
    void settingsLabelsAfterStartUp_data();
    void settingsLabelsAfterStartUp();
    void portErrorGivesOneMessageAndStartUpGoesOn();
    void initialState();
    void presenceCheckAtStartUp_data();
    void presenceCheckAtStartUp();
    void halfAxesAreDrawnBeforeTheWindowShows();
    void exitSwitchesTheCoilsOffAndEnds_data();
    void exitSwitchesTheCoilsOffAndEnds();
    void exitWorksInTheMiddleOfAMotion();
    void closingLeavesTheMachineSafe();
    void openKeepsThePathOnCancel();
    void openDoesNotResetAnything();
    void droppedFileActsLikeOpen();
    void dropsThatAreNotOneLocalFileAreRefused_data();
    void dropsThatAreNotOneLocalFileAreRefused();
    void aboutOpensAndClosesTwice();
    void escapeStopsADraw();
    void savedAddressTakesEffectAtOnce();
};

void TestStartUp::startUpRaisesThePenOnly_data()
{
    QTest::addColumn<QString>("address"); // empty: no settings file
    QTest::addColumn<int>("base");
    QTest::newRow("no settings file") << QString() << 0x378;
    QTest::newRow("&H378") << "&H378" << 0x378;
    QTest::newRow("&H278") << "&H278" << 0x278;
    QTest::newRow("decimal 888") << "888" << 0x378;
    QTest::newRow("&HD010 card") << "&HD010" << 0xD010;
}

void TestStartUp::startUpRaisesThePenOnly()
{
    QFETCH(QString, address);
    QFETCH(int, base);
    WindowRig rig;
    if (!address.isEmpty())
        rig.writeSettings(50, 50, 150, 150, 80, 80, 5, 5, address.toStdString());
    rig.openWindow();
    // The port at the settings' address, and exactly one write: pen up to its control
    // register; the coils are left alone.
    QCOMPARE(rig.portRequests.size(), std::size_t(1));
    QCOMPARE(int(rig.portRequests.front().base), base);
    const std::vector<PortWrite> expected{{Register::Control, 1}};
    QCOMPARE(*rig.writes, expected);
    QVERIFY(rig.feedback.messages.empty());
}

void TestStartUp::firstStartCreatesTheDefaultsFile()
{
    WindowRig rig;
    QVERIFY(!std::filesystem::exists(rig.settingsFile()));
    MainWindow& w = rig.openWindow();
    QCOMPARE(rig.readSettingsFile(), std::string(kDefaultsFile));
    QVERIFY(w.settingsReport().createdDefaults);
    QVERIFY(rig.feedback.messages.empty());
}

void TestStartUp::secondStartLeavesTheFileAlone()
{
    WindowRig rig;
    rig.writeSettings(60, 70, 200, 180, 80, 80, 12, 7, "&H278");
    const std::string before = rig.readSettingsFile();
    const auto stamp = std::filesystem::last_write_time(rig.settingsFile());
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.settings().line(orlex::SettingLine::TravelX), std::string(" 200 "));
    QCOMPARE(w.settings().travelXmm, 200.0);
    QCOMPARE(w.settings().portAddress, std::uint16_t{0x278});
    rig.closeWindow();
    QCOMPARE(rig.readSettingsFile(), before);
    QVERIFY(std::filesystem::last_write_time(rig.settingsFile()) == stamp);
    QVERIFY(rig.feedback.messages.empty());
}

void TestStartUp::badSettingsFileGivesOneMessageAndStaysUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mentioned"); // a text the message must contain
    QTest::newRow("bad number") << QByteArray(
        " 50 \r\n 50 \r\n abc \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n")
                                << "Maxx";
    QTest::newRow("too few lines") << QByteArray(" 50 \r\n 50 \r\n 150 \r\n") << "Maxy";
    QTest::newRow("empty file") << QByteArray() << "Lstepx";
    QTest::newRow("bad address") << QByteArray(
        " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\nLPT1\r\n")
                                 << "LPT1";
}

void TestStartUp::badSettingsFileGivesOneMessageAndStaysUntouched()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mentioned);
    WindowRig rig;
    rig.writeSettingsFile(bytes.toStdString());
    MainWindow& w = rig.openWindow();
    QCOMPARE(rig.feedback.messages.size(), std::size_t(1));
    const auto& message = rig.feedback.messages.front();
    QCOMPARE(message.icon, OperatorFeedback::Icon::Warning);
    QVERIFY2(message.text.contains(QStringLiteral("seting.txt")), qPrintable(message.text));
    QVERIFY2(message.text.contains(mentioned), qPrintable(message.text));
    QCOMPARE(rig.readSettingsFile(), bytes.toStdString());
    // Start-up goes on with the defaults where the file failed.
    QCOMPARE(rig.writesTo(Register::Control), std::vector<std::uint8_t>{1});
    QCOMPARE(rig.portRequests.front().base, std::uint16_t{0x378});
    QVERIFY(controls(w).statusTimer->isActive());
    rig.closeWindow();
    QCOMPARE(rig.readSettingsFile(), bytes.toStdString());
}

void TestStartUp::settingsLabelsAfterStartUp_data()
{
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<int>("maxx");
    QTest::addColumn<int>("maxy");
    QTest::addColumn<int>("offsetx");
    QTest::addColumn<int>("offsety");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("labels"); // limitXLabel, limitYLabel, originXLabel, originYLabel, portLabel
    QTest::newRow("defaults, no file") << false << 0 << 0 << 0 << 0 << QString()
                                       << QStringList{" 150 mm", " 150 mm", " 5  mm", " 5  mm", "378H"};
    QTest::newRow("second address") << true << 150 << 150 << 5 << 5 << "&H278"
                                    << QStringList{" 150 mm", " 150 mm", " 5  mm", " 5  mm", "278H"};
    QTest::newRow("own values") << true << 200 << 95 << 12 << 7 << "&HD010"
                                << QStringList{" 200 mm", " 95 mm", " 12  mm", " 7  mm", "D010H"};
}

void TestStartUp::settingsLabelsAfterStartUp()
{
    QFETCH(bool, writeFile);
    QFETCH(int, maxx);
    QFETCH(int, maxy);
    QFETCH(int, offsetx);
    QFETCH(int, offsety);
    QFETCH(QString, address);
    QFETCH(QStringList, labels);
    WindowRig rig;
    if (writeFile)
        rig.writeSettings(50, 50, maxx, maxy, 80, 80, offsetx, offsety, address.toStdString());
    MainWindow& w = rig.openWindow();
    QCOMPARE(controls(w).limitXLabel->text(), labels[0]);
    QCOMPARE(controls(w).limitYLabel->text(), labels[1]);
    QCOMPARE(controls(w).originXLabel->text(), labels[2]);
    QCOMPARE(controls(w).originYLabel->text(), labels[3]);
    QCOMPARE(controls(w).portLabel->text(), labels[4]);
    // The extents labels keep their placeholders until a test run.
    for (QLabel* l : {controls(w).minXLabel, controls(w).minYLabel, controls(w).maxXLabel, controls(w).maxYLabel})
        QCOMPARE(l->text(), QString("000.000"));
}

void TestStartUp::portErrorGivesOneMessageAndStartUpGoesOn()
{
    WindowRig rig;
    rig.clockRunning = false;
    rig.writeSettingsFile(" 50 \r\n"); // and a short settings file: two messages, one each
    const QString reason = QStringLiteral("/dev/parport0: permission denied; join the group lp");
    orlex::ui::MainWindowOptions options = rig.options();
    options.openPort = [open = options.openPort, reason](const orlex::MachineSettings& settings) {
        orlex::OpenedPort opened = open(settings);
        opened.portError = orlex::failure(reason.toStdString());
        return opened;
    };
    MainWindow w(std::move(options));
    QCOMPARE(rig.feedback.messages.size(), std::size_t(2));
    QVERIFY(rig.feedback.messages[0].text.contains(QStringLiteral("seting.txt")));
    QCOMPARE(rig.feedback.messages[1].icon, OperatorFeedback::Icon::Warning);
    QCOMPARE(rig.feedback.messages[1].text,
             reason + " The program carries on without a plotter: the presence test will report Err.");
    // Start-up completes as with no plotter answering.
    QCOMPARE(controls(w).portLabel->text(), QString("378H"));
    QCOMPARE(controls(w).statusBox->text(), QString("Err"));
    QVERIFY(!controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).statusTimer->isActive());
}

void TestStartUp::initialState()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const orlex::DriveState& s = w.drive().state;
    QCOMPARE(s.phaseX, std::int16_t(1));
    QCOMPARE(s.phaseY, std::int16_t(1));
    QCOMPARE(s.coilsX, std::int16_t(1));
    QCOMPARE(s.coilsY, std::int16_t(16));
    QCOMPARE(w.preview().zoom, std::int16_t(100));
    QCOMPARE(w.preview().penUpColour, std::int16_t{orlex::kHidden});
    QCOMPARE(w.plotExtents.minXmm, std::int16_t(0));
    QCOMPARE(w.plotExtents.maxYmm, std::int16_t(0));
    QVERIFY(w.plotFile().empty());
    QVERIFY(controls(w).fileNameBox->text().isEmpty());
    QVERIFY(controls(w).statusTimer->isActive());
    QCOMPARE(controls(w).statusTimer->interval(), 300);
    QVERIFY(controls(w).halfStepOption->isChecked());
    QVERIFY(w.drive().halfStep());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QVERIFY(!w.drawRunning());
    QCOMPARE(w.windowTitle(), QString("Orlex _ Plotter"));
    QVERIFY(w.acceptDrops());
    // The data register has not been touched: the virtual motors are not energised.
    QVERIFY(!rig.plotter().motorsEnergised());
    QVERIFY(!rig.plotter().penDown());
}

void TestStartUp::presenceCheckAtStartUp_data()
{
    QTest::addColumn<bool>("clockRunning");
    QTest::addColumn<QString>("stare");
    QTest::newRow("plotter answers") << true << "OK";
    QTest::newRow("no plotter") << false << "Err";
}

void TestStartUp::presenceCheckAtStartUp()
{
    QFETCH(bool, clockRunning);
    QFETCH(QString, stare);
    WindowRig rig;
    rig.clockRunning = clockRunning;
    MainWindow& w = rig.openWindow();
    QCOMPARE(controls(w).statusBox->text(), stare);
    QCOMPARE(w.drive().state.connected, clockRunning);
    QCOMPARE(controls(w).speedButton->isHidden(), !clockRunning);
    QVERIFY(!controls(w).drawButton->isEnabled()); // disabled at start-up either way
    QVERIFY(rig.feedback.messages.empty());
}

void TestStartUp::halfAxesAreDrawnBeforeTheWindowShows()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QVERIFY(!w.isVisible());
    orlex::ui::PreviewWidget* pic = controls(w).previewCanvas;
    const long H = pic->heightUnits(), W = pic->widthUnits();
    QCOMPARE(W, 5655L);
    QCOMPARE(H, 4695L);
    // Origin at (100, H - 100) twips with the default 5 mm offsets.
    QCOMPARE(pic->pixelAtTwips(100, H - 100), kRed);
    QCOMPARE(pic->pixelAtTwips(100, 30), kRed); // up to the top edge
    QCOMPARE(pic->pixelAtTwips(100, H / 2), kRed);
    QCOMPARE(pic->pixelAtTwips(W - 20, H - 100), kRed); // across to the right edge
    QCOMPARE(pic->pixelAtTwips(W / 2, H - 100), kRed);
    QCOMPARE(pic->pixelAtTwips(W / 2, H / 2), pic->background());
    QCOMPARE(pic->pixelAtTwips(60, H - 40), pic->background()); // nothing left of or below the origin

    // Shown, the same pixels are on screen.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage shown = pic->grab().toImage();
    const QPoint inner = pic->contentsRect().topLeft();
    const int ox = 7; // 100 twips
    QCOMPARE(shown.pixelColor(inner + QPoint(ox, pic->image().height() / 2)), kRed);
    QCOMPARE(shown.pixelColor(inner + QPoint(pic->image().width() / 2, pic->image().height() / 2)), pic->background());
}

void TestStartUp::exitSwitchesTheCoilsOffAndEnds_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("base");
    QTest::newRow("&H378") << "&H378" << 0x378;
    QTest::newRow("&H278") << "&H278" << 0x278;
}

void TestStartUp::exitSwitchesTheCoilsOffAndEnds()
{
    QFETCH(QString, address);
    QFETCH(int, base);
    WindowRig rig;
    rig.writeSettings(50, 50, 150, 150, 80, 80, 5, 5, address.toStdString());
    const std::string settingsBefore = rig.readSettingsFile();
    MainWindow& w = rig.openWindow();
    controls(w).stepRightButton->click(); // energise the coils first
    QVERIFY(rig.plotter().motorsEnergised());
    QVERIFY(rig.exitStatuses.empty());

    controls(w).penButton->click(); // and the pen down
    QVERIFY(rig.plotter().penDown());

    controls(w).exitAction->trigger();
    // Pen up, then every coil off: the last two writes.
    const std::size_t n = rig.writes->size();
    QVERIFY(n >= 2);
    QCOMPARE((*rig.writes)[n - 2], (PortWrite{Register::Control, 1}));
    QCOMPARE((*rig.writes)[n - 1], (PortWrite{Register::Data, 0}));
    QCOMPARE(int(rig.portRequests.front().base), base);
    QVERIFY(!rig.plotter().motorsEnergised());
    QVERIFY(!rig.plotter().penDown());
    QCOMPARE(rig.exitStatuses, std::vector<int>{0});
    QCOMPARE(rig.readSettingsFile(), settingsBefore); // nothing is saved at exit
}

void TestStartUp::exitWorksInTheMiddleOfAMotion()
{
    WindowRig rig;
    rig.startXmm = 60;
    rig.startYmm = 60;
    MainWindow& w = rig.openWindow();
    // Exit is chosen from inside the step delays of "Pen home".
    bool exited = false;
    std::size_t writesAtExit = 0;
    QTimer::singleShot(0, &w, [&] {
        exited = true;
        controls(w).exitAction->trigger();
        writesAtExit = rig.writes->size();
    });
    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(exited);
    QCOMPARE(rig.exitStatuses, std::vector<int>{0});
    QVERIFY(writesAtExit > 1);
    QCOMPARE((*rig.writes)[writesAtExit - 1], (PortWrite{Register::Data, 0}));
}

// The window's close button ends the program as Exit does: pen up, then the coils off.
void TestStartUp::closingLeavesTheMachineSafe()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    controls(w).stepUpButton->click();
    controls(w).penButton->click();
    QVERIFY(rig.plotter().motorsEnergised());
    QVERIFY(rig.plotter().penDown());

    QVERIFY(w.close());
    const std::size_t n = rig.writes->size();
    QCOMPARE((*rig.writes)[n - 2], (PortWrite{Register::Control, 1}));
    QCOMPARE((*rig.writes)[n - 1], (PortWrite{Register::Data, 0}));
    QVERIFY(!rig.plotter().motorsEnergised());
    QVERIFY(!rig.plotter().penDown());
    QCOMPARE(rig.exitStatuses, std::vector<int>{0});
}

void TestStartUp::openKeepsThePathOnCancel()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();

    rig.dialogResult.clear(); // cancel before any choice
    controls(w).openAction->trigger();
    QCOMPARE(rig.dialogCalls, 1);
    QCOMPARE(rig.dialogTitle, QString("Open plott file."));
    QCOMPARE(rig.dialogFilter,
             QString("Drawings (*.plt *.hpgl *.hpg *.svg *.svgz);;Plotter file (*.plt);; All Fifes(*.*) (*)"));
    QVERIFY(w.plotFile().empty());
    QVERIFY(controls(w).fileNameBox->text().isEmpty());

    const QString chosen = rig.writeFile("star.plt", "PU0,0;PD100,0;");
    rig.dialogResult = chosen;
    controls(w).openAction->trigger();
    QCOMPARE(QString::fromStdString(w.plotFile()), chosen);
    QCOMPARE(controls(w).fileNameBox->text(), chosen);

    controls(w).fileNameBox->setText(QStringLiteral("typed over")); // typing changes nothing
    rig.dialogResult.clear();
    controls(w).openAction->trigger();
    QCOMPARE(QString::fromStdString(w.plotFile()), chosen);
    QCOMPARE(controls(w).fileNameBox->text(), chosen); // shown again
    QCOMPARE(rig.dialogCalls, 3);
}

void TestStartUp::openDoesNotResetAnything()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).minXLabel->setText(QStringLiteral("-12 mm"));
    controls(w).previewCanvas->line(0, 0, 3000, 3000, 0);
    const QImage before = controls(w).previewCanvas->image();
    const std::size_t writes = rig.writes->size();
    rig.dialogResult = rig.writeFile("other.hpgl", "IN;");
    controls(w).openAction->trigger();
    QVERIFY(!controls(w).drawButton->isEnabled());
    QCOMPARE(controls(w).minXLabel->text(), QString("-12 mm"));
    QCOMPARE(controls(w).previewCanvas->image(), before);
    QCOMPARE(rig.writes->size(), writes); // a file of another type is accepted unread
    QVERIFY(controls(w).fileNameBox->text().endsWith(QStringLiteral("other.hpgl")));
}

void TestStartUp::droppedFileActsLikeOpen()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString path = rig.writeFile("dropped.plt", "PU0,0;PD40,40;");
    QVERIFY(dropUrls(w, {QUrl::fromLocalFile(path)}));
    QCOMPARE(QString::fromStdString(w.plotFile()), path);
    QCOMPARE(controls(w).fileNameBox->text(), path);
    QCOMPARE(rig.dialogCalls, 0);
    QVERIFY(!controls(w).drawButton->isEnabled());
    // The text boxes let drops pass to the window instead of taking the file's address as text.
    for (QLineEdit* edit : {controls(w).fileNameBox, controls(w).zoomBox, controls(w).statusBox})
        QVERIFY(!edit->acceptDrops());
}

void TestStartUp::dropsThatAreNotOneLocalFileAreRefused_data()
{
    QTest::addColumn<QStringList>("urls"); // "@" stands for the temporary folder
    QTest::newRow("two files") << QStringList{"file://@/a.plt", "file://@/b.plt"};
    QTest::newRow("web address") << QStringList{"https://example.org/a.plt"};
    QTest::newRow("folder") << QStringList{"file://@"};
    QTest::newRow("nothing") << QStringList{};
}

void TestStartUp::dropsThatAreNotOneLocalFileAreRefused()
{
    QFETCH(QStringList, urls);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    rig.writeFile("a.plt", "IN;");
    rig.writeFile("b.plt", "IN;");
    QList<QUrl> list;
    for (QString u : urls)
        list << QUrl(u.replace(QLatin1Char('@'), QString::fromStdString(rig.dir.path().string())));
    QVERIFY(!dropUrls(w, list));
    QVERIFY(w.plotFile().empty());
    QVERIFY(controls(w).fileNameBox->text().isEmpty());
}

// Help > About opens the box modally, its OK closes it, and the next choice opens it
// again (what the box shows is tested with the box itself).
void TestStartUp::aboutOpensAndClosesTwice()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    for (int round = 0; round < 2; ++round) {
        bool shown = false;
        orlex::test::onNextModal([&](QWidget* dialog) {
            shown = dialog->objectName() == QLatin1String("aboutBox");
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        });
        controls(w).aboutAction->trigger(); // returns when the box is closed
        QVERIFY(shown);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
}

void TestStartUp::escapeStopsADraw()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    // A long zig-zag, well inside the limits.
    std::string hpgl = "IN;PU0,0;PD";
    for (int i = 0; i < 40; ++i)
        hpgl += std::to_string(i % 2 ? 0 : 4000) + "," + std::to_string(i * 100) + ",";
    hpgl += "0,4000;PU0,0;";
    w.openPlotFile(rig.writeFile("zigzag.plt", hpgl));
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    rig.parkMotionAt(rig.writes->size() + 100);
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    QVERIFY(w.drawRunning());
    QTest::keyClick(&w, Qt::Key_Escape);
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!w.drawRunning());
    QVERIFY(!rig.plotter().penDown()); // a stopped draw lifts the pen
    // Far less than the whole zig-zag reached the paper.
    double drawn = 0;
    for (const orlex::PaperSegment& s : rig.plotter().paper())
        drawn += std::hypot(s.x2 - s.x1, s.y2 - s.y1);
    QVERIFY2(drawn < 40 * 100.0 / 2, qPrintable(QString::number(drawn)));
}

// Saving another port address moves the connection there at once: the plotter answers
// the presence test at the new address and jogs reach it.
void TestStartUp::savedAddressTakesEffectAtOnce()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    orlex::test::onNextModal([&](QWidget* dialog) {
        if (auto* settings = qobject_cast<orlex::ui::SettingsDialog*>(dialog)) {
            settings->findChild<QRadioButton*>("port278Option")->setChecked(true);
            settings->onSaveClicked();
        }
        if (dialog->isVisible())
            dialog->close();
    });
    controls(w).settingsAction->trigger();
    QCOMPARE(controls(w).portLabel->text(), QString("278H"));

    // The virtual plotter has no address of its own: it stays wired and answers.
    controls(w).presenceCheckButton->click();
    QCOMPARE(controls(w).statusBox->text(), QString("OK"));
    rig.writes->clear();
    controls(w).stepRightButton->click();
    QCOMPARE(rig.writes->size(), std::size_t{1});
    QCOMPARE(rig.writes->front().reg, Register::Data);
}

QTEST_MAIN(TestStartUp)
#include "tst_start_up.moc"
