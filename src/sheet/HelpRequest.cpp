#include "sheet/HelpRequest.h"

#include <utility>

namespace vk {

namespace {
THelpHandler& handler() {
    static THelpHandler instance;
    return instance;
}
} // namespace

void RequestHelp(int context) {
    if (handler()) {
        handler()(context);
    }
}

void SetHelpHandler(THelpHandler newHandler) { handler() = std::move(newHandler); }

} // namespace vk
