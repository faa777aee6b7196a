#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace vk::test {

TScriptedUi::TScriptedUi() { setUserInterface(this); }

TScriptedUi::~TScriptedUi() { setUserInterface(nullptr); }

TAnswer TScriptedUi::message(TMessageKind kind, const QString& text, TButtons buttons) {
    messages.push_back({kind, text, buttons});
    if (buttons == TButtons::Ok) {
        return TAnswer::Ok;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return TAnswer::Cancel;
    }
    const TAnswer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::optional<QString> TScriptedUi::inputText(const QString& caption, const QString& prompt,
                                              const QString& value) {
    inputs.push_back({caption, prompt, value});
    if (m_texts.empty()) {
        ADD_FAILURE() << "unexpected input box: " << caption.toStdString();
        return std::nullopt;
    }
    const bool typed = m_texts.front().has_value();
    const QString text = typed ? *m_texts.front() : QString();
    m_texts.pop_front();
    if (!typed) {
        return std::nullopt;
    }
    return text;
}

namespace {
class TRecordedProgress final : public TProgress {
public:
    TRecordedProgress(TScriptedUi::Progress& record, int cancelAt) : m_record(record), m_cancelAt(cancelAt) {}
    ~TRecordedProgress() override { m_record.closed = true; }
    bool report(qint64 done) override {
        m_record.reports.push_back(done);
        return m_cancelAt <= 0 || int(m_record.reports.size()) < m_cancelAt;
    }

private:
    TScriptedUi::Progress& m_record;
    int m_cancelAt;
};
} // namespace

std::unique_ptr<TProgress> TScriptedUi::progress(const QString& text, qint64 total, bool cancellable) {
    progresses.push_back({text, total, cancellable, {}, false});
    int cancelAt = 0;
    if (cancellable && !m_cancelAt.empty()) {
        cancelAt = m_cancelAt.front();
        m_cancelAt.pop_front();
    }
    return std::make_unique<TRecordedProgress>(progresses.back(), cancelAt);
}

std::optional<QString> TScriptedUi::nextFile(const FileDialog& dialog) {
    fileDialogs.push_back(dialog);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << dialog.caption.toStdString();
        return std::nullopt;
    }
    const bool chosen = m_files.front().has_value();
    const QString path = chosen ? *m_files.front() : QString();
    m_files.pop_front();
    if (!chosen) {
        return std::nullopt;
    }
    return path;
}

std::optional<QString> TScriptedUi::saveFileName(const QString& caption, const QString& folder,
                                                 const QString& filter, const QString& name) {
    return nextFile({true, caption, folder, filter, name});
}

std::optional<QString> TScriptedUi::openFileName(const QString& caption, const QString& folder,
                                                 const QString& filter) {
    return nextFile({false, caption, folder, filter, QString()});
}

} // namespace vk::test
