// The settings dialog: one scroll bar per numeric setting, three option buttons for the
// port address (the third only for an address other than &H378 and &H278), Load on
// opening, Default, Save (writes seting.txt, then updates the settings) and Cancel.
#include "ui/settings_dialog.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"
#include "ui/classic_face.h"
#include "ui/twips.h"

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

constexpr int kClientWidthTwips = 4065;
constexpr int kClientHeightTwips = 3495;

enum Frame { StepLength, Travel, Speed, Origin, FrameCount };

struct FrameRow {
    const char* name;
    const char* caption;
    QRect twips; // left, top, width, height
};

constexpr std::array<FrameRow, FrameCount> kFrames{{
    {"stepLengthFrame", "Lstep ( for full step)", {120, 120, 2175, 975}},
    {"travelFrame", "X-Y Max ( hardware limit )", {120, 1200, 2175, 975}},
    {"speedFrame", "Speed", {840, 4800, 2175, 975}},
    {"originFrame", "Center ( 0.0 coordinate)", {120, 2340, 2175, 975}},
}};

// One numeric setting: where it lives, its scroll bar and label (named after the setting's
// member of MachineSettings), and how the label reads.
struct SettingRow {
    const char* scrollBar;
    const char* label;
    Frame frame;
    int top;          // twips, scroll bar row inside the frame
    QRect labelTwips; // inside the frame
    int minimum, maximum, smallStep, largeStep;
    int divisor; // label shows position / divisor; 1: integer text
    const char* unit;
};

const std::array<SettingRow, 8> kRows{{
    {"stepLengthXScrollBar", "stepLengthXLabel", StepLength, 240, {1320, 240, 735, 255}, 1, 200, 1, 10, 100, " mm"},
    {"stepLengthYScrollBar", "stepLengthYLabel", StepLength, 600, {1320, 600, 735, 255}, 1, 200, 1, 10, 100, " mm"},
    {"travelXScrollBar", "travelXLabel", Travel, 240, {1320, 240, 615, 255}, 10, 300, 1, 10, 10, " cm"},
    {"travelYScrollBar", "travelYLabel", Travel, 600, {1320, 600, 735, 255}, 10, 300, 1, 10, 10, " cm"},
    {"speedXScrollBar", "speedXLabel", Speed, 240, {1320, 240, 735, 255}, 10, 5000, 1, 100, 1000, " s"},
    {"speedYScrollBar", "speedYLabel", Speed, 600, {1320, 600, 735, 255}, 10, 5000, 1, 100, 1000, " s"},
    {"originXScrollBar", "originXLabel", Origin, 240, {1320, 240, 735, 255}, 1, 100, 1, 1, 1, " mm"},
    {"originYScrollBar", "originYLabel", Origin, 600, {1320, 540, 795, 255}, 1, 100, 1, 1, 1, " mm"},
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

// The scroll-bar position for a stored setting. A value outside the range puts the bar at
// the nearer end; `kept` then holds the value itself, which a Save keeps, and `note` says so.
int positionFor(const SettingRow& row, const NumericSetting& setting, double value, const std::string& text,
                std::optional<std::int16_t>& kept, QString& note)
{
    const double rounded = roundHalfEven(value);
    if (rounded >= row.minimum && rounded <= row.maximum)
        return static_cast<int>(rounded);
    const int end = rounded < row.minimum ? row.minimum : row.maximum;
    // A value no Save could write (beyond 16 bits, or a step length or travel not above 0)
    // is not kept: the bar's end is what a Save writes then.
    const bool usable = value > 0 || row.frame == Speed || row.frame == Origin;
    kept = usable ? roundToInt16(value) : std::nullopt;
    const QString outside = QStringLiteral("%1 %2 lies outside %3 to %4")
                                .arg(QLatin1String(setting.name), QString::fromStdString(text).trimmed())
                                .arg(row.minimum)
                                .arg(row.maximum);
    note = kept ? outside + QStringLiteral("; it is kept unless you move its scroll bar.")
                : outside + QStringLiteral("; showing %1, which Save writes.").arg(end);
    return end;
}

constexpr std::uint16_t kFirstPortAddress = 888;  // 0x378
constexpr std::uint16_t kSecondPortAddress = 632; // 0x278
constexpr const char* kSecondPortAddressText = "&H278";

} // namespace

SettingsDialog::SettingsDialog(MachineSettings& settings, std::filesystem::path settingsFile,
                               OperatorFeedback& feedback, QWidget* parent)
    : QDialog(parent), settings_(settings), settingsFile_(std::move(settingsFile)), feedback_(feedback)
{
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(QStringLiteral("Settings"));
    buildControls();
    load();
}

void SettingsDialog::buildControls()
{
    setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));
    buildSettingRows();
    buildPortOptions();

    cancelButton_ =
        place(new QPushButton(QStringLiteral("&Cancel"), this), "cancelButton", QRect(2640, 1380, 1095, 375));
    defaultButton_ =
        place(new QPushButton(QStringLiteral("Default"), this), "defaultButton", QRect(2640, 1860, 1095, 375));
    saveButton_ = place(new QPushButton(QStringLiteral("&Save"), this), "saveButton", QRect(2640, 2340, 1095, 375));
    connect(cancelButton_, &QPushButton::clicked, this, &SettingsDialog::onCancelClicked);
    connect(defaultButton_, &QPushButton::clicked, this, &SettingsDialog::onDefaultClicked);
    connect(saveButton_, &QPushButton::clicked, this, &SettingsDialog::onSaveClicked);

    // Tab order: Cancel, Save, the scroll bars in file order, Default, the address.
    QList<QWidget*> chain{cancelButton_, saveButton_};
    for (QScrollBar* bar : scrollBars_)
        chain.append(bar);
    chain << defaultButton_ << port378Option_ << port278Option_ << otherPortOption_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    cancelButton_->setFocus(Qt::OtherFocusReason);

    // Shown only when Load had to adjust a stored value, in a strip below the frames.
    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    noteLabel_->setWordWrap(true);
    noteLabel_->setVisible(false);

    applyClassicFace(this);
}

// The four frames, and in each of them a scroll bar and its label per setting. A change
// of a scroll bar's position sets its label.
void SettingsDialog::buildSettingRows()
{
    std::array<QGroupBox*, FrameCount> frames{};
    for (std::size_t f = 0; f < frames.size(); ++f)
        frames[f] =
            place(new QGroupBox(QString::fromLatin1(kFrames[f].caption), this), kFrames[f].name, kFrames[f].twips);
    frames[StepLength]->setToolTip(QStringLiteral("Lungimea unui pas in mm"));
    // The speed group is carried through Load, Default and Save but never shown.
    speedFrame_ = frames[Speed];
    speedFrame_->setVisible(false);

    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const SettingRow& row = kRows[i];
        QGroupBox* frame = frames[row.frame];
        QScrollBar* bar = place(new QScrollBar(Qt::Horizontal, frame), row.scrollBar, QRect(120, row.top, 1095, 135));
        bar->setRange(row.minimum, row.maximum);
        bar->setSingleStep(row.smallStep);
        bar->setPageStep(row.largeStep);
        bar->setTracking(false); // a dragged thumb reports only when released
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setInvertedControls(false); // the Right arrow key moves towards the maximum
        connect(bar, &QScrollBar::valueChanged, this, [this, i] {
            if (!loading_)
                kept_[i].reset(); // the operator chose a value of the range
            setLabel(static_cast<int>(i));
        });
        scrollBars_[i] = bar;
        labels_[i] = place(new QLabel(QStringLiteral("Err"), frame), row.label, row.labelTwips);
    }
}

// "H378", "H278", and a third button for a card at another address (a PCIe card at
// &HD010), shown only when the loaded address is such a one, so a Save keeps it.
void SettingsDialog::buildPortOptions()
{
    auto* portFrame =
        place(new QGroupBox(QStringLiteral("Lpt Address"), this), "portFrame", QRect(2640, 120, 1095, 1200));
    // Three rows of one height, a radio button's indicator high, with room between them.
    port378Option_ =
        place(new QRadioButton(QStringLiteral("H378"), portFrame), "port378Option", QRect(240, 240, 735, 255));
    port378Option_->setChecked(true);
    port278Option_ =
        place(new QRadioButton(QStringLiteral("H278"), portFrame), "port278Option", QRect(240, 540, 735, 255));
    // Wider than the others: "HD010" is longer than "H378".
    otherPortOption_ = place(new QRadioButton(portFrame), "otherPortOption", QRect(240, 840, 840, 255));
    otherPortOption_->setVisible(false);
}

void SettingsDialog::load()
{
    QStringList adjustments;
    loading_ = true;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        QString adjustment;
        const NumericSetting& setting = kNumericSettingTable[i];
        kept_[i].reset();
        const int position =
            positionFor(kRows[i], setting, settings_.*setting.value, settings_.lines[i], kept_[i], adjustment);
        if (!adjustment.isEmpty())
            adjustments << adjustment;
        scrollBars_[i]->setValue(position);
    }
    loading_ = false;
    setAllLabels();

    const std::uint16_t address = settings_.portAddress;
    const bool first = address == kFirstPortAddress;
    const bool other = address != kFirstPortAddress && address != kSecondPortAddress;
    otherPortOption_->setVisible(other);
    if (other)
        otherPortOption_->setText(QLatin1Char('H') + QString::number(address, 16).toUpper());
    port378Option_->setChecked(first);
    port278Option_->setChecked(!first && !other);
    otherPortOption_->setChecked(other);

    if (!adjustments.isEmpty())
        showNote(adjustments);
}

void SettingsDialog::showNote(const QStringList& adjustments)
{
    const int left = pixels(120);
    const int top = pixels(kFrames[Origin].twips.bottom() + 1) + 4; // just below the origin frame
    const int width = pixels(kClientWidthTwips) - 2 * left;
    noteLabel_->setText(QStringLiteral("Some stored settings lie outside what this dialog offers:\n")
                        + adjustments.join(QLatin1Char('\n')));
    const int height = noteLabel_->heightForWidth(width);
    noteLabel_->setGeometry(left, top, width, height);
    noteLabel_->setVisible(true);
    setFixedSize(pixels(kClientWidthTwips), std::max(pixels(kClientHeightTwips), top + height + left));
}

void SettingsDialog::setLabel(int setting)
{
    const auto i = static_cast<std::size_t>(setting);
    labels_[i]->setText(labelText(kRows[i], kept_[i] ? *kept_[i] : scrollBars_[i]->value()));
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
        values[i] =
            kept_[i] ? *kept_[i] : static_cast<std::int16_t>(scrollBars_[i]->value()); // ranges lie within 16 bits
    return values;
}

void SettingsDialog::onDefaultClicked()
{
    kept_.fill(std::nullopt); // the defaults replace every value
    for (std::size_t i = 0; i < kRows.size(); ++i)
        scrollBars_[i]->setValue(kNumericSettingTable[i].defaultValue);
    port378Option_->setChecked(true);
    setAllLabels();
}

void SettingsDialog::onSaveClicked()
{
    // The third button keeps the loaded address text exactly as it was.
    const std::string address = port378Option_->isChecked()   ? std::string(kDefaultPortAddressText)
                                : port278Option_->isChecked() ? std::string(kSecondPortAddressText)
                                                              : settings_.line(SettingLine::PortAddress);
    // The settings change only once the file holds the new values, so a refused or
    // failed save leaves the program running on what it had, and the operator can try
    // again with the values still in the dialog.
    Result<MachineSettings> saving = settingsFromValues(positions(), address);
    const Result<void> written = saving ? saveSettings(*saving, settingsFile_) : Result<void>(saving.error());
    if (!written) {
        feedback_.message(this, OperatorFeedback::Icon::Warning, windowTitle(),
                          QString::fromStdString(written.message()));
        return;
    }
    settings_ = std::move(*saving);
    emit saved();
    accept();
}

void SettingsDialog::onCancelClicked()
{
    reject();
}

} // namespace orlex::ui
