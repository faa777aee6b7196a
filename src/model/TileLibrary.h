#pragma once
// What the documents ask of the tile library. The library module implements
// it and installs itself; the documents never see a table.

#include "geometry/Types.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace vk {

class TTile;
class TPartList;
class TCollage;

// One row of a pick list.
struct TLibraryEntry {
    std::int32_t Id = -1;
    QString Name;
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
    // Every tile, and every pattern of one tile, in the library's order:
    // what a pick list chooses from when no window shows it.
    [[nodiscard]] virtual std::vector<TLibraryEntry> ListTiles() { return {}; }
    [[nodiscard]] virtual std::vector<TLibraryEntry> ListPatterns(int tileId) {
        (void)tileId;
        return {};
    }
};

// The library of the running program, or nullptr when none is open.
[[nodiscard]] TTileLibrary* TileDB();
void SetTileDB(TTileLibrary* library);

} // namespace vk
