#include "library/TileDB.h"

#include "geometry/ElementRecords.h"
#include "ui/UserInterface.h"
#include "library/LibraryStore.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Parts.h"
#include "model/Tile.h"

#include <QDateTime>

namespace vk {

namespace {

const QString kNewTileCaption = QStringLiteral("Новая плитка");
const QString kNewPatternCaption = QStringLiteral("Новый узор");
const QString kNamePrompt = QStringLiteral("Название");
const QString kReplaceQuestion = QStringLiteral(" уже есть. Заменить?");

void ReportFailure(const TLibraryError& e) { ui().error(e.Text()); }

// Library rows keep short blocks; the reader pads them with zeros as the
// tables always have.
std::unique_ptr<TGraphicPrimitive> ElementFromRow(qint32 kind, qint32 version, qint32 lineStyle,
                                                  const QByteArray& block, T_TnC_Ancestor* owner) {
    PrimitiveRecord record;
    record.Kind = kind;
    record.Version = version;
    record.LineStyle = lineStyle;
    record.Data = block;
    return ElementFromRecord(record, owner, TBlockFit::PadOrCut);
}

void AppendElements(const std::vector<TPrimitiveRow>& rows, T_TnC_Ancestor& document) {
    for (const TPrimitiveRow& row : rows) {
        if (auto element = ElementFromRow(row.PrimKind, row.PrimVersion, row.LineStyle,
                                          row.PrimGraphicInfo, &document)) {
            document.Elements().Add(std::move(element));
        }
    }
}

// What LoadParts reads, before anything of the list is touched.
struct THalfRows {
    TContourRow Row;
    std::vector<TPrimitiveRow> Elements;
};

struct TPartRows {
    TPartRow Row;
    std::vector<TPrimitiveRow> CutLines;
    std::vector<THalfRows> Halves;
};

} // namespace

struct TTileDB::TNameAnswer {
    QString Name;  // empty: nothing is to be stored
    qint32 Replaced = kNoLibraryId;  // the row the user agreed to replace
};

TTileDB::TTileDB(QString folder) : m_folder(folder.isEmpty() ? DbFolder() : std::move(folder)) {
    ForceFolder(m_folder);
    try {
        m_store = std::make_unique<TLibraryStore>(m_folder);
    } catch (const TLibraryError& e) {
        m_error = e.Text();
        ui().error(m_error);
    }
    // Installed even when unavailable: the documents' commands then report
    // why instead of silently doing nothing.
    SetTileDB(this);
}

TTileDB::~TTileDB() {
    if (TileDB() == this) {
        SetTileDB(nullptr);
    }
}

bool TTileDB::CheckAvailable() {
    if (m_store) {
        return true;
    }
    ui().error(QStringLiteral("Библиотека плиток недоступна.\n") + m_error);
    return false;
}

bool TTileDB::CheckWritable() {
    if (!CheckAvailable()) {
        return false;
    }
    if (m_store->IsReadOnly()) {
        // Told before any question, so that nobody names a tile in vain.
        ui().error(m_store->ReadOnlyReason());
        return false;
    }
    return true;
}

// --- building blocks ---------------------------------------------------------

// The name of a new tile (tileOfPattern == kNoLibraryId) or of a new pattern
// of that tile. A new document is always looked up, even when the user keeps
// the proposed name.
TTileDB::TNameAnswer TTileDB::AskName(const QString& caption, const QString& currentName,
                                      qint32 tileOfPattern) {
    TNameAnswer answer;
    const std::optional<QString> text = ui().inputText(caption, kNamePrompt, currentName);
    if (!text || text->isEmpty()) {
        return answer;
    }
    std::optional<qint32> found;
    if (tileOfPattern == kNoLibraryId) {
        if (const auto row = m_store->FindTileByName(*text)) {
            found = row->TileID;
        }
    } else if (const auto row = m_store->FindCollageByName(tileOfPattern, *text)) {
        found = row->CollageID;
    }
    if (found && ui().confirm(*text + kReplaceQuestion, TButtons::YesNo) != TAnswer::Yes) {
        return answer;
    }
    answer.Name = *text;
    answer.Replaced = found.value_or(kNoLibraryId);
    return answer;
}

void TTileDB::StoreElements(const T_TnC_Ancestor& document, qint32 ownerId) {
    m_store->DeletePrimitives(ownerId);
    const TElementList& elements = document.Elements();
    for (int i = 0; i < elements.Count(); ++i) {
        const PrimitiveRecord record = RecordOf(*elements.Items(i));
        m_store->AppendPrimitive({ownerId, record.Kind, record.Version, record.Data, record.LineStyle});
    }
}

void TTileDB::DeletePartsOf(qint32 tileId) {
    for (const TPartRow& part : m_store->ReadParts(tileId)) {
        m_store->DeletePrimitives(part.PartID);
        for (const TContourRow& half : m_store->ReadContours(part.PartID)) {
            m_store->DeletePrimitives(half.ContourID);
        }
        m_store->DeleteContours(part.PartID);
    }
    m_store->DeleteParts(tileId);
}

void TTileDB::DeletePatternRows(qint32 id) {
    m_store->DeleteCollageTiles(id);
    m_store->DeleteNextCollageTiles(id);
    m_store->DeleteView(id);
    m_store->DeleteCollage(id);
}

// Nothing of a replaced or deleted tile stays behind: its parts and patterns
// could never be reached again under an identifier no tile has.
void TTileDB::DeleteTileRows(qint32 id) {
    m_store->DeletePrimitives(id);
    DeletePartsOf(id);
    for (const TCollageRow& pattern : m_store->ListCollages(id)) {
        DeletePatternRows(pattern.CollageID);
    }
    m_store->DeleteView(id);
    m_store->DeleteTile(id);
}

qint32 TTileDB::FreshId(const std::set<qint32>& reserved) {
    qint32 id = m_store->NewLibraryId();
    while (reserved.count(id) != 0) {
        id = m_store->NewLibraryId();
    }
    return id;
}

// --- tiles -------------------------------------------------------------------

bool TTileDB::StoreTile(TTile& tile) {
    if (!CheckWritable()) {
        return false;
    }
    try {
        std::optional<TTileRow> stored;
        if (tile.ID != kNoLibraryId) {
            stored = m_store->FindTile(tile.ID);
        }
        // A tile whose row has gone is stored as a new one.
        TNameAnswer named;
        if (!stored) {
            named = AskName(kNewTileCaption, tile.Name(), kNoLibraryId);
            if (named.Name.isEmpty()) {
                return false;
            }
        }

        TLibraryTransaction transaction(*m_store);
        if (named.Replaced != kNoLibraryId) {
            DeleteTileRows(named.Replaced);
        }
        TTileRow row;
        if (stored) {
            row = *stored;
        } else {
            row.TileID = m_store->NewLibraryId();
            row.TileName = CutLibraryName(named.Name);
        }
        row.TileModified = QDateTime::currentDateTime();
        row.Thickness = tile.Thickness();
        row.Comment = tile.Comment;
        row.TileBasePoint = tile.BasePoint;
        if (stored) {
            m_store->UpdateTile(row);
        } else {
            m_store->AppendTile(row);
        }
        StoreElements(tile, row.TileID);
        transaction.Commit();

        if (!stored) {
            tile.ID = row.TileID;
            tile.SetName(row.TileName);
        }
        return true;
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return false;
    }
}

void TTileDB::LoadTile(int id, TTile& tile, ViewRecord& view) {
    if (!CheckAvailable()) {
        return;
    }
    std::optional<TTileRow> row;
    std::vector<TPrimitiveRow> elements;
    std::optional<ViewRecord> stored;
    try {
        TLibraryTransaction transaction(*m_store, TLibraryTransaction::Mode::Read);
        row = m_store->FindTile(id);
        if (!row) {
            return;
        }
        elements = m_store->ReadPrimitives(id);
        stored = m_store->ReadView(id);
        transaction.Commit();
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return;
    }
    AppendElements(elements, tile);
    tile.ID = row->TileID;
    tile.SetName(row->TileName);
    tile.SetThickness(static_cast<float>(row->Thickness));
    tile.Comment = row->Comment;
    tile.BasePoint = row->TileBasePoint;
    view = stored.value_or(ViewRecord{0, 0, 0, 0, -1, 0, 0});
}

// --- parts -------------------------------------------------------------------

void TTileDB::StoreParts(int tileId, TPartList& parts) {
    if (!CheckWritable()) {
        return;
    }
    // Identifiers reach the objects only once everything is stored.
    std::vector<std::pair<T_TnC_Ancestor*, qint32>> given;
    try {
        // Identifiers carried by the list are not handed out to new objects,
        // even while their rows are deleted for rewriting.
        std::set<qint32> reserved;
        for (int i = 0; i < parts.Count(); ++i) {
            reserved.insert(parts.Items(i)->ID);
            for (int j = 0; j < parts.Items(i)->Contours.Count(); ++j) {
                reserved.insert(parts.Items(i)->Contours.Items(j)->ID);
            }
        }
        std::set<qint32> written;
        // An object keeps its identifier unless another object of this store
        // already took it or something else in the library holds it (a copy
        // of a part of another tile): two rows must never share one.
        const auto identify = [&](T_TnC_Ancestor& object) {
            qint32 id = object.ID;
            if (id == kNoLibraryId || written.count(id) != 0 || m_store->IsIdentifierInUse(id)) {
                id = FreshId(reserved);
                given.emplace_back(&object, id);
            }
            written.insert(id);
            return id;
        };

        TLibraryTransaction transaction(*m_store);
        DeletePartsOf(tileId);
        for (int i = 0; i < parts.Count(); ++i) {
            TPart& part = *parts.Items(i);
            const qint32 partId = identify(part);
            m_store->AppendPart({tileId, partId, part.Name(), part.Equals});
            StoreElements(part, partId);
            for (int j = 0; j < part.Contours.Count(); ++j) {
                TContourAncestor& half = *part.Contours.Items(j);
                const qint32 halfId = identify(half);
                m_store->AppendContour({partId, halfId, half.Name()});
                StoreElements(half, halfId);
            }
        }
        transaction.Commit();
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return;
    }
    for (const auto& [object, id] : given) {
        object->ID = id;
    }
}

void TTileDB::LoadParts(int tileId, TPartList& parts) {
    if (!CheckAvailable()) {
        return;
    }
    std::vector<TPartRows> read;
    try {
        TLibraryTransaction transaction(*m_store, TLibraryTransaction::Mode::Read);
        for (const TPartRow& row : m_store->ReadParts(tileId)) {
            TPartRows part{row, m_store->ReadPrimitives(row.PartID), {}};
            for (const TContourRow& half : m_store->ReadContours(row.PartID)) {
                part.Halves.push_back({half, m_store->ReadPrimitives(half.ContourID)});
            }
            read.push_back(std::move(part));
        }
        transaction.Commit();
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return;
    }
    const float tolerance = float(GlobalConfig().TileLinkTolerance);
    for (const TPartRows& rows : read) {
        auto part = std::make_unique<TPart>();
        part->ID = rows.Row.PartID;
        part->SetName(rows.Row.PartName);
        part->Equals = rows.Row.Equals;
        AppendElements(rows.CutLines, *part);
        for (const THalfRows& halfRows : rows.Halves) {
            auto half = std::make_unique<TContourAncestor>();
            half->ID = halfRows.Row.ContourID;
            half->SetName(halfRows.Row.ContourName);
            AppendElements(halfRows.Elements, *half);
            half->Elements().SortIntoChain(tolerance);
            part->Contours.Add(std::move(half));
        }
        parts.Add(std::move(part));
    }
}

// --- patterns ----------------------------------------------------------------

bool TTileDB::StorePattern(TCollage& pattern) {
    if (!CheckWritable()) {
        return false;
    }
    if (pattern.Tile == nullptr || pattern.Tile->ID == kNoLibraryId) {
        ui().error(QStringLiteral("Узор можно сохранить только для плитки из библиотеки."));
        return false;
    }
    try {
        std::optional<TCollageRow> stored;
        if (pattern.ID != kNoLibraryId) {
            stored = m_store->FindCollage(pattern.ID);
        }
        TNameAnswer named;
        if (!stored) {
            named = AskName(kNewPatternCaption, pattern.Name(), pattern.Tile->ID);
            if (named.Name.isEmpty()) {
                return false;
            }
        }

        TLibraryTransaction transaction(*m_store);
        if (named.Replaced != kNoLibraryId) {
            DeletePatternRows(named.Replaced);
        }
        TCollageRow row;
        if (stored) {
            row = *stored;  // the tile of a stored pattern never changes
        } else {
            row.TileID = pattern.Tile->ID;
            row.CollageID = m_store->NewLibraryId();
            row.CollageName = CutLibraryName(named.Name);
        }
        row.CollageModified = QDateTime::currentDateTime();
        row.CollageBasePoint = pattern.BasePoint;
        if (stored) {
            m_store->UpdateCollage(row);
        } else {
            m_store->AppendCollage(row);
        }
        m_store->DeleteCollageTiles(row.CollageID);
        for (int i = 0; i < pattern.Elements().Count(); ++i) {
            const PrimitiveRecord record = RecordOf(*pattern.Elements().Items(i));
            m_store->AppendCollageTile({row.CollageID, record.Kind, record.Version, record.Data});
        }
        m_store->DeleteNextCollageTiles(row.CollageID);
        for (int i = 0; i < pattern.HandPoints().Count(); ++i) {
            const PrimitiveRecord record = RecordOf(*pattern.HandPoints().Items(i));
            m_store->AppendNextCollageTile({row.CollageID, record.Data, record.Kind, record.Version});
        }
        transaction.Commit();

        if (!stored) {
            pattern.ID = row.CollageID;
            pattern.SetName(row.CollageName);
        }
        return true;
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return false;
    }
}

void TTileDB::LoadPattern(int id, TCollage& pattern, ViewRecord& view) {
    if (!CheckAvailable()) {
        return;
    }
    std::optional<TCollageRow> row;
    std::vector<TCollageTileRow> placements;
    std::vector<TNextCollageTileRow> handPoints;
    std::optional<ViewRecord> stored;
    try {
        TLibraryTransaction transaction(*m_store, TLibraryTransaction::Mode::Read);
        row = m_store->FindCollage(id);
        if (!row) {
            return;
        }
        placements = m_store->ReadCollageTiles(id);
        handPoints = m_store->ReadNextCollageTiles(id);
        stored = m_store->ReadView(id);
        transaction.Commit();
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return;
    }
    pattern.ID = row->CollageID;
    pattern.SetName(row->CollageName);
    pattern.BasePoint = row->CollageBasePoint;
    const TPointF origin{pattern.BasePoint.X, pattern.BasePoint.Y};
    // The placement and hand point tables keep no line style: solid.
    for (const TCollageTileRow& r : placements) {
        auto element = ElementFromRow(r.TilePlacementKind, r.TilePlacementVersion, 0,
                                      r.TilePlacementInfo, &pattern);
        if (!element) {
            continue;
        }
        if (auto* placement = dynamic_cast<TTilePlacementPrimitive*>(element.get());
            placement != nullptr && pattern.Tile != nullptr) {
            placement->PlaceTile(*pattern.Tile, origin);
        }
        pattern.Elements().Add(std::move(element));
    }
    for (const TNextCollageTileRow& r : handPoints) {
        if (auto element = ElementFromRow(r.HandPointKind, r.HandPointVersion, 0, r.CollageHandPoint,
                                          &pattern)) {
            pattern.HandPoints().Add(std::move(element));
        }
    }
    view = stored.value_or(ViewRecord{0, 0, 0, 0, -1, 0, 0});
}

// --- views -------------------------------------------------------------------

void TTileDB::LoadView(int id, ViewRecord& view) {
    // With no view stored, or none readable, the caller sees "none stored".
    view = ViewRecord{0, 0, 0, 0, -1, 0, 0};
    if (!CheckAvailable()) {
        return;
    }
    try {
        TLibraryTransaction transaction(*m_store, TLibraryTransaction::Mode::Read);
        if (const std::optional<ViewRecord> stored = m_store->ReadView(id)) {
            view = *stored;
        }
        transaction.Commit();
    } catch (const TLibraryError& e) {
        view = ViewRecord{0, 0, 0, 0, -1, 0, 0};
        ReportFailure(e);
    }
}

void TTileDB::StoreView(int id, const ViewRecord& view) {
    if (!CheckAvailable()) {
        return;
    }
    // The view is remembered on the side of other commands, never asked
    // for: a library that cannot be written simply keeps the old one.
    if (m_store->IsReadOnly()) {
        return;
    }
    try {
        TLibraryTransaction transaction(*m_store);
        m_store->WriteView(id, view);
        transaction.Commit();
    } catch (const TLibraryError& e) {
        ReportFailure(e);
    }
}

// --- deleting ----------------------------------------------------------------

bool TTileDB::DeleteTile(int id) {
    if (!CheckWritable()) {
        return false;
    }
    try {
        TLibraryTransaction transaction(*m_store);
        if (!m_store->FindTile(id)) {
            return false;
        }
        DeleteTileRows(id);
        transaction.Commit();
        return true;
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return false;
    }
}

bool TTileDB::DeletePattern(int id) {
    if (!CheckWritable()) {
        return false;
    }
    try {
        TLibraryTransaction transaction(*m_store);
        if (!m_store->FindCollage(id)) {
            return false;
        }
        DeletePatternRows(id);
        transaction.Commit();
        return true;
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        return false;
    }
}

// --- pick lists ----------------------------------------------------------------

std::vector<TLibraryEntry> TTileDB::ListTiles() {
    std::vector<TLibraryEntry> entries;
    if (!CheckAvailable()) {
        return entries;
    }
    try {
        for (const TTileRow& row : m_store->ListTiles()) {
            entries.push_back({row.TileID, row.TileName});
        }
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        entries.clear();
    }
    return entries;
}

std::vector<TLibraryEntry> TTileDB::ListPatterns(int tileId) {
    std::vector<TLibraryEntry> entries;
    if (!CheckAvailable()) {
        return entries;
    }
    try {
        for (const TCollageRow& row : m_store->ListCollages(tileId)) {
            entries.push_back({row.CollageID, row.CollageName});
        }
    } catch (const TLibraryError& e) {
        ReportFailure(e);
        entries.clear();
    }
    return entries;
}

} // namespace vk
