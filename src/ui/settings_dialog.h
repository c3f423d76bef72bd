// frmSetting: edits the machine settings with scroll bars; Load, Default, Save, Cancel.
#pragma once

#include "settings/variabile.h"
#include "ui/operator_feedback.h"

#include <QDialog>

#include <filesystem>

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
    SettingsDialog(Variabile& settings, std::filesystem::path settingsFile,
                   OperatorFeedback& feedback, QWidget* parent = nullptr);

signals:
    void saved(); // the main window refreshes its labels and preview

public slots:
    void cmdDefault_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
};

} // namespace orlex::ui
