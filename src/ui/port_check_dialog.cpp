// The port check's dialog: the report in a read-only text box, "Copy" and "Close".
#include "ui/port_check_dialog.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlex::ui {

PortCheckDialog::PortCheckDialog(const QString& report, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("portCheckDialog"));
    setWindowTitle(QStringLiteral("Port check"));
    resize(760, 520);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("reportText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap); // one finding a line, as in a terminal
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(report);

    auto* copyButton = new QPushButton(QStringLiteral("Copy"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    connect(copyButton, &QPushButton::clicked, this, [report] { QGuiApplication::clipboard()->setText(report); });
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copyButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addLayout(buttons);
}

} // namespace orlex::ui
