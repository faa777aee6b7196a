#pragma once
// Tool bar pictures drawn by the program itself.

#include <QIcon>
#include <QString>

namespace vk {

// The picture for an action name (acNewProject, acFill, ...); a null icon for
// names without one, such as the items of the menu bar itself, which show text.
[[nodiscard]] QIcon MakeIcon(const QString& actionName);

} // namespace vk
