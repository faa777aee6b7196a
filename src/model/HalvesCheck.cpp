#include "model/HalvesCheck.h"

#include "geometry/ElementList.h"
#include "geometry/ShapePath.h"
#include "model/Config.h"
#include "model/LaidTiles.h"
#include "model/Parts.h"
#include "model/Tile.h"

namespace vk {

THalvesCheck CheckHalves(const TTile& tile, const TPart& part, double tolerance) {
    // The outline is chained on a copy: ordering the elements is no change
    // of the tile.
    TTile copy;
    copy.Assign(tile);
    const TShapePath outline = TElementList::BuildPath(float(GlobalConfig().TileLinkTolerance), copy, true);
    const TRegion whole = TRegion::FromPolygons(outline.Flatten(kRegionChordError));

    TRegion covered;
    TRegion overlaps;
    for (int i = 0; i < part.Contours.Count(); ++i) {
        const TRegion half = TRegion::FromPolygons(part.Contours.Items(i)->Path.Flatten(kRegionChordError));
        overlaps = overlaps.United(covered.Intersected(half));
        covered = covered.United(half);
    }
    THalvesCheck check;
    check.Leftover = whole.Subtracted(covered);
    check.Overlaps = std::move(overlaps);
    check.HasLeftover = !check.Leftover.IsEmptyWithin(tolerance);
    check.HasOverlaps = !check.Overlaps.IsEmptyWithin(tolerance);
    return check;
}

} // namespace vk
