// Compound files: what is written comes back, names are checked, and a
// failed save never touches the file it would replace.

#include "compound/CompoundFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vk;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(CompoundFile, WrittenStoragesAndStreamsComeBackInWritingOrder) {
    test::TTempDir dir;
    const QString path = dir.file("a.mpp");
    {
        TCompoundWriter w(path);
        ASSERT_TRUE(w.WriteStream("Version", QByteArray("\x01\0\0\0", 4)));
        ASSERT_TRUE(w.WriteStream("Comment", QString("Двор\r\nс клумбой").toUtf8()));
        ASSERT_TRUE(w.WriteStream("Empty", QByteArray()));
        ASSERT_TRUE(w.BeginStorage("Tiles"));
        for (int i = 12; i >= 1; --i) {
            // Written out of order on purpose: the listing follows the names.
            ASSERT_TRUE(w.BeginStorage(QString("Tile%1").arg(i, 7, 10, QChar('0'))));
            ASSERT_TRUE(w.WriteStream("Color", QByteArray(4, char(i))));
            ASSERT_TRUE(w.EndStorage());
        }
        ASSERT_TRUE(w.EndStorage());
        ASSERT_TRUE(w.Commit()) << w.Error().toStdString();
    }
    QString error;
    auto root = TStorage::OpenFile(path, error);
    ASSERT_NE(root, nullptr) << error.toStdString();
    QByteArray bytes;
    EXPECT_EQ(root->ReadStream("VERSION", bytes), TStorage::TRead::Ok) << "names ignore letter case";
    EXPECT_EQ(bytes, QByteArray("\x01\0\0\0", 4));
    EXPECT_EQ(root->ReadStream("comment", bytes), TStorage::TRead::Ok);
    EXPECT_EQ(QString::fromUtf8(bytes), QString("Двор\r\nс клумбой"));
    EXPECT_EQ(root->ReadStream("Empty", bytes), TStorage::TRead::Ok);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(root->ReadStream("Missing", bytes), TStorage::TRead::Missing);
    EXPECT_EQ(root->ReadStream("Version", bytes, 2), TStorage::TRead::TooLong);
    EXPECT_EQ(root->ReadStream("Tiles", bytes), TStorage::TRead::Missing) << "a storage is not a stream";
    auto tiles = root->Storage("tiles");
    ASSERT_NE(tiles, nullptr);
    ASSERT_EQ(tiles->ChildCount(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(tiles->ChildName(i), QString("Tile%1").arg(i + 1, 7, 10, QChar('0')));
        auto tile = tiles->ChildStorage(i);
        ASSERT_NE(tile, nullptr);
        ASSERT_EQ(tile->ReadStream("Color", bytes), TStorage::TRead::Ok);
        EXPECT_EQ(bytes, QByteArray(4, char(i + 1)));
    }
    EXPECT_EQ(root->Storage("Comment"), nullptr) << "a stream is not a storage";
}

TEST(CompoundFile, NamesAreCheckedBeforeTheyAreWritten) {
    test::TTempDir dir;
    const struct {
        const char* name;
        QString first;
        QString second;
    } cases[] = {
        {"32 characters", QString(32, QChar('x')), QString()},
        {"duplicate", QString("Tile1"), QString("tile1")},
        {"slash", QString("a/b"), QString()},
        {"empty", QString(), QString()},
    };
    for (const auto& c : cases) {
        const QString path = dir.file(QString("%1.mpp").arg(c.name));
        TCompoundWriter w(path);
        bool ok = w.WriteStream(c.first, "x");
        if (!c.second.isEmpty()) {
            ok = w.WriteStream(c.second, "y") && ok;
        }
        EXPECT_FALSE(ok) << c.name;
        EXPECT_FALSE(w.Commit()) << c.name;
        EXPECT_FALSE(QFile::exists(path)) << c.name;
    }
    EXPECT_TRUE(TCompoundWriter::IsValidName(QString(31, QChar(0x436))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0) << "no stray files";
}

TEST(CompoundFile, AFailedOrAbandonedSaveLeavesTheOldFileAsItWas) {
    test::TTempDir dir;
    const QString path = dir.file("old.mpp");
    {
        TCompoundWriter w(path);
        w.WriteStream("Version", "old!");
        ASSERT_TRUE(w.Commit());
    }
    const QByteArray before = readAll(path);
    {
        TCompoundWriter w(path);
        w.WriteStream("Version", "new!");
        w.BeginStorage("Tiles");
        // Dropped without Commit: as if the program stopped half-way.
    }
    EXPECT_EQ(readAll(path), before);
    {
        TCompoundWriter w(path);
        w.WriteStream("Version", "new!");
        w.WriteStream("Version", "again");
        EXPECT_FALSE(w.Commit());
        EXPECT_FALSE(w.Error().isEmpty());
    }
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(CompoundFile, BrokenFilesAreRefusedWithAReason) {
    test::TTempDir dir;
    const QString good = dir.file("good.mpp");
    {
        TCompoundWriter w(good);
        w.BeginStorage("Borders");
        for (int i = 0; i < 40; ++i) {
            w.BeginStorage(QString("Border%1").arg(i, 7, 10, QChar('0')));
            w.WriteStream("PrimitiveInfo", QByteArray(18, 'a'));
            w.EndStorage();
        }
        ASSERT_TRUE(w.Commit());
    }
    const QByteArray bytes = readAll(good);
    QString error;
    EXPECT_EQ(TStorage::OpenBytes("This is not a compound file at all.", error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    const QString text = dir.file("text.mpp");
    writeAll(text, "plain text");
    error.clear();
    EXPECT_EQ(TStorage::OpenFile(text, error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(TStorage::OpenFile(dir.file("none.mpp"), error), nullptr);
    // Truncated at several lengths: either refused, or every read stays safe.
    for (int cut : {0, 100, 511, 512, 700, 1536, int(bytes.size()) - 600, int(bytes.size()) - 1}) {
        error.clear();
        auto root = TStorage::OpenBytes(bytes.left(cut), error);
        if (root == nullptr) {
            EXPECT_FALSE(error.isEmpty()) << cut;
            continue;
        }
        if (auto borders = root->Storage("Borders")) {
            for (int i = 0; i < borders->ChildCount(); ++i) {
                if (auto b = borders->ChildStorage(i)) {
                    QByteArray data;
                    (void)b->ReadStream("PrimitiveInfo", data, 18);
                }
            }
        }
    }
}
