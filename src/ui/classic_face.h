// The compact 8-point dialog face every caption of the windows is laid out for.
#pragma once

class QWidget;

namespace orlex::ui {

// Gives `root` and every child without a font of its own the classic dialog face
// (11 pixels at 96 dpi), and frames whose captions sit on their border.
void applyClassicFace(QWidget* root);

} // namespace orlex::ui
