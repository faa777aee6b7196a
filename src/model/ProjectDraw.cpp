// Drawing a project: the laid tiles (kept as a picture of the device until
// they, the view or the texture change), marks, border, print rectangle,
// start point.

#include "model/Project.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "model/TilesLayer.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace vk {

namespace {

// The tile's elements (every one, as DrawOutline draws them) at its place.
void drawTileOutline(QPainter& g, TDrawingSheet& sheet, const TTileContainer& tile, const QPen& pen) {
    g.save();
    g.translate(tile.BasePointKey().X, tile.BasePointKey().Y);
    const TElementList& elements = tile.Shape().Tile().Elements();
    for (int i = 0; i < elements.Count(); ++i) {
        elements.Items(i)->Draw(g, sheet, &pen);
    }
    g.restore();
}

// The least width of a shape across the direction of any of its outline's
// edges (mm). A turned tile's bounds overstate how small it looks on screen;
// its narrow side does not.
double narrowestWidth(const TLaidShape& shape) {
    double best = std::numeric_limits<double>::infinity();
    for (const QPolygonF& polygon : shape.Polygons()) {
        for (int i = 0; i + 1 < polygon.size(); ++i) {
            const QPointF d = polygon[i + 1] - polygon[i];
            const double length = std::hypot(d.x(), d.y());
            if (!(length > 0.0)) {
                continue;
            }
            const QPointF normal(-d.y() / length, d.x() / length);
            double low = std::numeric_limits<double>::infinity();
            double high = -low;
            for (const QPolygonF& other : shape.Polygons()) {
                for (const QPointF& v : other) {
                    const double along = v.x() * normal.x() + v.y() * normal.y();
                    low = std::min(low, along);
                    high = std::max(high, along);
                }
            }
            best = std::min(best, high - low);
        }
    }
    return std::isfinite(best) ? best : std::min(shape.Bounds().width(), shape.Bounds().height());
}

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

void paintMarked(QPainter& g, TDrawingSheet& sheet, const TTileContainer& tile, const QBrush& brush,
                 const QPen& pen) {
    g.fillPath(tile.OutlinePath(), brush);
    drawTileOutline(g, sheet, tile, pen);
}

} // namespace

void TProject::PaintTiles(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, bool useCache) {
    if (!m_siteRegion || m_pendingSteps != 0 || graphics.device() == nullptr) {
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
    // The largest and smallest side of the first laid tile's bounds, in
    // device pixels (none laid: 0, 0).
    const auto tilePixels = [this](const QTransform& t) -> std::pair<double, double> {
        const TColorController& groups = m_laidTiles.ColorGroups();
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
    const bool antialiasing = graphics.testRenderHint(QPainter::Antialiasing);
    const bool fresh = layer.Valid && layer.Image.size() == size && layer.Transform == graphics.worldTransform() &&
                       layer.TilesVersion == m_laidTiles.Version() && layer.OtherVersion == m_textureVersion &&
                       layer.Pen == pen && layer.Antialiasing == antialiasing && layer.Sheet == &sheet;
    if (!useCache || !fresh) {
        if (layer.Image.size() != size) {
            layer.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        }
        layer.Image.fill(Qt::transparent);
        QPainter g(&layer.Image);
        const bool smooth = antialiasing && !tinyTiles(graphics.worldTransform());
        g.setRenderHint(QPainter::Antialiasing, smooth);
        std::vector<const TTileContainer*> straight;
        std::vector<const TTileContainer*> others;
        std::vector<const TTileContainer*> withCutLines;
        g.setTransform(graphics.worldTransform());
        const QRectF visible = graphics.worldTransform().inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
        QBrush fillBrush = sheet.Palette().FillBrush;
        if (fillBrush.style() == Qt::NoBrush) {
            fillBrush.setStyle(Qt::SolidPattern);
        }
        QPolygonF moved;
        fillBrush.setColor(QColor::fromRgba(DefaultTileColor));
        const bool asLattice = !m_texture && paintLattice(g, pen, fillBrush);
        // The tiles of a finished fill cover the site: one fill of the view
        // does what a fill per tile of the default colour would, before any
        // group is drawn, whatever its place among the groups.
        const bool covered = !asLattice && m_lattice && !m_texture;
        if (covered) {
            g.fillRect(visible, fillBrush);
        }
        const TColorController& groups = m_laidTiles.ColorGroups();
        for (int i = 0; i < groups.Count(); ++i) {
            const TColorListContainer& group = groups.Items(i);
            if (asLattice && group.Color == DefaultTileColor) {
                continue; // the pattern's texture shows them
            }
            fillBrush.setColor(QColor::fromRgba(group.Color));
            const QBrush& brush = (group.Color == DefaultTileColor && m_texture) ? *m_texture : fillBrush;
            g.setBrush(brush);
            g.setPen(pen);
            // Straight tiles are filled one by one without smoothing (they
            // abut, and their joints are drawn over the seams), and then
            // their joints in batches: a call per tile costs more than the
            // tile's pixels.
            straight.clear();
            g.setPen(Qt::NoPen);
            g.setRenderHint(QPainter::Antialiasing, false);
            const bool finished = m_lattice && group.Color == DefaultTileColor && !m_texture;
            for (const std::uint32_t index : group.GroupTiles) {
                const TTileContainer* tile = &m_laidTiles.Items(int(index));
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
                if (!finished) {
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
            const std::optional<QPen> thin = thinJoint(graphics.worldTransform(), pen, finished);
            const QPen& jointPen = thin ? *thin : pen;
            g.setRenderHint(QPainter::Antialiasing, smooth || thin);
            g.setPen(jointPen);
            drawJoints(g, straight, finished);
            // Cut lines are elements of the tile: drawn as they are.
            for (const TTileContainer* tile : withCutLines) {
                drawTileOutline(g, sheet, *tile, jointPen);
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
                drawTileOutline(g, sheet, *tile, jointPen);
            }
            others.clear();
        }
        // Clipping every tile to the site is costly; masking the finished
        // picture with the site once gives the same picture.
        g.resetTransform();
        g.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        g.drawImage(0, 0, siteMask(size, graphics.worldTransform(), antialiasing));
        g.end();
        layer.Transform = graphics.worldTransform();
        layer.TilesVersion = m_laidTiles.Version();
        layer.OtherVersion = m_textureVersion;
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

const QImage& TProject::siteMask(QSize size, const QTransform& transform, bool antialiasing) {
    TTilesLayer& layer = *m_layer;
    if (layer.Mask.size() != size || layer.MaskTransform != transform || layer.MaskVersion != m_textureVersion ||
        layer.MaskAntialiasing != antialiasing) {
        layer.Mask = QImage(size, QImage::Format_ARGB32_Premultiplied);
        layer.Mask.fill(Qt::transparent);
        QPainter m(&layer.Mask);
        m.setRenderHint(QPainter::Antialiasing, antialiasing);
        m.setTransform(transform);
        m.fillPath(m_siteRegion->ClipPath(), Qt::black);
        layer.MaskTransform = transform;
        layer.MaskVersion = m_textureVersion;
        layer.MaskAntialiasing = antialiasing;
    }
    return layer.Mask;
}

bool TProject::paintLattice(QPainter& g, const QPen& pen, const QBrush& brush) {
    if (!m_lattice || !m_lattice->Valid || m_lattice->Shapes.empty()) {
        return false;
    }
    const TLaidLattice& lattice = *m_lattice;
    const QTransform view = g.worldTransform();
    const double pxPerMm = std::hypot(view.m11(), view.m12());
    double tilePx = 0.0;
    double smallestPx = 1e300;
    double narrowPx = 1e300;
    double reach = 0.0;
    for (const auto& [shape, offset] : lattice.Shapes) {
        const QRectF b = shape->Bounds();
        tilePx = std::max(tilePx, std::max(b.width(), b.height()) * pxPerMm);
        smallestPx = std::min(smallestPx, std::min(b.width(), b.height()) * pxPerMm);
        narrowPx = std::min(narrowPx, narrowestWidth(*shape) * pxPerMm);
        reach = std::max(reach, std::hypot(offset.x(), offset.y()) + std::hypot(b.width(), b.height()) +
                                    std::hypot(b.left(), b.top()));
    }
    // Larger tiles are drawn one by one: each is seen.
    constexpr double kNarrowestTexturedTile = 4.0;
    if (!(narrowPx < kNarrowestTexturedTile)) {
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

void TProject::Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) {
    const TSheetPalette& palette = sheet.Palette();
    // 1. Laid tiles, unless a run is pending.
    if (m_siteRegion && m_pendingSteps == 0) {
        PaintTiles(graphics, sheet, palette.BlackPen);
    }
    // 2-4. Marked, remembered, and the first marked again over the remembered.
    for (const TTileContainer* tile : m_markedTiles) {
        if (std::find(m_rememberedTiles.begin(), m_rememberedTiles.end(), tile) == m_rememberedTiles.end()) {
            paintMarked(graphics, sheet, *tile, palette.GreenGlassBrush, palette.GreenPen);
        }
    }
    for (const TTileContainer* tile : m_rememberedTiles) {
        paintMarked(graphics, sheet, *tile, palette.RedGlassBrush, palette.RedPen);
    }
    if (!m_rememberedTiles.empty() && !m_markedTiles.empty()) {
        paintMarked(graphics, sheet, *m_markedTiles.front(), palette.GreenGlassBrush, palette.GreenPen);
    }
    // 5. The current border element.
    if (Current() != nullptr) {
        Current()->DrawHandles(graphics, sheet, pen);
    }
    // 6. The border, last element first.
    DrawElements(graphics, sheet, &palette.BlackPen);
    // 7. The print rectangle.
    if (PrintCorner1.isSet() && PrintCorner2.isSet()) {
        graphics.setPen(palette.DashPen);
        graphics.setBrush(Qt::NoBrush);
        graphics.drawRect(QRectF(QPointF(PrintCorner1.X, PrintCorner1.Y), QPointF(PrintCorner2.X, PrintCorner2.Y))
                              .normalized());
    }
    // 8. The start point.
    DrawPlusMarker(graphics, sheet, StartPoint(), &palette.BluePen, *this);
    // 9. The base point.
    T_TnC_Ancestor::Draw(graphics, sheet, showBasePoint, pen);
}

} // namespace vk
