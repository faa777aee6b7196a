#include "geometry/PrimitiveRecord.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace vk;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

std::string hexOf(const QByteArray& bytes) { return bytes.toHex(' ').toStdString(); }

FlaggedPoint pt(float x, float y, std::uint8_t isSet = 1) {
    FlaggedPoint p;
    p.X = x;
    p.Y = y;
    p.IsSet = isSet;
    return p;
}

struct RecordCase {
    const char* name;
    PrimitiveRecord record;
};

// One element of every kind, with the bytes that are easiest to lose: IsSet
// bytes of 0, flag bytes at offset 22, a dashed line style, a version other
// than 0 that must come back unchanged.
std::vector<RecordCase> everyKind() {
    TilePlacementData placement;
    placement.TilePoint = pt(12.5f, -7.25f, 0);
    placement.PatternPoint = pt(-300.0f, 150.75f, 1);
    placement.Rotation = 33.5f;
    placement.RotationFlag = 1;

    ArcData arc;
    arc.Centre = pt(0.0f, 0.0f, 0);
    arc.Start = pt(50.0f, 0.0f, 1);
    arc.Sweep = -90.0f;
    arc.SweepFlag = 1;
    arc.Radius = 50.0f;

    ArcData unflaggedArc = arc;
    unflaggedArc.SweepFlag = 0;
    unflaggedArc.Start.IsSet = 0;

    return {
        {"segment, finish not set", PrimitiveRecord::of(LineData{pt(1, 2), pt(3, 4, 0)})},
        {"dashed segment (cut line)", PrimitiveRecord::of(LineData{pt(-5, 5), pt(5, -5)}, 0, 2)},
        {"tile placement with dialog flag", PrimitiveRecord::of(placement)},
        {"point not set, version 7", PrimitiveRecord::of(PointData{pt(100.5f, -0.125f, 0)}, 7)},
        {"arc made by cutting", PrimitiveRecord::of(arc, 0, 2)},
        {"arc without flags", PrimitiveRecord::of(unflaggedArc, -3)},
    };
}

} // namespace

TEST(PrimitiveRecord, WorkedExampleOfASegment) {
    const QByteArray expected = hex("000000000000000001" "0000c842" "00000000" "01");
    const PrimitiveRecord record = PrimitiveRecord::of(LineData{pt(0, 0), pt(100, 0)});
    EXPECT_EQ(hexOf(record.Data), hexOf(expected));
    EXPECT_EQ(record.Kind, 0);
    EXPECT_EQ(record.Version, 0);
    EXPECT_EQ(record.LineStyle, 0);

    const auto bytes = writeRecord(record, LineStyleField::Present);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(hexOf(*bytes), hexOf(QByteArray(12, '\0') + expected));

    const auto data = decodeData(PrimitiveKind::Line, expected);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::get<LineData>(*data), (LineData{pt(0, 0), pt(100, 0)}));
}

TEST(PrimitiveRecord, FieldsSitAtTheirOffsets) {
    TilePlacementData placement;
    placement.Rotation = 1.0f; // 3f800000
    placement.RotationFlag = 1;
    const QByteArray p = encodeData(placement);
    ASSERT_EQ(p.size(), 23);
    EXPECT_EQ(hexOf(p.mid(18, 4)), "00 00 80 3f");
    EXPECT_EQ(p.at(22), '\x01');

    ArcData arc;
    arc.Sweep = -2.0f; // c0000000
    arc.SweepFlag = 1;
    arc.Radius = 0.5f; // 3f000000
    arc.Start = pt(0, 0, 1);
    const QByteArray a = encodeData(arc);
    ASSERT_EQ(a.size(), 27);
    EXPECT_EQ(a.at(8), '\0');   // centre IsSet
    EXPECT_EQ(a.at(17), '\x01'); // start IsSet
    EXPECT_EQ(hexOf(a.mid(18, 4)), "00 00 00 c0");
    EXPECT_EQ(a.at(22), '\x01');
    EXPECT_EQ(hexOf(a.mid(23, 4)), "00 00 00 3f");

    EXPECT_EQ(encodeData(PointData{pt(0, 0, 1)}).size(), 9);
}

TEST(PrimitiveRecord, HeaderIsLittleEndian) {
    PrimitiveRecord record = PrimitiveRecord::of(PointData{pt(0, 0)}, 0x01020304, -2);
    const auto bytes = writeRecord(record, LineStyleField::Present);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(hexOf(bytes->first(12)), "02 00 00 00 04 03 02 01 fe ff ff ff");

    const auto streams = writeRecordStreams(record, LineStyleField::Present);
    ASSERT_TRUE(streams);
    EXPECT_EQ(hexOf(streams->Kind), "02 00 00 00");
    EXPECT_EQ(hexOf(streams->Version), "04 03 02 01");
    EXPECT_EQ(hexOf(streams->LineStyle), "fe ff ff ff");
    EXPECT_EQ(decodeInt32(hex("feffffff")), -2);
}

TEST(PrimitiveRecord, EveryKindRoundTripsThroughEveryForm) {
    for (const auto& c : everyKind()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.record.isWellFormed());
        TPrimitiveRecordReader reader;

        const auto bytes = writeRecord(c.record, LineStyleField::Present);
        ASSERT_TRUE(bytes);
        const RecordReadResult fromBytes = reader.read(QByteArrayView(*bytes), LineStyleField::Present);
        ASSERT_TRUE(fromBytes.ok());
        EXPECT_EQ(fromBytes.Record, c.record);
        EXPECT_EQ(hexOf(*writeRecord(fromBytes.Record, LineStyleField::Present)), hexOf(*bytes));

        const auto streams = writeRecordStreams(c.record, LineStyleField::Present);
        ASSERT_TRUE(streams);
        const RecordReadResult fromStreams = reader.read(*streams, LineStyleField::Present);
        ASSERT_TRUE(fromStreams.ok());
        EXPECT_EQ(fromStreams.Record, c.record);

        const RecordReadResult fromFields = reader.read(c.record, LineStyleField::Present);
        ASSERT_TRUE(fromFields.ok());
        EXPECT_EQ(fromFields.Record, c.record);

        // The typed block comes back as it went in, flags included.
        const auto data = fromBytes.Record.data();
        ASSERT_TRUE(data);
        EXPECT_EQ(encodeData(*data), c.record.Data);
        EXPECT_EQ(reader.skippedCount(), 0);
    }
}

// Any bit pattern of a block survives decoding and encoding: odd IsSet
// values, NaN payloads, negative zero, denormals.
TEST(PrimitiveRecord, ArbitraryBlockBytesSurviveDecodeAndEncode) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const PrimitiveKind kind :
         {PrimitiveKind::Line, PrimitiveKind::TilePlacement, PrimitiveKind::Point, PrimitiveKind::Arc}) {
        for (int sample = 0; sample < 200; ++sample) {
            QByteArray block(primitiveDataSize(kind), '\0');
            for (char& b : block)
                b = static_cast<char>(byte(random));
            if (sample == 0)
                block.fill('\xff'); // NaN with every payload bit, IsSet 255
            const auto data = decodeData(kind, block);
            ASSERT_TRUE(data);
            ASSERT_EQ(kindOf(*data), kind);
            ASSERT_EQ(hexOf(encodeData(*data)), hexOf(block)) << "kind " << static_cast<int>(kind);
        }
    }
}

TEST(PrimitiveRecord, ContainersWithoutLineStyleReadSolid) {
    const PrimitiveRecord dashed = PrimitiveRecord::of(PointData{pt(5, 6)}, 1, 2);
    TPrimitiveRecordReader reader;

    const auto bytes = writeRecord(dashed, LineStyleField::Absent);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 8 + 9);
    const RecordReadResult fromBytes = reader.read(QByteArrayView(*bytes), LineStyleField::Absent);
    ASSERT_TRUE(fromBytes.ok());
    EXPECT_EQ(fromBytes.Record.LineStyle, 0);
    EXPECT_EQ(fromBytes.Record.Version, 1);
    EXPECT_EQ(fromBytes.Record.Data, dashed.Data);

    const auto streams = writeRecordStreams(dashed, LineStyleField::Absent);
    ASSERT_TRUE(streams);
    EXPECT_TRUE(streams->LineStyle.isEmpty());
    EXPECT_EQ(reader.read(*streams, LineStyleField::Absent).Record.LineStyle, 0);

    // A table row that happens to carry a value is still read as solid.
    EXPECT_EQ(reader.read(dashed, LineStyleField::Absent).Record.LineStyle, 0);
}

TEST(PrimitiveRecord, UnknownKindsAreSkippedAndCounted) {
    const PrimitiveRecord good = PrimitiveRecord::of(LineData{pt(0, 0), pt(100, 0)});
    PrimitiveRecord unknown = good;
    unknown.Kind = 9;

    TPrimitiveRecordReader reader;
    // From fields, as a table row hands it over.
    const RecordReadResult r1 = reader.read(unknown, LineStyleField::Present);
    EXPECT_TRUE(r1.skipped());
    EXPECT_FALSE(r1.failed());
    EXPECT_EQ(r1.StoredKind, 9);
    EXPECT_EQ(r1.Record, PrimitiveRecord{});

    // From one buffer: the bytes after the header belong to the record,
    // whatever their number.
    QByteArray buffer = encodeInt32(-1) + encodeInt32(0) + encodeInt32(0) + QByteArray(5, 'x');
    EXPECT_TRUE(reader.read(QByteArrayView(buffer), LineStyleField::Present).skipped());

    // From streams.
    RecordStreams streams = *writeRecordStreams(good, LineStyleField::Absent);
    streams.Kind = encodeInt32(4);
    EXPECT_TRUE(reader.read(streams, LineStyleField::Absent).skipped());

    // The reader goes on with the next record.
    EXPECT_TRUE(reader.read(good, LineStyleField::Present).ok());
    EXPECT_EQ(reader.skippedCount(), 3);
    EXPECT_EQ(reader.skippedKinds(), (QList<std::int32_t>{9, -1, 4}));

    // Nothing of unknown kind is ever written.
    EXPECT_FALSE(writeRecord(unknown, LineStyleField::Present));
    EXPECT_FALSE(writeRecordStreams(unknown, LineStyleField::Present));
    EXPECT_FALSE(unknown.data());
}

TEST(PrimitiveRecord, BlockOfTheWrongSizeIsAnError) {
    struct SizeCase {
        const char* name;
        PrimitiveKind kind;
        int size;
    };
    const SizeCase cases[] = {
        {"empty segment", PrimitiveKind::Line, 0},
        {"short segment", PrimitiveKind::Line, 17},
        {"long segment", PrimitiveKind::Line, 19},
        {"placement without its flag byte", PrimitiveKind::TilePlacement, 22},
        {"point with a spare byte", PrimitiveKind::Point, 10},
        {"arc short of one radius byte", PrimitiveKind::Arc, 26},
        {"arc sized as a placement", PrimitiveKind::Arc, 23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PrimitiveRecord record;
        record.Kind = static_cast<std::int32_t>(c.kind);
        record.Data = QByteArray(c.size, '\x01');
        TPrimitiveRecordReader reader;
        const RecordReadResult result = reader.read(record, LineStyleField::Present);
        EXPECT_EQ(result.Status, RecordStatus::WrongDataSize);
        EXPECT_TRUE(result.failed());
        EXPECT_EQ(result.ExpectedSize, primitiveDataSize(c.kind));
        EXPECT_EQ(result.ActualSize, c.size);
        EXPECT_EQ(reader.skippedCount(), 0);
        EXPECT_FALSE(record.isWellFormed());
        EXPECT_FALSE(writeRecord(record, LineStyleField::Present));
        EXPECT_FALSE(decodeData(c.kind, record.Data));
    }
}

// Every prefix of a valid buffer is refused. The prefixes are views into the
// full buffer, so a reader that looked past the end of its view would find
// valid bytes there and wrongly succeed.
TEST(PrimitiveRecord, TruncatedInputIsRefusedWithoutReadingPastItsEnd) {
    for (const auto& c : everyKind()) {
        SCOPED_TRACE(c.name);
        for (const LineStyleField field : {LineStyleField::Present, LineStyleField::Absent}) {
            const QByteArray full = *writeRecord(c.record, field);
            const int header = field == LineStyleField::Present ? 12 : 8;
            TPrimitiveRecordReader reader;
            for (qsizetype n = 0; n < full.size(); ++n) {
                const RecordReadResult r = reader.read(QByteArrayView(full).first(n), field);
                ASSERT_TRUE(r.failed()) << "prefix of " << n << " bytes";
                ASSERT_EQ(r.Status, n < header ? RecordStatus::BadHeader : RecordStatus::WrongDataSize)
                    << "prefix of " << n << " bytes";
            }
            EXPECT_TRUE(reader.read(QByteArrayView(full), field).ok());

            const QByteArrayView block(c.record.Data);
            for (qsizetype n = 0; n < block.size(); ++n)
                ASSERT_FALSE(decodeData(*c.record.kind(), block.first(n))) << n;
        }
    }

    const QByteArray point = encodeFlaggedPoint(pt(1, 2));
    for (qsizetype n = 0; n < point.size(); ++n)
        EXPECT_FALSE(decodeFlaggedPoint(QByteArrayView(point).first(n))) << n;
    const QByteArray four = encodeInt32(7);
    for (qsizetype n = 0; n < four.size(); ++n)
        EXPECT_FALSE(decodeInt32(QByteArrayView(four).first(n))) << n;
}

TEST(PrimitiveRecord, StreamsOfTheWrongWidthAreBadHeaders) {
    const RecordStreams good = *writeRecordStreams(PrimitiveRecord::of(PointData{pt(1, 1)}),
                                                   LineStyleField::Present);
    struct StreamCase {
        const char* name;
        RecordStreams streams;
    };
    std::vector<StreamCase> cases;
    cases.push_back({"kind of 3 bytes", good});
    cases.back().streams.Kind.chop(1);
    cases.push_back({"version of 5 bytes", good});
    cases.back().streams.Version.append('\0');
    cases.push_back({"line style missing", good});
    cases.back().streams.LineStyle.clear();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPrimitiveRecordReader reader;
        EXPECT_EQ(reader.read(c.streams, LineStyleField::Present).Status, RecordStatus::BadHeader);
    }
}

TEST(PrimitiveRecord, BasePointKeepsItsFlagAndCoordinates) {
    const FlaggedPoint unset = pt(-12.5f, 3000.25f, 0);
    const QByteArray bytes = encodeFlaggedPoint(unset);
    EXPECT_EQ(hexOf(bytes), "00 00 48 c1 00 84 3b 45 00");
    const auto back = decodeFlaggedPoint(bytes);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->isSet());
    EXPECT_EQ(*back, unset);

    // The base point has the layout of a point element's block.
    EXPECT_EQ(encodeFlaggedPoint(pt(0, 100)), encodeData(PointData{pt(0, 100)}));
}
