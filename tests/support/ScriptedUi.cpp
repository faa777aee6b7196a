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

} // namespace vk::test
