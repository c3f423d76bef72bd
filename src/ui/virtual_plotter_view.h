// "Virtual plotter": the simulated machine seen from above, to scale, updated live.
#pragma once

#include "drive/ports/virtual_plotter.h"
#include "settings/variabile.h"

#include <QWidget>

namespace orlex::ui {

class VirtualPlotterView : public QWidget {
    Q_OBJECT
public:
    VirtualPlotterView(VirtualPlotter& plotter, const Variabile& settings, QWidget* parent = nullptr);
};

} // namespace orlex::ui
