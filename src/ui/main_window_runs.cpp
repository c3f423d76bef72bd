// Placeholder: Test and Show, Draw and Stop.
#include "ui/main_window.h"

namespace orlex::ui {

void MainWindow::cmdTest_Click() {}
void MainWindow::cmdDraw_Click() {}
void MainWindow::cmdStop_Click() {}

} // namespace orlex::ui
