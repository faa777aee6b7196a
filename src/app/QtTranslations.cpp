#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vk {

TQtTranslations::TQtTranslations() = default;

TQtTranslations::~TQtTranslations() {
    for (const std::unique_ptr<QTranslator>& translator : m_translators) {
        QCoreApplication::removeTranslator(translator.get());
    }
}

bool TQtTranslations::Install() {
    if (Installed()) {
        return true;
    }
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // qtbase holds the texts of the widgets and the standard dialogs.
    for (const QString& catalogue : {QStringLiteral("qtbase")}) {
        for (const QString& folder : folders) {
            auto translator = std::make_unique<QTranslator>();
            if (translator->load(russian, catalogue, QStringLiteral("_"), folder)) {
                QCoreApplication::installTranslator(translator.get());
                m_translators.push_back(std::move(translator));
                break;
            }
        }
    }
    return Installed();
}

} // namespace vk
