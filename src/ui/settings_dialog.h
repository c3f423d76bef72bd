// The settings dialog: edits the machine settings with scroll bars; Load, Default, Save, Cancel.
#pragma once

#include "settings/machine_settings.h"
#include "ui/operator_feedback.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace orlex::ui {

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Loads the controls from `settings`. Save writes `settingsFile`, then updates
    // `settings` and emits saved(); a failed save shows the reason and stays open.
    SettingsDialog(MachineSettings& settings, std::filesystem::path settingsFile, OperatorFeedback& feedback,
                   QWidget* parent = nullptr);

signals:
    void saved(); // the main window refreshes its labels and preview

public slots:
    void onDefaultClicked();
    void onSaveClicked();
    void onCancelClicked();

private:
    static constexpr int kSettingCount = 8; // file order: Lstepx ... Offsety

    void buildControls();
    void buildSettingRows();
    void buildPortOptions();
    void load();
    void setLabel(int setting);
    void setAllLabels();
    void showNote(const QStringList& adjustments);
    std::array<std::int16_t, kSettingCount> positions() const;

    MachineSettings& settings_;
    std::filesystem::path settingsFile_;
    OperatorFeedback& feedback_;

    std::array<QScrollBar*, kSettingCount> scrollBars_{};
    std::array<QLabel*, kSettingCount> labels_{};
    QGroupBox* speedFrame_ = nullptr;
    QRadioButton* port378Option_ = nullptr;
    QRadioButton* port278Option_ = nullptr;
    QRadioButton* otherPortOption_ = nullptr; // the loaded address when it is neither of the two
    QPushButton* cancelButton_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    // A stored value outside its scroll bar's range (a bigger machine's travel, say): kept
    // as it is, and saved so, until the operator moves that scroll bar.
    std::array<std::optional<std::int16_t>, kSettingCount> kept_{};
    bool loading_ = false; // the scroll bars are being set from the settings
};

} // namespace orlex::ui
