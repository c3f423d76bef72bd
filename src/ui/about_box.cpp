// The about box: the program's name, "For personal use only", the version and an OK button.
#include "ui/about_box.h"

#include "ui/twips.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace orlex::ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Orlex_plotter"));
    setFixedSize(pixels(4680), pixels(3075));

    QFont bold(QStringLiteral("System"));
    bold.setPointSizeF(9.75);
    bold.setBold(true);

    auto* personal = new QLabel(QStringLiteral("For personal use only"), this);
    personal->setObjectName(QStringLiteral("lblPersonalUse"));
    personal->setAlignment(Qt::AlignCenter);
    personal->setGeometry(twipsRect(1020, 360, 2775, 255));

    auto* version = new QLabel(QStringLiteral("Version 1.0"), this);
    version->setObjectName(QStringLiteral("Label3"));
    version->setAlignment(Qt::AlignCenter);
    version->setFont(bold);
    version->setGeometry(twipsRect(1020, 720, 2775, 255));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(twipsRect(3120, 2400, 1455, 315));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace orlex::ui
