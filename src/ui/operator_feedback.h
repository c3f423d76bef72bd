// Beeps and message boxes go through here, so tests can see them without blocking.
#pragma once

#include <QString>

class QMessageBox;
class QPushButton;
class QWidget;

namespace orlex::ui {

class OperatorFeedback {
public:
    enum class Icon { Information, Warning, Critical };
    virtual ~OperatorFeedback() = default;
    virtual void beep() = 0;
    // A modal message box with a single OK button.
    virtual void message(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;
    // A modal question with two buttons; true when the first (`yes`) was chosen.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& yes,
                         const QString& no) = 0;
    // While a question of confirm() is open: says something else, with another first button.
    virtual void updateQuestion(const QString& text, const QString& yes)
    {
        (void)text;
        (void)yes;
    }
};

// The real thing: QApplication::beep and QMessageBox.
class QtOperatorFeedback : public OperatorFeedback {
public:
    void beep() override;
    void message(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& yes,
                 const QString& no) override;
    void updateQuestion(const QString& text, const QString& yes) override;

private:
    QMessageBox* question_ = nullptr; // the open question of confirm()
    QPushButton* yesButton_ = nullptr;
};

} // namespace orlex::ui
