// Work on the laid tiles after a fill: marks, the selection rectangle, the
// repeat of a marking across the laying, recolouring, and the cut tiles
// that found no half.

#include "model/Project.h"

#include "commands/DocumentCommand.h"
#include "model/Counting.h"
#include "model/FillLimits.h"
#include "model/Parts.h"
#include "model/ProjectCommands.h"
#include "ui/DrawingSheet.h"
#include "ui/UserInterface.h"

#include <QPainterPath>
#include <QUndoStack>
#include <algorithm>

namespace vk {

namespace {

bool holds(const TTileContainer& tile, TPointF point) {
    const QPointF p(point.X, point.Y);
    return tile.Bounds().contains(p) && tile.OutlinePath().contains(p);
}

} // namespace

void TProject::invalidateView() {
    if (m_sheet != nullptr) {
        m_sheet->InvalidateView();
    }
}

bool TProject::refuseWhileRunning(TRunKind wanted) {
    if (!IsRunning()) {
        return false;
    }
    // A second request of the kind already running is simply not taken; the
    // other kind would share the pending steps, so the user is told why not.
    if (m_runKind != wanted) {
        ui().warning(wanted == TRunKind::Fill
                         ? QStringLiteral("Нельзя заполнять участок, пока идёт размножение выделения")
                         : QStringLiteral("Нельзя размножать выделение, пока идёт заполнение"));
    }
    return true;
}

// --- finding and marking tiles -----------------------------------------------------

TTileContainer* TProject::TileAt(TPointF point) {
    const int count = m_laidTiles.IndexSize();
    if (count == 0) {
        return nullptr;
    }
    const TFindResult found = m_laidTiles.FindKey(point);
    if (found.Found) {
        return &m_laidTiles.Items(found.ItemIndex);
    }
    // Outwards from where the nearest base points sort: p, p-1, p+1, p-2, ...
    // The index sorts by x first, and no tile reaches farther from its base
    // point than the shapes do: a direction whose base points have left that
    // reach in x can hold the point no more, and is given up.
    const int start = std::clamp(found.Position, 0, count - 1);
    const QRectF reach = m_laidTiles.ShapeReach();
    // A millimetre to spare for the rounding of single floats.
    const float lowest = point.X - float(reach.right()) - 1.0f;
    const float highest = point.X - float(reach.left()) + 1.0f;
    bool down = true;
    bool up = true;
    for (int step = 0; down || up; ++step) {
        const int below = start - step;
        const int above = start + step;
        if (down) {
            if (below < 0 || m_laidTiles.IndexItem(0, below).BasePointKey().X < lowest) {
                down = false;
            } else if (holds(m_laidTiles.IndexItem(0, below), point)) {
                return &m_laidTiles.IndexItem(0, below);
            }
        }
        if (up && step > 0) {
            if (above >= count || m_laidTiles.IndexItem(0, above).BasePointKey().X > highest) {
                up = false;
            } else if (holds(m_laidTiles.IndexItem(0, above), point)) {
                return &m_laidTiles.IndexItem(0, above);
            }
        }
    }
    return nullptr;
}

TTileContainer* TProject::ToggleTileMark(TPointF point) {
    TTileContainer* tile = TileAt(point);
    if (tile == nullptr) {
        return nullptr;
    }
    const TMarks before = Marks();
    m_laidTiles.SetMarked(*tile, !tile->Marked());
    recordMarks(before, tile->Marked() ? QStringLiteral("Выделение плитки") : QStringLiteral("Снятие выделения"));
    invalidateView();
    return tile;
}

TTileContainer* TProject::MarkTileAt(TPointF point) {
    TTileContainer* tile = TileAt(point);
    if (tile == nullptr || tile->Marked()) {
        return nullptr;
    }
    const TMarks before = Marks();
    m_laidTiles.SetMarked(*tile, true);
    recordMarks(before, QStringLiteral("Выделение плиток"), ciPaintMarks);
    invalidateView();
    return tile;
}

void TProject::SetSelectCorner(float x, float y) {
    if (SelectCorner2.isSet()) {
        ClearSelectRect();
    }
    FlaggedPoint& corner = SelectCorner1.isSet() ? SelectCorner2 : SelectCorner1;
    corner = FlaggedPoint{x, y, 1};
}

void TProject::ClearSelectRect() { SelectCorner1 = SelectCorner2 = FlaggedPoint{}; }

void TProject::MarkTilesInRect(bool insideOnly) {
    if (!SelectCorner1.isSet() || !SelectCorner2.isSet()) {
        return;
    }
    const QRectF rect =
        QRectF(QPointF(SelectCorner1.X, SelectCorner1.Y), QPointF(SelectCorner2.X, SelectCorner2.Y)).normalized();
    // Judged as drawn: what differs by less than a pixel of the view does
    // not count, so a tile only touched along its joint is not taken, and a
    // tile drawn inside the rectangle is inside.
    const double pixel = 25.4 / (m_scale->LogicalDpi() * std::max(double(m_scale->Scale()), 1e-9));
    const QRectF touching = rect.width() > 2 * pixel && rect.height() > 2 * pixel
                                ? rect.adjusted(pixel, pixel, -pixel, -pixel)
                                : rect;
    const QRectF around = rect.adjusted(-pixel, -pixel, pixel, pixel);
    const TMarks before = Marks();
    for (int i = 0; i < m_laidTiles.Count(); ++i) {
        TTileContainer& tile = m_laidTiles.Items(i);
        if (!tile.Bounds().intersects(around)) {
            continue;
        }
        const QPainterPath outline = tile.OutlinePath();
        const bool take = insideOnly ? around.contains(outline.boundingRect()) : outline.intersects(touching);
        if (take) {
            m_laidTiles.SetMarked(tile, true);
        }
    }
    recordMarks(before, QStringLiteral("Выделение плиток"));
    invalidateView();
}

void TProject::RememberMarkedTiles() {
    const TMarks before = Marks();
    m_rememberedTiles = m_markedTiles;
    recordMarks(before, QStringLiteral("Запомнить выделенные плитки"));
    invalidateView();
}

void TProject::ClearMarks() {
    const TMarks before = Marks();
    while (!m_markedTiles.empty()) {
        m_laidTiles.SetMarked(*m_markedTiles.back(), false);
    }
    m_rememberedTiles.clear();
    recordMarks(before, QStringLiteral("Сбросить выделение"));
    invalidateView();
}

// --- the history of marks ------------------------------------------------------------

TProject::TMarks TProject::Marks() const {
    TMarks marks;
    marks.Generation = m_tilesGeneration;
    for (const TTileContainer* tile : m_markedTiles) {
        marks.Marked.push_back(m_laidTiles.Index(*tile));
    }
    for (const TTileContainer* tile : m_rememberedTiles) {
        marks.Remembered.push_back(m_laidTiles.Index(*tile));
    }
    return marks;
}

bool TProject::RestoreMarks(const TMarks& marks) {
    if (marks.Generation != m_tilesGeneration) {
        return false;
    }
    // A step is done once as it is recorded: the marks are already so.
    if (Marks() == marks) {
        return true;
    }
    while (!m_markedTiles.empty()) {
        m_laidTiles.SetMarked(*m_markedTiles.back(), false);
    }
    for (const int index : marks.Marked) {
        m_laidTiles.SetMarked(m_laidTiles.Items(index), true);
    }
    m_rememberedTiles.clear();
    for (const int index : marks.Remembered) {
        m_rememberedTiles.push_back(&m_laidTiles.Items(index));
    }
    invalidateView();
    return true;
}

void TProject::BeginMarking() { m_gestureFrom = Marks(); }

void TProject::EndMarking(const QString& text) {
    if (!m_gestureFrom) {
        return;
    }
    const TMarks before = std::move(*m_gestureFrom);
    m_gestureFrom.reset();
    recordMarks(before, text);
}

void TProject::recordMarks(const TMarks& before, const QString& text, int mergeId) {
    if (m_gestureFrom) {
        return;
    }
    TMarks after = Marks();
    if (after == before) {
        return;
    }
    History().push(new TMarksCommand(*this, text, before, std::move(after), mergeId));
}

// --- repeating a marking --------------------------------------------------------------

bool TProject::MultiplySelection() {
    if (refuseWhileRunning(TRunKind::Multiply)) {
        return false;
    }
    SelectionOffsets.clear();
    m_multiplyQueue.clear();
    if (m_markedTiles.size() < 2) {
        return false;
    }
    m_multiplyFrom = Marks();
    const TTileContainer* first = m_markedTiles.front();
    const TPointF m0 = first->BasePointKey();
    const auto offsetOf = [m0](const TTileContainer* tile) {
        const TPointF m = tile->BasePointKey();
        return TPointF{m.X - m0.X, m.Y - m0.Y};
    };
    if (m_rememberedTiles.empty()) {
        for (std::size_t i = 1; i < m_markedTiles.size(); ++i) {
            SelectionOffsets.push_back(offsetOf(m_markedTiles[i]));
        }
        m_multiplyQueue.assign(m_markedTiles.begin(), m_markedTiles.end());
    } else {
        // The tiles marked beside the remembered group say where copies of
        // the group go; the group itself spreads along those offsets.
        for (TTileContainer* tile : m_markedTiles) {
            if (std::find(m_rememberedTiles.begin(), m_rememberedTiles.end(), tile) == m_rememberedTiles.end()) {
                SelectionOffsets.push_back(offsetOf(tile));
            }
        }
        m_multiplyQueue.assign(m_markedTiles.begin() + 1, m_markedTiles.end());
    }
    beginMultiply();
    return true;
}

int TProject::multiplyNext() {
    if (m_multiplyQueue.empty()) {
        return 0;
    }
    const TTileContainer* from = m_multiplyQueue.front();
    m_multiplyQueue.pop_front();
    const TPointF c = from->ElementAveragePoint();
    for (const TPointF o : SelectionOffsets) {
        for (const TPointF at : {TPointF{c.X + o.X, c.Y + o.Y}, TPointF{c.X - o.X, c.Y - o.Y}}) {
            TTileContainer* tile = TileAt(at);
            if (tile != nullptr && !tile->Marked()) {
                m_laidTiles.SetMarked(*tile, true);
                m_multiplyQueue.push_back(tile);
            }
        }
    }
    return int(m_multiplyQueue.size());
}

void TProject::finishMultiply(bool) {
    m_multiplyQueue.clear();
    m_rememberedTiles.clear();
    // What was marked by a stopped repeat stays, as one step.
    recordMarks(m_multiplyFrom, QStringLiteral("Размножение выделения"));
    invalidateView();
}

// --- colours ------------------------------------------------------------------------------

bool TProject::RecolorMarkedTiles(std::uint32_t color) {
    if (m_markedTiles.empty()) {
        return false;
    }
    std::vector<int> indices;
    std::vector<std::uint32_t> before;
    for (const TTileContainer* tile : m_markedTiles) {
        indices.push_back(m_laidTiles.Index(*tile));
        before.push_back(m_laidTiles.Color(*tile));
    }
    History().push(new TRecolorCommand(*this, std::move(indices), std::move(before), color | 0xFF000000u));
    invalidateView();
    return true;
}

void TProject::RecolorTiles(const std::vector<int>& indices, const std::vector<std::uint32_t>& colors) {
    for (std::size_t k = 0; k < indices.size() && k < colors.size(); ++k) {
        TTileContainer& tile = m_laidTiles.Items(indices[k]);
        RemoveHalf(m_laidTiles.Group(tile)->Counters, tile.PartID, tile.ContourID, 1);
        m_laidTiles.SetColor(tile, colors[k]);
        if (tile.PartID == -1) {
            continue; // whole, or cut to no half: no piece to count
        }
        const TPartList* parts = tile.PlacementParts() != nullptr ? tile.PlacementParts() : m_tileParts.get();
        if (parts != nullptr) {
            AddHalf(m_laidTiles.Group(tile)->Counters, tile.PartID, tile.ContourID, 1,
                    parts->ContourName(tile.PartID, tile.ContourID), parts->PartName(tile.PartID),
                    parts->PartEquals(tile.PartID));
        }
    }
    m_painter.Invalidate();
}

// --- the halves check ------------------------------------------------------------------------

std::vector<const TTileContainer*> TProject::UnmatchedCutTiles() {
    std::vector<const TTileContainer*> unmatched;
    if (m_laidTiles.Count() == 0) {
        return unmatched;
    }
    if (!m_siteRegion) {
        BuildSiteRegion();
    }
    const double tolerance = m_tolerance > 0.0 ? m_tolerance : FillRegionTolerance(*m_scale);
    for (int i = 0; i < m_laidTiles.Count(); ++i) {
        const TTileContainer& tile = m_laidTiles.Items(i);
        if (tile.PartID != -1) {
            continue;
        }
        // A tile without a half is whole unless the site cuts it.
        const TLaidShape& shape = tile.Shape();
        const TPointF base = tile.BasePointKey();
        TSiteRegion::TCut cut;
        if (m_siteRegion->Classify(shape.Polygons(), shape.Bounds(), QPointF(base.X, base.Y), tolerance, false, cut,
                                   &shape.Convex()) == TSiteRegion::TCoverage::Cut) {
            unmatched.push_back(&tile);
        }
    }
    return unmatched;
}

} // namespace vk
