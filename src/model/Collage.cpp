#include "model/Collage.h"

#include "ui/DrawingSheet.h"
#include "geometry/Matrix.h"
#include "geometry/NumberFormat.h"
#include "ui/PropertyEditor.h"
#include "ui/SheetPalette.h"
#include "model/TileLibrary.h"

#include <QPainter>

namespace vk {

namespace {
QString f2(double v) { return formatF(v); }
} // namespace

// --- placement -------------------------------------------------------------------

TTilePlacementPrimitive::TTilePlacementPrimitive(T_TnC_Ancestor* owner, std::int32_t kind)
    : TGraphicPrimitive(kind, owner), m_tile(std::make_unique<TTile>()) {
    allocateData();
}

TTilePlacementPrimitive::~TTilePlacementPrimitive() {
    m_parts.reset();
    m_tile.reset();
}

const TTile* TTilePlacementPrimitive::patternTile() const {
    const auto* pattern = dynamic_cast<const TCollage*>(Owner());
    return pattern != nullptr ? pattern->Tile : nullptr;
}

void TTilePlacementPrimitive::PlaceTile(const TTile& source, TPointF origin) {
    m_tile->Assign(source);
    m_tile->Rotate({0.0f, 0.0f}, Rotation());
    const TPointF v = RotatePoint(TilePoint().point(), Rotation(), {0.0f, 0.0f});
    const FlaggedPoint pp = PatternPoint();
    m_tile->SetBasePoint(origin.X + pp.X - v.X, origin.Y + pp.Y - v.Y);
}

void TTilePlacementPrimitive::Assign(const TGraphicPrimitive& source) {
    TGraphicPrimitive::Assign(source);
    const auto* placement = dynamic_cast<const TTilePlacementPrimitive*>(&source);
    if (placement == nullptr) {
        return;
    }
    m_tile->Assign(*placement->m_tile);
    if (placement->m_parts) {
        auto parts = std::make_unique<TPartList>();
        parts->CopyFrom(*placement->m_parts);
        m_parts = std::move(parts);
    }
}

TPointF TTilePlacementPrimitive::ShownTilePoint(int d) const {
    const TPointF r = RotatePoint(TilePoint().point(), Rotation(), {0.0f, 0.0f});
    const TTile* t = patternTile();
    const TPointF w = t != nullptr ? t->ToWorld(r) : r;
    return {w.X / d, w.Y / d};
}

TPointF TTilePlacementPrimitive::ShownPatternPoint(int d) const {
    const TPointF w = toWorld(PatternPoint());
    return {w.X / d, w.Y / d};
}

QString TTilePlacementPrimitive::GetDescription(int d) const {
    const TPointF t = ShownTilePoint(d);
    const TPointF p = ShownPatternPoint(d);
    return QStringLiteral("Поворот") + QStringLiteral(" %1; (%2;%3)->(%4;%5)")
                                           .arg(f2(Rotation()), f2(t.X), f2(t.Y), f2(p.X), f2(p.Y));
}

void TTilePlacementPrimitive::Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) {
    m_tile->Draw(graphics, sheet, false, pen);
}

void TTilePlacementPrimitive::CreateEditor(QWidget* parent, int d, const QString& unitName) {
    TEditorValues v;
    v.TileAngle = Rotation();
    v.TP = ShownTilePoint(d);
    v.PP = ShownPatternPoint(d);
    openEditor(TEditorKind::Placement, parent, unitName, 0, v);
}

void TTilePlacementPrimitive::ApplyEditor(int d) {
    if (m_editor) {
        const TEditorValues v = m_editor->Values();
        const TTile* t = patternTile();
        const float a = v.TileAngle;
        const TPointF shownTile = unshown(v.TP, d);
        const TPointF tileLocal = t != nullptr ? t->ToLocal(shownTile) : shownTile;
        placePoint(TilePointOffset, RotatePoint(tileLocal, -a, {0.0f, 0.0f}));
        placePoint(PatternPointOffset, toLocal(unshown(v.PP, d)));
        const FlaggedPoint pp = PatternPoint();
        m_tile->Rotate({0.0f, 0.0f}, a - Rotation());
        SetRotation(a);
        const FlaggedPoint ownerBase = Owner() != nullptr ? Owner()->BasePoint : FlaggedPoint{};
        m_tile->SetBasePoint(ownerBase.X + pp.X - tileLocal.X, ownerBase.Y + pp.Y - tileLocal.Y);
    }
    TGraphicPrimitive::ApplyEditor(d);
}

void TTilePlacementPrimitive::Rotate(TPointF centre, float angle) {
    placePoint(PatternPointOffset, RotatePoint(PatternPoint().point(), angle, centre));
    SetRotation(Rotation() + angle);
    const TPointF base = RotatePoint(m_tile->BasePoint.point(), angle, centre);
    m_tile->SetBasePoint(base.X, base.Y);
    m_tile->Rotate(centre, angle);
    if (m_parts) {
        m_parts->AttachToTile(m_tile.get());
        m_parts->Rotate({0.0f, 0.0f}, Rotation());
    }
}

void TTilePlacementPrimitive::AddToPath(TShapePath& path) const {
    for (int i = 0; i < m_tile->Elements().Count(); ++i) {
        m_tile->Elements().Items(i)->AddToPath(path);
    }
}

// --- pattern ---------------------------------------------------------------------

TCollage::TCollage(TTile* tile, TNameChange onNameChange)
    : T_TnC_Ancestor(std::move(onNameChange)), Tile(tile), m_handPoints(this) {
    SetName(QStringLiteral("Безымянный"));
}

TCollage::~TCollage() = default;

TTilePlacementPrimitive* TCollage::Placement(int index) const {
    return dynamic_cast<TTilePlacementPrimitive*>(Elements().Items(index));
}

void TCollage::Assign(const T_TnC_Ancestor& source) {
    T_TnC_Ancestor::Assign(source);
    const auto* pattern = dynamic_cast<const TCollage*>(&source);
    if (pattern == nullptr) {
        return;
    }
    Tile = pattern->Tile;
    m_parts.reset();
    if (pattern->m_parts) {
        m_parts = std::make_unique<TPartList>();
        m_parts->CopyFrom(*pattern->m_parts);
    }
    m_handPoints.Clear();
    m_handPoints.CopyFrom(pattern->m_handPoints, false);
}

void TCollage::SetParts(const TPartList* parts) {
    m_parts.reset();
    if (parts != nullptr) {
        m_parts = std::make_unique<TPartList>();
        m_parts->CopyFrom(*parts);
    }
    for (int i = 0; i < Elements().Count(); ++i) {
        TTilePlacementPrimitive* placement = Placement(i);
        if (placement == nullptr) {
            continue;
        }
        std::unique_ptr<TPartList> copy;
        if (m_parts) {
            copy = std::make_unique<TPartList>();
            copy->CopyFrom(*m_parts);
        }
        placement->SetParts(std::move(copy));
    }
}

bool TCollage::Rotate(TPointF centre, float angle) {
    T_TnC_Ancestor::Rotate(centre, angle);
    for (int i = 0; i < m_handPoints.Count(); ++i) {
        m_handPoints.Items(i)->Rotate(centre, angle);
    }
    return false;
}

void TCollage::RemoveElement(TElementList& list, TGraphicPrimitive* element) {
    list.DeleteElement(element, false);
    SetModified(true);
    if (Elements().Count() == 0 && m_handPoints.Count() == 0) {
        ClearBasePoint();
    }
}

void TCollage::Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) {
    for (int i = 0; i < Elements().Count(); ++i) {
        Elements().Items(i)->Draw(graphics, sheet, pen);
    }
    for (int i = 0; i < m_handPoints.Count(); ++i) {
        if (const auto* point = dynamic_cast<const TPointPrimitive*>(m_handPoints.Items(i))) {
            DrawPlusMarker(graphics, sheet, point->Point(), &sheet.Palette().RedPen, *this);
        }
    }
    T_TnC_Ancestor::Draw(graphics, sheet, showBasePoint, pen);
}

bool TCollage::LoadFromLibrary(int id, ViewRecord& view) {
    TTileLibrary* library = TileDB();
    if (library == nullptr) {
        return false;
    }
    library->LoadPattern(id, *this, view);
    SetModified(false);
    return ID == id;
}

bool TCollage::SaveQuery(const ViewRecord& view) {
    return SaveQueryFor(*this, QStringLiteral("Сохранить узор"),
                        [this](TTileLibrary& library) { return library.StorePattern(*this); }, view);
}

} // namespace vk
