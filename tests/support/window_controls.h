// The main window's controls as tests reach them: by their object names, which are the
// names of the members that hold them in the window.
#pragma once

#include "ui/main_window.h"
#include "ui/main_window_controls.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

namespace orlex::ui {

// The controls of `window`, looked up once and kept with it; one the window has not made
// (yet) is null and looked up again on the next call.
const MainWindowControls& controls(const QMainWindow& window);

} // namespace orlex::ui
