// frmSetting: one scroll bar per numeric setting, two option buttons for the port address,
// Load on opening, Default, Save (writes seting.txt, then updates the settings) and Cancel.
#include "ui/settings_dialog.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"
#include "ui/classic_face.h"

#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace orlex::ui {

namespace {

// Layout is given in twips; 15 twips are one pixel at 96 dots per inch.
int pixels(int twips) { return static_cast<int>(roundHalfEven(twips / 15.0)); }
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

constexpr int kClientWidthTwips = 4065;
constexpr int kClientHeightTwips = 3495;

enum Frame { Lstep, Max, Speed, Offset, FrameCount };

struct FrameRow {
    const char* name;
    const char* caption;
    QRect twips; // left, top, width, height
};

constexpr std::array<FrameRow, FrameCount> kFrames{{
    {"fraLstep", "Lstep ( for full step)", {120, 120, 2175, 975}},
    {"fraMax", "X-Y Max ( hardware limit )", {120, 1200, 2175, 975}},
    {"fraSpeed", "Speed", {840, 4800, 2175, 975}},
    {"fraOffset", "Center ( 0.0 coordinate)", {120, 2340, 2175, 975}},
}};

// One numeric setting: where it lives, its scroll bar and label, and how the label reads.
struct SettingRow {
    const char* scrollBar;
    const char* label;
    Frame frame;
    int top;                   // twips, scroll bar row inside the frame
    QRect labelTwips;          // inside the frame
    int minimum, maximum, smallStep, largeStep;
    int divisor;               // label shows position / divisor; 1: integer text
    const char* unit;
};

const std::array<SettingRow, 8> kRows{{
    {"scrLstepx", "lblLstepx", Lstep, 240, {1320, 240, 735, 255}, 1, 200, 1, 10, 100, " mm"},
    {"scrLstepy", "lblLstepy", Lstep, 600, {1320, 600, 735, 255}, 1, 200, 1, 10, 100, " mm"},
    {"scrMaxx", "lblMaxx", Max, 240, {1320, 240, 615, 255}, 10, 300, 1, 10, 10, " cm"},
    {"scrMaxy", "lblMaxy", Max, 600, {1320, 600, 735, 255}, 10, 300, 1, 10, 10, " cm"},
    {"scrSpeedx", "lblSpeedx", Speed, 240, {1320, 240, 735, 255}, 10, 5000, 1, 100, 1000, " s"},
    {"scrSpeedY", "lblSpeedy", Speed, 600, {1320, 600, 735, 255}, 10, 5000, 1, 100, 1000, " s"},
    {"scrOffsetx", "lblOffsetx", Offset, 240, {1320, 240, 735, 255}, 1, 100, 1, 1, 1, " mm"},
    {"scrOffsety", "lblOffsety", Offset, 600, {1320, 540, 795, 255}, 1, 100, 1, 1, 1, " mm"},
}};

// The label text of a position: the quotient as the shortest decimal text in the
// user's number format ("0.5", "0,08"), or plain digits for whole-millimetre settings.
QString labelText(const SettingRow& row, int position)
{
    if (row.divisor == 1)
        return QString::number(position) + QLatin1String(row.unit);
    const double value = static_cast<double>(position) / row.divisor;
    return QLocale().toString(value, 'f', QLocale::FloatingPointShortest) + QLatin1String(row.unit);
}

// The scroll-bar position for a stored setting. A value outside the range is clamped
// into it and described in `adjustment`, so the dialog can say what it changed.
int positionFor(const SettingRow& row, const NumericSetting& setting, double value, const std::string& text,
                QString& adjustment)
{
    const double rounded = roundHalfEven(value);
    if (rounded >= row.minimum && rounded <= row.maximum)
        return static_cast<int>(rounded);
    const int clamped = rounded < row.minimum ? row.minimum : row.maximum;
    adjustment = QStringLiteral("%1 %2 lies outside %3 to %4; showing %5.")
                     .arg(QLatin1String(setting.name), QString::fromStdString(text).trimmed())
                     .arg(row.minimum)
                     .arg(row.maximum)
                     .arg(clamped);
    return clamped;
}

constexpr std::uint16_t kFirstPortAddress = 888;  // 0x378
constexpr std::uint16_t kSecondPortAddress = 632; // 0x278
constexpr const char* kSecondPortAddressText = "&H278";

} // namespace

SettingsDialog::SettingsDialog(MachineSettings& settings, std::filesystem::path settingsFile,
                               OperatorFeedback& feedback, QWidget* parent)
    : QDialog(parent), settings_(settings), settingsFile_(std::move(settingsFile)), feedback_(feedback)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Settings"));
    buildControls();
    load();
}

void SettingsDialog::buildControls()
{
    setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));

    std::array<QGroupBox*, FrameCount> frames{};
    for (int f = 0; f < FrameCount; ++f) {
        const FrameRow& row = kFrames[static_cast<std::size_t>(f)];
        auto* frame = new QGroupBox(QString::fromLatin1(row.caption), this);
        frame->setObjectName(QString::fromLatin1(row.name));
        const QRect& t = row.twips;
        frame->setGeometry(twipsRect(t.x(), t.y(), t.width(), t.height()));
        frames[static_cast<std::size_t>(f)] = frame;
    }
    frames[Lstep]->setToolTip(QStringLiteral("Lungimea unui pas in mm"));
    // The speed group is carried through Load, Default and Save but never shown.
    fraSpeed_ = frames[Speed];
    fraSpeed_->setVisible(false);

    using Handler = void (SettingsDialog::*)();
    const std::array<Handler, kSettingCount> handlers{
        &SettingsDialog::scrLstepx_Change,  &SettingsDialog::scrLstepy_Change,
        &SettingsDialog::scrMaxx_Change,    &SettingsDialog::scrMaxy_Change,
        &SettingsDialog::scrSpeedx_Change,  &SettingsDialog::scrSpeedY_Change,
        &SettingsDialog::scrOffsetx_Change, &SettingsDialog::scrOffsety_Change,
    };
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const SettingRow& row = kRows[i];
        QGroupBox* frame = frames[row.frame];

        auto* bar = new QScrollBar(Qt::Horizontal, frame);
        bar->setObjectName(QString::fromLatin1(row.scrollBar));
        bar->setGeometry(twipsRect(120, row.top, 1095, 135));
        bar->setRange(row.minimum, row.maximum);
        bar->setSingleStep(row.smallStep);
        bar->setPageStep(row.largeStep);
        bar->setTracking(false); // a dragged thumb reports only when released
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setInvertedControls(false); // the Right arrow key moves towards the maximum
        connect(bar, &QScrollBar::valueChanged, this, handlers[i]);
        scrollBars_[i] = bar;

        auto* label = new QLabel(QStringLiteral("Err"), frame);
        label->setObjectName(QString::fromLatin1(row.label));
        const QRect& t = row.labelTwips;
        label->setGeometry(twipsRect(t.x(), t.y(), t.width(), t.height()));
        labels_[i] = label;
    }

    auto* fraPort = new QGroupBox(QStringLiteral("Lpt Address"), this);
    fraPort->setObjectName(QStringLiteral("fraPort"));
    fraPort->setGeometry(twipsRect(2640, 120, 1095, 975));
    optLpt1_ = new QRadioButton(QStringLiteral("H378"), fraPort);
    optLpt1_->setObjectName(QStringLiteral("optLpt1"));
    optLpt1_->setGeometry(twipsRect(240, 240, 735, 255));
    optLpt1_->setChecked(true);
    optLpt2_ = new QRadioButton(QStringLiteral("H278"), fraPort);
    optLpt2_->setObjectName(QStringLiteral("optLpt2"));
    optLpt2_->setGeometry(twipsRect(240, 600, 735, 195));
    // A card at another address (a PCIe card at &HD010) keeps it: shown only then.
    optLpt3_ = new QRadioButton(fraPort);
    optLpt3_->setObjectName(QStringLiteral("optLpt3"));
    optLpt3_->setGeometry(twipsRect(240, 795, 840, 165)); // wider: "HD010" is longer than "H378"
    optLpt3_->setVisible(false);

    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(twipsRect(2640, 1380, 1095, 375));
    cmdDefault_ = new QPushButton(QStringLiteral("Default"), this);
    cmdDefault_->setObjectName(QStringLiteral("cmdDefault"));
    cmdDefault_->setGeometry(twipsRect(2640, 1860, 1095, 375));
    cmdSave_ = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSave_->setGeometry(twipsRect(2640, 2340, 1095, 375));
    connect(cmdCancel_, &QPushButton::clicked, this, &SettingsDialog::cmdCancel_Click);
    connect(cmdDefault_, &QPushButton::clicked, this, &SettingsDialog::cmdDefault_Click);
    connect(cmdSave_, &QPushButton::clicked, this, &SettingsDialog::cmdSave_Click);

    // Tab order: Cancel, Save, the scroll bars in file order, Default, the address.
    QList<QWidget*> chain{cmdCancel_, cmdSave_};
    for (QScrollBar* bar : scrollBars_)
        chain.append(bar);
    chain << cmdDefault_ << optLpt1_ << optLpt2_ << optLpt3_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    cmdCancel_->setFocus(Qt::OtherFocusReason);

    // Shown only when Load had to adjust a stored value, in a strip below the frames.
    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    lblNote_->setVisible(false);

    applyClassicFace(this);
}

void SettingsDialog::load()
{
    QStringList adjustments;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        QString adjustment;
        const NumericSetting& setting = kNumericSettingTable[i];
        const int position = positionFor(kRows[i], setting, settings_.*setting.value, settings_.lines[i], adjustment);
        if (!adjustment.isEmpty())
            adjustments << adjustment;
        scrollBars_[i]->setValue(position);
    }
    setAllLabels();

    const std::uint16_t address = settings_.portAddress;
    const bool first = address == kFirstPortAddress;
    const bool other = address != kFirstPortAddress && address != kSecondPortAddress;
    optLpt3_->setVisible(other);
    if (other)
        optLpt3_->setText(QLatin1Char('H') + QString::number(address, 16).toUpper());
    optLpt1_->setChecked(first);
    optLpt2_->setChecked(!first && !other);
    optLpt3_->setChecked(other);

    if (!adjustments.isEmpty())
        showNote(adjustments);
}

void SettingsDialog::showNote(const QStringList& adjustments)
{
    const int left = pixels(120);
    const int top = pixels(kFrames[Offset].twips.bottom() + 1) + 4; // just below fraOffset
    const int width = pixels(kClientWidthTwips) - 2 * left;
    lblNote_->setText(QStringLiteral("Some stored settings did not fit this dialog and were adjusted"
                                     " (nothing is saved until Save):\n")
                      + adjustments.join(QLatin1Char('\n')));
    const int height = lblNote_->heightForWidth(width);
    lblNote_->setGeometry(left, top, width, height);
    lblNote_->setVisible(true);
    setFixedSize(pixels(kClientWidthTwips), std::max(pixels(kClientHeightTwips), top + height + left));
}

void SettingsDialog::setLabel(int setting)
{
    const auto i = static_cast<std::size_t>(setting);
    labels_[i]->setText(labelText(kRows[i], scrollBars_[i]->value()));
}

void SettingsDialog::setAllLabels()
{
    for (int i = 0; i < kSettingCount; ++i)
        setLabel(i);
}

std::array<std::int16_t, 8> SettingsDialog::positions() const
{
    std::array<std::int16_t, kSettingCount> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int16_t>(scrollBars_[i]->value()); // ranges lie within 16 bits
    return values;
}

void SettingsDialog::scrLstepx_Change() { setLabel(0); }
void SettingsDialog::scrLstepy_Change() { setLabel(1); }
void SettingsDialog::scrMaxx_Change() { setLabel(2); }
void SettingsDialog::scrMaxy_Change() { setLabel(3); }
void SettingsDialog::scrSpeedx_Change() { setLabel(4); }
void SettingsDialog::scrSpeedY_Change() { setLabel(5); }
void SettingsDialog::scrOffsetx_Change() { setLabel(6); }
void SettingsDialog::scrOffsety_Change() { setLabel(7); }

void SettingsDialog::cmdDefault_Click()
{
    for (std::size_t i = 0; i < kRows.size(); ++i)
        scrollBars_[i]->setValue(kNumericSettingTable[i].defaultValue);
    optLpt1_->setChecked(true);
    setAllLabels();
}

void SettingsDialog::cmdSave_Click()
{
    // The third button keeps the loaded address text exactly as it was.
    const std::string address = optLpt1_->isChecked() ? std::string(kDefaultPortAddressText)
                              : optLpt2_->isChecked() ? std::string(kSecondPortAddressText)
                                                      : settings_.line(SettingLine::PortAddress);
    // The settings change only once the file holds the new values, so a refused or
    // failed save leaves the program running on what it had, and the operator can try
    // again with the values still in the dialog.
    Result<MachineSettings> saving = settingsFromValues(positions(), address);
    const Result<void> written = saving ? saveSettings(*saving, settingsFile_) : Result<void>(saving.error());
    if (!written) {
        feedback_.message(this, OperatorFeedback::Icon::Warning, windowTitle(), QString::fromStdString(written.message()));
        return;
    }
    settings_ = std::move(*saving);
    emit saved();
    accept();
}

void SettingsDialog::cmdCancel_Click() { reject(); }

} // namespace orlex::ui
