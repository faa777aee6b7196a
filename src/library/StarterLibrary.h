#pragma once
// The library a first start finds: paving stones with their halves and
// laying patterns, kept in the repository as a readable description
// (data/starter-library.json) and written into a library folder through the
// library's own operations, as if a user had drawn them.
//
// The description, in JSON (coordinates in millimetres, tile-local for
// outlines, cuts and half rectangles, pattern-local for placements and hand
// points; angles in degrees, positive from +X towards +Y):
//
//   { "tiles": [ {
//       "name": "Брусчатка 200×100×60", "thickness": 60, "comment": "...",
//       "outline": [ {"line": [[x, y], [x, y]]},
//                    {"arc": [[from], [through], [to]]}, ... ],
//       "parts": [ { "name": "Поперёк", "interchangeable": true,
//                    "cuts": [ {"line": ...} ],
//                    "halves": [ {"name": "Левая", "rect": [[x, y], [x, y]]} ] } ],
//       "patterns": [ { "name": "Ёлочка",
//                       "placements": [ {"tile": [x, y], "at": [x, y], "rotation": 90} ],
//                       "hands": [[x, y], [x, y]] } ] } ] }
//
// An element may carry "dashed": true (a marking line, not outline). The
// outline must be one closed chain in order. A half takes the pieces of the
// tile, cut by the part's lines, that lie inside its rectangle. A placement
// puts the point "tile" of the tile, turned by "rotation" about the tile's
// origin, onto the point "at" of the pattern; the pattern repeats at plus and
// minus each hand point.

#include "geometry/Types.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <vector>

namespace vk {

class TTileDB;

// A description that cannot be read or written; the text says where and why.
class TStarterError : public std::runtime_error {
public:
    explicit TStarterError(const QString& text);
    [[nodiscard]] const QString& Text() const { return m_text; }

private:
    QString m_text;
};

struct TStarterElement {
    enum class Kind { Line, Arc };
    Kind Shape = Kind::Line;
    TPointF From;
    TPointF Through;  // arcs only
    TPointF To;
    bool Dashed = false;
};

struct TStarterHalf {
    QString Name;
    TPointF Corner1;
    TPointF Corner2;
};

struct TStarterPart {
    QString Name;
    bool Interchangeable = false;
    std::vector<TStarterElement> Cuts;
    std::vector<TStarterHalf> Halves;
};

struct TStarterPlacement {
    TPointF TilePoint;
    TPointF PatternPoint;
    float Rotation = 0.0f;
};

struct TStarterPattern {
    QString Name;
    std::vector<TStarterPlacement> Placements;
    std::vector<TPointF> HandPoints;
};

struct TStarterTile {
    QString Name;
    float Thickness = 0.0f;
    QString Comment;
    std::vector<TStarterElement> Outline;
    std::vector<TStarterPart> Parts;
    std::vector<TStarterPattern> Patterns;
};

struct TStarterDescription {
    std::vector<TStarterTile> Tiles;
};

// Throws TStarterError for anything malformed: bad JSON, a missing or
// mistyped field, an arc whose three points lie on one line, an outline that
// is not one closed chain.
[[nodiscard]] TStarterDescription ReadStarterDescription(const QByteArray& json);

// Stores every tile, its parts and its patterns through the library's
// operations, answering their name boxes with the described names. A name
// that is already in the library, or a half whose rectangle takes no piece,
// throws TStarterError; what was stored before stays.
void WriteStarterLibrary(const TStarterDescription& description, TTileDB& db);

} // namespace vk
