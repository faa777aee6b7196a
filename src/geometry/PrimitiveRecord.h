#pragma once
// The stored form of graphic elements: a kind code, a version, where the
// container has a field for it a line style, and the element's data block.
// The tile library (table rows) and project files (one sub-storage of streams
// per element) keep the same record; both go through this one reader and
// writer, so an element saved in one place reads back identically in the other.
//
// Every number is written little-endian whatever the host, singles as their
// IEEE-754 bit pattern; blocks are packed, so fields start at odd offsets.
// The codec moves bits, never values: a record read and written again is the
// same bytes, including IsSet bytes and flag bytes that are 0.

#include "geometry/PrimitiveKind.h"
#include "geometry/RecordBytes.h"
#include "geometry/Types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

namespace vk {

// Data blocks exactly as stored (and as the elements hold them in memory).
#pragma pack(push, 1)
struct LineData {
    FlaggedPoint Start;
    FlaggedPoint Finish;
    friend bool operator==(const LineData&, const LineData&) = default;
};

struct TilePlacementData {
    FlaggedPoint TilePoint;    // tile-local
    FlaggedPoint PatternPoint; // pattern-local
    float Rotation = 0.0f;     // degrees
    std::uint8_t RotationFlag = 0; // 1 when made by the placement dialog
    friend bool operator==(const TilePlacementData&, const TilePlacementData&) = default;
};

struct PointData {
    FlaggedPoint Point;
    friend bool operator==(const PointData&, const PointData&) = default;
};

struct ArcData {
    FlaggedPoint Centre;
    FlaggedPoint Start;
    float Sweep = 0.0f;         // signed degrees
    std::uint8_t SweepFlag = 0; // 1 on arcs made by cutting
    float Radius = 0.0f;
    friend bool operator==(const ArcData&, const ArcData&) = default;
};
#pragma pack(pop)

static_assert(sizeof(LineData) == 18 && offsetof(LineData, Finish) == 9);
static_assert(sizeof(TilePlacementData) == 23 && offsetof(TilePlacementData, PatternPoint) == 9
              && offsetof(TilePlacementData, Rotation) == 18
              && offsetof(TilePlacementData, RotationFlag) == 22);
static_assert(sizeof(PointData) == 9);
static_assert(sizeof(ArcData) == 27 && offsetof(ArcData, Start) == 9 && offsetof(ArcData, Sweep) == 18
              && offsetof(ArcData, SweepFlag) == 22 && offsetof(ArcData, Radius) == 23);

// The data block of any kind; the alternative says the kind.
using PrimitiveData = std::variant<LineData, TilePlacementData, PointData, ArcData>;

// GetDataSize of a kind: 18, 23, 9, 27.
[[nodiscard]] int primitiveDataSize(PrimitiveKind kind);
[[nodiscard]] PrimitiveKind kindOf(const PrimitiveData& data);

// Data blocks to and from bytes. Decoding wants exactly the kind's size.
[[nodiscard]] QByteArray encodeData(const PrimitiveData& data);
[[nodiscard]] std::optional<PrimitiveData> decodeData(PrimitiveKind kind, QByteArrayView bytes);

// A FlaggedPoint as 9 bytes: the base point of a tile, pattern or project and
// the project's start point are stored this way. Decoding wants exactly 9
// bytes; a point whose IsSet byte is 0 comes back not set, X and Y as stored.
[[nodiscard]] QByteArray encodeFlaggedPoint(const FlaggedPoint& point);
[[nodiscard]] std::optional<FlaggedPoint> decodeFlaggedPoint(QByteArrayView bytes);

// A 32-bit field as 4 bytes (the project's "Kind", "Version" and "LineStyle"
// streams). Decoding wants exactly 4 bytes.
[[nodiscard]] QByteArray encodeInt32(std::int32_t value);
[[nodiscard]] std::optional<std::int32_t> decodeInt32(QByteArrayView bytes);

// Whether the container keeps a line style for each record. The pattern's
// placement and neighbour tables do not; their elements read back solid (0).
enum class LineStyleField { Absent, Present };

// One element record. As handed over by a container it may name an unknown
// kind or carry a block of the wrong size; what the reader returns never does.
struct PrimitiveRecord {
    std::int32_t Kind = 0;
    std::int32_t Version = 0;   // carried through unchanged; nobody interprets it
    std::int32_t LineStyle = 0; // 0 solid, 2 dashed (a cut line)
    QByteArray Data;

    // The record of an element's block, as the program writes it.
    [[nodiscard]] static PrimitiveRecord of(const PrimitiveData& data, std::int32_t version = 0,
                                            std::int32_t lineStyle = 0);

    [[nodiscard]] std::optional<PrimitiveKind> kind() const { return primitiveKindFromCode(Kind); }
    // A known kind with a block of exactly its size.
    [[nodiscard]] bool isWellFormed() const;
    // The typed block; nullopt unless well formed.
    [[nodiscard]] std::optional<PrimitiveData> data() const;

    friend bool operator==(const PrimitiveRecord&, const PrimitiveRecord&) = default;
};

// A record as a project keeps it: one stream per field. LineStyle is empty
// when the container has no such field.
struct RecordStreams {
    QByteArray Kind;
    QByteArray Version;
    QByteArray LineStyle;
    QByteArray Data;
    friend bool operator==(const RecordStreams&, const RecordStreams&) = default;
};

// The writer. Nothing is written for a record that is not well formed, so the
// program never stores a record that no reader would accept.
//
// One buffer: Kind, Version, [LineStyle], Data, 8 or 12 header bytes and then
// exactly the kind's data size.
[[nodiscard]] std::optional<QByteArray> writeRecord(const PrimitiveRecord& record, LineStyleField field);
// One stream per field.
[[nodiscard]] std::optional<RecordStreams> writeRecordStreams(const PrimitiveRecord& record,
                                                              LineStyleField field);

enum class RecordStatus {
    Read,               // Record holds a well-formed record
    SkippedUnknownKind, // the kind code names no element; nothing is to be created
    WrongDataSize,      // the block is not the kind's data size
    BadHeader,          // a kind, version or line style field is missing or not 4 bytes
};

struct RecordReadResult {
    RecordStatus Status = RecordStatus::BadHeader;
    PrimitiveRecord Record; // meaningful when Status is Read
    std::int32_t StoredKind = 0; // the kind code found, when the header was readable
    int ExpectedSize = -1;  // the kind's data size, for a known kind
    int ActualSize = -1;    // the size of the block found

    [[nodiscard]] bool ok() const { return Status == RecordStatus::Read; }
    [[nodiscard]] bool skipped() const { return Status == RecordStatus::SkippedUnknownKind; }
    // The record is broken: the document it belongs to cannot be trusted.
    [[nodiscard]] bool failed() const { return !ok() && !skipped(); }
};

// The reader. One object per document read, so that the caller can tell the
// user afterwards how many records named no element kind. A size mismatch is
// never patched up: a short block is not padded and a long one not cut.
class TPrimitiveRecordReader {
public:
    // Fields a container has already separated (a library table row). With
    // LineStyleField::Absent the line style read is 0, whatever Record holds.
    RecordReadResult read(const PrimitiveRecord& stored, LineStyleField field);
    // One stream per field (a project's sub-storage).
    RecordReadResult read(const RecordStreams& streams, LineStyleField field);
    // One buffer as writeRecord makes it; the buffer holds one record, so a
    // record of unknown kind is skipped whatever follows its header.
    RecordReadResult read(QByteArrayView bytes, LineStyleField field);

    [[nodiscard]] int skippedCount() const { return static_cast<int>(FSkippedKinds.size()); }
    // The kind codes of the skipped records, in the order they were met.
    [[nodiscard]] const QList<std::int32_t>& skippedKinds() const { return FSkippedKinds; }

private:
    QList<std::int32_t> FSkippedKinds;
};

} // namespace vk
