// The table files: created when missing, left alone when present, refused
// (and still left alone) when they are not files of the library.

#include "LibraryTestSupport.h"
#include "library/LibraryStore.h"
#include "library/TileDB.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

struct TExpectedTable {
    const char* file;
    const char* table;
    std::vector<std::pair<QString, QString>> fields; // name, column type
    const char* versionType;                         // typeof() of the Version value, or null
};

// Written out here rather than taken from the schema definitions, so that a
// change there that loses or retypes a field is caught.
const std::vector<TExpectedTable>& ExpectedTables() {
    static const std::vector<TExpectedTable> tables{
        {"tiles.cds", "Tiles",
         {{"TileID", "INTEGER"}, {"TileName", "TEXT"}, {"TileModified", "TEXT"},
          {"TileBasePoint", "BLOB"}, {"Thickness", "REAL"}, {"Comment", "TEXT"}},
         "integer"},
        {"primitives.cds", "Primitives",
         {{"TileID", "INTEGER"}, {"PrimKind", "INTEGER"}, {"PrimVersion", "INTEGER"},
          {"PrimGraphicInfo", "BLOB"}, {"LineStyle", "INTEGER"}},
         "integer"},
        {"collages.cds", "Collages",
         {{"TileID", "INTEGER"}, {"CollageID", "INTEGER"}, {"CollageName", "TEXT"},
          {"CollageModified", "TEXT"}, {"CollageBasePoint", "BLOB"}},
         "integer"},
        {"collagetiles.cds", "CollageTiles",
         {{"CollageID", "INTEGER"}, {"TilePlacementKind", "INTEGER"},
          {"TilePlacementVersion", "INTEGER"}, {"TilePlacementInfo", "BLOB"}},
         "integer"},
        {"nextcollagetiles.cds", "NextCollageTiles",
         {{"CollageID", "INTEGER"}, {"CollageHandPoint", "BLOB"}, {"HandPointKind", "INTEGER"},
          {"HandPointVersion", "INTEGER"}},
         "integer"},
        {"parts.cds", "Parts",
         {{"TileID", "INTEGER"}, {"PartID", "INTEGER"}, {"PartName", "TEXT"}, {"Equals", "INTEGER"}},
         "text"},
        {"contours.cds", "Contours",
         {{"PartID", "INTEGER"}, {"ContourID", "INTEGER"}, {"ContourName", "TEXT"}},
         nullptr},
        {"sizes.cds", "SizeScale",
         {{"ID", "INTEGER"}, {"SizeX", "REAL"}, {"SizeY", "REAL"}, {"PositiveX", "REAL"},
          {"PositiveY", "REAL"}, {"Scale", "REAL"}, {"X", "REAL"}, {"Y", "REAL"}},
         "integer"},
    };
    return tables;
}

QStringList ExpectedFileNames() {
    QStringList names;
    for (const TExpectedTable& t : ExpectedTables()) {
        names << QString::fromLatin1(t.file);
    }
    names.sort();
    return names;
}

// A library with one row in each table, made through the adapter and closed.
void MakeFilledLibrary(const QString& folder) {
    TLibraryStore store(folder);
    TLibraryTransaction transaction(store);
    store.AppendTile({101, QStringLiteral("Плитка"), QDateTime::currentDateTime(), {1, 2, 1}, 60, {}});
    store.AppendPrimitive({101, 0, 0, QByteArray(18, '\1'), 0});
    store.AppendCollage({101, 201, QStringLiteral("Ёлочка"), {}, {}});
    store.AppendCollageTile({201, 1, 0, QByteArray(23, '\2')});
    store.AppendNextCollageTile({201, QByteArray(9, '\3'), 2, 0});
    store.AppendPart({101, 301, QStringLiteral("Пополам"), true});
    store.AppendContour({301, 401, QStringLiteral("Левая")});
    store.WriteView(101, {1, 2, 3, 4, 5, 6, 7});
    transaction.Commit();
}

TEST(LibraryFiles, MissingFolderAndFilesAreCreatedAsEmptyTablesWithTheirFields) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("prog/DB"));
    TScriptedUi ui;
    {
        TTileDB db(folder);
        ASSERT_TRUE(db.IsAvailable()) << db.ErrorText().toStdString();
        EXPECT_TRUE(ui.messages.empty());
        // Only the eight files: no temporary, journal or WAL file stays behind.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), ExpectedFileNames());
    }
    for (const TExpectedTable& expected : ExpectedTables()) {
        SCOPED_TRACE(expected.file);
        TRawTable raw(QDir(folder).filePath(QString::fromLatin1(expected.file)));
        const QString table = QString::fromLatin1(expected.table);
        std::vector<std::pair<QString, QString>> fields;
        bool orderColumnIsKey = false;
        for (const QVariantList& column : raw.Rows(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
            const QString name = column.at(1).toString();
            if (name == QLatin1String(kOrderColumn)) {
                orderColumnIsKey = column.at(5).toInt() == 1 && column.at(2).toString() == "INTEGER";
                continue;
            }
            fields.emplace_back(name, column.at(2).toString());
        }
        EXPECT_EQ(fields, expected.fields);
        EXPECT_TRUE(orderColumnIsKey);
        EXPECT_EQ(raw.Value(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt(), 0);
        EXPECT_EQ(raw.Value(QStringLiteral("PRAGMA journal_mode")).toString(), "delete");
        const QList<QVariantList> version =
            raw.Rows(QStringLiteral("SELECT Value, typeof(Value) FROM TableParams WHERE Name = 'Version'"));
        if (expected.versionType == nullptr) {
            EXPECT_TRUE(version.isEmpty());
        } else {
            ASSERT_EQ(version.size(), 1);
            EXPECT_EQ(version.front().at(0).toString(), "1");
            EXPECT_EQ(version.front().at(1).toString(), QLatin1String(expected.versionType));
        }
    }
}

TEST(LibraryFiles, PresentFilesStayByteIdenticalWhileMissingOnesAreCreated) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    MakeFilledLibrary(folder);
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath("primitives.cds")));
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath("sizes.cds")));
    const TFolderSnapshot before = SnapshotFolder(folder);
    ASSERT_EQ(before.size(), 6);

    TScriptedUi ui;
    {
        TTileDB db(folder);
        ASSERT_TRUE(db.IsAvailable()) << db.ErrorText().toStdString();
        // Opening reads only: the six files are untouched while open too.
        for (auto it = before.begin(); it != before.end(); ++it) {
            EXPECT_EQ(ReadBytes(QDir(folder).filePath(it.key())), it.value()) << it.key().toStdString();
        }
        TLibraryStore& store = *db.Store();
        ASSERT_TRUE(store.FindTile(101).has_value());
        EXPECT_EQ(store.FindTile(101)->TileName, QStringLiteral("Плитка"));
        EXPECT_TRUE(store.ReadPrimitives(101).empty());
        EXPECT_FALSE(store.ReadView(101).has_value());
        EXPECT_EQ(store.ReadParts(101).size(), 1u);
    }
    const TFolderSnapshot after = SnapshotFolder(folder);
    for (auto it = before.begin(); it != before.end(); ++it) {
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(QStringList(after.keys()), ExpectedFileNames());
    EXPECT_TRUE(ui.messages.empty());
}

// Each case spoils one file of a complete library in its own way.
struct TForeignFileCase {
    const char* name;
    const char* file;
    std::function<void(const QString& path, const QString& folder)> spoil;
    const char* reason; // part of the message
};

void MakeSqliteFile(const QString& path, const QStringList& statements) {
    QFile::remove(path);
    TRawTable raw(path, false);
    for (const QString& s : statements) {
        raw.Exec(s);
    }
}

const std::vector<TForeignFileCase>& ForeignFileCases() {
    static const std::vector<TForeignFileCase> cases{
        {"text file", "tiles.cds",
         [](const QString& path, const QString&) { WriteBytes(path, "TileID;TileName\n1;Плитка\n"); },
         "это не файл базы данных"},
        {"empty file", "sizes.cds", [](const QString& path, const QString&) { WriteBytes(path, {}); },
         "это не файл базы данных"},
        {"SQLite file of another program", "parts.cds",
         [](const QString& path, const QString&) {
             MakeSqliteFile(path, {"CREATE TABLE Parts (TileID INTEGER, PartID INTEGER, PartName TEXT, "
                                   "Equals INTEGER)",
                                   "INSERT INTO Parts VALUES (1, 2, 'x', 0)"});
         },
         "файл записан другой программой"},
        {"library file of another table", "contours.cds",
         [](const QString& path, const QString& folder) {
             QFile::remove(path);
             QFile::copy(QDir(folder).filePath("tiles.cds"), path);
         },
         "в файле нет таблицы \"Contours\""},
        {"library table with a field missing", "collages.cds",
         [](const QString& path, const QString&) {
             MakeSqliteFile(path, {"PRAGMA application_id = 1449872450", "PRAGMA user_version = 1",
                                   "CREATE TABLE Collages (Seq INTEGER PRIMARY KEY, TileID INTEGER NOT NULL, "
                                   "CollageID INTEGER NOT NULL, CollageName TEXT NOT NULL, "
                                   "CollageBasePoint BLOB NOT NULL) STRICT",
                                   "CREATE TABLE TableParams (Name TEXT PRIMARY KEY NOT NULL, Value ANY) STRICT"});
         },
         "поля таблицы \"Collages\""},
        {"library file with an extra table", "primitives.cds",
         [](const QString& path, const QString&) {
             TRawTable raw(path, false);
             raw.Exec("CREATE TABLE Notes (Text TEXT)");
         },
         "в файле есть таблицы, которых в библиотеке нет"},
        {"damaged table page", "collagetiles.cds",
         [](const QString& path, const QString&) { PatchBytes(path, 4096, QByteArray(64, '\x7f')); },
         "файл повреждён"},
        {"file in WAL mode", "nextcollagetiles.cds",
         [](const QString& path, const QString&) { PatchBytes(path, 18, QByteArray("\x02\x02", 2)); },
         "файл записан другой программой"},
        {"file of a newer program", "tiles.cds",
         [](const QString& path, const QString&) { PatchBytes(path, 60, QByteArray("\0\0\0\x02", 4)); },
         "файл записан более новой версией программы"},
    };
    return cases;
}

TEST(LibraryFiles, FileThatIsNotALibraryFileIsRefusedNamedAndLeftByteIdentical) {
    for (const TForeignFileCase& c : ForeignFileCases()) {
        SCOPED_TRACE(c.name);
        TTempDir temp;
        const QString folder = temp.file(QStringLiteral("DB"));
        MakeFilledLibrary(folder);
        const QString path = QDir(folder).filePath(QString::fromLatin1(c.file));
        c.spoil(path, folder);
        const TFolderSnapshot before = SnapshotFolder(folder);

        TScriptedUi ui;
        {
            TTileDB db(folder);
            EXPECT_FALSE(db.IsAvailable());
            EXPECT_EQ(db.Store(), nullptr);
            ASSERT_EQ(ui.messages.size(), 1u);
            const TScriptedUi::Message& message = ui.messages.front();
            EXPECT_EQ(message.kind, TMessageKind::Error);
            EXPECT_TRUE(message.text.contains(QDir::toNativeSeparators(path))) << message.text.toStdString();
            EXPECT_TRUE(message.text.contains(QString::fromUtf8(c.reason))) << message.text.toStdString();
            EXPECT_TRUE(message.text.contains(QStringLiteral("оставлен без изменений")));

            // A library command is refused with the reason instead of running.
            EXPECT_FALSE(db.CheckAvailable());
            ASSERT_EQ(ui.messages.size(), 2u);
            EXPECT_TRUE(ui.messages.back().text.startsWith(QStringLiteral("Библиотека плиток недоступна.")));
            EXPECT_TRUE(ui.messages.back().text.contains(QDir::toNativeSeparators(path)));
        }
        // Nothing written, nothing created, nothing removed in the folder.
        EXPECT_EQ(SnapshotFolder(folder), before);
    }
}

TEST(LibraryFiles, RefusedFileIsNeverTouchedEvenWhenOtherFilesAreMissing) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    MakeFilledLibrary(folder);
    WriteBytes(QDir(folder).filePath("parts.cds"), "not a table");
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath("contours.cds")));
    const TFolderSnapshot before = SnapshotFolder(folder);

    TScriptedUi ui;
    TTileDB db(folder);
    EXPECT_FALSE(db.IsAvailable());
    EXPECT_EQ(SnapshotFolder(folder), before);
}

TEST(LibraryFiles, FileHeldByAnotherProgramIsNamedAsBusyNotDamaged) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    MakeFilledLibrary(folder);
    // The main file locked: attaching the others needs to read it, and the
    // message must still name the main file.
    const QString path = QDir(folder).filePath("tiles.cds");
    TRawTable holder(path, false);
    holder.Exec("BEGIN EXCLUSIVE");
    holder.Exec("INSERT INTO TableParams (Name, Value) VALUES ('Held', 1)");

    TScriptedUi ui;
    {
        TTileDB db(folder);
        EXPECT_FALSE(db.IsAvailable());
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages.front().text.contains(QDir::toNativeSeparators(path))) << ui.messages.front().text.toStdString();
    EXPECT_TRUE(ui.messages.front().text.contains(QStringLiteral("занят"))) << ui.messages.front().text.toStdString();
    holder.Exec("ROLLBACK");
}

} // namespace
} // namespace vk::test
