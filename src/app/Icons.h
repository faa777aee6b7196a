#pragma once
// Tool bar pictures drawn by the program itself.

#include <QIcon>
#include <QString>

namespace vk {

// The picture for an action name (acNewProject, acFill, ...); a blank icon for
// names without one.
[[nodiscard]] QIcon MakeIcon(const QString& actionName);

} // namespace vk
