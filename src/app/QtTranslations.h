#pragma once
// Qt's own dialogs and menus (file dialogs, the context menus of text
// fields, the buttons of standard boxes) speak Russian, as the rest of the
// program does, whatever language the desktop is set to.

#include <QString>
#include <memory>
#include <vector>

class QTranslator;

namespace vk {

class TQtTranslations {
public:
    TQtTranslations();
    // The catalogues leave the application with their holder.
    ~TQtTranslations();
    TQtTranslations(const TQtTranslations&) = delete;
    TQtTranslations& operator=(const TQtTranslations&) = delete;

    // Loads Qt's Russian catalogues from Qt's translations folder, or from
    // "translations" beside the executable, and installs them. False when
    // none was found (Qt then speaks English; nothing else changes).
    bool Install();
    [[nodiscard]] bool Installed() const { return !m_translators.empty(); }

private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

} // namespace vk
