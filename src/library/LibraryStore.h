#pragma once
// The table adapter of the tile library: the eight table files in DB/ as
// SQLite databases, tiles.cds opened as the main database and the other seven
// attached. Every change happens inside a TLibraryTransaction, which commits
// or rolls back across all files at once (rollback journal, never WAL), so an
// operation that fails half-way leaves the library as it was.
//
// Failures throw TLibraryError carrying a text for the user, in Russian.

#include "geometry/Types.h"
#include "library/LibraryRows.h"
#include "library/LibrarySchema.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vk {

class TLibraryError : public std::runtime_error {
public:
    explicit TLibraryError(const QString& text);
    // What the user is told.
    [[nodiscard]] const QString& Text() const { return m_text; }

private:
    QString m_text;
};

// A name as the library keeps it: at most kLibraryNameLength characters
// (a surrogate pair is never split).
[[nodiscard]] QString CutLibraryName(const QString& name);

// A local date and time packed into 32 bits the way file dates are: bits 25-31
// the year minus 1980, 21-24 the month, 16-20 the day, 11-15 the hour, 5-10 the
// minute, 0-4 the second divided by 2. 0 outside the years 1980-2107.
[[nodiscard]] quint32 PackedFileDateTime(const QDateTime& local);

class TLibraryStore {
public:
    // Opens the library in `folder`: creates the folder and the missing table
    // files, then opens and checks every file. A present file that is not a
    // library file of the expected table is never written: the constructor
    // throws a TLibraryError whose text names the file and the reason. A
    // table file or a folder that cannot be written opens the library read
    // only: write transactions and writes then throw ReadOnlyReason().
    explicit TLibraryStore(const QString& folder);
    ~TLibraryStore();
    TLibraryStore(const TLibraryStore&) = delete;
    TLibraryStore& operator=(const TLibraryStore&) = delete;

    [[nodiscard]] const QString& Folder() const;
    [[nodiscard]] bool IsReadOnly() const;
    // What the user is told when something would be written; empty when the
    // library can be changed.
    [[nodiscard]] const QString& ReadOnlyReason() const;
    [[nodiscard]] QString FilePath(TLibraryTable table) const;

    // Tiles. Lookups by name ignore letter case (Cyrillic included) and
    // compare with the name as it would be stored (cut to its first 50
    // characters); the first match in append order wins.
    void AppendTile(const TTileRow& row);
    [[nodiscard]] std::optional<TTileRow> FindTile(qint32 tileId);
    [[nodiscard]] std::optional<TTileRow> FindTileByName(const QString& name);
    bool UpdateTile(const TTileRow& row);  // the row with row.TileID; false if none
    bool DeleteTile(qint32 tileId);        // the row only
    // All tiles by name, letter case ignored.
    [[nodiscard]] std::vector<TTileRow> ListTiles();

    // Primitives: the elements of one owner (tile, part or half) in append order.
    void AppendPrimitive(const TPrimitiveRow& row);
    [[nodiscard]] std::vector<TPrimitiveRow> ReadPrimitives(qint32 ownerId);
    int DeletePrimitives(qint32 ownerId);

    // Collages; names are compared only among the patterns of one tile.
    void AppendCollage(const TCollageRow& row);
    [[nodiscard]] std::optional<TCollageRow> FindCollage(qint32 collageId);
    [[nodiscard]] std::optional<TCollageRow> FindCollageByName(qint32 tileId, const QString& name);
    bool UpdateCollage(const TCollageRow& row);  // TileID of a stored pattern stays as stored
    bool DeleteCollage(qint32 collageId);        // the row only
    // The patterns of one tile by name, letter case ignored.
    [[nodiscard]] std::vector<TCollageRow> ListCollages(qint32 tileId);

    // CollageTiles / NextCollageTiles: placements and hand points of one pattern.
    void AppendCollageTile(const TCollageTileRow& row);
    [[nodiscard]] std::vector<TCollageTileRow> ReadCollageTiles(qint32 collageId);
    int DeleteCollageTiles(qint32 collageId);
    void AppendNextCollageTile(const TNextCollageTileRow& row);
    [[nodiscard]] std::vector<TNextCollageTileRow> ReadNextCollageTiles(qint32 collageId);
    int DeleteNextCollageTiles(qint32 collageId);

    // Parts of one tile and Contours (halves) of one part, in append order.
    void AppendPart(const TPartRow& row);
    [[nodiscard]] std::vector<TPartRow> ReadParts(qint32 tileId);
    [[nodiscard]] std::optional<TPartRow> FindPart(qint32 partId);
    bool UpdatePart(const TPartRow& row);
    int DeleteParts(qint32 tileId);  // the rows only
    void AppendContour(const TContourRow& row);
    [[nodiscard]] std::vector<TContourRow> ReadContours(qint32 partId);
    [[nodiscard]] std::optional<TContourRow> FindContour(qint32 contourId);
    int DeleteContours(qint32 partId);  // the rows only

    // SizeScale: the stored view of a tile or pattern (identifier -1 allowed).
    [[nodiscard]] std::optional<ViewRecord> ReadView(qint32 id);
    void WriteView(qint32 id, const ViewRecord& view);  // updates or appends
    bool DeleteView(qint32 id);

    // A new identifier: the packed local date and time plus a random number
    // 0..9999 plus 10000000, drawn again while it is -1, appears in any
    // identifier column of the library (orphaned rows included) or was handed
    // out earlier in the running transaction.
    [[nodiscard]] qint32 NewLibraryId();
    [[nodiscard]] bool IsIdentifierInUse(qint32 id);

    // Sources of NewLibraryId: the program's seeded generator and the local clock
    // unless replaced. The random source may return any int; it is taken modulo 10000.
    void SetRandomSource(std::function<int()> random);
    void SetClock(std::function<QDateTime()> clock);

    // For tests: the statement after the next `statements` ones fails as the
    // table store would, once; a negative value disarms it. Rollbacks are never
    // failed.
    void SetFaultAfter(int statements);

private:
    friend class TLibraryTransaction;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// One library operation. Begins a transaction (or, inside another one, a
// savepoint); Commit makes it lasting; leaving the scope without Commit - by
// an early return or an exception - rolls everything back. Writes outside a
// transaction are refused. After any failed statement the whole outer
// transaction can only be rolled back.
class TLibraryTransaction {
public:
    enum class Mode {
        Write,  // takes the write lock at once
        Read,
    };
    explicit TLibraryTransaction(TLibraryStore& store, Mode mode = Mode::Write);
    ~TLibraryTransaction();
    TLibraryTransaction(const TLibraryTransaction&) = delete;
    TLibraryTransaction& operator=(const TLibraryTransaction&) = delete;

    void Commit();

private:
    TLibraryStore& m_store;
    int m_level = 0;
    bool m_finished = false;
};

} // namespace vk
