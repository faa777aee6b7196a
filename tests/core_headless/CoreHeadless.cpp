// The core (geometry, model, library) must run without QtWidgets: in tests,
// benchmarks and the command-line tool.

#include "geometry/NumberFormat.h"
#include "model/Config.h"

#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

TEST(CoreHeadless, LinkClosureOfTheCoreHasNoWidgets) {
    QFile file(QStringLiteral(CORE_LINK_CLOSURE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << CORE_LINK_CLOSURE;
    const QStringList targets = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_TRUE(targets.contains(QStringLiteral("vk_geometry")));
    // The user-interface seam sits below the core and must stay as headless.
    ASSERT_TRUE(targets.contains(QStringLiteral("vk_ui")));
    for (const QString& t : targets) {
        EXPECT_FALSE(t.contains(QStringLiteral("Widgets"))) << t.toStdString();
        EXPECT_FALSE(t.contains(QStringLiteral("PrintSupport"))) << t.toStdString();
    }
}

TEST(CoreHeadless, ProcessHasNoWidgetsLibraryLoaded) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray text = maps.readAll();
    EXPECT_FALSE(text.contains("libQt6Widgets")) << "the core pulled in QtWidgets";
}

TEST(CoreHeadless, CoreRunsWithoutAGuiApplication) {
    vk::TGlobalConfig config;
    config.SetDefaults();
    EXPECT_EQ(config.DisplayUnits, 100);
    EXPECT_EQ(vk::trimZeros(vk::formatF(12.5)).size(), 4);
}
