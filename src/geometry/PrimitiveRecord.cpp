#include "geometry/PrimitiveRecord.h"

#include "geometry/RecordBytes.h"

#include <type_traits>
#include <utility>

namespace vk {

namespace {

// Appends fields in their stored form; the host's byte order never shows.
class ByteWriter {
public:
    explicit ByteWriter(qsizetype reserve) { FBytes.reserve(reserve); }

    void i32(std::int32_t value) { put<kInt32Size>([value](std::uint8_t* out) { putInt32(out, value); }); }
    void single(float value) { put<4>([value](std::uint8_t* out) { putSingle(out, value); }); }
    void byte(std::uint8_t value) { FBytes.append(static_cast<char>(value)); }
    void point(const FlaggedPoint& p) {
        put<kFlaggedPointSize>([&p](std::uint8_t* out) { putFlaggedPoint(out, p); });
    }

    [[nodiscard]] QByteArray take() { return std::move(FBytes); }

private:
    template <int Size, class Put>
    void put(Put write) {
        std::uint8_t field[Size];
        write(field);
        FBytes.append(reinterpret_cast<const char*>(field), Size);
    }

    QByteArray FBytes;
};

// Reads little-endian values from a view. Callers check sizes first; the
// reader still refuses to step past the end and then yields zeros.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView bytes) : FBytes(bytes) {}

    [[nodiscard]] bool ok() const { return FOk; }
    [[nodiscard]] qsizetype remaining() const { return FBytes.size() - FPos; }

    std::int32_t i32() { return take<kInt32Size>(std::int32_t{0}, &getInt32); }
    float single() { return take<4>(0.0f, &getSingle); }
    std::uint8_t byte() {
        if (!need(1))
            return 0;
        return static_cast<std::uint8_t>(FBytes[FPos++]);
    }
    FlaggedPoint point() { return take<kFlaggedPointSize>(FlaggedPoint{}, &getFlaggedPoint); }
    QByteArrayView rest() {
        const QByteArrayView tail = FBytes.sliced(FPos);
        FPos = FBytes.size();
        return tail;
    }

private:
    template <int Size, class T>
    T take(T none, T (*get)(const std::uint8_t*)) {
        if (!need(Size))
            return none;
        const T value = get(reinterpret_cast<const std::uint8_t*>(FBytes.data() + FPos));
        FPos += Size;
        return value;
    }

    bool need(qsizetype n) {
        if (remaining() < n)
            FOk = false;
        return FOk;
    }

    QByteArrayView FBytes;
    qsizetype FPos = 0;
    bool FOk = true;
};

void put(ByteWriter& w, const LineData& d) {
    w.point(d.Start);
    w.point(d.Finish);
}
void put(ByteWriter& w, const TilePlacementData& d) {
    w.point(d.TilePoint);
    w.point(d.PatternPoint);
    w.single(d.Rotation);
    w.byte(d.RotationFlag);
}
void put(ByteWriter& w, const PointData& d) { w.point(d.Point); }
void put(ByteWriter& w, const ArcData& d) {
    w.point(d.Centre);
    w.point(d.Start);
    w.single(d.Sweep);
    w.byte(d.SweepFlag);
    w.single(d.Radius);
}

PrimitiveData take(PrimitiveKind kind, ByteReader& r) {
    switch (kind) {
    case PrimitiveKind::Line: {
        LineData d;
        d.Start = r.point();
        d.Finish = r.point();
        return d;
    }
    case PrimitiveKind::TilePlacement: {
        TilePlacementData d;
        d.TilePoint = r.point();
        d.PatternPoint = r.point();
        d.Rotation = r.single();
        d.RotationFlag = r.byte();
        return d;
    }
    case PrimitiveKind::Point: {
        PointData d;
        d.Point = r.point();
        return d;
    }
    case PrimitiveKind::Arc: {
        ArcData d;
        d.Centre = r.point();
        d.Start = r.point();
        d.Sweep = r.single();
        d.SweepFlag = r.byte();
        d.Radius = r.single();
        return d;
    }
    }
    return LineData{}; // unreachable: callers pass known kinds only
}

int headerSize(LineStyleField field) {
    return field == LineStyleField::Present ? 3 * kInt32Size : 2 * kInt32Size;
}

} // namespace

int primitiveDataSize(PrimitiveKind kind) {
    switch (kind) {
    case PrimitiveKind::Line: return sizeof(LineData);
    case PrimitiveKind::TilePlacement: return sizeof(TilePlacementData);
    case PrimitiveKind::Point: return sizeof(PointData);
    case PrimitiveKind::Arc: return sizeof(ArcData);
    }
    return 0;
}

PrimitiveKind kindOf(const PrimitiveData& data) {
    // The variant's alternatives are listed in kind-code order.
    static_assert(std::is_same_v<std::variant_alternative_t<0, PrimitiveData>, LineData>
                  && std::is_same_v<std::variant_alternative_t<1, PrimitiveData>, TilePlacementData>
                  && std::is_same_v<std::variant_alternative_t<2, PrimitiveData>, PointData>
                  && std::is_same_v<std::variant_alternative_t<3, PrimitiveData>, ArcData>);
    return static_cast<PrimitiveKind>(data.index());
}

QByteArray encodeData(const PrimitiveData& data) {
    ByteWriter w(primitiveDataSize(kindOf(data)));
    std::visit([&w](const auto& block) { put(w, block); }, data);
    return w.take();
}

std::optional<PrimitiveData> decodeData(PrimitiveKind kind, QByteArrayView bytes) {
    if (bytes.size() != primitiveDataSize(kind))
        return std::nullopt;
    ByteReader r(bytes);
    PrimitiveData data = take(kind, r);
    if (!r.ok())
        return std::nullopt;
    return data;
}

QByteArray encodeFlaggedPoint(const FlaggedPoint& point) {
    ByteWriter w(kFlaggedPointSize);
    w.point(point);
    return w.take();
}

std::optional<FlaggedPoint> decodeFlaggedPoint(QByteArrayView bytes) {
    if (bytes.size() != kFlaggedPointSize)
        return std::nullopt;
    ByteReader r(bytes);
    return r.point();
}

QByteArray encodeInt32(std::int32_t value) {
    ByteWriter w(kInt32Size);
    w.i32(value);
    return w.take();
}

std::optional<std::int32_t> decodeInt32(QByteArrayView bytes) {
    if (bytes.size() != kInt32Size)
        return std::nullopt;
    ByteReader r(bytes);
    return r.i32();
}

PrimitiveRecord PrimitiveRecord::of(const PrimitiveData& data, std::int32_t version, std::int32_t lineStyle) {
    PrimitiveRecord record;
    record.Kind = static_cast<std::int32_t>(kindOf(data));
    record.Version = version;
    record.LineStyle = lineStyle;
    record.Data = encodeData(data);
    return record;
}

bool PrimitiveRecord::isWellFormed() const {
    const auto k = kind();
    return k && Data.size() == primitiveDataSize(*k);
}

std::optional<PrimitiveData> PrimitiveRecord::data() const {
    const auto k = kind();
    if (!k)
        return std::nullopt;
    return decodeData(*k, Data);
}

std::optional<QByteArray> writeRecord(const PrimitiveRecord& record, LineStyleField field) {
    if (!record.isWellFormed())
        return std::nullopt;
    ByteWriter w(headerSize(field) + record.Data.size());
    w.i32(record.Kind);
    w.i32(record.Version);
    if (field == LineStyleField::Present)
        w.i32(record.LineStyle);
    QByteArray bytes = w.take();
    bytes.append(record.Data);
    return bytes;
}

std::optional<RecordStreams> writeRecordStreams(const PrimitiveRecord& record, LineStyleField field) {
    if (!record.isWellFormed())
        return std::nullopt;
    RecordStreams streams;
    streams.Kind = encodeInt32(record.Kind);
    streams.Version = encodeInt32(record.Version);
    if (field == LineStyleField::Present)
        streams.LineStyle = encodeInt32(record.LineStyle);
    streams.Data = record.Data;
    return streams;
}

RecordReadResult TPrimitiveRecordReader::read(const PrimitiveRecord& stored, LineStyleField field) {
    RecordReadResult result;
    result.StoredKind = stored.Kind;
    result.ActualSize = static_cast<int>(stored.Data.size());
    const auto kind = stored.kind();
    if (!kind) {
        result.Status = RecordStatus::SkippedUnknownKind;
        FSkippedKinds.append(stored.Kind);
        return result;
    }
    result.ExpectedSize = primitiveDataSize(*kind);
    if (result.ActualSize != result.ExpectedSize) {
        result.Status = RecordStatus::WrongDataSize;
        return result;
    }
    result.Status = RecordStatus::Read;
    result.Record = stored;
    if (field == LineStyleField::Absent)
        result.Record.LineStyle = 0;
    return result;
}

RecordReadResult TPrimitiveRecordReader::read(const RecordStreams& streams, LineStyleField field) {
    const auto kind = decodeInt32(streams.Kind);
    const auto version = decodeInt32(streams.Version);
    std::optional<std::int32_t> lineStyle = 0;
    if (field == LineStyleField::Present)
        lineStyle = decodeInt32(streams.LineStyle);
    if (!kind || !version || !lineStyle) {
        RecordReadResult result;
        result.Status = RecordStatus::BadHeader;
        result.StoredKind = kind.value_or(0);
        result.ActualSize = static_cast<int>(streams.Data.size());
        return result;
    }
    return read(PrimitiveRecord{*kind, *version, *lineStyle, streams.Data}, field);
}

RecordReadResult TPrimitiveRecordReader::read(QByteArrayView bytes, LineStyleField field) {
    if (bytes.size() < headerSize(field)) {
        RecordReadResult result;
        result.Status = RecordStatus::BadHeader;
        if (bytes.size() >= kInt32Size)
            result.StoredKind = *decodeInt32(bytes.first(kInt32Size));
        return result;
    }
    ByteReader r(bytes);
    PrimitiveRecord stored;
    stored.Kind = r.i32();
    stored.Version = r.i32();
    if (field == LineStyleField::Present)
        stored.LineStyle = r.i32();
    stored.Data = r.rest().toByteArray();
    return read(stored, field);
}

} // namespace vk
