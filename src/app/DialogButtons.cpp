#include "app/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace vk {

TDialogButtons MakeDialogButtons(QDialog* dialog, std::function<void()> help) {
    TDialogButtons b;
    b.Ok = new QPushButton(QStringLiteral("OK"), dialog);
    b.Ok->setObjectName(QStringLiteral("btnOk"));
    b.Ok->setDefault(true);
    b.Cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    b.Cancel->setObjectName(QStringLiteral("btnCancel"));
    b.Cancel->setAutoDefault(false);
    QObject::connect(b.Ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(b.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    b.Row = new QHBoxLayout;
    b.Row->addStretch(1);
    b.Row->addWidget(b.Ok);
    b.Row->addWidget(b.Cancel);
    if (help) {
        b.Help = new QPushButton(QStringLiteral("Помощь"), dialog);
        b.Help->setObjectName(QStringLiteral("btnHelp"));
        b.Help->setAutoDefault(false);
        QObject::connect(b.Help, &QPushButton::clicked, dialog, std::move(help));
        b.Row->addWidget(b.Help);
    }
    return b;
}

} // namespace vk
