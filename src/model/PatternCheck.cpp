#include "model/PatternCheck.h"

#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/NumberFormat.h"
#include "geometry/ShapePath.h"
#include "model/Collage.h"
#include "model/OriginWalk.h"
#include "model/Tile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vk {

namespace {

// Arcs are flattened well inside any tolerance a user sets.
constexpr double kChordError = 0.01;

std::vector<QPolygonF> motifOf(const TCollage& pattern, double tolerance) {
    std::vector<QPolygonF> motif;
    for (int i = 0; i < pattern.Elements().Count(); ++i) {
        const TTilePlacementPrimitive* placement = pattern.Placement(i);
        if (placement == nullptr) {
            continue;
        }
        // Chaining the outline orders its elements: done on a copy.
        TTile copy;
        copy.Assign(placement->Tile());
        const TShapePath path = TElementList::BuildPath(float(tolerance), copy, true);
        for (QPolygonF& polygon : path.Flatten(kChordError)) {
            motif.push_back(std::move(polygon));
        }
    }
    return motif;
}

QString squareMillimetres(double area) { return formatFixed(area, 1) + QStringLiteral(" кв.мм"); }

} // namespace

QString TPatternCheck::Message() const {
    if (!Periodic) {
        return QStringLiteral("В узоре есть щели: соседние узоры не повторяют его в двух направлениях");
    }
    if (Covers()) {
        return QStringLiteral("Узор покрывает плоскость без щелей и наложений");
    }
    QStringList lines;
    if (GapArea > 0.0) {
        lines << QStringLiteral("В узоре есть щели: %1").arg(squareMillimetres(GapArea));
    }
    if (OverlapArea > 0.0) {
        lines << QStringLiteral("В узоре есть наложения: %1").arg(squareMillimetres(OverlapArea));
    }
    return lines.join(QStringLiteral("\r\n"));
}

TPatternCheck CheckPattern(const TCollage& pattern, double tolerance) {
    TPatternCheck result;
    std::vector<QPointF> hands;
    for (int i = 0; i < pattern.HandPoints().Count(); ++i) {
        if (const auto* point = dynamic_cast<const TPointPrimitive*>(pattern.HandPoints().Items(i))) {
            hands.emplace_back(point->Point().X, point->Point().Y);
        }
    }
    const std::vector<QPolygonF> motif = motifOf(pattern, tolerance);
    // The fill's own reading of the hand points: a lattice or not.
    TOriginWalk walk;
    walk.Start({0.0, 0.0}, hands, QRectF(-1.0, -1.0, 2.0, 2.0));
    if (!walk.OnLattice() || motif.empty()) {
        return result;
    }
    result.Periodic = true;
    const QPointF a = walk.Basis(0);
    const QPointF b = walk.Basis(1);

    QRectF motifBounds;
    for (const QPolygonF& polygon : motif) {
        motifBounds = motifBounds.united(polygon.boundingRect());
    }
    const QPointF c = motifBounds.center();
    const QPointF ha = a / 2.0;
    const QPointF hb = b / 2.0;
    result.Period = QPolygonF({c - ha - hb, c + ha - hb, c + ha + hb, c - ha + hb});
    const QRectF periodBounds = result.Period.boundingRect();

    // Every copy whose bounds can meet the period: origins o with
    // motifBounds + o meeting periodBounds, in lattice coordinates.
    const QRectF reach(periodBounds.left() - motifBounds.right(), periodBounds.top() - motifBounds.bottom(),
                       periodBounds.width() + motifBounds.width(), periodBounds.height() + motifBounds.height());
    const double det = a.x() * b.y() - a.y() * b.x();
    double iMin = -1.0;
    double iMax = 1.0;
    double jMin = -1.0;
    double jMax = 1.0;
    for (const QPointF corner : {reach.topLeft(), reach.topRight(), reach.bottomLeft(), reach.bottomRight()}) {
        const double i = (corner.x() * b.y() - corner.y() * b.x()) / det;
        const double j = (a.x() * corner.y() - a.y() * corner.x()) / det;
        iMin = std::min(iMin, std::floor(i));
        iMax = std::max(iMax, std::ceil(i));
        jMin = std::min(jMin, std::floor(j));
        jMax = std::max(jMax, std::ceil(j));
    }
    result.RepeatsAlongA = int(iMax - iMin) + 1;
    result.RepeatsAlongB = int(jMax - jMin) + 1;

    TRegion covered;
    TRegion twice;
    for (int i = int(iMin); i <= int(iMax); ++i) {
        for (int j = int(jMin); j <= int(jMax); ++j) {
            const QPointF offset = double(i) * a + double(j) * b;
            if (!motifBounds.translated(offset).intersects(periodBounds)) {
                continue;
            }
            for (const QPolygonF& polygon : motif) {
                const TRegion tile = TRegion::FromPolygons({polygon.translated(offset)});
                twice = twice.United(tile.Intersected(covered));
                covered = covered.United(tile);
            }
        }
    }
    const TRegion period = TRegion::FromPolygons({result.Period});
    result.Gaps = period.Subtracted(covered);
    result.Overlaps = twice.Intersected(period);
    if (!result.Gaps.IsEmptyWithin(tolerance)) {
        result.GapArea = result.Gaps.Area();
    } else {
        result.Gaps = TRegion();
    }
    if (!result.Overlaps.IsEmptyWithin(tolerance)) {
        result.OverlapArea = result.Overlaps.Area();
    } else {
        result.Overlaps = TRegion();
    }
    return result;
}

} // namespace vk
