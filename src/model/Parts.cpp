#include "model/Parts.h"

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "geometry/ElementList.h"
#include "geometry/ShapePath.h"
#include "model/Config.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QUndoStack>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace vk {

namespace {
const QString kUnnamed = QStringLiteral("Безымянная");
}

// --- halves ------------------------------------------------------------------

TContourAncestor::TContourAncestor(TNameChange onNameChange)
    : T_TnC_Ancestor(std::move(onNameChange)) {
    SetName(kUnnamed);
}

void TContourAncestor::Assign(const T_TnC_Ancestor& source) {
    T_TnC_Ancestor::Assign(source);
    if (const auto* half = dynamic_cast<const TContourAncestor*>(&source)) {
        Tile = half->Tile;
        Path = half->Path;
    }
}

void TContourAncestor::AttachToTile(TTile* tile) {
    Tile = tile;
    Path = TShapePath();
    if (tile == nullptr) {
        return;
    }
    BasePoint = tile->BasePoint;
    for (int i = 0; i < Elements().Count(); ++i) {
        Elements().Items(i)->AddToPath(Path);
    }
}

bool TContourAncestor::Rotate(TPointF centre, float angle) {
    T_TnC_Ancestor::Rotate(centre, angle);
    AttachToTile(Tile);
    return false;
}

TContourAncestor* TContourList::CurrentItem() const {
    return ItemIndex >= 0 && ItemIndex < Count() ? Items(ItemIndex) : nullptr;
}

TContourAncestor* TContourList::Add(std::unique_ptr<TContourAncestor> half) {
    half->m_handle = ++m_lastHandle;
    m_items.push_back(std::move(half));
    return m_items.back().get();
}

void TContourList::Delete(int index) {
    if (index >= 0 && index < Count()) {
        m_items.erase(m_items.begin() + index);
        if (ItemIndex >= Count()) {
            ItemIndex = Count() - 1;
        }
    }
}

void TContourList::Clear() {
    m_items.clear();
    ItemIndex = -1;
}

QStringList TContourList::Names() {
    ItemIndex = -1;
    return NamesOnly();
}

QStringList TContourList::NamesOnly() const {
    QStringList names;
    for (const auto& half : m_items) {
        names << half->Name();
    }
    return names;
}

TContourAncestor* TContourList::Find(std::uint32_t handle) const {
    const int index = IndexOf(handle);
    return index >= 0 ? Items(index) : nullptr;
}

int TContourList::IndexOf(std::uint32_t handle) const {
    for (int i = 0; i < Count(); ++i) {
        if (m_items[std::size_t(i)]->m_handle == handle) {
            return i;
        }
    }
    return -1;
}

std::unique_ptr<TContourAncestor> TContourList::Take(std::uint32_t handle) {
    const int index = IndexOf(handle);
    if (index < 0) {
        return nullptr;
    }
    std::unique_ptr<TContourAncestor> taken = std::move(m_items[std::size_t(index)]);
    m_items.erase(m_items.begin() + index);
    if (ItemIndex >= Count()) {
        ItemIndex = Count() - 1;
    }
    return taken;
}

void TContourList::Restore(int index, std::unique_ptr<TContourAncestor> half, std::uint32_t handle) {
    half->m_handle = handle;
    m_lastHandle = std::max(m_lastHandle, handle);
    m_items.insert(m_items.begin() + std::clamp(index, 0, Count()), std::move(half));
}

// --- parts -------------------------------------------------------------------

TPart::TPart(TTile* tile, TNameChange onNameChange)
    : T_TnC_Ancestor(std::move(onNameChange)), Tile(tile) {
    SetName(kUnnamed);
    if (tile != nullptr) {
        BasePoint = tile->BasePoint;
    }
}

void TPart::Assign(const T_TnC_Ancestor& source) {
    T_TnC_Ancestor::Assign(source);
    const auto* part = dynamic_cast<const TPart*>(&source);
    if (part == nullptr) {
        return;
    }
    Equals = part->Equals;
    Tile = part->Tile;
    for (int i = 0; i < part->Contours.Count(); ++i) {
        auto half = std::make_unique<TContourAncestor>();
        half->Assign(*part->Contours.Items(i));
        Contours.Add(std::move(half));
    }
}

void TPart::AttachToTile(TTile* tile) {
    Tile = tile;
    if (tile != nullptr) {
        BasePoint = tile->BasePoint;
    }
    for (int i = 0; i < Contours.Count(); ++i) {
        Contours.Items(i)->AttachToTile(tile);
    }
}

bool TPart::Rotate(TPointF centre, float angle) {
    T_TnC_Ancestor::Rotate(centre, angle);
    for (int i = 0; i < Contours.Count(); ++i) {
        Contours.Items(i)->Rotate(centre, angle);
    }
    return false;
}

void TPart::SetModified(bool value) {
    T_TnC_Ancestor::SetModified(value);
    if (Tile != nullptr) {
        Tile->SetModified(true);
    }
}

void TPart::Draw(QPainter& graphics, TDrawingSheet& sheet, bool, const QPen*) {
    DrawElements(graphics, sheet, &sheet.Palette().BlueRoundPen);
    if (Current() != nullptr) {
        Current()->DrawHandles(graphics, sheet, nullptr);
    }
    if (const TContourAncestor* half = Contours.CurrentItem()) {
        graphics.fillPath(half->Path.ToPainterPath(), sheet.Palette().GreenGlassBrush);
    }
}

namespace {
// How far from the outline the middle of a piece may lie and still be on it.
constexpr double kRimMillimetres = 1.0;

QPointF middleOf(const TPathPiece& piece) {
    if (piece.kind == TPathPiece::Kind::Line) {
        return {(double(piece.A.X) + piece.B.X) / 2.0, (double(piece.A.Y) + piece.B.Y) / 2.0};
    }
    const double angle = (double(piece.StartAngle) + piece.Sweep / 2.0) * std::numbers::pi / 180.0;
    return {piece.Centre.X + piece.Radius * std::cos(angle), piece.Centre.Y + piece.Radius * std::sin(angle)};
}
} // namespace

void TPart::dropPiecesOutsideTile(TElementList& pieces, int tol) const {
    // A cut line drawn past the outline divides the tile where it crosses
    // it; what runs beyond the outline is no edge of any half. A piece is
    // judged by its middle: the outline's own pieces have theirs on the
    // outline, within the rim.
    if (Tile == nullptr) {
        return;
    }
    TTile copy;
    copy.Assign(*Tile);
    const QPainterPath outline = TElementList::BuildPath(float(tol), copy, true).ToPainterPath();
    if (outline.isEmpty()) {
        return;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(2.0 * kRimMillimetres);
    const QPainterPath rim = stroker.createStroke(outline);
    for (int i = pieces.Count() - 1; i >= 0; --i) {
        TGraphicPrimitive* piece = pieces.Items(i);
        TShapePath alone;
        piece->AddToPath(alone);
        if (alone.Figures().empty() || alone.Figures().front().empty()) {
            continue;
        }
        const QPointF middle = middleOf(alone.Figures().front().front());
        if (!outline.contains(middle) && !rim.contains(middle)) {
            (void)pieces.Take(piece);
        }
    }
}

TContourAncestor* TPart::AddContourFromRect(TPointF corner1, TPointF corner2) {
    const int tol = GlobalConfig().TileLinkTolerance;
    TElementList pieces(Tile);
    if (Tile != nullptr) {
        pieces.CopyFrom(Tile->Elements(), false);
    }
    for (int i = 0; i < Elements().Count(); ++i) {
        if (auto copy = Elements().Items(i)->Clone(Tile)) {
            pieces.Add(std::move(copy));
        }
    }
    pieces.DeleteCutLines(false);
    pieces.SplitAtIntersections(tol);
    dropPiecesOutsideTile(pieces, tol);
    pieces.SortIntoChain(float(tol));

    const double left = std::min(corner1.X, corner2.X);
    const double top = std::min(corner1.Y, corner2.Y);
    const double right = left + std::fabs(double(corner1.X) - corner2.X);
    const double bottom = top + std::fabs(double(corner1.Y) - corner2.Y);

    TContourAncestor* half = Contours.Add(std::make_unique<TContourAncestor>());
    TElementList inside(Tile);
    for (int i = 0; i < pieces.Count(); ++i) {
        TShapePath alone;
        pieces.Items(i)->AddToPath(alone);
        const QRectF b = alone.Bounds();
        if (b.x() >= left && b.x() + b.width() <= right && b.y() >= top && b.y() + b.height() <= bottom) {
            inside.Add(pieces.Items(i)->Clone(Tile));
        }
    }
    inside.SortIntoChain(float(tol));
    // The pieces are tile-local: the half's path is where the tile is.
    if (Tile != nullptr) {
        half->BasePoint = Tile->BasePoint;
    }
    for (int i = 0; i < inside.Count(); ++i) {
        if (auto copy = inside.Items(i)->Clone(half)) {
            copy->AddToPath(half->Path);
            half->Elements().Add(std::move(copy));
        }
    }
    return half;
}

TPartList::TPartList() = default;

TPartList::~TPartList() {
    // The commands first: a part one of them holds refers to the tile, as
    // the listed parts do.
    m_history.reset();
}

QUndoStack& TPartList::History() {
    if (!m_history) {
        m_history = std::make_unique<QUndoStack>();
    }
    return *m_history;
}

TPart* TPartList::Find(std::uint32_t handle) const {
    const int index = IndexOf(handle);
    return index >= 0 ? Items(index) : nullptr;
}

int TPartList::IndexOf(std::uint32_t handle) const {
    for (int i = 0; i < Count(); ++i) {
        if (m_items[std::size_t(i)]->m_handle == handle) {
            return i;
        }
    }
    return -1;
}

std::unique_ptr<TPart> TPartList::Take(std::uint32_t handle) {
    const int index = IndexOf(handle);
    if (index < 0) {
        return nullptr;
    }
    std::unique_ptr<TPart> taken = std::move(m_items[std::size_t(index)]);
    m_items.erase(m_items.begin() + index);
    if (ItemIndex >= Count()) {
        ItemIndex = Count() - 1;
    }
    return taken;
}

void TPartList::Restore(int index, std::unique_ptr<TPart> part, std::uint32_t handle) {
    part->m_handle = handle;
    m_lastHandle = std::max(m_lastHandle, handle);
    m_items.insert(m_items.begin() + std::clamp(index, 0, Count()), std::move(part));
}

TPart* TPartList::CurrentItem() const {
    return ItemIndex >= 0 && ItemIndex < Count() ? Items(ItemIndex) : nullptr;
}

TPart* TPartList::Add(std::unique_ptr<TPart> part) {
    part->m_handle = ++m_lastHandle;
    m_items.push_back(std::move(part));
    return m_items.back().get();
}

void TPartList::Delete(int index) {
    if (index >= 0 && index < Count()) {
        m_items.erase(m_items.begin() + index);
        if (ItemIndex >= Count()) {
            ItemIndex = Count() - 1;
        }
    }
}

void TPartList::Clear() {
    m_items.clear();
    ItemIndex = -1;
}

void TPartList::CopyFrom(const TPartList& source) {
    Tile = source.Tile;
    ItemIndex = source.ItemIndex;
    for (const auto& part : source.m_items) {
        auto copy = std::make_unique<TPart>(source.Tile);
        copy->Assign(*part);
        copy->m_handle = ++m_lastHandle;
        m_items.push_back(std::move(copy));
    }
    AttachToTile(Tile);
}

QStringList TPartList::Names() const {
    QStringList names;
    for (const auto& part : m_items) {
        names << part->Name();
    }
    return names;
}

TPart* TPartList::findPart(int partId) const {
    for (const auto& part : m_items) {
        if (part->ID == partId) {
            return part.get();
        }
    }
    return nullptr;
}

bool TPartList::PartEquals(int partId) const {
    const TPart* part = findPart(partId);
    return part != nullptr && part->Equals;
}

QString TPartList::PartName(int partId) const {
    const TPart* part = findPart(partId);
    return part != nullptr ? part->Name() : QString();
}

QString TPartList::ContourName(int partId, int contourId) const {
    const TPart* part = findPart(partId);
    if (part == nullptr) {
        return {};
    }
    for (int i = 0; i < part->Contours.Count(); ++i) {
        if (part->Contours.Items(i)->ID == contourId) {
            return part->Contours.Items(i)->Name();
        }
    }
    return {};
}

void TPartList::LoadForTile(int tileId) {
    if (TTileLibrary* library = TileDB()) {
        library->LoadParts(tileId, *this);
    }
}

void TPartList::SaveForTile(int tileId) {
    if (TTileLibrary* library = TileDB()) {
        library->StoreParts(tileId, *this);
    }
}

void TPartList::AttachToTile(TTile* tile) {
    Tile = tile;
    for (const auto& part : m_items) {
        part->AttachToTile(tile);
    }
}

void TPartList::Rotate(TPointF centre, float angle) {
    for (const auto& part : m_items) {
        part->Rotate(centre, angle);
    }
}

} // namespace vk
