// The project file "*.mpp": reading, writing, and the questions around saving.
//
// Layout (a compound file; names compared without regard to letter case):
//   Version, Orientation, TileID, CollageID    4 bytes each
//   BasePoint, StartPoint                      9 bytes each (FlaggedPoint)
//   Comment                                    code page 1251 text, no length, no terminator
//   Texture                                    an image file, only when set
//   Borders/Border0000001...                   Version, Kind, LineStyle, PrimitiveInfo
//   Tiles/Tile0000001...                       BasePoint, Orientation, Color, PartID, ContourID

#include "model/ProjectFile.h"

#include "model/Project.h"

#include "ui/DrawingSheet.h"
#include "geometry/ElementRecords.h"
#include "geometry/PrimitiveRecord.h"
#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "compound/CompoundFile.h"
#include "model/Config.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "ui/AskSaveFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <iterator>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace vk {

namespace {

const QString& readErrorText() {
    static const QString text = QStringLiteral("Ошибка чтения проекта");
    return text;
}

// What breaks off a reading; its text is what the error box shows.
struct TReadError {
    QString Text;
};

// The user stopped the reading.
struct TReadStopped {};

// Reports every so many tiles: often enough for a window that repaints,
// rarely enough to cost nothing.
constexpr int kTilesPerReport = 1024;

qint64 progressAt(qint64 from, qint64 to, qint64 done, qint64 total) {
    return total <= 0 ? to : from + (to - from) * done / total;
}

// A stream of a fixed size: zeros when it is missing (false), its bytes
// otherwise, the rest zeros when it is shorter. A longer stream is refused
// rather than read in part.
bool readFixed(const TStorage& storage, const QString& name, int size, QByteArray& out) {
    QByteArray bytes;
    out = QByteArray(size, '\0');
    switch (storage.ReadStream(name, bytes, size)) {
    case TStorage::TRead::Ok:
        std::memcpy(out.data(), bytes.constData(), size_t(bytes.size()));
        return true;
    case TStorage::TRead::Missing:
        return false;
    case TStorage::TRead::TooLong:
    case TStorage::TRead::Failed:
        break;
    }
    throw TReadError{readErrorText()};
}

// An element's data block: its kind's size, read as the library reads it. A
// longer record gives its first bytes (later writers may add to a block), a
// shorter one the rest in zeros; only a stream that cannot be read fails.
QByteArray readBlock(const TStorage& storage, const QString& name, int size) {
    QByteArray bytes;
    switch (storage.ReadStream(name, bytes)) {
    case TStorage::TRead::Ok:
        bytes.truncate(size);
        return bytes;
    case TStorage::TRead::Missing:
        return QByteArray(size, '\0');
    case TStorage::TRead::TooLong:
    case TStorage::TRead::Failed:
        break;
    }
    throw TReadError{readErrorText()};
}

std::int32_t readInt32(const TStorage& storage, const QString& name, std::int32_t missing = 0) {
    QByteArray bytes;
    return readFixed(storage, name, 4, bytes) ? *decodeInt32(bytes) : missing;
}

float readSingle(const TStorage& storage, const QString& name) {
    return std::bit_cast<float>(readInt32(storage, name));
}

FlaggedPoint readPoint(const TStorage& storage, const QString& name) {
    QByteArray bytes;
    readFixed(storage, name, kFlaggedPointSize, bytes);
    return *decodeFlaggedPoint(bytes);
}

// Code page 1251, 0x80-0xBF (0xC0-0xFF are А..я in order): the 8-bit text
// the format holds. Qt's own converters know no 8-bit Cyrillic without ICU.
constexpr char16_t kCp1251High[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
        0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
        0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
        0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
        0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

QString fromCp1251(const QByteArray& bytes) {
    const auto& high = kCp1251High;
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            text.append(QChar(u));
        } else if (u < 0xC0) {
            text.append(QChar(high[u - 0x80]));
        } else {
            text.append(QChar(char16_t(0x0410 + (u - 0xC0)))); // А..я
        }
    }
    return text;
}

// Every character code page 1251 cannot hold becomes one "?"; `lost` tells
// whether that happened.
QByteArray toCp1251(const QString& text, bool& lost) {
    lost = false;
    QByteArray bytes;
    bytes.reserve(text.size());
    const QList<uint> codes = text.toUcs4();
    for (const uint c : codes) {
        if (c < 0x80) {
            bytes.append(char(c));
            continue;
        }
        if (c >= 0x0410 && c <= 0x044F) {
            bytes.append(char(0xC0 + (c - 0x0410)));
            continue;
        }
        const auto* const at = std::find(std::begin(kCp1251High), std::end(kCp1251High), char16_t(c));
        if (c != 0xFFFD && c <= 0xFFFF && at != std::end(kCp1251High)) {
            bytes.append(char(0x80 + (at - std::begin(kCp1251High))));
            continue;
        }
        bytes.append('?');
        lost = true;
    }
    return bytes;
}

// The comment is written in code page 1251, as other readers of the format
// expect. Earlier builds of this program wrote UTF-8; a comment that is valid
// UTF-8 is read as such, since 8-bit Cyrillic text almost never is.
QString decodeComment(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromCp1251(bytes) : text;
}

bool startsWithIgnoringCase(const QString& name, const QString& prefix) {
    return name.size() >= prefix.size() && QString::compare(name.left(prefix.size()), prefix, Qt::CaseInsensitive) == 0;
}

// Fixed-width numbers keep the format's listing order (shorter names first,
// then by name) the same as the writing order.
QString numbered(const QString& prefix, int index, int width) {
    return prefix + QStringLiteral("%1").arg(index, width, 10, QLatin1Char('0'));
}

int numberWidth(int count) {
    int width = 1;
    for (int n = count; n >= 10; n /= 10) {
        ++width;
    }
    return std::max(7, width);
}

QByteArray encodeSingle(float value) { return encodeInt32(std::bit_cast<std::int32_t>(value)); }

} // namespace

// --- texture -------------------------------------------------------------------------

bool TProject::SetTextureImage(const QByteArray& bytes) {
    const QImage image = QImage::fromData(bytes);
    if (image.isNull()) {
        return false;
    }
    SetTexture(std::make_unique<QBrush>(image));
    m_textureBytes = bytes;
    return true;
}

// --- reading ---------------------------------------------------------------------------

bool TProject::LoadFromFile(const QString& fileName, bool* cancelled) {
    std::unique_ptr<TProgress> progress =
        ui().progress(QStringLiteral("Открытие проекта…"), TProjectFile::kProgressTotal, true);
    QString error;
    const std::unique_ptr<TStorage> root =
        TStorage::OpenFile(fileName, error, [&progress](qint64 done, qint64 total) {
            return progress->report(progressAt(0, TProjectFile::kProgressFileRead, done, total));
        });
    if (root == nullptr && error.isNull()) {
        if (cancelled != nullptr) {
            *cancelled = true;
        }
        return false;
    }
    return loadFrom(root.get(), error, fileName, std::move(progress), cancelled);
}

bool TProject::LoadFromBytes(const QByteArray& bytes, const QString& fileName) {
    QString error;
    const std::unique_ptr<TStorage> root = TStorage::OpenBytes(bytes, error);
    return loadFrom(root.get(), error, fileName);
}

bool TProject::loadFrom(const TStorage* root, const QString& openError, const QString& fileName,
                        std::unique_ptr<TProgress> progress, bool* cancelled) {
    if (IsRunning()) {
        CancelFill();
    }
    int skipped = 0;
    bool stopped = false;
    const QString error =
        root == nullptr ? openError : TProjectFile::Read(*root, *this, fileName, skipped, progress.get(), &stopped);
    progress.reset(); // before any message
    if (cancelled != nullptr) {
        *cancelled = stopped;
    }
    if (stopped) {
        return false;
    }
    if (skipped > 0) {
        ui().warning(QStringLiteral("В файле проекта пропущены элементы участка неизвестного вида: %1.\r\n"
                                    "Участок может быть нарисован не полностью.")
                         .arg(skipped));
    }
    if (!error.isEmpty()) {
        ui().error(error);
        return false;
    }
    SetModified(false);
    if (m_sheet != nullptr) {
        m_sheet->InvalidateView();
    }
    return true;
}

void TProject::forgetTile() {
    m_workPattern.reset();
    m_pattern.reset();
    m_tile.reset();
    m_tileParts.reset();
}

void TProject::restoreStartPoint(const FlaggedPoint& point) {
    m_startPoint = std::make_unique<TPointPrimitive>(this);
    static_cast<TPointPrimitive&>(*m_startPoint).SetPoint(point);
}

void TProject::restoreTexture(const QByteArray& bytes) {
    // Any trouble with the texture only leaves the project without one.
    m_texture.reset();
    m_textureBytes.clear();
    const QImage image = bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
    if (!image.isNull()) {
        m_texture = std::make_unique<QBrush>(image);
        m_textureBytes = bytes;
    }
    m_painter.Invalidate();
}

QString TProjectFile::Read(const TStorage& root, TProject& project, const QString& fileName, int& skippedKinds,
                           TProgress* progress, bool* stopped) {
    try {
        readProject(root, project, fileName, skippedKinds);
        if (const std::unique_ptr<TStorage> tiles = root.Storage(QStringLiteral("Tiles"))) {
            readTiles(*tiles, project, progress);
            project.LaidTiles().ShrinkToFit();
        }
    } catch (const TReadError& e) {
        return e.Text;
    } catch (const TReadStopped&) {
        if (stopped != nullptr) {
            *stopped = true;
        }
    }
    return QString();
}

void TProjectFile::readProject(const TStorage& root, TProject& project, const QString& fileName,
                               int& skippedKinds) {
    // A project read twice starts from nothing.
    project.clearLaidTiles();
    project.SetCurrent(nullptr);
    project.Elements().Clear();
    project.SelectCorner1 = project.SelectCorner2 = project.PrintCorner1 = project.PrintCorner2 = FlaggedPoint{};
    project.SelectionOffsets.clear();

    (void)readInt32(root, QStringLiteral("Version"));
    const QFileInfo info(fileName);
    project.SetName(fileName.isEmpty() ? QStringLiteral("Безымянный") : info.completeBaseName());
    project.FileName = fileName;
    const float orientation = readSingle(root, QStringLiteral("Orientation"));

    // -1 is what a project with no tile or pattern chosen stores: none then.
    // Any other identifier the library does not hold gives an empty tile or
    // pattern that keeps it, so that saving again does not lose it.
    const std::int32_t tileId = readInt32(root, QStringLiteral("TileID"));
    const std::int32_t patternId = readInt32(root, QStringLiteral("CollageID"));
    if (tileId != -1) {
        auto tile = std::make_unique<TTile>();
        tile->LoadById(tileId);
        tile->ID = tileId;
        tile->SetModified(false);
        auto parts = std::make_unique<TPartList>();
        parts->LoadForTile(tileId);
        project.UseTile(std::move(tile), std::move(parts));
        if (patternId != -1) {
            auto pattern = std::make_unique<TCollage>(project.Tile());
            pattern->LoadById(patternId);
            pattern->ID = patternId;
            pattern->SetModified(false);
            project.UsePattern(std::move(pattern));
        }
    } else {
        project.forgetTile();
    }
    project.SetOrientation(orientation);

    project.BasePoint = readPoint(root, QStringLiteral("BasePoint"));
    project.restoreStartPoint(readPoint(root, QStringLiteral("StartPoint")));

    QByteArray bytes;
    const TStorage::TRead comment = root.ReadStream(QStringLiteral("Comment"), bytes);
    if (comment == TStorage::TRead::Failed) {
        throw TReadError{readErrorText()};
    }
    project.Comment = comment == TStorage::TRead::Ok ? decodeComment(bytes) : QString();

    if (root.ReadStream(QStringLiteral("Texture"), bytes) != TStorage::TRead::Ok) {
        bytes.clear();
    }
    project.restoreTexture(bytes);

    if (const std::unique_ptr<TStorage> borders = root.Storage(QStringLiteral("Borders"))) {
        readBorder(*borders, project, skippedKinds);
    }
}

void TProjectFile::readBorder(const TStorage& borders, TProject& project, int& skippedKinds) {
    const int count = borders.ChildCount();
    if (count < 0) {
        throw TReadError{readErrorText()};
    }
    const QString prefix = QStringLiteral("Border");
    for (int i = 0; i < count; ++i) {
        const QString name = borders.ChildName(i);
        if (name.isNull()) {
            throw TReadError{readErrorText()};
        }
        if (!startsWithIgnoringCase(name, prefix)) {
            continue;
        }
        const std::unique_ptr<TStorage> element = borders.ChildStorage(i);
        if (!element) {
            continue;
        }
        PrimitiveRecord record;
        record.Version = readInt32(*element, QStringLiteral("Version"));
        record.Kind = readInt32(*element, QStringLiteral("Kind"));
        record.LineStyle = readInt32(*element, QStringLiteral("LineStyle"));
        const std::optional<PrimitiveKind> kind = primitiveKindFromCode(record.Kind);
        if (!kind) {
            ++skippedKinds; // names no element: nothing to draw it with
            continue;
        }
        record.Data = readBlock(*element, QStringLiteral("PrimitiveInfo"), primitiveDataSize(*kind));
        if (std::unique_ptr<TGraphicPrimitive> made = ElementFromRecord(record, &project, TBlockFit::PadOrCut)) {
            project.Elements().Add(std::move(made));
        }
    }
    project.BuildSiteRegion();
}

void TProjectFile::readTiles(const TStorage& tiles, TProject& project, TProgress* progress) {
    const int count = tiles.ChildCount();
    if (count < 0) {
        throw TReadError{readErrorText()};
    }
    const auto report = [progress, count](int done) {
        if (progress != nullptr && !progress->report(progressAt(kProgressFileRead, kProgressTotal, done, count))) {
            throw TReadStopped{};
        }
    };
    report(0);
    const float tolerance = float(GlobalConfig().TileLinkTolerance);
    // Tiles of one orientation share one shape: the library's tile turned.
    std::unordered_map<std::uint32_t, const TLaidShape*> shapes;
    const TTile emptyTile;
    TTileList& laidTiles = project.LaidTiles();
    const QString prefix = QStringLiteral("Tile");
    for (int i = 0; i < count; ++i) {
        if (i % kTilesPerReport == 0 && i > 0) {
            report(i);
        }
        const QString name = tiles.ChildName(i);
        if (name.isNull()) {
            throw TReadError{readErrorText()};
        }
        if (!startsWithIgnoringCase(name, prefix)) {
            continue;
        }
        const std::unique_ptr<TStorage> stored = tiles.ChildStorage(i);
        if (!stored) {
            continue;
        }
        const FlaggedPoint base = readPoint(*stored, QStringLiteral("BasePoint"));
        const float orientation = readSingle(*stored, QStringLiteral("Orientation"));
        const auto color = std::uint32_t(readInt32(*stored, QStringLiteral("Color")));
        const std::int32_t partId = readInt32(*stored, QStringLiteral("PartID"), -1);
        const std::int32_t contourId = readInt32(*stored, QStringLiteral("ContourID"), -1);

        const std::uint32_t key = std::bit_cast<std::uint32_t>(orientation);
        auto found = shapes.find(key);
        if (found == shapes.end()) {
            TTile turned;
            turned.Assign(project.Tile() != nullptr ? static_cast<const TTile&>(*project.Tile()) : emptyTile);
            turned.Rotate({0.0f, 0.0f}, orientation);
            found = shapes.emplace(key, laidTiles.AddShape(std::make_unique<TLaidShape>(turned, nullptr, tolerance)))
                        .first;
        }
        TTileContainer& tile = laidTiles.AddTile(found->second, base.point());
        tile.Orientation = orientation;
        tile.PartID = partId;
        tile.ContourID = contourId;
        laidTiles.SetColor(tile, color);
        if (partId != -1) {
            const TPartList* parts = project.TileParts();
            AddHalf(laidTiles.Group(tile)->Counters, partId, contourId, 1,
                    parts != nullptr ? parts->ContourName(partId, contourId) : QString(),
                    parts != nullptr ? parts->PartName(partId) : QString(),
                    parts != nullptr && parts->PartEquals(partId));
        }
    }
    report(count);
}

// --- writing ---------------------------------------------------------------------------

QString TProjectFile::Write(const TProject& project, const QString& fileName, bool& commentLost,
                            TProgress* progress) {
    const TTile* const projectTile = project.Tile();
    const TCollage* const pattern = project.Pattern();
    const QBrush* const texture = project.TextureBrush();
    const TElementList& border = project.Elements();
    const TTileList& laidTiles = project.LaidTiles();
    TCompoundWriter w(fileName);
    w.WriteStream(QStringLiteral("Version"), encodeInt32(1));
    w.WriteStream(QStringLiteral("Orientation"), encodeSingle(project.Orientation()));
    w.WriteStream(QStringLiteral("TileID"), encodeInt32(projectTile != nullptr ? projectTile->ID : -1));
    w.WriteStream(QStringLiteral("CollageID"),
                  encodeInt32(projectTile != nullptr && pattern != nullptr ? pattern->ID : -1));
    w.WriteStream(QStringLiteral("BasePoint"), encodeFlaggedPoint(project.BasePoint));
    w.WriteStream(QStringLiteral("StartPoint"), encodeFlaggedPoint(project.StartPoint()));
    commentLost = false;
    w.WriteStream(QStringLiteral("Comment"), toCp1251(project.Comment, commentLost));
    if (texture != nullptr) {
        QByteArray image = project.TextureBytes();
        if (image.isEmpty()) {
            QBuffer buffer(&image);
            buffer.open(QIODevice::WriteOnly);
            if (!texture->textureImage().save(&buffer, "PNG")) {
                return QStringLiteral("текстуру не удается записать");
            }
        }
        w.WriteStream(QStringLiteral("Texture"), image);
    }

    w.BeginStorage(QStringLiteral("Borders"));
    const int borderWidth = numberWidth(border.Count());
    for (int i = 0; i < border.Count(); ++i) {
        const PrimitiveRecord record = RecordOf(*border.Items(i));
        w.BeginStorage(numbered(QStringLiteral("Border"), i + 1, borderWidth));
        w.WriteStream(QStringLiteral("Version"), encodeInt32(record.Version));
        w.WriteStream(QStringLiteral("Kind"), encodeInt32(record.Kind));
        w.WriteStream(QStringLiteral("LineStyle"), encodeInt32(record.LineStyle));
        w.WriteStream(QStringLiteral("PrimitiveInfo"), record.Data);
        w.EndStorage();
    }
    w.EndStorage();

    // The laid tiles are taken as they are before anything is reported:
    // while the window repaints, a running fill may lay more.
    struct TTileRecord {
        TPointF Base;
        float Orientation;
        std::uint32_t Color;
        std::int32_t PartID;
        std::int32_t ContourID;
    };
    std::vector<TTileRecord> records;
    records.reserve(size_t(laidTiles.Count()));
    for (int i = 0; i < laidTiles.Count(); ++i) {
        const TTileContainer& tile = laidTiles.Items(i);
        records.push_back({tile.BasePointKey(), tile.Orientation, laidTiles.Color(tile), tile.PartID, tile.ContourID});
    }
    const qint64 tilesDone = kProgressTotal / 2;
    const int count = int(records.size());
    w.BeginStorage(QStringLiteral("Tiles"));
    const int tileWidth = numberWidth(count);
    for (int i = 0; i < count; ++i) {
        if (progress != nullptr && i % kTilesPerReport == 0) {
            (void)progress->report(progressAt(0, tilesDone, i, count));
        }
        const TTileRecord& tile = records[size_t(i)];
        w.BeginStorage(numbered(QStringLiteral("Tile"), i + 1, tileWidth));
        w.WriteStream(QStringLiteral("BasePoint"), encodeFlaggedPoint(FlaggedPoint{tile.Base.X, tile.Base.Y, 1}));
        w.WriteStream(QStringLiteral("Orientation"), encodeSingle(tile.Orientation));
        w.WriteStream(QStringLiteral("Color"), encodeInt32(std::int32_t(tile.Color)));
        w.WriteStream(QStringLiteral("PartID"), encodeInt32(tile.PartID));
        w.WriteStream(QStringLiteral("ContourID"), encodeInt32(tile.ContourID));
        w.EndStorage();
    }
    w.EndStorage();
    std::vector<TTileRecord>().swap(records);

    const bool written = w.Commit([progress, tilesDone](qint64 done, qint64 total) {
        if (progress != nullptr) {
            (void)progress->report(progressAt(tilesDone, kProgressTotal, done, total));
        }
        return true;
    });
    return written ? QString() : w.Error();
}

bool TProject::SaveToFile(const QString& fileName) {
    bool commentLost = false;
    QString error;
    {
        // Closed before any message about the save.
        const std::unique_ptr<TProgress> progress =
            ui().progress(QStringLiteral("Сохранение проекта…"), TProjectFile::kProgressTotal, false);
        error = TProjectFile::Write(*this, fileName, commentLost, progress.get());
    }
    if (!error.isEmpty()) {
        ui().error(QStringLiteral("Не удалось сохранить проект в файл \"%1\":\r\n%2").arg(fileName, error));
        return false;
    }
    FileName = fileName;
    SetName(QFileInfo(fileName).completeBaseName());
    SetModified(false);
    if (commentLost) {
        ui().warning(QStringLiteral("Некоторые символы комментария нельзя записать в файл проекта; "
                                    "они сохранены как \"?\"."));
    }
    return true;
}

// --- saving as the user asks -------------------------------------------------------------

bool TProject::Save() {
    if (FileName.isEmpty()) {
        return SaveAs();
    }
    return SaveToFile(FileName);
}

bool TProject::SaveAs() {
    const QString folder = FileName.isEmpty() ? ProjectsFolder() : QFileInfo(FileName).absolutePath();
    const QString suggested = FileName.isEmpty() ? Name() : QFileInfo(FileName).fileName();
    const std::optional<QString> path = 
        AskSaveFile(QStringLiteral("Сохранить проект"), folder, FileFilter, suggested, QStringLiteral("mpp"));
    if (!path) {
        return false;
    }
    return SaveToFile(*path);
}

bool TProject::SaveQuery() {
    if (!Modified) {
        return true;
    }
    switch (ui().confirm(QStringLiteral("Сохранить изменения в проекте \"%1\"?").arg(Name()), TButtons::YesNoCancel)) {
    case TAnswer::Yes:
        return Save();
    case TAnswer::No:
        return true;
    case TAnswer::Ok:
    case TAnswer::Cancel:
        break;
    }
    return false;
}

std::optional<QString> TProject::AskFileToOpen() {
    std::optional<QString> chosen = ui().openFileName(QStringLiteral("Открыть проект"), ProjectsFolder(), FileFilter);
    if (chosen && chosen->isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

} // namespace vk
