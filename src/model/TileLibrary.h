#pragma once
// What the documents ask of the tile library. The library module implements
// it and installs itself; the documents never see a table.

#include "geometry/Types.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace vk {

class TTile;
class TPartList;
class TCollage;
class T_TnC_Ancestor;

// One row of a pick list.
struct TLibraryEntry {
    std::int32_t ID = -1;
    QString Name;
    friend bool operator==(const TLibraryEntry&, const TLibraryEntry&) = default;
};

class TTileLibrary {
public:
    virtual ~TTileLibrary() = default;

    // Asks for a name when the tile is new; false when nothing was stored.
    virtual bool StoreTile(TTile& tile) = 0;
    // Leaves the tile and the view as they were when the library holds no such tile.
    virtual void LoadTile(int id, TTile& tile, ViewRecord& view) = 0;
    virtual void StoreParts(int tileId, TPartList& parts) = 0;
    virtual void LoadParts(int tileId, TPartList& parts) = 0;
    // The pattern's tile must be set; false when nothing was stored.
    virtual bool StorePattern(TCollage& pattern) = 0;
    virtual void LoadPattern(int id, TCollage& pattern, ViewRecord& view) = 0;
    // Scale -1 when no view is stored.
    virtual void LoadView(int id, ViewRecord& view) = 0;
    virtual void StoreView(int id, const ViewRecord& view) = 0;
    // Every tile, and every pattern of one tile, ordered by name (letter
    // case ignored): what the pick lists choose from.
    [[nodiscard]] virtual std::vector<TLibraryEntry> ListTiles() = 0;
    [[nodiscard]] virtual std::vector<TLibraryEntry> ListPatterns(int tileId) = 0;
};

// Before a tile or pattern editor closes or switches documents: an
// unmodified document keeps its view and lets the caller go on; a modified
// one asks "<what> "<name>"?" with Yes, No and Cancel. Yes stores it with
// `store` and goes on only when that succeeded.
bool SaveQueryFor(T_TnC_Ancestor& document, const QString& what,
                  const std::function<bool(TTileLibrary&)>& store, const ViewRecord& view);

// The library of the running program, or nullptr when none is open.
[[nodiscard]] TTileLibrary* TileDB();
void SetTileDB(TTileLibrary* library);

} // namespace vk
