#pragma once
// The save dialog as the program's commands use it: one that asks before a
// file is replaced.

#include <QString>

#include <optional>

namespace vk {

// The file to write, `suffix` (without the dot) added when the name chosen
// has none; nullopt when the user cancels. Declining to replace an existing
// file opens the dialog again where the user left it.
[[nodiscard]] std::optional<QString> AskSaveFile(const QString& caption, QString folder, const QString& filter,
                                                 QString suggested, const QString& suffix);

} // namespace vk
