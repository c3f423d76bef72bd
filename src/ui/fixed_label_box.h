// A box that holds one label at the box's own size, so new text only repaints the label.
#pragma once

#include <QWidget>

class QLabel;

namespace orlex::ui {

// A QLabel in a layout asks the whole layout to be recomputed whenever its text changes
// (a LayoutRequest, then a repaint of everything around it), which is too slow for text
// that changes many times a second during a draw. Here the layout places the box, and
// the box gives the label its own size as a fixed size: setText then just repaints the
// label. The box asks for the height of one line of the label's text; longer text is
// cut at the box's edge.
class FixedLabelBox : public QWidget {
    Q_OBJECT
public:
    // Takes `label` as its child.
    explicit FixedLabelBox(QLabel* label, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* label_;
};

} // namespace orlex::ui
