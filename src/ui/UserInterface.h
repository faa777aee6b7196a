#pragma once
// Everything the core asks the user goes through this interface. The GUI
// installs an implementation with real dialogs; tests install a scripted fake;
// the command-line tool keeps the headless default, which answers every
// question with its default and writes messages to standard error.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vk {

enum class TMessageKind { Warning, Information, Confirmation, Error };

enum class TAnswer { Ok, Cancel, Yes, No };

enum class TButtons { Ok, OkCancel, YesNo, YesNoCancel };

// A long task the user waits for, shown while the object lives.
class TProgress {
public:
    virtual ~TProgress() = default;
    // `done` of the total the task began with. False once the user has
    // asked to stop; the task then stops as soon as it can. A task that
    // cannot be stopped is never told to.
    virtual bool report(qint64 done) = 0;
};

class TUserInterface {
public:
    virtual ~TUserInterface() = default;

    // A modal message box. Returns the button the user chose.
    virtual TAnswer message(TMessageKind kind, const QString& text, TButtons buttons) = 0;

    // An input box with a caption, a prompt and a preset text. nullopt when
    // the user cancels.
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& value) = 0;

    // A file dialog: the file name chosen, nullopt when the user cancels.
    // `filter` is written as pairs "description|patterns|description|patterns"
    // (QtFileFilter turns it into Qt's form). A save dialog does not ask
    // about replacing an existing file: its caller asks. Without dialogs
    // (the default) every file dialog is cancelled.
    virtual std::optional<QString> saveFileName(const QString& caption, const QString& folder,
                                                const QString& filter, const QString& name);
    virtual std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                                const QString& filter);

    // Shows the progress of a task, with `text` and a bar up to `total`,
    // until the returned object goes; the program's windows keep repainting
    // meanwhile. "Отмена" is offered only when `cancellable`. Without a
    // window (the default) nothing is shown and nothing is stopped.
    virtual std::unique_ptr<TProgress> progress(const QString& text, qint64 total, bool cancellable);

    // Convenience wrappers.
    void warning(const QString& text) { message(TMessageKind::Warning, text, TButtons::Ok); }
    void information(const QString& text) { message(TMessageKind::Information, text, TButtons::Ok); }
    void error(const QString& text) { message(TMessageKind::Error, text, TButtons::Ok); }
    TAnswer confirm(const QString& text, TButtons buttons = TButtons::YesNo) {
        return message(TMessageKind::Confirmation, text, buttons);
    }
};

// "Проекты плиток (*.mpp)|*.mpp|Все файлы (*.*)|*.*" as Qt writes it:
// "Проекты плиток (*.mpp);;Все файлы (*)" ("*.*" would miss names without a dot).
[[nodiscard]] QString QtFileFilter(const QString& filter);

// Answers as a user who always takes the default would: OK, Yes; no input.
class THeadlessUserInterface final : public TUserInterface {
public:
    TAnswer message(TMessageKind kind, const QString& text, TButtons buttons) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& value) override;
};

// The interface in force. Never null: the headless one until another is set.
[[nodiscard]] TUserInterface& ui();

// Installs an interface (not owned; nullptr restores the headless default).
void setUserInterface(TUserInterface* userInterface);

} // namespace vk
