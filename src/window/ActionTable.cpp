#include "window/ActionTable.h"

#include <QAbstractEventDispatcher>
#include <QWidget>

namespace vk {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint,
                    const QList<QKeySequence>& keys, TActionKind kind, const TIconSource& icons) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    const QString tip = hint.isEmpty() ? caption : hint;
    action->setToolTip(tip);
    action->setStatusTip(tip);
    action->setShortcuts(keys);
    action->setCheckable(kind == TActionKind::Check);
    if (icons) {
        action->setIcon(icons(action->objectName()));
    }
    // Menus show the captions alone; pictures are for the tool bars.
    action->setIconVisibleInMenu(false);
    return action;
}

void AddItems(QWidget* target, std::initializer_list<QAction*> items) {
    for (QAction* item : items) {
        if (item == nullptr) {
            auto* separator = new QAction(target);
            separator->setSeparator(true);
            target->addAction(separator);
        } else {
            target->addAction(item);
        }
    }
}

void RunWhenIdle(QObject* context, std::function<void()> update) {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, context, std::move(update));
    }
}

} // namespace vk
