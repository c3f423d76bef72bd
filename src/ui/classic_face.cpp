// The compact dialog face and frame style shared by the main window and the dialogs.
#include "ui/classic_face.h"

#include <QFont>
#include <QWidget>

namespace orlex::ui {

void applyClassicFace(QWidget* root)
{
    // The first of these faces that is installed comes closest to the classic widths.
    QFont font = root->font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(11);
    root->setFont(font);
    // Frame captions sit on the frame's border, so the frame's whole height is its inside.
    root->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                       " left: 6px; padding: 0px 1px; }"));
    // The style sheet would hand the frames' contents the application's font: give every
    // control without a font of its own the dialog face explicitly.
    for (QWidget* w : root->findChildren<QWidget*>())
        if (!w->testAttribute(Qt::WA_SetFont))
            w->setFont(font);
}

} // namespace orlex::ui
