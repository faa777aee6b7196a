#pragma once
// The picture of a project's laid tiles for one device size and one view,
// kept until the tiles, the view, the pen or the texture change.

#include <QImage>
#include <QPen>
#include <QTransform>
#include <cstdint>
#include <utility>
#include <vector>

namespace vk {

// A picture the size of a view, premultiplied ARGB, contents undefined:
// taken from the pictures that painters before this one gave back when
// one of that size is there. A fresh picture that large costs a page fault
// on every few kilobytes the first time it is painted, which a window that
// opens project after project would pay again for each.
[[nodiscard]] QImage ViewSizedImage(QSize size);
// Keeps `image` (if it is the only owner of its pixels) for the next
// ViewSizedImage of its size; a few are kept at most.
void GiveBackViewSizedImage(QImage&& image);

class TTilesLayer {
public:
    TTilesLayer() = default;
    ~TTilesLayer();
    TTilesLayer(const TTilesLayer&) = delete;
    TTilesLayer& operator=(const TTilesLayer&) = delete;

    QImage Image;
    QTransform Transform;
    std::uint64_t TilesVersion = 0;
    std::uint64_t OtherVersion = 0;
    QPen Pen;
    const void* Sheet = nullptr;
    bool Antialiasing = false;
    bool Valid = false;

    // The site as a mask of the device, kept while the view and the site stay,
    // and which squares of kCell x kCell pixels it covers wholly.
    static constexpr int kCell = 8;
    QImage Mask;
    QTransform MaskTransform;
    std::uint64_t MaskVersion = 0;
    bool MaskAntialiasing = false;
    // How many squares not wholly covered lie above and left of each corner
    // of the grid ((CellsX + 1) x (CellsY + 1)), to count them in any block.
    std::vector<int> OutsideSums;
    int CellsX = 0;
    int CellsY = 0;
    bool AllInside = false;
};

// What a finished fill laid: the copies of the pattern at every lattice
// point whose tiles reach into the site. At a zoom where a tile is a few
// pixels across, the site is painted with one repeat of the pattern as a
// texture instead of tile by tile.
class TLaidShape;

struct TLaidLattice {
    bool Valid = false;
    QPointF Origin;
    QPointF B0;
    QPointF B1;
    // Each placement's shape (owned by the tile list) and where its tile
    // lies from the copy's origin.
    std::vector<std::pair<const TLaidShape*, QPointF>> Shapes;
};

} // namespace vk
