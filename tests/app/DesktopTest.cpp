// The program among the desktop's own texts.

#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QString>
#include <gtest/gtest.h>

namespace {

bool hasCyrillic(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) {
            return true;
        }
    }
    return false;
}

// Qt's file dialogs and the context menus of text fields spoke English in
// a Russian program.
TEST(Desktop, QtOwnTextsAreRussianWhileTheCataloguesAreInstalled) {
    struct Text {
        const char* context;
        const char* source;
    };
    const Text texts[] = {
        {"QLineEdit", "&Copy"},
        {"QFileDialog", "File &name:"},
        {"QPlatformTheme", "Cancel"},
    };
    {
        vk::TQtTranslations translations;
        ASSERT_TRUE(translations.Install()) << "Qt's Russian catalogues (qt6-translations-l10n) are not installed";
        for (const Text& text : texts) {
            EXPECT_TRUE(hasCyrillic(QCoreApplication::translate(text.context, text.source)))
                << text.context << " " << text.source;
        }
    }
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("&Copy"))
        << "the catalogues leave with their holder";
}

} // namespace
