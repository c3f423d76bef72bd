// Placeholder: manual controls, presence test, motor lamp and speed measurement.
#include "ui/main_window.h"

namespace orlex::ui {

void MainWindow::cmdSteppYUp_Click() {}
void MainWindow::cmdSteppYDo_Click() {}
void MainWindow::cmdSteppXR_Click() {}
void MainWindow::cmdSteppXL_Click() {}
void MainWindow::cmdMotor_Click() {}
void MainWindow::cmdPen_Click() {}
void MainWindow::cmdCheck_Click() {}
void MainWindow::Timer1_Timer() {}
void MainWindow::cmdSpeed_Click() {}
void MainWindow::Timer2_Timer() {}
void MainWindow::check() {}
void MainWindow::setMotionControlsEnabled(bool) {}
void MainWindow::showNotConnected() {}
std::optional<double> MainWindow::stepPeriodSeconds() const { return std::nullopt; }

} // namespace orlex::ui
