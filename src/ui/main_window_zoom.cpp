// Placeholder: preview options, zoom chain, half-axes and Cls.
#include "ui/main_window.h"

namespace orlex::ui {

void MainWindow::Check1_Click() {}
void MainWindow::scrZoom_Change() {}
void MainWindow::txtZoom_Change() {}
void MainWindow::lblOffsetx_Click() {}
void MainWindow::lblOffsety_Click() {}
void MainWindow::cmdCls_Click() {}

} // namespace orlex::ui
