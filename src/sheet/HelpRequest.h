#pragma once
// Windows below the application layer (editors, dialogs of the sheet) ask for
// a help topic through this hook; the application installs the help viewer
// behind it. Without a handler a request does nothing.

#include "ui/HelpContext.h"

#include <functional>

namespace vk {

using THelpHandler = std::function<void(int context)>;

// Opens the topic of a help context (a window's or a tool's number).
void RequestHelp(int context);
inline void RequestHelp(THelpContext context) { RequestHelp(HelpNumber(context)); }

// Installs the handler (an empty one removes it).
void SetHelpHandler(THelpHandler handler);

} // namespace vk
