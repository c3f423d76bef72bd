// Help > "Port check…": the port check's report as text the operator can select and
// copy, with a button that copies all of it.
#pragma once

#include <QDialog>
#include <QString>

namespace orlex::ui {

class PortCheckDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortCheckDialog(const QString& report, QWidget* parent = nullptr);
};

} // namespace orlex::ui
