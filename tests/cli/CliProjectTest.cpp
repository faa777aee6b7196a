// vorkalo-cli with project files: fill -o saves the laid project, report
// reads it back as it stands, and fill lays a saved project anew.

#include "support/CliRun.h"
#include "support/SceneJson.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using TRun = vk::test::TResult;
using vk::test::readAll;

TRun cli(const QStringList& args) { return vk::test::run(args); }

// A yard with a curved side paved with the starter library's pavers.
const char* const kScene = R"({
  "tile": {"library": "Брусчатка 200×100×60"}, "pattern": {"library": "Вперевязку"},
  "border": [{"segment": [[0,0],[3000,0]]}, {"segment": [[3000,0],[3000,2000]]},
             {"arc": {"centre": [1500,2000], "start": [3000,2000], "sweep": 180}},
             {"segment": [[0,2000],[0,0]]}],
  "start": [10, 10], "orientation": 15})";

class CliProject : public ::testing::Test {
protected:
    void SetUp() override {
        const TRun made = vk::test::runProgram(QStringLiteral(STARTER_TOOL), {QStringLiteral(STARTER_DESCRIPTION), db()});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        QFile scene(dir.file("yard.json"));
        ASSERT_TRUE(scene.open(QIODevice::WriteOnly));
        scene.write(kScene);
    }
    [[nodiscard]] QString db() const { return dir.file("DB"); }
    vk::test::TTempDir dir;
};

} // namespace

TEST_F(CliProject, ASavedFillReportsAsItWasLaidAndLaysAgainTheSame) {
    const QString saved = dir.file("yard.mpp");
    const TRun filled = cli({"fill", dir.file("yard.json"), "--db", db(), "-o", saved});
    ASSERT_EQ(filled.code, 0) << filled.err.toStdString();
    EXPECT_TRUE(filled.err.isEmpty()) << filled.err.toStdString();
    EXPECT_TRUE(filled.out.contains(QStringLiteral("половинок")));

    const TRun reported = cli({"report", saved, "--db", db()});
    ASSERT_EQ(reported.code, 0) << reported.err.toStdString();
    EXPECT_EQ(reported.out, filled.out);
    const TRun filledJson = cli({"fill", dir.file("yard.json"), "--db", db(), "--json", "--tiles"});
    const TRun reportedJson = cli({"report", saved, "--db", db(), "--json", "--tiles"});
    ASSERT_EQ(reportedJson.code, 0);
    EXPECT_EQ(reportedJson.out, filledJson.out) << "the same tiles in the same order";

    // The saved project laid anew is the same project.
    const QString again = dir.file("again.mpp");
    const TRun refilled = cli({"fill", saved, "--db", db(), "-o", again});
    ASSERT_EQ(refilled.code, 0) << refilled.err.toStdString();
    EXPECT_EQ(refilled.out, filled.out);
    EXPECT_EQ(readAll(again), readAll(saved));
}

TEST_F(CliProject, WhatItCannotReadOrWriteIsNamed) {
    QFile junk(dir.file("junk.mpp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a project");
    junk.close();
    const struct {
        const char* name;
        QStringList args;
        int code;
        QString err;
    } cases[] = {
        {"not a project", {"report", dir.file("junk.mpp"), "--db", db()}, 1, "Файл не является файлом проекта"},
        {"no such project", {"report", dir.file("none.mpp"), "--db", db()}, 1, "none.mpp"},
        {"no file named", {"report", "--db", db()}, 2, "не указан файл проекта"},
        {"-o belongs to fill", {"report", dir.file("junk.mpp"), "-o", dir.file("x.mpp")}, 2, "неизвестный параметр"},
        {"-o without a file", {"fill", dir.file("yard.json"), "-o"}, 2, "после -o"},
        {"an output folder that is not there",
         {"fill", dir.file("yard.json"), "--db", db(), "-o", dir.file("no/folder/x.mpp")}, 1, "Не удалось сохранить проект"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
}

TEST_F(CliProject, OutputWritesThroughLinksKeepsPermissionsAndRefusesWhatIsNoWritableFile) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString real = dir.file("real/yard.mpp");
    QFile::copy(dir.file("yard.json"), real); // something to replace
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0604), 0);
    ASSERT_TRUE(QFile::link(real, dir.file("link.mpp")));
    const TRun linked = cli({"fill", dir.file("yard.json"), "--db", db(), "-o", dir.file("link.mpp")});
    ASSERT_EQ(linked.code, 0) << linked.err.toStdString();
    EXPECT_TRUE(QFileInfo(dir.file("link.mpp")).isSymLink());
    EXPECT_TRUE(readAll(real).startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    const QString readOnly = dir.file("read-only.mpp");
    QFile::copy(dir.file("yard.json"), readOnly);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo.mpp")).constData(), 0644), 0);
    const struct {
        const char* name;
        QString path;
        QString reason;
    } cases[] = {
        {"read-only file", readOnly, QStringLiteral("только для чтения")},
        {"folder", dir.file("real"), QStringLiteral("папка")},
        {"FIFO", dir.file("fifo.mpp"), QStringLiteral("не обычный файл")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun r = cli({"fill", dir.file("yard.json"), "--db", db(), "-o", c.path});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(readAll(readOnly), readAll(dir.file("yard.json")));
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(CliProject, ALibraryThatCannotBeUsedIsNamedWithItsOwnMessageAndFails) {
    const QString saved = dir.file("yard.mpp");
    ASSERT_EQ(cli({"fill", dir.file("yard.json"), "--db", db(), "-o", saved}).code, 0);
    // A damaged table file.
    QFile tiles(dir.file("DB/tiles.cds"));
    ASSERT_TRUE(tiles.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tiles.write(QByteArray(4096, 'x'));
    tiles.close();
    const struct {
        const char* name;
        QStringList args;
    } cases[] = {
        {"report of a project", {"report", saved, "--db", db()}},
        {"fill of a project", {"fill", saved, "--db", db()}},
        {"fill of a scene with a library tile", {"fill", dir.file("yard.json"), "--db", db()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun r = cli(c.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Файл библиотеки плиток")) && r.err.contains(QStringLiteral("не открыт")))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

TEST_F(CliProject, ALibraryFolderThatIsNotThereIsAnErrorNotANewLibrary) {
    const QString saved = dir.file("yard.mpp");
    ASSERT_EQ(cli({"fill", dir.file("yard.json"), "--db", db(), "-o", saved}).code, 0);
    const QString missing = dir.file("no-such-DB");
    for (const QStringList& args : {QStringList{"report", saved, "--db", missing},
                                    QStringList{"fill", dir.file("yard.json"), "--db", missing}}) {
        SCOPED_TRACE(args.first().toStdString());
        const TRun r = cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(missing)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(missing)) << "no empty library made";
    }
}

TEST_F(CliProject, ALibraryTileWithoutAnOutlineIsRefusedNamingIt) {
    // The starter paver with its outline taken out of the library's tables,
    // as a tile saved before its outline was drawn.
    {
        QSqlDatabase tables = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("strip"));
        tables.setDatabaseName(dir.file("DB/tiles.cds"));
        ASSERT_TRUE(tables.open());
        QSqlQuery query(tables);
        ASSERT_TRUE(query.exec(QStringLiteral("ATTACH DATABASE '%1' AS p").arg(dir.file("DB/primitives.cds"))));
        ASSERT_TRUE(query.exec(QStringLiteral("DELETE FROM p.primitives WHERE TileID IN "
                                              "(SELECT TileID FROM tiles WHERE TileName = 'Брусчатка 200×100×60')")));
        EXPECT_GT(query.numRowsAffected(), 0);
        tables.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("strip"));
    const TRun r = cli({"fill", dir.file("yard.json"), "--db", db()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("У плитки \"Брусчатка 200×100×60\" нет контура"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliProject, AnEmptyOutputNameIsABadArgument) {
    const TRun r = cli({"fill", dir.file("yard.json"), "--db", db(), "-o", ""});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("после -o"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// A project names its tile and pattern by library identifiers only. Read with
// a library that does not hold them, "report" printed its pieces under blank
// part and half names with exit 0, and "fill" blamed a tile "Безымянная".
TEST_F(CliProject, AProjectWhoseTileTheLibraryLacksIsRefusedNotReportedNameless) {
    const QString saved = dir.file("yard.mpp");
    ASSERT_EQ(cli({"fill", dir.file("yard.json"), "--db", db(), "-o", saved}).code, 0);
    const QString other = dir.file("other-DB");
    ASSERT_TRUE(QDir().mkpath(other));
    for (const QStringList& args : {QStringList{"report", saved, "--db", other},
                                    QStringList{"report", saved, "--db", other, "--json"},
                                    QStringList{"fill", saved, "--db", other}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TRun r = cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("В библиотеке нет плитки проекта"))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}
