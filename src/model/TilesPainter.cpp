// Drawing the laid tiles: the vector outlines, and the picture of them kept
// for the screen.

#include "model/TilesPainter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "model/LaidTiles.h"
#include "model/SiteRegion.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <mutex>

namespace vk {

namespace {

// The pictures painters gave back; the optimizer's projects live on other
// threads, hence the lock.
struct TSparePictures {
    // A view and its mask for one window, and as many again for another.
    static constexpr std::size_t kKept = 4;
    std::mutex Lock;
    std::vector<QImage> Images;
};

TSparePictures& sparePictures() {
    static TSparePictures spare;
    return spare;
}

} // namespace

QImage ViewSizedImage(QSize size) {
    TSparePictures& spare = sparePictures();
    {
        const std::lock_guard<std::mutex> hold(spare.Lock);
        for (auto it = spare.Images.begin(); it != spare.Images.end(); ++it) {
            if (it->size() == size) {
                QImage image = std::move(*it);
                spare.Images.erase(it);
                return image;
            }
        }
    }
    return QImage(size, QImage::Format_ARGB32_Premultiplied);
}

void GiveBackViewSizedImage(QImage&& image) {
    // A picture shared with another owner (a copy drawn elsewhere) would be
    // painted over under it.
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied || !image.isDetached()) {
        image = QImage();
        return;
    }
    TSparePictures& spare = sparePictures();
    const std::lock_guard<std::mutex> hold(spare.Lock);
    if (spare.Images.size() >= TSparePictures::kKept) {
        spare.Images.erase(spare.Images.begin());
    }
    spare.Images.push_back(std::move(image));
    image = QImage();
}

TTilesLayer::~TTilesLayer() {
    GiveBackViewSizedImage(std::move(Image));
    GiveBackViewSizedImage(std::move(Mask));
}

namespace {

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

// Whether a tile lies inside the site by a few pixels on the device, so that
// a clip to the site would not change its pixels: the squares of the site's
// mask its bounds meet are wholly covered.
class TInsideTest {
public:
    // `layer` none: no tile counts as inside, unless `everything` does.
    TInsideTest(const TTilesLayer* layer, const QTransform& view, double margin, bool everything)
        : m_layer(layer), m_view(view), m_margin(margin), m_everything(everything) {}

    bool operator()(const TTileContainer& tile) const {
        if (m_layer == nullptr || m_layer->AllInside) {
            return m_everything || m_layer != nullptr;
        }
        // The tiles of one shape differ by where they lie: their bounds on
        // the device are the shape's, moved.
        const TLaidShape* shape = &tile.Shape();
        if (shape != m_shape) {
            m_shape = shape;
            m_shapeRect = m_view.mapRect(shape->Bounds());
        }
        const double x = tile.BasePointKey().X;
        const double y = tile.BasePointKey().Y;
        return covered(m_shapeRect.translated(m_view.m11() * x + m_view.m21() * y, m_view.m12() * x + m_view.m22() * y));
    }

private:
    [[nodiscard]] bool covered(const QRectF& d) const {
        // Off the device a clip changes nothing.
        constexpr double perCell = 1.0 / TTilesLayer::kCell;
        const double left = d.left() - m_margin;
        const double top = d.top() - m_margin;
        const double right = d.right() + m_margin;
        const double bottom = d.bottom() + m_margin;
        if (right < 0.0 || bottom < 0.0) {
            return true;
        }
        const int x0 = left <= 0.0 ? 0 : int(left * perCell);
        const int y0 = top <= 0.0 ? 0 : int(top * perCell);
        const int x1 = std::min(m_layer->CellsX - 1, int(right * perCell));
        const int y1 = std::min(m_layer->CellsY - 1, int(bottom * perCell));
        if (x0 > x1 || y0 > y1) {
            return true;
        }
        const std::vector<int>& sums = m_layer->OutsideSums;
        const std::size_t w = std::size_t(m_layer->CellsX) + 1;
        const auto at = [&](int cx, int cy) { return sums[std::size_t(cy) * w + std::size_t(cx)]; };
        return at(x1 + 1, y1 + 1) - at(x0, y1 + 1) - at(x1 + 1, y0) + at(x0, y0) == 0;
    }

    const TTilesLayer* m_layer;
    QTransform m_view;
    double m_margin;
    bool m_everything;
    mutable const TLaidShape* m_shape = nullptr;
    mutable QRectF m_shapeRect;
};

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
    const bool antialiasing = graphics.testRenderHint(QPainter::Antialiasing);
    // On a raster device the tiles well inside the site are drawn without
    // the clip, as the kept picture draws them; a clip of the caller's own
    // must stay on for every tile.
    const QPaintEngine* engine = graphics.paintEngine();
    const bool raster = engine != nullptr && engine->type() == QPaintEngine::Raster;
    const TTilesLayer* inside = nullptr;
    if (raster && !graphics.hasClipping()) {
        if (!m_layer) {
            m_layer = std::make_unique<TTilesLayer>();
        }
        (void)siteMask(site, size, graphics.worldTransform(), antialiasing);
        inside = m_layer.get();
    }
    graphics.save();
    drawTiles(graphics, sheet, pen, texture, size, antialiasing, false, site,
              inside != nullptr ? TClip::NearOutline : TClip::Everything, inside);
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
            GiveBackViewSizedImage(std::move(layer.Image));
            layer.Image = ViewSizedImage(size);
        }
        layer.Image.fill(Qt::transparent);
        const QImage& mask = siteMask(site, size, graphics.worldTransform(), antialiasing);
        QPainter g(&layer.Image);
        g.setTransform(graphics.worldTransform());
        // Where tiles are a few pixels across, most lie near the outline and
        // clipping them costs more than masking the finished picture once.
        const bool masked = tinyTiles(graphics.worldTransform());
        drawTiles(g, sheet, pen, texture, size, antialiasing, true, site,
                  masked ? TClip::Masked : TClip::NearOutline, &layer);
        if (masked) {
            g.resetTransform();
            g.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            g.drawImage(0, 0, mask);
        }
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

std::pair<double, double> TTilesPainter::tilePixels(const QTransform& t) const {
    const TColorController& groups = m_tiles.ColorGroups();
    if (groups.Count() == 0 || groups.Items(0).GroupTiles.empty()) {
        return {0.0, 0.0};
    }
    const QRectF b = groups.Items(0).Tile(0).Bounds();
    const double k = std::hypot(t.m11(), t.m12());
    return {std::max(b.width(), b.height()) * k, std::min(b.width(), b.height()) * k};
}

bool TTilesPainter::tinyTiles(const QTransform& t) const {
    const double largest = tilePixels(t).first;
    return largest > 0.0 && largest < 12.0;
}

void TTilesPainter::drawTiles(QPainter& g, TDrawingSheet& sheet, const QPen& pen, const QBrush* texture, QSize size,
                              bool antialiasing, bool asPattern, const TSiteRegion& site, TClip clipping,
                              const TTilesLayer* inside) {
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
    // Clipping every tile to the site is costly: only the tiles near its
    // outline are (a joint may be a pixel wide and smoothed over another).
    // The clip is set anew for each run of tiles near the outline: a clip
    // that is only switched off still slows every other shape down. The pen,
    // brush and smoothing carry over from one run to the next.
    bool clipped = false;
    const auto clip = [&](bool on) {
        if (on == clipped) {
            return;
        }
        const QPen keptPen = g.pen();
        const QBrush keptBrush = g.brush();
        const bool keptSmooth = g.testRenderHint(QPainter::Antialiasing);
        if (on) {
            g.save();
            // The clip is smoothed as the device is, whatever the shape drawn.
            g.setRenderHint(QPainter::Antialiasing, antialiasing);
            g.setClipPath(site.ClipPath(), Qt::IntersectClip);
        } else {
            g.restore();
        }
        g.setPen(keptPen);
        g.setBrush(keptBrush);
        g.setRenderHint(QPainter::Antialiasing, keptSmooth);
        clipped = on;
    };
    const double penPixels = pen.isCosmetic() ? pen.widthF() : pen.widthF() * std::hypot(view.m11(), view.m12());
    const TInsideTest isInside(clipping == TClip::NearOutline ? inside : nullptr, view, 1.5 + penPixels / 2.0,
                               clipping == TClip::Masked);
    clip(clipping == TClip::Everything);
    // Shapes that cover the view: clipped unless the site covers it.
    const bool allInside =
        clipping == TClip::Masked || (clipping == TClip::NearOutline && inside != nullptr && inside->AllInside);
    const bool smooth = antialiasing && !tinyTiles(view);
    g.setRenderHint(QPainter::Antialiasing, smooth);
    std::vector<const TTileContainer*> straight;
    std::vector<const TTileContainer*> straightNear;
    std::vector<const TTileContainer*> others;
    std::vector<const TTileContainer*> withCutLines;
    const QRectF visible = view.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
    QBrush fillBrush = sheet.Palette().FillBrush;
    if (fillBrush.style() == Qt::NoBrush) {
        fillBrush.setStyle(Qt::SolidPattern);
    }
    QPolygonF moved;
    fillBrush.setColor(QColor::fromRgba(DefaultTileColor));
    if (asPattern && !texture && m_lattice) {
        clip(!allInside);
    }
    const bool asLattice = asPattern && !texture && paintLattice(g, pen, fillBrush);
    // The tiles of a finished fill cover the site: one fill of the view does
    // what a fill per tile of the default colour would. It comes before any
    // group is drawn, whatever the default colour's place among the groups.
    if (!asLattice && m_lattice && !texture) {
        clip(!allInside);
        g.fillRect(visible, fillBrush);
    }
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
        straightNear.clear();
        g.setPen(Qt::NoPen);
        g.setRenderHint(QPainter::Antialiasing, false);
        // Covered by the fill of the view above.
        const bool finished = m_lattice && group.Color == DefaultTileColor && !texture;
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
            if (tile->Shape().HasCutLines()) {
                withCutLines.push_back(tile);
            }
            if (!isInside(*tile)) {
                straightNear.push_back(tile); // filled below, clipped
                continue;
            }
            straight.push_back(tile);
            if (!finished) {
                clip(false);
                const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
                moved.resize(simple.size());
                for (int k = 0; k < simple.size(); ++k) {
                    moved[k] = simple[k] + base;
                }
                g.drawPolygon(moved);
            }
        }
        // Straight tiles abut without overlapping: the order of their fills
        // does not matter.
        for (const TTileContainer* tile : straightNear) {
            if (!finished) {
                clip(true);
                const QPolygonF& simple = tile->Shape().SimplePolygon();
                const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
                moved.resize(simple.size());
                for (int k = 0; k < simple.size(); ++k) {
                    moved[k] = simple[k] + base;
                }
                g.drawPolygon(moved);
            }
        }
        const std::optional<QPen> thin = thinJoint(view, pen, finished);
        const QPen& jointPen = thin ? *thin : pen;
        g.setRenderHint(QPainter::Antialiasing, smooth || thin);
        g.setPen(jointPen);
        clip(false);
        drawJoints(g, straight, finished);
        clip(true);
        drawJoints(g, straightNear, finished);
        // Cut lines are elements of the tile: drawn as they are. The tiles
        // well inside go first, then those near the outline, each run with
        // its clip.
        const auto insideFirst = [&](std::vector<const TTileContainer*>& tiles) {
            return std::stable_partition(tiles.begin(), tiles.end(),
                                         [&](const TTileContainer* tile) { return isInside(*tile); });
        };
        const auto firstNearCut = insideFirst(withCutLines);
        for (auto it = withCutLines.begin(); it != withCutLines.end(); ++it) {
            clip(it >= firstNearCut);
            DrawOutline(g, sheet, **it, jointPen);
        }
        withCutLines.clear();
        // The other tiles one by one: the outline filled, then the
        // elements drawn.
        const auto firstNear = insideFirst(others);
        for (auto it = others.begin(); it != others.end(); ++it) {
            const TTileContainer* tile = *it;
            clip(it >= firstNear);
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
    clip(false);
}

const QImage& TTilesPainter::siteMask(const TSiteRegion& site, QSize size, const QTransform& transform, bool antialiasing) {
    TTilesLayer& layer = *m_layer;
    if (layer.Mask.size() != size || layer.MaskTransform != transform || layer.MaskVersion != m_version ||
        layer.MaskAntialiasing != antialiasing) {
        // Painted over in full: the pixels of the last mask serve.
        if (layer.Mask.size() != size) {
            GiveBackViewSizedImage(std::move(layer.Mask));
            layer.Mask = ViewSizedImage(size);
        }
        layer.Mask.fill(Qt::transparent);
        QPainter m(&layer.Mask);
        m.setRenderHint(QPainter::Antialiasing, antialiasing);
        m.setTransform(transform);
        m.fillPath(site.ClipPath(), Qt::black);
        m.end();
        layer.CellsX = (size.width() + TTilesLayer::kCell - 1) / TTilesLayer::kCell;
        layer.CellsY = (size.height() + TTilesLayer::kCell - 1) / TTilesLayer::kCell;
        const std::size_t w = std::size_t(layer.CellsX) + 1;
        std::vector<char> outside(std::size_t(layer.CellsX) * std::size_t(layer.CellsY), 0);
        for (int y = 0; y < size.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(layer.Mask.constScanLine(y));
            char* row = outside.data() + std::size_t(y / TTilesLayer::kCell) * std::size_t(layer.CellsX);
            for (int x = 0; x < size.width(); ++x) {
                if (qAlpha(line[x]) != 255) {
                    row[x / TTilesLayer::kCell] = 1;
                }
            }
        }
        layer.OutsideSums.assign(w * (std::size_t(layer.CellsY) + 1), 0);
        for (int cy = 0; cy < layer.CellsY; ++cy) {
            for (int cx = 0; cx < layer.CellsX; ++cx) {
                layer.OutsideSums[std::size_t(cy + 1) * w + std::size_t(cx + 1)] =
                    outside[std::size_t(cy) * std::size_t(layer.CellsX) + std::size_t(cx)] +
                    layer.OutsideSums[std::size_t(cy) * w + std::size_t(cx + 1)] +
                    layer.OutsideSums[std::size_t(cy + 1) * w + std::size_t(cx)] -
                    layer.OutsideSums[std::size_t(cy) * w + std::size_t(cx)];
            }
        }
        layer.AllInside = layer.OutsideSums.back() == 0;
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
    double smallestPx = 1e300;
    double narrowPx = 1e300;
    double reach = 0.0;
    for (const auto& [shape, offset] : lattice.Shapes) {
        const QRectF b = shape->Bounds();
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

} // namespace vk
