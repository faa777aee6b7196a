#pragma once
// A user who answers from a script. Every message and question is recorded;
// answers are taken in order, and a question with no scripted answer fails
// the test instead of blocking.

#include "ui/UserInterface.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace vk::test {

class TScriptedUi final : public TUserInterface {
public:
    TScriptedUi();
    ~TScriptedUi() override;

    struct Message {
        TMessageKind kind;
        QString text;
        TButtons buttons;
    };
    struct Input {
        QString caption;
        QString prompt;
        QString value;
    };
    struct FileDialog {
        bool save = false;
        QString caption;
        QString folder;
        QString filter;
        QString name;
    };

    struct Progress {
        QString text;
        qint64 total = 0;
        bool cancellable = false;
        std::vector<qint64> reports; // every value reported, in order
        bool closed = false;
    };

    // Answers for message boxes with more than an OK button, in order.
    void answer(TAnswer a) { m_answers.push_back(a); }
    // Texts typed into input boxes; nullopt means Cancel.
    void type(std::optional<QString> text) { m_texts.push_back(std::move(text)); }
    // File names chosen in file dialogs, in order; nullopt means Cancel.
    void chooseFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }

    // The user stops the next cancellable task at its `report`-th report (from 1).
    void cancelProgressAt(int report) { m_cancelAt.push_back(report); }

    TAnswer message(TMessageKind kind, const QString& text, TButtons buttons) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& value) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& folder, const QString& filter,
                                        const QString& name) override;
    std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                        const QString& filter) override;
    std::unique_ptr<TProgress> progress(const QString& text, qint64 total, bool cancellable) override;

    std::vector<Message> messages;
    std::vector<Input> inputs;
    std::vector<FileDialog> fileDialogs;
    // Shown progress; the front entries stay valid while later ones are added.
    std::deque<Progress> progresses;

    [[nodiscard]] bool allAnswersUsed() const {
        return m_answers.empty() && m_texts.empty() && m_files.empty() && m_cancelAt.empty();
    }

private:
    std::deque<TAnswer> m_answers;
    std::deque<std::optional<QString>> m_texts;
    std::deque<std::optional<QString>> m_files;
    std::deque<int> m_cancelAt;

    std::optional<QString> nextFile(const FileDialog& dialog);
};

} // namespace vk::test
