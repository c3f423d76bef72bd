#include "window_controls.h"

namespace orlex::ui {

namespace {

// Kept as a child of the window, so it lives and dies with it.
struct HeldControls : QObject {
    MainWindowControls controls;
};
constexpr const char* kHeldControlsName = "testControls";

} // namespace

const MainWindowControls& controls(const QMainWindow& window)
{
    auto* held = dynamic_cast<HeldControls*>(
        window.findChild<QObject*>(QLatin1StringView(kHeldControlsName), Qt::FindDirectChildrenOnly));
    if (!held) {
        held = new HeldControls;
        held->setObjectName(QLatin1StringView(kHeldControlsName));
        held->setParent(const_cast<QMainWindow*>(&window));
    }
    MainWindowControls& found = held->controls;
#define ORLEX_FIND_CONTROL(Type, name)                                                                                 \
    if (!found.name)                                                                                                   \
        found.name = dynamic_cast<Type*>(window.findChild<QObject*>(QLatin1StringView(#name)));
    ORLEX_MAIN_WINDOW_CONTROLS(ORLEX_FIND_CONTROL)
#undef ORLEX_FIND_CONTROL
    return found;
}

} // namespace orlex::ui
