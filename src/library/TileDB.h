#pragma once
// The tile library: the tables in DB/ beside the executable. The program has
// one TTileDB, created at start after the main window; it owns the table
// store that every library operation runs on, and while it lives it is the
// library the documents reach through TileDB().
//
// Every operation is one transaction: when the table store fails half-way,
// the library is left as it was, the user is told why, and the document in
// memory keeps what it held (a store reports false, a load changes nothing).

#include "geometry/Types.h"
#include "model/TileLibrary.h"

#include <QString>
#include <memory>
#include <set>
#include <vector>

namespace vk {

class TLibraryStore;
class T_TnC_Ancestor;


class TTileDB final : public TTileLibrary {
public:
    // Opens the library in `folder` (DbFolder() by default), creating the
    // folder and any missing table file. A table file that cannot be opened
    // as part of the library is left as it is; the user is told which and
    // why, and the library stays unavailable. One that can be read but not
    // written opens the library read only.
    explicit TTileDB(QString folder = QString());
    ~TTileDB() override;
    TTileDB(const TTileDB&) = delete;
    TTileDB& operator=(const TTileDB&) = delete;

    [[nodiscard]] const QString& Folder() const { return m_folder; }

    [[nodiscard]] bool IsAvailable() const { return m_store != nullptr; }
    // Why the library is unavailable; empty when it is available.
    [[nodiscard]] const QString& ErrorText() const { return m_error; }

    // The store, or nullptr when the library is unavailable.
    [[nodiscard]] TLibraryStore* Store() { return m_store.get(); }

    // For every library command before it starts: true when the library is
    // available; otherwise the user is told why and the command does nothing.
    bool CheckAvailable();
    // The same for commands that change the library: a library opened read
    // only (a table file or its folder cannot be written) says so.
    bool CheckWritable();

    // --- what the documents ask (TTileLibrary) ---
    // A new tile (identifier -1) is named by the user ("Новая плитка"); a
    // name the library already has, letter case ignored, is replaced only
    // when the user agrees. A stored tile keeps its stored name.
    bool StoreTile(TTile& tile) override;
    void LoadTile(int id, TTile& tile, ViewRecord& view) override;
    // Rewrites every part of the tile; parts and halves keep the identifiers
    // they carry, new ones receive theirs.
    void StoreParts(int tileId, TPartList& parts) override;
    // Appends the stored parts, not bound to a tile.
    void LoadParts(int tileId, TPartList& parts) override;
    // As StoreTile, with "Новый узор"; names are compared only among the
    // patterns of the same tile. A pattern whose tile is not stored is refused.
    bool StorePattern(TCollage& pattern) override;
    void LoadPattern(int id, TCollage& pattern, ViewRecord& view) override;
    void LoadView(int id, ViewRecord& view) override;
    void StoreView(int id, const ViewRecord& view) override;

    // --- for the editors ---
    // The tile with its outline, its parts with their cut lines and halves,
    // its patterns with their placements and hand points, and the stored
    // views of the tile and of its patterns. False when there was no such
    // tile or the store failed.
    bool DeleteTile(int id);
    // The pattern with its placements, hand points and stored view.
    bool DeletePattern(int id);

    // --- for the pick lists, ordered by name (letter case ignored) ---
    [[nodiscard]] std::vector<TLibraryEntry> ListTiles() override;
    [[nodiscard]] std::vector<TLibraryEntry> ListPatterns(int tileId) override;

private:
    struct TNameAnswer;
    TNameAnswer AskName(const QString& caption, const QString& currentName, qint32 tileOfPattern);
    void DeleteTileRows(qint32 id);
    void DeletePatternRows(qint32 id);
    void DeletePartsOf(qint32 tileId);
    void StoreElements(const T_TnC_Ancestor& document, qint32 ownerId);
    // A new identifier that none of `reserved` is either.
    qint32 FreshId(const std::set<qint32>& reserved);

    QString m_folder;
    QString m_error;
    std::unique_ptr<TLibraryStore> m_store;
};

} // namespace vk
