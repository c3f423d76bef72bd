// The about box: "About Orlex_plotter", with "For personal use only" and "Version 1.0".
#pragma once

#include <QDialog>

namespace orlex::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace orlex::ui
