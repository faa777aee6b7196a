#pragma once
// The drawing of a project's laid tiles, clipped to the site: each colour
// group's tiles filled with its colour (the default colour's with the
// texture when one is set), then outlined.
//
// Draw puts them on any device as vector outlines, clipped by the site's
// path. Paint, for the screen, draws the same outlines into a picture of the
// device, masks it with the site, and keeps it until the tiles, the view,
// the pen, the site or the texture change; where a tile is a few pixels
// across it paints a finished fill as one repeat of its pattern instead.

#include "model/TilesLayer.h"

#include <QBrush>
#include <QImage>
#include <QPen>
#include <QSize>
#include <QTransform>
#include <cstdint>
#include <memory>

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
    void drawTiles(QPainter& g, TDrawingSheet& sheet, const QPen& pen, const QBrush* texture, QSize size,
                   bool antialiasing, bool asPattern);
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
