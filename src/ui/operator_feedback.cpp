// Beeps and message boxes for the operator, through Qt.
#include "ui/operator_feedback.h"

#include <QApplication>
#include <QMessageBox>

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

} // namespace orlex::ui
