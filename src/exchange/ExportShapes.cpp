#include "exchange/ExportShapes.h"

#include "geometry/Region.h"
#include "model/LaidTiles.h"
#include "model/Project.h"
#include "model/Report.h"

namespace vk {

namespace {

// A piece whose difference from the whole tile is thinner than this is the
// whole tile: the chords of arcs stray by a hundredth of a millimetre.
constexpr double kCutTolerance = 0.1;

TShapePath polygonsPath(const std::vector<QPolygonF>& polygons) {
    TShapePath path;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 3) {
            continue;
        }
        path.StartFigure();
        const int n = int(polygon.size()) - (polygon.isClosed() ? 1 : 0);
        for (int i = 0; i < n; ++i) {
            const QPointF a = polygon.at(i);
            const QPointF b = polygon.at((i + 1) % n);
            path.AddLine(TPointF{float(a.x()), float(a.y())}, TPointF{float(b.x()), float(b.y())});
        }
        path.CloseFigure();
    }
    return path;
}

} // namespace

TExportDrawing CollectDrawing(TProject& project) {
    TExportDrawing drawing;
    if (project.SitePath() == nullptr && project.Elements().Count() > 0) {
        project.BuildSiteRegion();
    }
    if (project.SitePath() != nullptr) {
        drawing.Border = *project.SitePath();
    }
    drawing.ReportLines = ReportText(project.Report()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    const TSiteRegion* site = project.SiteRegion();
    const TColorController& groups = project.LaidTiles().ColorGroups();
    for (int g = 0; g < groups.Count(); ++g) {
        const TColorListContainer& group = groups.Items(g);
        TExportGroup out;
        out.Color = group.Color;
        out.Tiles.reserve(std::size_t(group.TileCount()));
        for (int i = 0; i < group.TileCount(); ++i) {
            const TTileContainer& tile = group.Tile(i);
            TExportTile piece;
            piece.Shape = tile.Outline();
            // Most tiles lie well inside: their bounds tell so without the
            // region adapter, which would find the piece the whole tile.
            if (site != nullptr && !site->ClipPath().contains(piece.Shape.Bounds())) {
                const TRegion whole = TRegion::FromPolygons(piece.Shape.Flatten(kRegionChordError));
                const TRegion inside = whole.Intersected(site->Region());
                if (!inside.EqualsWithin(whole, kCutTolerance)) {
                    piece.Kind = tile.PartID != -1 ? TExportTile::TKind::Cut : TExportTile::TKind::CutNoHalf;
                    piece.Shape = polygonsPath(inside.Polygons());
                }
            }
            out.Tiles.push_back(std::move(piece));
        }
        drawing.Groups.push_back(std::move(out));
    }
    return drawing;
}

QString WriteFailure(const QString& fileName, const QString& reason) {
    return reason.isEmpty() ? QStringLiteral("Не удалось записать файл \"%1\"").arg(fileName)
                            : QStringLiteral("Не удалось записать файл \"%1\": %2").arg(fileName, reason);
}

} // namespace vk
