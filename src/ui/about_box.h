// The about box: "About Orlex_plotter", with "For personal use only", "Version 1.0" and
// how the motion thread runs (real-time or not, and why).
#pragma once

#include <QDialog>
#include <QString>

namespace orlex::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const QString& motionText = {}, QWidget* parent = nullptr);
};

} // namespace orlex::ui
