// Drawing the laid tiles: the vector outlines, and the picture of them kept
// for the screen.

#include "model/TilesPainter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "model/LaidTiles.h"
#include "model/SiteRegion.h"

#include <QPainter>
#include <QPainterPath>

namespace vk {

namespace {

// The outlines of straight tiles. In a finished fill every joint lies
// between two laid tiles whose outlines run along it in opposite
// directions: drawn from the side whose outward normal leans towards one
// fixed direction, each joint is drawn once instead of twice. (An edge
// square to that direction is drawn from both sides, which does no harm.)
void drawJoints(QPainter& g, const std::vector<const TTileContainer*>& tiles, bool onceEach) {
    constexpr std::size_t kBatch = 8192;
    const QPointF lean(std::cos(1.0), std::sin(1.0));
    std::vector<QLineF> joints;
    joints.reserve(kBatch + 16);
    for (const TTileContainer* tile : tiles) {
        const QPolygonF& simple = tile->Shape().SimplePolygon();
        const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
        const int n = int(simple.size());
        double area = 0.0;
        for (int k = 0; k < n; ++k) {
            area += simple[k].x() * simple[(k + 1) % n].y() - simple[(k + 1) % n].x() * simple[k].y();
        }
        const double outward = area > 0.0 ? 1.0 : -1.0;
        for (int k = 0; k < n; ++k) {
            const QPointF& a = simple[k];
            const QPointF& b = simple[(k + 1) % n];
            if (onceEach) {
                const double nx = outward * (b.y() - a.y());
                const double ny = -outward * (b.x() - a.x());
                const double along = nx * lean.x() + ny * lean.y();
                if (along < 0.0 && along * along > 1e-12 * (nx * nx + ny * ny)) {
                    continue;
                }
            }
            joints.emplace_back(a + base, b + base);
        }
        if (joints.size() >= kBatch) {
            g.drawLines(joints.data(), int(joints.size()));
            joints.clear();
        }
    }
    if (!joints.empty()) {
        g.drawLines(joints.data(), int(joints.size()));
    }
}

} // namespace

TTilesPainter::TTilesPainter(const TTileList& tiles) : m_tiles(tiles) {}

TTilesPainter::~TTilesPainter() = default;

void TTilesPainter::DrawOutline(QPainter& g, TDrawingSheet& sheet, const TTileContainer& tile, const QPen& pen) {
    g.save();
    g.translate(tile.BasePointKey().X, tile.BasePointKey().Y);
    const TElementList& elements = tile.Shape().Tile().Elements();
    for (int i = 0; i < elements.Count(); ++i) {
        elements.Items(i)->Draw(g, sheet, &pen);
    }
    g.restore();
}

void TTilesPainter::Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, const TSiteRegion& site,
                         const QBrush* texture) {
    if (graphics.device() == nullptr) {
        return;
    }
    const QSize size(graphics.device()->width(), graphics.device()->height());
    if (size.isEmpty()) {
        return;
    }
    graphics.save();
    graphics.setClipPath(site.ClipPath(), Qt::IntersectClip);
    drawTiles(graphics, sheet, pen, texture, size, graphics.testRenderHint(QPainter::Antialiasing), false);
    graphics.restore();
}

void TTilesPainter::Paint(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, const TSiteRegion& site,
                          const QBrush* texture, bool useCache) {
    if (graphics.device() == nullptr) {
        return;
    }
    const QSize size(graphics.device()->width(), graphics.device()->height());
    if (size.isEmpty()) {
        return;
    }
    if (!m_layer) {
        m_layer = std::make_unique<TTilesLayer>();
    }
    TTilesLayer& layer = *m_layer;
    const bool antialiasing = graphics.testRenderHint(QPainter::Antialiasing);
    const bool fresh = layer.Valid && layer.Image.size() == size && layer.Transform == graphics.worldTransform() &&
                       layer.TilesVersion == m_tiles.Version() && layer.OtherVersion == m_version &&
                       layer.Pen == pen && layer.Antialiasing == antialiasing && layer.Sheet == &sheet;
    if (!useCache || !fresh) {
        if (layer.Image.size() != size) {
            layer.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        }
        layer.Image.fill(Qt::transparent);
        QPainter g(&layer.Image);
        g.setTransform(graphics.worldTransform());
        drawTiles(g, sheet, pen, texture, size, antialiasing, true);
        // Clipping every tile to the site is costly; masking the finished
        // picture with the site once gives the same picture.
        g.resetTransform();
        g.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        g.drawImage(0, 0, siteMask(site, size, graphics.worldTransform(), antialiasing));
        g.end();
        layer.Transform = graphics.worldTransform();
        layer.TilesVersion = m_tiles.Version();
        layer.OtherVersion = m_version;
        layer.Pen = pen;
        layer.Sheet = &sheet;
        layer.Antialiasing = antialiasing;
        layer.Valid = true;
    }
    graphics.save();
    graphics.resetTransform();
    graphics.drawImage(0, 0, layer.Image);
    graphics.restore();
}

void TTilesPainter::drawTiles(QPainter& g, TDrawingSheet& sheet, const QPen& pen, const QBrush* texture, QSize size,
                              bool antialiasing, bool asPattern) {
    // The largest and smallest side of the first laid tile's bounds, in
    // device pixels (none laid: 0, 0).
    const auto tilePixels = [this](const QTransform& t) -> std::pair<double, double> {
        const TColorController& groups = m_tiles.ColorGroups();
        if (groups.Count() == 0 || groups.Items(0).GroupTiles.empty()) {
            return {0.0, 0.0};
        }
        const QRectF b = groups.Items(0).Tile(0).Bounds();
        const double k = std::hypot(t.m11(), t.m12());
        return {std::max(b.width(), b.height()) * k, std::min(b.width(), b.height()) * k};
    };
    // Tiles only a few pixels across gain nothing from smoothing but cost
    // twice as much with it.
    const auto tinyTiles = [&](const QTransform& t) {
        const double largest = tilePixels(t).first;
        return largest > 0.0 && largest < 12.0;
    };
    // Joints of tiles a few pixels apart, each a pixel wide, paint the site
    // black: thinned in proportion to the tile (as the pattern's repeat
    // does), and smoothed so that a fraction of a pixel shows as a shade.
    // A joint drawn from both its tiles gets half the width.
    const auto thinJoint = [&](const QTransform& t, const QPen& pen, bool onceEach) -> std::optional<QPen> {
        const double smallestPx = tilePixels(t).second;
        constexpr double kThinBelowPixels = 6.0;
        if (!(smallestPx > 0.0 && smallestPx < kThinBelowPixels)) {
            return std::nullopt;
        }
        QPen joint = pen;
        joint.setCosmetic(true);
        joint.setWidthF(std::clamp(smallestPx / (onceEach ? 6.0 : 12.0), 0.1, 1.0));
        return joint;
    };
    const QTransform view = g.worldTransform();
    const bool smooth = antialiasing && !tinyTiles(view);
    g.setRenderHint(QPainter::Antialiasing, smooth);
    std::vector<const TTileContainer*> straight;
    std::vector<const TTileContainer*> others;
    std::vector<const TTileContainer*> withCutLines;
    const QRectF visible = view.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
    QBrush fillBrush = sheet.Palette().FillBrush;
    if (fillBrush.style() == Qt::NoBrush) {
        fillBrush.setStyle(Qt::SolidPattern);
    }
    QPolygonF moved;
    fillBrush.setColor(QColor::fromRgba(DefaultTileColor));
    const bool asLattice = asPattern && !texture && paintLattice(g, pen, fillBrush);
    const TColorController& groups = m_tiles.ColorGroups();
    for (int i = 0; i < groups.Count(); ++i) {
        const TColorListContainer& group = groups.Items(i);
        if (asLattice && group.Color == DefaultTileColor) {
            continue; // the pattern's texture shows them
        }
        fillBrush.setColor(QColor::fromRgba(group.Color));
        const QBrush& brush = (group.Color == DefaultTileColor && texture) ? *texture : fillBrush;
        g.setBrush(brush);
        g.setPen(pen);
        // Straight tiles are filled one by one without smoothing (they
        // abut, and their joints are drawn over the seams), and then
        // their joints in batches: a call per tile costs more than the
        // tile's pixels.
        straight.clear();
        g.setPen(Qt::NoPen);
        g.setRenderHint(QPainter::Antialiasing, false);
        // The tiles of a finished fill cover the site but for slivers
        // thinner than a pixel at such a zoom: one fill of the view does
        // what a fill per tile would.
        const bool finished = m_lattice && group.Color == DefaultTileColor && !texture;
        const bool covered = !smooth && finished;
        if (covered) {
            g.fillRect(visible, brush);
        }
        for (const std::uint32_t index : group.GroupTiles) {
            const TTileContainer* tile = &m_tiles.Items(int(index));
            const QRectF bounds = tile->Bounds();
            if (!bounds.intersects(visible) && !visible.contains(bounds.topLeft())) {
                continue;
            }
            const QPolygonF& simple = tile->Shape().SimplePolygon();
            if (simple.isEmpty()) {
                others.push_back(tile);
                continue;
            }
            straight.push_back(tile);
            if (!covered) {
                const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
                moved.resize(simple.size());
                for (int k = 0; k < simple.size(); ++k) {
                    moved[k] = simple[k] + base;
                }
                g.drawPolygon(moved);
            }
            if (tile->Shape().HasCutLines()) {
                withCutLines.push_back(tile);
            }
        }
        const std::optional<QPen> thin = thinJoint(view, pen, finished);
        const QPen& jointPen = thin ? *thin : pen;
        g.setRenderHint(QPainter::Antialiasing, smooth || thin);
        g.setPen(jointPen);
        drawJoints(g, straight, finished);
        // Cut lines are elements of the tile: drawn as they are.
        for (const TTileContainer* tile : withCutLines) {
            DrawOutline(g, sheet, *tile, jointPen);
        }
        withCutLines.clear();
        // The other tiles one by one: the outline filled, then the
        // elements drawn.
        for (const TTileContainer* tile : others) {
            const TLaidShape& shape = tile->Shape();
            const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
            g.save();
            g.translate(base);
            g.fillPath(shape.PainterPath(), brush);
            g.restore();
            DrawOutline(g, sheet, *tile, jointPen);
        }
        others.clear();
    }
}

const QImage& TTilesPainter::siteMask(const TSiteRegion& site, QSize size, const QTransform& transform, bool antialiasing) {
    TTilesLayer& layer = *m_layer;
    if (layer.Mask.size() != size || layer.MaskTransform != transform || layer.MaskVersion != m_version ||
        layer.MaskAntialiasing != antialiasing) {
        layer.Mask = QImage(size, QImage::Format_ARGB32_Premultiplied);
        layer.Mask.fill(Qt::transparent);
        QPainter m(&layer.Mask);
        m.setRenderHint(QPainter::Antialiasing, antialiasing);
        m.setTransform(transform);
        m.fillPath(site.ClipPath(), Qt::black);
        layer.MaskTransform = transform;
        layer.MaskVersion = m_version;
        layer.MaskAntialiasing = antialiasing;
    }
    return layer.Mask;
}

bool TTilesPainter::paintLattice(QPainter& g, const QPen& pen, const QBrush& brush) {
    if (!m_lattice || !m_lattice->Valid || m_lattice->Shapes.empty()) {
        return false;
    }
    const TLaidLattice& lattice = *m_lattice;
    const QTransform view = g.worldTransform();
    const double pxPerMm = std::hypot(view.m11(), view.m12());
    double tilePx = 0.0;
    double smallestPx = 1e300;
    double reach = 0.0;
    for (const auto& [shape, offset] : lattice.Shapes) {
        const QRectF b = shape->Bounds();
        tilePx = std::max(tilePx, std::max(b.width(), b.height()) * pxPerMm);
        smallestPx = std::min(smallestPx, std::min(b.width(), b.height()) * pxPerMm);
        reach = std::max(reach, std::hypot(offset.x(), offset.y()) + std::hypot(b.width(), b.height()) +
                                    std::hypot(b.left(), b.top()));
    }
    // Larger tiles are drawn one by one: each is seen.
    constexpr double kLargestTexturedTile = 5.0;
    if (!(tilePx < kLargestTexturedTile)) {
        return false;
    }
    const double l0 = std::hypot(lattice.B0.x(), lattice.B0.y());
    const double l1 = std::hypot(lattice.B1.x(), lattice.B1.y());
    // One repeat of the pattern, a texture pixel about a device pixel.
    const int w = std::max(2, int(std::ceil(l0 * pxPerMm)));
    const int h = std::max(2, int(std::ceil(l1 * pxPerMm)));
    if (double(w) * h > 4.0e6) {
        return false;
    }
    // Texture pixels to world millimetres: the repeat's parallelogram.
    const QTransform toWorld(lattice.B0.x() / w, lattice.B0.y() / w, lattice.B1.x() / h, lattice.B1.y() / h,
                             lattice.Origin.x(), lattice.Origin.y());
    QImage texture(w, h, QImage::Format_ARGB32_Premultiplied);
    texture.fill(Qt::transparent);
    {
        QPainter t(&texture);
        t.setRenderHint(QPainter::Antialiasing, true);
        t.setTransform(toWorld.inverted());
        // Joints a few pixels apart drawn at full strength would paint the
        // site black: they are thinned in proportion.
        QPen joint = pen;
        joint.setCosmetic(true);
        joint.setWidthF(std::clamp(smallestPx / 6.0, 0.2, 1.0));
        t.setPen(joint);
        t.setBrush(brush);
        const int n = 1 + int(std::ceil(reach / std::min(l0, l1)));
        QPolygonF moved;
        for (int i = -n; i <= n + 1; ++i) {
            for (int j = -n; j <= n + 1; ++j) {
                const QPointF origin = lattice.Origin + double(i) * lattice.B0 + double(j) * lattice.B1;
                for (const auto& [shape, offset] : lattice.Shapes) {
                    const QPointF base = origin + offset;
                    const QPolygonF& simple = shape->SimplePolygon();
                    if (!simple.isEmpty()) {
                        moved.resize(simple.size());
                        for (int k = 0; k < simple.size(); ++k) {
                            moved[k] = simple[k] + base;
                        }
                        t.drawPolygon(moved);
                    } else {
                        t.drawPath(shape->PainterPath().translated(base));
                    }
                }
            }
        }
    }
    QBrush repeat(texture);
    repeat.setTransform(toWorld);
    g.save();
    g.setRenderHint(QPainter::SmoothPixmapTransform, true);
    g.setPen(Qt::NoPen);
    const QRectF visible = view.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(g.device()->width(), g.device()->height())));
    g.fillRect(visible, repeat);
    g.restore();
    return true;
}

} // namespace vk
