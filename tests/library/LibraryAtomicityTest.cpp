// One operation is one transaction across all the files it touches: a store
// that fails half-way, or a process killed in the middle of one, leaves every
// file as it was before the operation (or, for a kill during the commit, as
// after it) - never a mixture.

#include "LibraryTestSupport.h"
#include "library/LibraryStore.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace vk::test {
namespace {

// A library holding one tile with everything that can belong to it.
void FillLibrary(TLibraryStore& store) {
    TLibraryTransaction transaction(store);
    store.AppendTile({100, QStringLiteral("Плитка"), {}, {0, 0, 1}, 60, QStringLiteral("старая")});
    for (int i = 0; i < 3; ++i) {
        store.AppendPrimitive({100, 0, 0, QByteArray(18, char('a' + i)), 0});
    }
    store.AppendPart({100, 200, QStringLiteral("Пополам"), true});
    store.AppendPrimitive({200, 0, 0, QByteArray(18, 'c'), 2});
    store.AppendContour({200, 300, QStringLiteral("Левая")});
    store.AppendContour({200, 301, QStringLiteral("Правая")});
    store.AppendCollage({100, 400, QStringLiteral("Ёлочка"), {}, {}});
    store.AppendCollageTile({400, 1, 0, QByteArray(23, 'p')});
    store.AppendNextCollageTile({400, QByteArray(9, 'h'), 2, 0});
    store.WriteView(100, {1, 2, 3, 4, 5, 6, 7});
    transaction.Commit();
}

// What a store of a tile, its parts and a pattern does, in one operation.
void RewriteEverything(TLibraryStore& store) {
    TLibraryTransaction transaction(store);
    store.DeletePrimitives(100);
    for (int i = 0; i < 4; ++i) {
        store.AppendPrimitive({100, 3, 0, QByteArray(27, char('k' + i)), 0});
    }
    EXPECT_TRUE(store.UpdateTile({100, QStringLiteral("Плитка"), {}, {5, 5, 1}, 80, QStringLiteral("новая")}));
    for (const TPartRow& part : store.ReadParts(100)) {
        store.DeletePrimitives(part.PartID);
        for (const TContourRow& half : store.ReadContours(part.PartID)) {
            store.DeletePrimitives(half.ContourID);
        }
        store.DeleteContours(part.PartID);
    }
    store.DeleteParts(100);
    const qint32 part = store.NewLibraryId();
    store.AppendPart({100, part, QStringLiteral("Диагональ"), false});
    store.AppendPrimitive({part, 0, 0, QByteArray(18, 'd'), 2});
    const qint32 half = store.NewLibraryId();
    store.AppendContour({part, half, QStringLiteral("Верхняя")});
    store.AppendPrimitive({half, 0, 0, QByteArray(18, 'e'), 0});
    EXPECT_TRUE(store.UpdateCollage({100, 400, QStringLiteral("Ёлочка"), {}, {1, 1, 1}}));
    store.DeleteCollageTiles(400);
    store.AppendCollageTile({400, 1, 0, QByteArray(23, 'q')});
    store.DeleteNextCollageTiles(400);
    store.AppendNextCollageTile({400, QByteArray(9, 'i'), 2, 0});
    store.WriteView(100, {7, 6, 5, 4, 3, 2, 1});
    store.AppendTile({store.NewLibraryId(), QStringLiteral("Вторая"), {}, {}, 40, {}});
    transaction.Commit();
}

TEST(LibraryAtomicity, StoreFailingAtAnyStatementLeavesEveryFileAsItWas) {
    TTempDir temp;
    const QString pristine = temp.file(QStringLiteral("pristine"));
    {
        TLibraryStore store(pristine);
        FillLibrary(store);
    }
    const TFolderSnapshot before = SnapshotFolder(pristine);
    ASSERT_EQ(before.size(), 8);

    const QString folder = temp.file(QStringLiteral("DB"));
    int failures = 0;
    for (int statements = 0;; ++statements) {
        ASSERT_LT(statements, 500) << "the operation never completes";
        SCOPED_TRACE(statements);
        CopyFolderFiles(pristine, folder);
        TLibraryStore store(folder);
        store.SetFaultAfter(statements);
        bool failed = false;
        try {
            RewriteEverything(store);
        } catch (const TLibraryError& e) {
            failed = true;
            EXPECT_TRUE(e.Text().startsWith(QStringLiteral("Ошибка библиотеки плиток")));
        }
        store.SetFaultAfter(-1);
        if (!failed) {
            // The first fault point past the last statement: the store went
            // through, and did change the files.
            EXPECT_NE(SnapshotFolder(folder), before);
            EXPECT_EQ(store.FindTile(100)->Comment, QStringLiteral("новая"));
            EXPECT_EQ(store.ReadParts(100).size(), 1u);
            break;
        }
        ++failures;
        // Byte for byte, with the store still open and after it is closed,
        // and the rows read back the same.
        EXPECT_EQ(SnapshotFolder(folder), before);
        EXPECT_EQ(store.FindTile(100)->Comment, QStringLiteral("старая"));
        EXPECT_EQ(store.ReadPrimitives(100).size(), 3u);
        EXPECT_EQ(store.ReadParts(100).front().PartID, 200);
        EXPECT_EQ(store.ReadContours(200).size(), 2u);
        EXPECT_EQ(store.ReadCollageTiles(400).front().TilePlacementInfo, QByteArray(23, 'p'));
        EXPECT_EQ(store.ReadView(100), (ViewRecord{1, 2, 3, 4, 5, 6, 7}));
        EXPECT_EQ(store.ListTiles().size(), 1u);

        // The failure does not stick to the store: the same operation without
        // a fault goes through.
        if (statements % 10 == 3) {
            RewriteEverything(store);
            EXPECT_EQ(store.FindTile(100)->Comment, QStringLiteral("новая"));
        }
    }
    // The operation runs some thirty statements, BEGIN and COMMIT included;
    // far fewer fault points would mean statements that bypass the hook.
    EXPECT_GT(failures, 25);
}

TEST(LibraryAtomicity, InnerScopeRollsBackAloneUnlessAStatementFailed) {
    TTempDir temp;
    TLibraryStore store(temp.file(QStringLiteral("DB")));
    {
        TLibraryTransaction outer(store);
        store.AppendTile({1, "kept", {}, {}, 0, {}});
        {
            TLibraryTransaction inner(store);
            store.AppendTile({2, "dropped", {}, {}, 0, {}});
        } // left without Commit
        {
            TLibraryTransaction inner(store);
            store.AppendTile({3, "committed inside", {}, {}, 0, {}});
            inner.Commit();
        }
        outer.Commit();
    }
    EXPECT_TRUE(store.FindTile(1).has_value());
    EXPECT_FALSE(store.FindTile(2).has_value());
    EXPECT_TRUE(store.FindTile(3).has_value());

    // A failed statement inside an inner scope spoils the whole operation,
    // even when the caller swallows the error.
    {
        TLibraryTransaction outer(store);
        store.AppendTile({4, "lost", {}, {}, 0, {}});
        try {
            TLibraryTransaction inner(store);
            store.SetFaultAfter(0);
            store.AppendTile({5, "fails", {}, {}, 0, {}});
            inner.Commit();
        } catch (const TLibraryError&) {
        }
        EXPECT_THROW(store.AppendTile({6, "refused", {}, {}, 0, {}}), TLibraryError);
        EXPECT_THROW(outer.Commit(), TLibraryError);
    }
    for (qint32 id : {4, 5, 6}) {
        EXPECT_FALSE(store.FindTile(id).has_value()) << id;
    }
    EXPECT_EQ(store.ListTiles().size(), 2u);
}

// The batch that the child process writes in one transaction: rows in seven
// of the eight files, identified by the batch number.
constexpr int kElementsPerBatch = 6;
void WriteBatch(TLibraryStore& store, qint32 batch) {
    TLibraryTransaction transaction(store);
    store.AppendTile({batch, QStringLiteral("Плитка %1").arg(batch), QDateTime::currentDateTime(), {}, 1, {}});
    for (int i = 0; i < kElementsPerBatch; ++i) {
        store.AppendPrimitive({batch, 0, i, QByteArray(18, char(i)), 0});
    }
    store.AppendPart({batch, 1000000 + batch, QStringLiteral("Часть"), false});
    store.AppendContour({1000000 + batch, 2000000 + batch, QStringLiteral("Половина")});
    store.AppendCollage({batch, 3000000 + batch, QStringLiteral("Узор"), {}, {}});
    store.AppendCollageTile({3000000 + batch, 1, 0, QByteArray(23, 'p')});
    store.WriteView(batch, {float(batch), 0, 0, 0, 1, 0, 0});
    transaction.Commit();
}

// Runs in the forked child until it is killed; reports each committed batch.
[[noreturn]] void WriteBatchesForever(const QString& folder, qint32 firstBatch, int reportFd) {
    try {
        TLibraryStore store(folder);
        for (qint32 batch = firstBatch;; ++batch) {
            WriteBatch(store, batch);
            if (write(reportFd, &batch, sizeof batch) != sizeof batch) {
                _exit(4);
            }
        }
    } catch (...) {
        _exit(3);
    }
}

// Counts of rows per batch in each table, and which batches they belong to.
struct TTableCount {
    const char* file;
    const char* sql; // batch number of each row
    int perBatch;
};
const TTableCount kCounts[] = {
    {"tiles.cds", "SELECT TileID FROM Tiles", 1},
    {"primitives.cds", "SELECT TileID FROM Primitives", kElementsPerBatch},
    {"parts.cds", "SELECT TileID FROM Parts", 1},
    {"contours.cds", "SELECT PartID - 1000000 FROM Contours", 1},
    {"collages.cds", "SELECT TileID FROM Collages", 1},
    {"collagetiles.cds", "SELECT CollageID - 3000000 FROM CollageTiles", 1},
    {"sizes.cds", "SELECT ID FROM SizeScale", 1},
};

TEST(LibraryAtomicity, ProcessKilledDuringStoresLeavesWholeBatchesOnly) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    { TLibraryStore create(folder); }

    std::mt19937 random(20240315);
    qint32 committed = 0;   // batches known to be complete
    int killedUncommitted = 0;
    int killedWithHotJournal = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            WriteBatchesForever(folder, committed + 1, fds[1]);
        }
        close(fds[1]);

        // Let a few batches through, then kill at a random moment within the
        // time one batch takes.
        const int batches = 1 + static_cast<int>(random() % 3);
        qint32 reported = committed;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < batches; ++i) {
            ASSERT_EQ(read(fds[0], &reported, sizeof reported), static_cast<ssize_t>(sizeof reported))
                << "the child stopped writing";
        }
        const qint64 perBatchUs = std::max<qint64>(timer.nsecsElapsed() / 1000 / batches, 100);
        usleep(static_cast<useconds_t>(random() % perBatchUs));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child ended by itself: " << status;
        // A batch may have committed between the last report and the kill.
        qint32 more = 0;
        while (read(fds[0], &more, sizeof more) == sizeof more) {
            reported = more;
        }
        close(fds[0]);

        // A journal that begins with its magic number was left by a commit
        // that had started writing into its file: SQLite rolls it back.
        // Journals still zero at the start belong to a transaction killed
        // before it wrote to the file; they stay behind, harmless, until the
        // next write to that file.
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*-journal")}, QDir::Files)) {
            if (ReadBytes(QDir(folder).filePath(name)).startsWith(QByteArray::fromHex("d9d505f920a163d7"))) {
                ++killedWithHotJournal;
                break;
            }
        }

        // Reopening recovers: no file is refused, every file is sound.
        {
            TLibraryStore reopened(folder);
            const std::vector<TTileRow> tiles = reopened.ListTiles();
            ASSERT_TRUE(tiles.size() == size_t(reported) || tiles.size() == size_t(reported) + 1)
                << tiles.size() << " tiles after batch " << reported;
            if (tiles.size() > size_t(reported)) {
                ++killedUncommitted;
            }
            committed = static_cast<qint32>(tiles.size());
            EXPECT_EQ(reopened.ReadPrimitives(committed).size(), size_t(kElementsPerBatch));
            EXPECT_FALSE(reopened.FindTile(committed + 1).has_value());
        }
        for (const TTableCount& table : kCounts) {
            SCOPED_TRACE(table.file);
            TRawTable raw(QDir(folder).filePath(QLatin1String(table.file)));
            EXPECT_EQ(raw.Value("PRAGMA integrity_check").toString(), "ok");
            // Batches 1..committed, each whole, in every file.
            std::map<qint32, int> perBatch;
            for (const QVariantList& row : raw.Rows(QLatin1String(table.sql))) {
                ++perBatch[row.front().toInt()];
            }
            ASSERT_EQ(perBatch.size(), size_t(committed));
            EXPECT_EQ(perBatch.begin()->first, 1);
            EXPECT_EQ(perBatch.rbegin()->first, committed);
            for (const auto& [batch, count] : perBatch) {
                EXPECT_EQ(count, table.perBatch) << "batch " << batch;
            }
        }
    }
    EXPECT_GT(committed, 12);
    RecordProperty("KilledAfterCommitPoint", killedUncommitted);
    RecordProperty("KilledWithHotJournal", killedWithHotJournal);
}

} // namespace
} // namespace vk::test
