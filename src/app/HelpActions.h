#pragma once
// The commands of every window's "Помощь" menu: "Справка", "Vorkalo в
// Интернете", "Письмо в тех.поддержку" and "О программе...".

#include <QList>

class QAction;
class QWidget;

namespace vk {

// An editor opened from another window shares that window's commands
// (`shared`, in the order above); opened alone it makes its own, owned by
// `window`. Always four, in that order.
[[nodiscard]] QList<QAction*> HelpActions(QWidget* window, const QList<QAction*>& shared);

} // namespace vk
