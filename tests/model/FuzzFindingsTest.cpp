// Files the project reader's fuzzer found troublesome (scripts/fuzz.sh), kept
// as fixtures: each is read without a crash and leaves a project that still
// reports and saves.

#include "model/Project.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vk;

TEST(FuzzFindings, EveryFindingReadsWithoutACrash) {
    const QDir folder(QStringLiteral(FUZZ_FINDINGS));
    const QStringList files = folder.entryList({QStringLiteral("*.mpp")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << FUZZ_FINDINGS;
    test::TTempDir dir;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        test::TScriptedUi ui;
        TProject project;
        const bool read = project.LoadFromFile(folder.filePath(name));
        if (!read) {
            ASSERT_FALSE(ui.messages.empty()) << "a failure is told";
            EXPECT_EQ(ui.messages.back().kind, TMessageKind::Error);
        }
        (void)project.Report();
        EXPECT_TRUE(project.SaveToFile(dir.file("again.mpp")));
    }
}

// A border element whose coordinates lie beyond what the region algebra
// takes: reading it once ended the program.
TEST(FuzzFindings, ABorderBeyondTheRegionRangeIsRead) {
    test::TScriptedUi ui;
    TProject project;
    EXPECT_TRUE(project.LoadFromFile(QStringLiteral(FUZZ_FINDINGS "/border-beyond-clipper-range.mpp")));
    EXPECT_GT(project.Elements().Count(), 0);
}
