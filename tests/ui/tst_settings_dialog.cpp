// The settings dialog on real widgets: labels, Load, Default, Save, Cancel, out-of-range
// values and failed saves (its layout is checked with the other windows' in tst_window_layout).
#include "settings/settings_file.h"
#include "ui/preview_widget.h"
#include "ui/settings_dialog.h"
#include "ui/widgets.h"
#include "window_rig.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

using orlex::MachineSettings;
using orlex::test::RecordingFeedback;
using orlex::ui::OperatorFeedback;
using orlex::ui::SettingsDialog;

namespace {

const std::string kDefaultsFile = " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n";

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

// A settings file with these texts as lines 1..9, read back the way start-up reads it.
MachineSettings loadedFrom(const std::filesystem::path& file, const std::string& bytes)
{
    writeBytes(file, bytes);
    MachineSettings settings;
    orlex::loadSettings(settings, file);
    return settings;
}

// Nine settings in file order: each line's text, then the numbers.
std::vector<std::string> fields(const MachineSettings& v)
{
    std::vector<std::string> all(v.lines.begin(), v.lines.end());
    for (const orlex::NumericSetting& setting : orlex::kNumericSettingTable)
        all.push_back(std::to_string(v.*setting.value));
    all.push_back(std::to_string(v.portAddress));
    return all;
}

template <typename T>
T* child(QWidget& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QString label(QWidget& dialog, const char* name)
{
    return child<QLabel>(dialog, name)->text();
}
QScrollBar* bar(QWidget& dialog, const char* name)
{
    return child<QScrollBar>(dialog, name);
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::filesystem::path file_;
    RecordingFeedback feedback_;

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        file_ = std::filesystem::path(dir_.path().toStdString()) / "seting.txt";
        std::filesystem::remove(file_);
        feedback_ = RecordingFeedback{};
        QLocale::setDefault(QLocale::c());
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void firstStartValues_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("lstep");
        QTest::addColumn<QString>("speed");
        QTest::newRow("point") << QLocale(QLocale::English, QLocale::UnitedStates) << "0.5 mm"
                               << "0.08 s";
        QTest::newRow("comma") << QLocale(QLocale::German, QLocale::Germany) << "0,5 mm"
                               << "0,08 s";
    }
    void firstStartValues()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, lstep);
        QFETCH(QString, speed);
        QLocale::setDefault(locale);
        MachineSettings settings;
        QVERIFY(orlex::loadSettings(settings, file_).createdDefaults);

        SettingsDialog dlg(settings, file_, feedback_);
        QCOMPARE(dlg.windowTitle(), QString("Settings"));
        QCOMPARE(label(dlg, "stepLengthXLabel"), lstep);
        QCOMPARE(label(dlg, "stepLengthYLabel"), lstep);
        QCOMPARE(label(dlg, "travelXLabel"), QString("15 cm"));
        QCOMPARE(label(dlg, "travelYLabel"), QString("15 cm"));
        QCOMPARE(label(dlg, "originXLabel"), QString("5 mm"));
        QCOMPARE(label(dlg, "originYLabel"), QString("5 mm"));
        QCOMPARE(label(dlg, "speedXLabel"), speed);
        QCOMPARE(label(dlg, "speedYLabel"), speed);
        QVERIFY(child<QRadioButton>(dlg, "port378Option")->isChecked());
        QVERIFY(!child<QRadioButton>(dlg, "port278Option")->isChecked());

        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!child<QGroupBox>(dlg, "speedFrame")->isVisible());
        QVERIFY(!child<QLabel>(dlg, "noteLabel")->isVisible());
        QCOMPARE(dlg.focusWidget(), child<QPushButton>(dlg, "cancelButton"));
    }

    void scrollBarRanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("smallStep");
        QTest::addColumn<int>("largeStep");
        QTest::newRow("stepLengthXScrollBar") << "stepLengthXScrollBar"
                                              << "stepLengthFrame" << 1 << 200 << 1 << 10;
        QTest::newRow("stepLengthYScrollBar") << "stepLengthYScrollBar"
                                              << "stepLengthFrame" << 1 << 200 << 1 << 10;
        QTest::newRow("travelXScrollBar") << "travelXScrollBar"
                                          << "travelFrame" << 10 << 300 << 1 << 10;
        QTest::newRow("travelYScrollBar") << "travelYScrollBar"
                                          << "travelFrame" << 10 << 300 << 1 << 10;
        QTest::newRow("speedXScrollBar") << "speedXScrollBar"
                                         << "speedFrame" << 10 << 5000 << 1 << 100;
        QTest::newRow("speedYScrollBar") << "speedYScrollBar"
                                         << "speedFrame" << 10 << 5000 << 1 << 100;
        QTest::newRow("originXScrollBar") << "originXScrollBar"
                                          << "originFrame" << 1 << 100 << 1 << 1;
        QTest::newRow("originYScrollBar") << "originYScrollBar"
                                          << "originFrame" << 1 << 100 << 1 << 1;
    }
    void scrollBarRanges()
    {
        QFETCH(QString, name);
        QFETCH(QString, frame);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, smallStep);
        QFETCH(int, largeStep);
        MachineSettings settings = loadedFrom(file_, kDefaultsFile);
        SettingsDialog dlg(settings, file_, feedback_);
        auto* scroll = dlg.findChild<QScrollBar*>(name);
        QVERIFY(scroll);
        QCOMPARE(scroll->parentWidget()->objectName(), frame);
        QCOMPARE(scroll->orientation(), Qt::Horizontal);
        QCOMPARE(scroll->minimum(), minimum);
        QCOMPARE(scroll->maximum(), maximum);
        QCOMPARE(scroll->singleStep(), smallStep);
        QCOMPARE(scroll->pageStep(), largeStep);
    }

    void labelsFollowPositions_data()
    {
        QTest::addColumn<QString>("scrollBar");
        QTest::addColumn<QString>("labelName");
        QTest::addColumn<QString>("otherLabel"); // the other of the pair, which must not move
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("Lstep smallest") << "stepLengthXScrollBar"
                                        << "stepLengthXLabel"
                                        << "stepLengthYLabel" << 1 << "0.01 mm";
        QTest::newRow("Lstep 1.25") << "stepLengthYScrollBar"
                                    << "stepLengthYLabel"
                                    << "stepLengthXLabel" << 125 << "1.25 mm";
        QTest::newRow("Lstep largest") << "stepLengthXScrollBar"
                                       << "stepLengthXLabel"
                                       << "stepLengthYLabel" << 200 << "2 mm";
        QTest::newRow("Max smallest") << "travelXScrollBar"
                                      << "travelXLabel"
                                      << "travelYLabel" << 10 << "1 cm";
        QTest::newRow("Max 29.9") << "travelYScrollBar"
                                  << "travelYLabel"
                                  << "travelXLabel" << 299 << "29.9 cm";
        QTest::newRow("Speed smallest") << "speedXScrollBar"
                                        << "speedXLabel"
                                        << "speedYLabel" << 10 << "0.01 s";
        QTest::newRow("Speed largest") << "speedYScrollBar"
                                       << "speedYLabel"
                                       << "speedXLabel" << 5000 << "5 s";
        QTest::newRow("Offset largest") << "originYScrollBar"
                                        << "originYLabel"
                                        << "originXLabel" << 100 << "100 mm";
        QTest::newRow("Offset smallest") << "originXScrollBar"
                                         << "originXLabel"
                                         << "originYLabel" << 1 << "1 mm";
    }
    void labelsFollowPositions()
    {
        QFETCH(QString, scrollBar);
        QFETCH(QString, labelName);
        QFETCH(QString, otherLabel);
        QFETCH(int, position);
        QFETCH(QString, text);
        MachineSettings settings = loadedFrom(file_, kDefaultsFile);
        SettingsDialog dlg(settings, file_, feedback_);
        auto* other = dlg.findChild<QLabel*>(otherLabel);
        const QString otherBefore = other->text();
        dlg.findChild<QScrollBar*>(scrollBar)->setValue(position);
        QCOMPARE(dlg.findChild<QLabel*>(labelName)->text(), text);
        QCOMPARE(other->text(), otherBefore);
    }

    void operatorMovesScrollBars()
    {
        MachineSettings settings = loadedFrom(file_, kDefaultsFile);
        SettingsDialog dlg(settings, file_, feedback_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QScrollBar* maxx = bar(dlg, "travelXScrollBar");
        maxx->setFocus();
        QTest::keyClick(maxx, Qt::Key_Right); // small step
        QCOMPARE(label(dlg, "travelXLabel"), QString("15.1 cm"));
        maxx->triggerAction(QAbstractSlider::SliderPageStepAdd); // click in the trough
        QCOMPARE(label(dlg, "travelXLabel"), QString("16.1 cm"));

        // Dragging the thumb raises nothing until it is released.
        maxx->setSliderDown(true);
        maxx->setSliderPosition(250);
        QCOMPARE(label(dlg, "travelXLabel"), QString("16.1 cm"));
        maxx->setSliderDown(false);
        QCOMPARE(label(dlg, "travelXLabel"), QString("25 cm"));
    }

    void tabOrderStartsOnCancel()
    {
        MachineSettings settings = loadedFrom(file_, kDefaultsFile);
        SettingsDialog dlg(settings, file_, feedback_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        const QStringList expected{"cancelButton",         "saveButton",       "stepLengthXScrollBar",
                                   "stepLengthYScrollBar", "travelXScrollBar", "travelYScrollBar",
                                   "originXScrollBar",     "originYScrollBar", "defaultButton",
                                   "port378Option",        "cancelButton"};
        QCOMPARE(visited, expected);
    }

    void defaultThenCancelChangesNothing()
    {
        const std::string bytes = " 60 \r\n 70 \r\n 200 \r\n 250 \r\n 1234 \r\n 4321 \r\n 10 \r\n 20 \r\n&H278\r\n";
        MachineSettings settings = loadedFrom(file_, bytes);
        const auto before = fields(settings);
        SettingsDialog dlg(settings, file_, feedback_);
        QSignalSpy saved(&dlg, &SettingsDialog::saved);
        dlg.show();

        QTest::mouseClick(child<QPushButton>(dlg, "defaultButton"), Qt::LeftButton);
        QCOMPARE(bar(dlg, "travelXScrollBar")->value(), 150);
        QCOMPARE(bar(dlg, "speedYScrollBar")->value(), 80);
        QCOMPARE(label(dlg, "stepLengthXLabel"), QString("0.5 mm"));
        QCOMPARE(label(dlg, "originYLabel"), QString("5 mm"));
        QCOMPARE(label(dlg, "speedYLabel"), QString("0.08 s"));
        QVERIFY(child<QRadioButton>(dlg, "port378Option")->isChecked());
        QVERIFY(!child<QRadioButton>(dlg, "port278Option")->isChecked());

        QTest::mouseClick(child<QPushButton>(dlg, "cancelButton"), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(saved.count(), 0);
        QCOMPARE(readBytes(file_), bytes);
        QCOMPARE(fields(settings), before);
    }

    void defaultThenSaveWritesDefaultsFile()
    {
        MachineSettings settings =
            loadedFrom(file_, " 60 \r\n 70 \r\n 200 \r\n 250 \r\n 1234 \r\n 4321 \r\n 10 \r\n 20 \r\n&H278\r\n");
        SettingsDialog dlg(settings, file_, feedback_);
        QSignalSpy saved(&dlg, &SettingsDialog::saved);
        dlg.show();

        QTest::mouseClick(child<QPushButton>(dlg, "defaultButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dlg, "saveButton"), Qt::LeftButton);
        QCOMPARE(readBytes(file_), kDefaultsFile);
        QCOMPARE(saved.count(), 1);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const std::vector<std::string> expected{"50", "50", "150", "150", "80", "80", "5", "5", "&H378"};
        QCOMPARE(std::vector<std::string>(settings.lines.begin(), settings.lines.end()), expected);
        QCOMPARE(settings.travelYmm, 150.0);
        QCOMPARE(settings.portAddress, std::uint16_t{0x378});
        QVERIFY(feedback_.messages.empty());

        // What Save wrote opens again without any adjustment.
        MachineSettings reloaded;
        QVERIFY(orlex::loadSettings(reloaded, file_).ok());
        SettingsDialog again(reloaded, file_, feedback_);
        QVERIFY(child<QLabel>(again, "noteLabel")->isHidden());
        QCOMPARE(label(again, "travelXLabel"), QString("15 cm"));
    }

    void portAddress_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("selected"); // the option button selected on opening
        QTest::addColumn<QString>("third");    // caption of the third button; empty: hidden
        QTest::addColumn<QString>("written");
        QTest::newRow("&H378") << "&H378"
                               << "port378Option"
                               << ""
                               << "&H378";
        QTest::newRow("&H278") << "&H278"
                               << "port278Option"
                               << ""
                               << "&H278";
        QTest::newRow("decimal 888") << "888"
                                     << "port378Option"
                                     << ""
                                     << "&H378";
        QTest::newRow("decimal 632") << " 632 "
                                     << "port278Option"
                                     << ""
                                     << "&H278";
        // A card at another address keeps it through a Save of something else.
        QTest::newRow("PCIe card &HD010") << "&HD010"
                                          << "otherPortOption"
                                          << "HD010"
                                          << "&HD010";
        QTest::newRow("decimal 53264") << "53264"
                                       << "otherPortOption"
                                       << "HD010"
                                       << "53264";
    }
    void portAddress()
    {
        QFETCH(QString, stored);
        QFETCH(QString, selected);
        QFETCH(QString, third);
        QFETCH(QString, written);
        MachineSettings settings = loadedFrom(file_, " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n"
                                                         + stored.toStdString() + "\r\n");
        QCOMPARE(QString::fromStdString(settings.line(orlex::SettingLine::PortAddress)), stored);
        SettingsDialog dlg(settings, file_, feedback_);
        for (const char* name : {"port378Option", "port278Option", "otherPortOption"})
            QCOMPARE(child<QRadioButton>(dlg, name)->isChecked(), selected == QLatin1String(name));
        QCOMPARE(child<QRadioButton>(dlg, "otherPortOption")->isHidden(), third.isEmpty());
        if (!third.isEmpty())
            QCOMPARE(child<QRadioButton>(dlg, "otherPortOption")->text(), third);

        dlg.onSaveClicked();
        const std::string bytes = readBytes(file_);
        QCOMPARE(QString::fromStdString(bytes.substr(bytes.rfind(" \r\n") + 3)), written + "\r\n");
        QCOMPARE(QString::fromStdString(settings.line(orlex::SettingLine::PortAddress)), written);
    }

    void hiddenSpeedSurvivesSave()
    {
        MachineSettings settings =
            loadedFrom(file_, " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 1234 \r\n 4321 \r\n 5 \r\n 5 \r\n&H378\r\n");
        SettingsDialog dlg(settings, file_, feedback_);
        QCOMPARE(label(dlg, "speedXLabel"), QString("1.234 s"));
        QCOMPARE(label(dlg, "speedYLabel"), QString("4.321 s"));
        bar(dlg, "travelXScrollBar")->setValue(200);
        dlg.onSaveClicked();
        QCOMPARE(readBytes(file_),
                 std::string(" 50 \r\n 50 \r\n 200 \r\n 150 \r\n 1234 \r\n 4321 \r\n 5 \r\n 5 \r\n&H378\r\n"));
        QCOMPARE(settings.speedXms, 1234.0);
        QCOMPARE(settings.speedYms, 4321.0);
        QCOMPARE(settings.travelXmm, 200.0);
        QCOMPARE(settings.line(orlex::SettingLine::TravelX), std::string("200"));
    }

    void storedValueOutsideRange_data()
    {
        QTest::addColumn<int>("line");     // 1..8
        QTest::addColumn<QString>("text"); // stored text of that line
        QTest::addColumn<QString>("scrollBar");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("saved"); // what a Save writes when the bar was not moved
        // A bigger or smaller machine's values are kept; values no Save could write are not.
        QTest::newRow("Maxx above") << 3 << " 500 "
                                    << "travelXScrollBar" << 300 << "Maxx" << 500;
        QTest::newRow("Lstepx zero") << 1 << " 0 "
                                     << "stepLengthXScrollBar" << 1 << "Lstepx" << 1;
        QTest::newRow("Offsety negative") << 8 << "-3 "
                                          << "originYScrollBar" << 1 << "Offsety" << -3;
        QTest::newRow("Speedx beyond 16 bits") << 5 << " 99999 "
                                               << "speedXScrollBar" << 5000 << "Speedx" << 5000;
        QTest::newRow("Maxy below") << 4 << " 9 "
                                    << "travelYScrollBar" << 10 << "Maxy" << 9;
    }
    void storedValueOutsideRange()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QString, scrollBar);
        QFETCH(int, position);
        QFETCH(QString, setting);
        QFETCH(int, saved);
        MachineSettings settings = loadedFrom(file_, kDefaultsFile);
        // As a caller could hand the dialog (a load never keeps such values).
        const auto index = static_cast<std::size_t>(line - 1);
        settings.*orlex::kNumericSettingTable[index].value = text.trimmed().toDouble();
        settings.lines[index] = text.toStdString();
        const auto before = fields(settings);

        SettingsDialog dlg(settings, file_, feedback_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(bar(dlg, scrollBar.toLatin1().constData())->value(), position);
        auto* note = child<QLabel>(dlg, "noteLabel");
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().contains(setting), qPrintable(note->text()));
        QVERIFY2(note->text().contains(text.trimmed()), qPrintable(note->text()));
        QVERIFY2(note->text().contains(saved == position ? QStringLiteral("showing %1").arg(position)
                                                         : QStringLiteral("it is kept")),
                 qPrintable(note->text()));
        QCOMPARE(fields(settings), before); // opening alone changes nothing

        dlg.onSaveClicked(); // a Save the operator did not make on that setting keeps it
        MachineSettings reloaded;
        QVERIFY(orlex::loadSettings(reloaded, file_).ok());
        QCOMPARE(settings.lines[index], std::to_string(saved));
        QCOMPARE(reloaded.*orlex::kNumericSettingTable[index].value, double(saved));
    }

    // Moved by the operator, the kept value gives way to the bar's.
    void keptValueGivesWayToTheScrollBar()
    {
        MachineSettings settings =
            loadedFrom(file_, " 50 \r\n 50 \r\n 400 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
        SettingsDialog dlg(settings, file_, feedback_);
        QCOMPARE(child<QLabel>(dlg, "travelXLabel")->text(), QStringLiteral("40 cm"));
        QScrollBar* travel = bar(dlg, "travelXScrollBar");
        travel->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(child<QLabel>(dlg, "travelXLabel")->text(), QStringLiteral("29.9 cm"));
        dlg.onSaveClicked();
        QCOMPARE(settings.travelXmm, 299.0);
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("folder read-only") << "readonly";
    }
    void failedSave()
    {
        QFETCH(QString, situation);
        const std::filesystem::path root(dir_.path().toStdString());
        std::filesystem::path target = file_;
        std::string oldBytes = " 60 \r\n 70 \r\n 200 \r\n 250 \r\n 1234 \r\n 4321 \r\n 10 \r\n 20 \r\n&H378\r\n";
        MachineSettings settings = loadedFrom(file_, oldBytes);
        if (situation == "folder") {
            target = root / "taken";
            std::filesystem::create_directories(target / "inside");
        } else if (situation == "missing") {
            target = root / "gone" / "seting.txt";
        } else {
            const std::filesystem::path folder = root / "locked";
            std::filesystem::create_directories(folder);
            target = folder / "seting.txt";
            writeBytes(target, oldBytes);
            std::filesystem::permissions(folder,
                                         std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
            std::ofstream probe(folder / "probe");
            if (probe) {
                std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
                QSKIP("folder permissions do not bind this user (running as root)");
            }
        }
        const auto before = fields(settings);

        SettingsDialog dlg(settings, target, feedback_);
        QSignalSpy saved(&dlg, &SettingsDialog::saved);
        dlg.show();
        bar(dlg, "travelXScrollBar")->setValue(222);
        child<QRadioButton>(dlg, "port278Option")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(dlg, "saveButton"), Qt::LeftButton);

        if (situation == "readonly")
            std::filesystem::permissions(target.parent_path(), std::filesystem::perms::owner_all);
        QCOMPARE(feedback_.messages.size(), std::size_t(1));
        QCOMPARE(feedback_.messages[0].icon, OperatorFeedback::Icon::Warning);
        QVERIFY2(feedback_.messages[0].text.contains(QString::fromStdString(target.filename().string())),
                 qPrintable(feedback_.messages[0].text));
        QVERIFY(dlg.isVisible());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(bar(dlg, "travelXScrollBar")->value(), 222);
        QCOMPARE(label(dlg, "travelXLabel"), QString("22.2 cm"));
        QVERIFY(child<QRadioButton>(dlg, "port278Option")->isChecked());
        QCOMPARE(fields(settings), before);
        QCOMPARE(readBytes(file_), oldBytes);
        if (situation == "folder") {
            QVERIFY(std::filesystem::is_directory(target / "inside"));
        } else if (situation == "readonly") {
            QCOMPARE(readBytes(target), oldBytes);
        } else {
            // Once the folder is there, the same dialog saves.
            std::filesystem::create_directories(target.parent_path());
            QTest::mouseClick(child<QPushButton>(dlg, "saveButton"), Qt::LeftButton);
            QCOMPARE(saved.count(), 1);
            QVERIFY(!dlg.isVisible());
            QCOMPARE(readBytes(target),
                     std::string(" 60 \r\n 70 \r\n 222 \r\n 250 \r\n 1234 \r\n 4321 \r\n 10 \r\n 20 \r\n&H278\r\n"));
            QCOMPARE(settings.portAddress, std::uint16_t{0x278});
            QCOMPARE(settings.travelXmm, 222.0);
        }
    }

    // Options > Settings in the window: Cancel leaves the window as it was, Default then
    // Save refreshes its labels, clears the preview and draws the half-axes again.
    void fromTheMainWindow()
    {
        orlex::test::WindowRig rig;
        rig.writeSettings(60, 70, 200, 250, 1234, 4321, 10, 20, "&H278");
        orlex::ui::MainWindow& w = rig.openWindow();
        const QStringList before{controls(w).limitXLabel->text(), controls(w).limitYLabel->text(),
                                 controls(w).originXLabel->text(), controls(w).originYLabel->text(),
                                 controls(w).portLabel->text()};
        const std::string oldBytes = rig.readSettingsFile();

        orlex::test::onNextModal([](QWidget* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("defaultButton"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        controls(w).settingsAction->trigger(); // returns when the dialog is closed
        QCOMPARE(QStringList({controls(w).limitXLabel->text(), controls(w).limitYLabel->text(),
                              controls(w).originXLabel->text(), controls(w).originYLabel->text(),
                              controls(w).portLabel->text()}),
                 before);
        QCOMPARE(rig.readSettingsFile(), oldBytes);

        orlex::ui::PreviewWidget* pic = controls(w).previewCanvas;
        pic->line(1500, 1500, 3000, 1500, 0); // something drawn before the save
        QCOMPARE(pic->pixelAtTwips(2250, 1500), QColor(0, 0, 0));
        orlex::test::onNextModal([](QWidget* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("defaultButton"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        });
        controls(w).settingsAction->trigger();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        const long H = pic->heightUnits();
        QCOMPARE(pic->pixelAtTwips(2250, 1500), pic->background()); // cleared
        QCOMPARE(pic->pixelAtTwips(100, H / 2), QColor(255, 0, 0)); // the axes again, at the new origin
        QCOMPARE(pic->pixelAtTwips(3000, H - 100), QColor(255, 0, 0));
        QCOMPARE(rig.readSettingsFile(), kDefaultsFile);
        QCOMPARE(controls(w).limitXLabel->text(), QString("150 mm"));
        QCOMPARE(controls(w).limitYLabel->text(), QString("150 mm"));
        QCOMPARE(controls(w).originXLabel->text(), QString("5 mm"));
        QCOMPARE(controls(w).originYLabel->text(), QString("5 mm"));
        QCOMPARE(controls(w).portLabel->text(), QString("378H"));
    }

    // A Save that makes the machine smaller than where the carriage is known to stand says
    // so; the virtual plotter's end of travel moves with the new limit.
    void smallerThanWhereTheCarriageStands()
    {
        orlex::test::WindowRig rig;
        rig.writeSettings(50, 50, 300, 300, 80, 80, 5, 5, "&H378");
        rig.startXmm = 200;
        orlex::ui::MainWindow& w = rig.openWindow();
        orlex::test::onNextModal([](QWidget* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("defaultButton"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        });
        controls(w).settingsAction->trigger();
        QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
        QCOMPARE(rig.feedback.messages.front().text,
                 QStringLiteral("The carriage stands at X 200 mm, beyond the X travel of 150 mm: a drawing from "
                                "there is refused. Jog it back towards home before you draw: Pen home looks for the "
                                "switch only within the travel and a tenth of it."));
        controls(w).motorButton->click(); // the coils on
        controls(w).stepRightButton->click();
        QCOMPARE(rig.plotter().xMillimetres(), 200.0); // against the end, 10 mm beyond the new limit
        QCOMPARE(rig.plotter().counters().endStopsX, 1L);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
