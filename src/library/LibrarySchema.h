#pragma once
// The eight tables of the tile library, one SQLite file each in DB/.
// Plain data: the store builds its statements and checks opened files
// against these definitions.

#include <QString>
#include <vector>

namespace vk {

enum class TLibraryTable {
    Tiles,
    Primitives,
    Collages,
    CollageTiles,
    NextCollageTiles,
    Parts,
    Contours,
    SizeScale,
};

inline constexpr int kLibraryTableCount = 8;

// Longest name the library keeps, in characters; longer names are cut.
inline constexpr int kLibraryNameLength = 50;

// Every table also has this column first: an INTEGER PRIMARY KEY that grows
// with each appended row, so that the rows of one owner come back in the
// order in which they were appended.
inline constexpr const char* kOrderColumn = "Seq";

// The small table in every file that keeps the table's "Version" parameter.
inline constexpr const char* kParamsTable = "TableParams";

struct TLibraryColumn {
    const char* Name;
    const char* Type;  // SQLite storage class of a STRICT table
    bool NotNull;
    int MaxLength;     // characters; 0 when unlimited
    bool IsBoolean;    // 0 or 1 only
};

struct TLibraryIndex {
    const char* Name;
    const char* Column;
};

enum class TVersionParam { None, Integer, Text };

struct TLibraryTableDef {
    TLibraryTable Table;
    const char* Name;     // "Tiles"
    const char* File;     // "tiles.cds"
    const char* Schema;   // the name under which the file is attached
    std::vector<TLibraryColumn> Columns;  // without the order column
    std::vector<TLibraryIndex> Indexes;
    TVersionParam Version;
};

// In the order in which missing files are created.
[[nodiscard]] const std::vector<TLibraryTableDef>& LibraryTables();
[[nodiscard]] const TLibraryTableDef& LibraryTableDef(TLibraryTable table);

// The file name of a table inside DB/, e.g. "tiles.cds".
[[nodiscard]] QString LibraryFileName(TLibraryTable table);

} // namespace vk
