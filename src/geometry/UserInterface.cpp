#include "geometry/UserInterface.h"

#include <cstdio>

namespace vk {

namespace {
THeadlessUserInterface& headless() {
    static THeadlessUserInterface instance;
    return instance;
}
TUserInterface* current = nullptr;
} // namespace

TAnswer THeadlessUserInterface::message(TMessageKind, const QString& text, TButtons buttons) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    switch (buttons) {
    case TButtons::YesNo:
    case TButtons::YesNoCancel:
        return TAnswer::Yes;
    case TButtons::Ok:
    case TButtons::OkCancel:
        break;
    }
    return TAnswer::Ok;
}

std::optional<QString> THeadlessUserInterface::inputText(const QString&, const QString&,
                                                          const QString&) {
    return std::nullopt;
}

TUserInterface& ui() { return current ? *current : headless(); }

void setUserInterface(TUserInterface* userInterface) { current = userInterface; }

} // namespace vk
