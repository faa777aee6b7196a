#include <QCoreApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Never touch the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
