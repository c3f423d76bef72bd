// Icons drawn by the program itself: the jog arrows, the pen and the program icon.
#pragma once

#include <QIcon>
#include <QImage>

namespace orlex::ui {

enum class Arrow { Up, Down, Left, Right };

inline constexpr int kButtonIconSize = 32;

// A black arrow; its second look, a blue outlined arrow, is the Disabled, Selected and
// On image of the icon.
QIcon arrowIcon(Arrow direction);
QImage arrowImage(Arrow direction, bool secondLook);

// A black pen; its second look, a red pen, is the Disabled, Selected and On image.
QIcon penIcon();
QImage penImage(bool secondLook);

// A small plotter: bed with paper, gantry, pen carriage and a drawn curve.
QImage programIconImage(int size);
QIcon programIcon(); // the same at the usual sizes

} // namespace orlex::ui
