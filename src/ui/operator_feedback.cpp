// Beeps and message boxes for the operator, through Qt.
#include "ui/operator_feedback.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace orlex::ui {

void QtOperatorFeedback::beep()
{
    QApplication::beep();
}

void QtOperatorFeedback::message(QWidget* parent, Icon icon, const QString& title, const QString& text)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
    case Icon::Information: boxIcon = QMessageBox::Information; break;
    case Icon::Warning: boxIcon = QMessageBox::Warning; break;
    case Icon::Critical: boxIcon = QMessageBox::Critical; break;
    }
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtOperatorFeedback::confirm(QWidget* parent, const QString& title, const QString& text, const QString& yes,
                                 const QString& no)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    box.addButton(no, QMessageBox::RejectRole);
    QMessageBox* outer = std::exchange(question_, &box);
    QPushButton* outerYes = std::exchange(yesButton_, yesButton);
    box.exec();
    question_ = outer;
    yesButton_ = outerYes;
    return box.clickedButton() == yesButton;
}

void QtOperatorFeedback::updateQuestion(const QString& text, const QString& yes)
{
    if (question_ == nullptr)
        return;
    question_->setText(text);
    yesButton_->setText(yes);
}

} // namespace orlex::ui
