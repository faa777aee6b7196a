#pragma once
// The library a first start finds: paving stones with their halves and
// laying patterns, kept in the repository as a readable description
// (data/starter-library.json) and written into a library folder through the
// library's own operations, as if a user had drawn them.
//
// The description is JSON: {"tiles": [ tile, ... ]}, each tile with its
// parts and its patterns nested, in the dialect of model/ShapeDescription.h.
// Every entry must be complete (names, thickness, a closed outline, halves,
// hand points that span the plane). A half takes the pieces of the tile, cut
// by the part's lines, that lie inside its rectangle.

#include "model/ShapeDescription.h"

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

using TStarterElement = TElementDescription;
using TStarterHalf = THalfDescription;
using TStarterPart = TPartDescription;
using TStarterPlacement = TPlacementDescription;
using TStarterPattern = TPatternDescription;
using TStarterTile = TTileDescription;

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
