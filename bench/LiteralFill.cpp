#include "LiteralFill.h"

#include "geometry/Matrix.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/DihotomedCollection.h"
#include "model/LaidTiles.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/SiteRegion.h"

#include <deque>

namespace vk::bench {

namespace {

struct TPointItem : TDihotomedItem {
    explicit TPointItem(TPointF p) : Point(p) {}
    TPointF Point;
};
TPointF pointKey(const TPointItem& item) { return item.Point; }

struct TLaid : TDihotomedItem {
    std::unique_ptr<TTile> Tile;
    TShapePath Outline;
    int PartID = -1;
    int ContourID = -1;
};
TPointF laidKey(const TLaid& laid) { return laid.Tile->BasePoint.point(); }

class TVisited : public TDihotomedCollection<TPointItem> {
public:
    TVisited() : TDihotomedCollection({{ComparePointsTolerant, pointKey, TDuplicateMode::Any}}) {}
};

class TLaidList : public TDihotomedCollection<TLaid> {
public:
    TLaidList() : TDihotomedCollection({{ComparePointsExact, laidKey, TDuplicateMode::Any}}) {}
};

} // namespace

TLiteralResult LiteralFill(TProject& project, double tolerance) {
    TLiteralResult result;
    const float tileTol = float(GlobalConfig().TileLinkTolerance);
    TShapePath sitePath = TElementList::BuildPath(float(GlobalConfig().ProjectLinkTolerance), project, true);
    const std::unique_ptr<TSiteRegion> site = TSiteRegion::FromPath(sitePath);
    TCollage& pattern = *project.WorkPattern();

    // The placements' cuts, bound to each copy in turn.
    std::vector<std::unique_ptr<TPartList>> parts;
    for (int i = 0; i < pattern.Elements().Count(); ++i) {
        auto copy = std::make_unique<TPartList>();
        if (const TPartList* own = pattern.Placement(i)->Parts()) {
            copy->CopyFrom(*own);
        }
        parts.push_back(std::move(copy));
    }

    TVisited visited;
    TLaidList laid;
    std::deque<TPointF> queue;
    const FlaggedPoint start = project.StartPoint();
    queue.push_back(project.ToWorld(start.point()));
    while (!queue.empty()) {
        const TPointF origin = queue.front();
        queue.pop_front();
        if (visited.FindKey(origin, 0).Found) {
            continue;
        }
        visited.Add(std::make_unique<TPointItem>(origin));
        bool laidAny = false;
        for (int i = 0; i < pattern.Elements().Count(); ++i) {
            const TTilePlacementPrimitive& placement = *pattern.Placement(i);
            auto copy = std::make_unique<TTile>();
            copy->Assign(placement.Tile());
            const TPointF v = RotatePoint(placement.TilePoint().point(), placement.Rotation(), {0.0f, 0.0f});
            const FlaggedPoint pp = placement.PatternPoint();
            copy->SetBasePoint(origin.X + pp.X - v.X, origin.Y + pp.Y - v.Y);
            TShapePath outline = TElementList::BuildPath(tileTol, *copy, false);
            const TRegion full = TRegion::FromPolygons(outline.Flatten(kRegionChordError));
            TRegion clipped;
            const TSiteRegion::TCoverage coverage = TSiteRegion::Decide(full, site->Region(), tolerance, &clipped);
            if (coverage == TSiteRegion::TCoverage::Outside) {
                continue;
            }
            laidAny = true;
            auto item = std::make_unique<TLaid>();
            if (coverage == TSiteRegion::TCoverage::Cut) {
                TPartList& cuts = *parts[std::size_t(i)];
                cuts.AttachToTile(copy.get());
                for (int p = 0; p < cuts.Count() && item->PartID == -1; ++p) {
                    const TPart& part = *cuts.Items(p);
                    for (int h = 0; h < part.Contours.Count(); ++h) {
                        const TContourAncestor& half = *part.Contours.Items(h);
                        const TRegion piece =
                            TRegion::FromPolygons(half.Path.Flatten(kRegionChordError)).Intersected(site->Region());
                        if (piece.EqualsWithin(clipped, tolerance)) {
                            item->PartID = part.ID;
                            item->ContourID = part.Equals ? -1 : half.ID;
                            break;
                        }
                    }
                }
            }
            if (item->PartID == -1) {
                ++result.Whole;
            } else {
                ++result.Halves[{item->PartID, item->ContourID}];
            }
            item->Tile = std::move(copy);
            item->Outline = std::move(outline);
            laid.Add(std::move(item));
        }
        if (!laidAny) {
            continue;
        }
        const TElementList& hands = pattern.HandPoints();
        for (int i = 0; i < hands.Count(); ++i) {
            const FlaggedPoint h = static_cast<const TPointPrimitive*>(hands.Items(i))->Point();
            for (const TPointF q : {TPointF{origin.X + h.X, origin.Y + h.Y}, TPointF{origin.X - h.X, origin.Y - h.Y}}) {
                if (!visited.FindKey(q, 0).Found) {
                    queue.push_back(q);
                }
            }
        }
    }
    result.Laid = laid.Count();
    return result;
}

} // namespace vk::bench
