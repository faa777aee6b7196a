#pragma once
// What every test program does before its tests: settings that never touch
// the user's own and never leak from one run into the next, then one
// application object. The mains differ only in that object and in whether
// the program links the model, whose element kinds must be registered.

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vk::test {

template <class Application>
int RunAllTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}

// Headless unless the caller chose a platform (xvfb-run for screenshots).
inline void ChooseOffscreenUnlessNamed() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

} // namespace vk::test
