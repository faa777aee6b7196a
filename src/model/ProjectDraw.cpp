// Drawing a project: the laid tiles (TTilesPainter), marks, border, print
// rectangle, start point.

#include "model/Project.h"

#include <algorithm>

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

namespace vk {

namespace {

void paintMarked(QPainter& g, TDrawingSheet& sheet, const TTileContainer& tile, const QBrush& brush,
                 const QPen& pen) {
    g.fillPath(tile.OutlinePath(), brush);
    TTilesPainter::DrawOutline(g, sheet, tile, pen);
}

} // namespace

void TProject::PaintTiles(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, bool useCache) {
    if (!m_siteRegion || IsRunning()) {
        return;
    }
    m_painter.Paint(graphics, sheet, pen, *m_siteRegion, m_texture.get(), useCache);
}

void TProject::DrawTiles(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen) {
    if (!m_siteRegion || IsRunning()) {
        return;
    }
    m_painter.Draw(graphics, sheet, pen, *m_siteRegion, m_texture.get());
}

void TProject::SetPrintCorner(float x, float y) {
    if (PrintCorner2.isSet()) {
        ClearPrintRect();
    }
    FlaggedPoint& corner = PrintCorner1.isSet() ? PrintCorner2 : PrintCorner1;
    corner = FlaggedPoint{x, y, 1};
}

void TProject::ClearPrintRect() {
    PrintCorner1 = PrintCorner2 = FlaggedPoint{};
    if (m_sheet != nullptr) {
        m_sheet->InvalidateView();
    }
}

std::optional<QRectF> TProject::PrintRect() const {
    if (!PrintCorner1.isSet() || !PrintCorner2.isSet()) {
        return std::nullopt;
    }
    return QRectF(QPointF(PrintCorner1.X, PrintCorner1.Y), QPointF(PrintCorner2.X, PrintCorner2.Y)).normalized();
}

void TProject::Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) {
    // A picture of the tiles is worth keeping only for a raster device.
    const QPaintEngine* engine = graphics.paintEngine();
    draw(graphics, sheet, showBasePoint, pen, engine == nullptr || engine->type() != QPaintEngine::Raster);
}

void TProject::DrawVector(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) {
    draw(graphics, sheet, showBasePoint, pen, true);
}

void TProject::draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen,
                    bool vectorTiles) {
    const TSheetPalette& palette = sheet.Palette();
    // 1. Laid tiles, unless a run is pending.
    if (m_siteRegion && !IsRunning()) {
        if (vectorTiles) {
            DrawTiles(graphics, sheet, palette.BlackPen);
        } else {
            PaintTiles(graphics, sheet, palette.BlackPen);
        }
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
    if (const std::optional<QRectF> printRect = PrintRect()) {
        graphics.setPen(palette.DashPen);
        graphics.setBrush(Qt::NoBrush);
        graphics.drawRect(*printRect);
    }
    // 8. The start point.
    DrawPlusMarker(graphics, sheet, StartPoint(), &palette.BluePen, *this);
    // 9. The base point.
    T_TnC_Ancestor::Draw(graphics, sheet, showBasePoint, pen);
}

} // namespace vk
