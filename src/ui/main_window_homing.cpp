// Placeholder: Pen home and Pen to 0.
#include "ui/main_window.h"

namespace orlex::ui {

void MainWindow::cmdHome_Click() {}
void MainWindow::cmdZero_Click() {}

} // namespace orlex::ui
