// The about box: the program's name, "For personal use only", the version, how the motion
// thread runs and an OK button.
#include "ui/about_box.h"

#include "ui/twips.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace orlex::ui {

AboutBox::AboutBox(const QString& motionText, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About Orlex_plotter"));
    setFixedSize(pixels(4680), pixels(3075));

    QFont bold(QStringLiteral("System"));
    bold.setPointSizeF(9.75);
    bold.setBold(true);

    auto* personalUseLabel = new QLabel(QStringLiteral("For personal use only"), this);
    personalUseLabel->setObjectName(QStringLiteral("personalUseLabel"));
    personalUseLabel->setAlignment(Qt::AlignCenter);
    personalUseLabel->setGeometry(twipsRect(1020, 360, 2775, 255));

    auto* versionLabel = new QLabel(QStringLiteral("Version 1.0"), this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setAlignment(Qt::AlignCenter);
    versionLabel->setFont(bold);
    versionLabel->setGeometry(twipsRect(1020, 720, 2775, 255));

    auto* motionLabel = new QLabel(motionText, this);
    motionLabel->setObjectName(QStringLiteral("motionLabel"));
    motionLabel->setAlignment(Qt::AlignCenter);
    motionLabel->setWordWrap(true);
    motionLabel->setGeometry(twipsRect(240, 1200, 4200, 1000));

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(twipsRect(3120, 2400, 1455, 315));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace orlex::ui
