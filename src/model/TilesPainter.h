#pragma once
// The drawing of a project's laid tiles, clipped to the site: each colour
// group's tiles filled with its colour (the default colour's with the
// texture when one is set), then outlined.
//
// Draw puts them on any device as vector outlines, clipped by the site's
// path. Paint, for the screen, draws the same outlines into a picture of the
// device and keeps it until the tiles, the view, the pen, the site or the
// texture change. On a raster device only the tiles near the site's outline
// are clipped (the others are drawn as they are, to the same pixels), so
// the picture and a vector drawing on an image are the same. Where a tile
// is a few pixels across, the picture is masked with the site once instead,
// and a finished fill is painted as one repeat of its pattern.

#include "model/TilesLayer.h"

#include <QBrush>
#include <QImage>
#include <QPen>
#include <QSize>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <utility>

class QPainter;

namespace vk {

class TDrawingSheet;
class TSiteRegion;
class TTileContainer;
class TTileList;

class TTilesPainter {
public:
    explicit TTilesPainter(const TTileList& tiles);
    ~TTilesPainter();
    TTilesPainter(const TTilesPainter&) = delete;
    TTilesPainter& operator=(const TTilesPainter&) = delete;

    // The site or the texture changed: the kept picture is stale.
    void Invalidate() { ++m_version; }
    // What a finished fill laid on a lattice; none when the tiles are not
    // such a fill (any change of the laying drops it).
    void SetLattice(std::unique_ptr<TLaidLattice> lattice) { m_lattice = std::move(lattice); }

    // Vector outlines on the painter's device, clipped to `site` (intersected
    // with the painter's clip).
    void Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, const TSiteRegion& site,
              const QBrush* texture);
    // Through the picture kept for the device; `useCache` false draws it
    // afresh (the same picture).
    void Paint(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, const TSiteRegion& site,
               const QBrush* texture, bool useCache);

    // One laid tile's elements (every one: outline and cut lines) at its place.
    static void DrawOutline(QPainter& g, TDrawingSheet& sheet, const TTileContainer& tile, const QPen& pen);

private:
    // The groups in the painter's world transform over a device of `size`;
    // `asPattern` lets a finished fill of tiny tiles be painted as the
    // repeat of its pattern (a picture, so only into the kept one).
    // How the drawing keeps to the site: not at all (the caller masks the
    // picture), clipping the tiles near its outline (`inside` tells which lie
    // well inside), or clipping everything.
    enum class TClip { Masked, NearOutline, Everything };
    void drawTiles(QPainter& g, TDrawingSheet& sheet, const QPen& pen, const QBrush* texture, QSize size,
                   bool antialiasing, bool asPattern, const TSiteRegion& site, TClip clipping,
                   const TTilesLayer* inside);
    // The largest and smallest side of the first laid tile's bounds, in
    // device pixels (none laid: 0, 0).
    [[nodiscard]] std::pair<double, double> tilePixels(const QTransform& t) const;
    // Tiles only a few pixels across gain nothing from smoothing but cost
    // twice as much with it.
    [[nodiscard]] bool tinyTiles(const QTransform& t) const;
    // Paints the site with one repeat of the pattern; false when the laid
    // tiles are not a finished fill on a lattice or are not small enough.
    bool paintLattice(QPainter& g, const QPen& pen, const QBrush& brush);
    [[nodiscard]] const QImage& siteMask(const TSiteRegion& site, QSize size, const QTransform& transform,
                                         bool antialiasing);

    const TTileList& m_tiles;
    std::uint64_t m_version = 0;
    std::unique_ptr<TTilesLayer> m_layer;
    std::unique_ptr<TLaidLattice> m_lattice;
};

} // namespace vk
