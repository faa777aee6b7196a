// Drawing a project: the laid tiles (kept as a picture of the device until
// they, the view or the texture change), marks, border, print rectangle,
// start point.

#include "model/Project.h"

#include <algorithm>
#include <cmath>

#include "geometry/DrawingSheet.h"
#include "geometry/SheetPalette.h"
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
    // Tiles only a few pixels across gain nothing from smoothing but cost
    // twice as much with it.
    const auto tinyTiles = [this](const QTransform& t) {
        const TColorController& groups = m_laidTiles.ColorGroups();
        if (groups.Count() == 0 || groups.Items(0).GroupTiles.empty()) {
            return false;
        }
        const QRectF b = groups.Items(0).Tile(0).Bounds();
        return std::max(b.width(), b.height()) * std::hypot(t.m11(), t.m12()) < 12.0;
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
        g.setRenderHint(QPainter::Antialiasing, antialiasing && !tinyTiles(graphics.worldTransform()));
        g.setTransform(graphics.worldTransform());
        const QRectF visible = graphics.worldTransform().inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
        QBrush fillBrush = sheet.Palette().FillBrush;
        if (fillBrush.style() == Qt::NoBrush) {
            fillBrush.setStyle(Qt::SolidPattern);
        }
        QPolygonF moved;
        const TColorController& groups = m_laidTiles.ColorGroups();
        for (int i = 0; i < groups.Count(); ++i) {
            const TColorListContainer& group = groups.Items(i);
            fillBrush.setColor(QColor::fromRgba(group.Color));
            const QBrush& brush = (group.Color == DefaultTileColor && m_texture) ? *m_texture : fillBrush;
            g.setBrush(brush);
            g.setPen(pen);
            // Tile by tile: its outline filled, then its elements drawn.
            for (const std::uint32_t index : group.GroupTiles) {
                const TTileContainer* tile = &m_laidTiles.Items(int(index));
                const QRectF bounds = tile->Bounds();
                if (!bounds.intersects(visible) && !visible.contains(bounds.topLeft())) {
                    continue;
                }
                const TLaidShape& shape = tile->Shape();
                const QPointF base(tile->BasePointKey().X, tile->BasePointKey().Y);
                const QPolygonF& simple = shape.SimplePolygon();
                if (!simple.isEmpty()) {
                    moved.resize(simple.size());
                    for (int k = 0; k < simple.size(); ++k) {
                        moved[k] = simple[k] + base;
                    }
                    g.drawPolygon(moved);
                } else {
                    g.save();
                    g.translate(base);
                    g.fillPath(shape.PainterPath(), brush);
                    g.restore();
                    drawTileOutline(g, sheet, *tile, pen);
                    continue;
                }
                if (shape.HasCutLines()) {
                    drawTileOutline(g, sheet, *tile, pen);
                }
            }
        }
        // Clipping every tile to the site is costly; masking the finished
        // picture with the site once gives the same picture.
        QImage mask(size, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        {
            QPainter m(&mask);
            m.setRenderHint(QPainter::Antialiasing, antialiasing);
            m.setTransform(graphics.worldTransform());
            m.fillPath(m_siteRegion->ClipPath(), Qt::black);
        }
        g.resetTransform();
        g.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        g.drawImage(0, 0, mask);
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
