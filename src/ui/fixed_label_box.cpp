// FixedLabelBox: keeps a label at the box's size so that its text never relayouts.
#include "ui/fixed_label_box.h"

#include <QLabel>
#include <QResizeEvent>

namespace orlex::ui {

FixedLabelBox::FixedLabelBox(QLabel* label, QWidget* parent) : QWidget(parent), label_(label)
{
    label_->setParent(this);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize FixedLabelBox::sizeHint() const
{
    const QMargins m = label_->contentsMargins();
    const int line = label_->fontMetrics().height() + 2 * label_->margin() + m.top() + m.bottom();
    return {label_->fontMetrics().averageCharWidth() * 20, line};
}

QSize FixedLabelBox::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void FixedLabelBox::resizeEvent(QResizeEvent* event)
{
    label_->setFixedSize(event->size());
    label_->move(0, 0);
}

} // namespace orlex::ui
