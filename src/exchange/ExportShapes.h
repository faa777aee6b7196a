#pragma once
// What the drawings for other programs are made of: the site's border as
// closed figures, and every laid tile in its colour group as the shape that
// lies on the site. A tile the border cuts is its piece inside the site
// (straight chords where the cut runs along an arc); a whole tile keeps its
// arcs.

#include "geometry/ShapePath.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace vk {

class TProject;

struct TExportTile {
    enum class TKind {
        Whole,
        // Cut and matched with a half of the tile.
        Cut,
        // Cut, and no half of the tile matches the piece.
        CutNoHalf,
    };
    TKind Kind = TKind::Whole;
    // World millimetres, +Y up; one figure per piece, each closed.
    TShapePath Shape;
};

struct TExportGroup {
    std::uint32_t Color = 0; // ARGB
    std::vector<TExportTile> Tiles;
};

struct TExportDrawing {
    // The site's figures: the outline and its holes.
    TShapePath Border;
    std::vector<TExportGroup> Groups;
    // The report's lines, as the report dialog reads.
    QStringList ReportLines;
};

// The project as it stands: its border (the site is built from the border
// when no fill has built it yet) and its laid tiles.
[[nodiscard]] TExportDrawing CollectDrawing(TProject& project);

// Where a file could not be written, in the words the user is shown.
[[nodiscard]] QString WriteFailure(const QString& fileName, const QString& reason);

} // namespace vk
