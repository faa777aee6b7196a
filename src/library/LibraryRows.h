#pragma once
// One row of each library table, with the tables' own field names. Element
// data blocks travel as the raw bytes the element keeps; base points as the
// FlaggedPoint they are stored from (9 bytes, little-endian).

#include "geometry/PrimitiveKind.h"
#include "geometry/Types.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace vk {

// A stored identifier is never -1; -1 marks a document not yet stored.
inline constexpr qint32 kNoLibraryId = -1;

struct TTileRow {
    qint32 TileID = kNoLibraryId;
    QString TileName;
    QDateTime TileModified;  // invalid: none stored
    FlaggedPoint TileBasePoint;
    double Thickness = 0.0;
    QString Comment;
    friend bool operator==(const TTileRow&, const TTileRow&) = default;
};

// An element of a tile outline, of a cut or of a half; TileID names the owner.
struct TPrimitiveRow {
    qint32 TileID = kNoLibraryId;
    qint32 PrimKind = pkSegment;
    qint32 PrimVersion = 0;
    QByteArray PrimGraphicInfo;
    qint32 LineStyle = 0;
    friend bool operator==(const TPrimitiveRow&, const TPrimitiveRow&) = default;
};

struct TCollageRow {
    qint32 TileID = kNoLibraryId;
    qint32 CollageID = kNoLibraryId;
    QString CollageName;
    QDateTime CollageModified;  // invalid: none stored
    FlaggedPoint CollageBasePoint;
    friend bool operator==(const TCollageRow&, const TCollageRow&) = default;
};

// A tile placement of a pattern.
struct TCollageTileRow {
    qint32 CollageID = kNoLibraryId;
    qint32 TilePlacementKind = pkTilePlacement;
    qint32 TilePlacementVersion = 0;
    QByteArray TilePlacementInfo;
    friend bool operator==(const TCollageTileRow&, const TCollageTileRow&) = default;
};

// A hand point of a pattern.
struct TNextCollageTileRow {
    qint32 CollageID = kNoLibraryId;
    QByteArray CollageHandPoint;
    qint32 HandPointKind = pkPoint;
    qint32 HandPointVersion = 0;
    friend bool operator==(const TNextCollageTileRow&, const TNextCollageTileRow&) = default;
};

// A cut of a tile into halves.
struct TPartRow {
    qint32 TileID = kNoLibraryId;
    qint32 PartID = kNoLibraryId;
    QString PartName;
    bool Equals = false;
    friend bool operator==(const TPartRow&, const TPartRow&) = default;
};

// A half of a cut.
struct TContourRow {
    qint32 PartID = kNoLibraryId;
    qint32 ContourID = kNoLibraryId;
    QString ContourName;
    friend bool operator==(const TContourRow&, const TContourRow&) = default;
};

// SizeScale rows are read and written as a ViewRecord under an identifier.

} // namespace vk
