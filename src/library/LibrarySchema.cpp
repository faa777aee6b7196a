#include "library/LibrarySchema.h"

namespace vk {

namespace {

// Logical field types and their columns: Integer -> INTEGER, String(n) ->
// TEXT cut to n characters, DateTime -> TEXT (ISO 8601, local time), Float ->
// REAL, Boolean -> INTEGER 0/1, Memo -> TEXT, Blob -> BLOB.
constexpr TLibraryColumn Integer(const char* name) { return {name, "INTEGER", true, 0, false}; }
constexpr TLibraryColumn Name(const char* name) {
    return {name, "TEXT", true, kLibraryNameLength, false};
}
constexpr TLibraryColumn DateTime(const char* name) { return {name, "TEXT", false, 0, false}; }
constexpr TLibraryColumn Float(const char* name) { return {name, "REAL", true, 0, false}; }
constexpr TLibraryColumn Boolean(const char* name) { return {name, "INTEGER", true, 0, true}; }
constexpr TLibraryColumn Memo(const char* name) { return {name, "TEXT", true, 0, false}; }
constexpr TLibraryColumn Blob(const char* name) { return {name, "BLOB", true, 0, false}; }

std::vector<TLibraryTableDef> MakeTables() {
    // Every identifier column is indexed: lookups by owner, and the check of
    // a new identifier against all of them.
    return {
        {TLibraryTable::Tiles, "Tiles", "tiles.cds", "main",
         {Integer("TileID"), Name("TileName"), DateTime("TileModified"), Blob("TileBasePoint"),
          Float("Thickness"), Memo("Comment")},
         {{"TileNameIdx", "TileName"}, {"TileIDIdx", "TileID"}},
         TVersionParam::Integer},
        {TLibraryTable::Primitives, "Primitives", "primitives.cds", "primitives",
         {Integer("TileID"), Integer("PrimKind"), Integer("PrimVersion"), Blob("PrimGraphicInfo"),
          Integer("LineStyle")},
         {{"TileIDIdx", "TileID"}},
         TVersionParam::Integer},
        {TLibraryTable::Collages, "Collages", "collages.cds", "collages",
         {Integer("TileID"), Integer("CollageID"), Name("CollageName"), DateTime("CollageModified"),
          Blob("CollageBasePoint")},
         {{"TileIDIdx", "TileID"}, {"CollageIDIdx", "CollageID"}},
         TVersionParam::Integer},
        {TLibraryTable::CollageTiles, "CollageTiles", "collagetiles.cds", "collagetiles",
         {Integer("CollageID"), Integer("TilePlacementKind"), Integer("TilePlacementVersion"),
          Blob("TilePlacementInfo")},
         {{"CollageIDIdx", "CollageID"}},
         TVersionParam::Integer},
        {TLibraryTable::NextCollageTiles, "NextCollageTiles", "nextcollagetiles.cds",
         "nextcollagetiles",
         {Integer("CollageID"), Blob("CollageHandPoint"), Integer("HandPointKind"),
          Integer("HandPointVersion")},
         {{"CollageIDIdx", "CollageID"}},
         TVersionParam::Integer},
        {TLibraryTable::Parts, "Parts", "parts.cds", "parts",
         {Integer("TileID"), Integer("PartID"), Name("PartName"), Boolean("Equals")},
         {{"TileIDIdx", "TileID"}, {"PartIDIdx", "PartID"}},
         TVersionParam::Text},
        {TLibraryTable::Contours, "Contours", "contours.cds", "contours",
         {Integer("PartID"), Integer("ContourID"), Name("ContourName")},
         {{"PartIDIdx", "PartID"}, {"ContourIDIdx", "ContourID"}},
         TVersionParam::None},
        {TLibraryTable::SizeScale, "SizeScale", "sizes.cds", "sizes",
         {Integer("ID"), Float("SizeX"), Float("SizeY"), Float("PositiveX"), Float("PositiveY"),
          Float("Scale"), Float("X"), Float("Y")},
         {{"IDIdx", "ID"}},
         TVersionParam::Integer},
    };
}

} // namespace

const std::vector<TLibraryTableDef>& LibraryTables() {
    static const std::vector<TLibraryTableDef> tables = MakeTables();
    return tables;
}

const TLibraryTableDef& LibraryTableDef(TLibraryTable table) {
    return LibraryTables().at(static_cast<std::size_t>(table));
}

QString LibraryFileName(TLibraryTable table) {
    return QString::fromLatin1(LibraryTableDef(table).File);
}

} // namespace vk
