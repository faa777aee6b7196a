#pragma once
// The user interface of the running program: real message and input boxes.

#include "ui/UserInterface.h"

class QWidget;

namespace vk {

class TWidgetUserInterface final : public TUserInterface {
public:
    TAnswer message(TMessageKind kind, const QString& text, TButtons buttons) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& value) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& folder, const QString& filter,
                                        const QString& name) override;
    std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                        const QString& filter) override;
    std::unique_ptr<TProgress> progress(const QString& text, qint64 total, bool cancellable) override;
};

} // namespace vk
