#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace vk {

namespace {
using Painter = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kRed(200, 40, 40);
const QColor kGreen(30, 150, 60);
const QColor kTile(229, 229, 229);
const QColor kBrick(200, 120, 80);

QPen pen(const QColor& c, double w = 1.5) {
    QPen p(c, w);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

void page(QPainter& p) {
    p.setPen(pen(kInk, 1.2));
    p.setBrush(Qt::white);
    QPolygonF poly({{5, 2}, {15, 2}, {19, 6}, {19, 22}, {5, 22}});
    p.drawPolygon(poly);
    p.drawPolyline(QPolygonF({{15, 2}, {15, 6}, {19, 6}}));
}

void bricks(QPainter& p, const QRectF& r, int rows) {
    p.setPen(pen(kInk, 1.0));
    p.setBrush(kBrick);
    const double h = r.height() / rows;
    for (int i = 0; i < rows; ++i) {
        const double off = (i % 2) ? r.width() / 4 : 0;
        for (double x = r.left() - off; x < r.right(); x += r.width() / 2) {
            QRectF b(std::max(x, r.left()), r.top() + i * h,
                     std::min(x + r.width() / 2, r.right()) - std::max(x, r.left()), h);
            p.drawRect(b);
        }
    }
}

void magnifier(QPainter& p) {
    p.setPen(pen(kInk, 2.0));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
}

void arrow(QPainter& p) {
    p.setPen(pen(kInk, 1.0));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{5, 3}, {5, 19}, {9, 15}, {12, 21}, {14, 20}, {11, 14}, {17, 14}}));
}

// A half turn with its head at the left (undo) or mirrored (redo).
void turnArrow(QPainter& p, bool mirrored) {
    if (mirrored) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    p.setPen(pen(kBlue, 2.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath path(QPointF(6, 10));
    path.cubicTo(QPointF(10, 4), QPointF(20, 5), QPointF(20, 13));
    path.cubicTo(QPointF(20, 18), QPointF(16, 20), QPointF(11, 20));
    p.drawPath(path);
    p.setPen(pen(kBlue, 1.0));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({{3, 5}, {10, 12}, {3, 13}}));
}

const std::map<QString, Painter>& painters() {
    static const std::map<QString, Painter> table = {
        {"acNewProject", [](QPainter& p) { page(p); }},
        {"acOpenProject", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 20}, {2, 20}}));
             p.setBrush(QColor(250, 220, 120));
             p.drawPolygon(QPolygonF({{5, 11}, {23, 11}, {20, 20}, {2, 20}}));
         }},
        {"acSaveProject", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(kBlue);
             p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 3, 10, 7));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(6, 13, 12, 8));
         }},
        {"acPrint", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 3, 10, 7));
             p.setBrush(QColor(170, 170, 170));
             p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 14, 10, 7));
         }},
        {"acPrintReg", [](QPainter& p) {
             QPen d = pen(kInk, 1.2);
             d.setStyle(Qt::DashLine);
             p.setPen(d);
             p.drawRect(QRectF(3, 5, 18, 14));
             p.setPen(pen(kBlue, 1.2));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(13, 13, 8, 7));
         }},
        {"acUndo", [](QPainter& p) { turnArrow(p, false); }},
        {"acRedo", [](QPainter& p) { turnArrow(p, true); }},
        {"acLine", [](QPainter& p) {
             p.setPen(pen(kInk, 2.0));
             p.drawLine(QPointF(4, 20), QPointF(20, 4));
             p.setPen(pen(kBlue, 1.0));
             p.setBrush(kBlue);
             p.drawEllipse(QPointF(4, 20), 2, 2);
             p.drawEllipse(QPointF(20, 4), 2, 2);
         }},
        {"acArc", [](QPainter& p) {
             p.setPen(pen(kInk, 2.0));
             p.drawArc(QRectF(4, 4, 28, 28), 90 * 16, 90 * 16);
             p.setPen(pen(kBlue, 1.0));
             p.setBrush(kBlue);
             p.drawEllipse(QPointF(18, 4), 2, 2);
             p.drawEllipse(QPointF(4, 18), 2, 2);
         }},
        {"acSelectElement", [](QPainter& p) {
             p.setPen(pen(kRed, 2.0));
             p.drawLine(QPointF(3, 6), QPointF(21, 6));
             arrow(p);
         }},
        {"acPrStatus", [](QPainter& p) {
             p.setPen(pen(kBlue, 1.5));
             p.setBrush(QColor(220, 235, 255));
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.setPen(pen(kBlue, 2.5));
             p.drawPoint(QPointF(12, 7.5));
             p.drawLine(QPointF(12, 11), QPointF(12, 17));
         }},
        {"acBorderList", [](QPainter& p) {
             page(p);
             p.setPen(pen(kInk, 1.2));
             for (int y = 9; y <= 18; y += 3) p.drawLine(QPointF(8, y), QPointF(16, y));
         }},
        {"acSelectTile", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(kBrick);
             p.drawRect(QRectF(3, 7, 18, 9));
         }},
        {"acSelectCollage", [](QPainter& p) { bricks(p, QRectF(2, 4, 20, 16), 3); }},
        {"acOrientation", [](QPainter& p) {
             p.setPen(pen(kInk, 1.8));
             p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 280 * 16);
             p.setBrush(kInk);
             p.drawPolygon(QPolygonF({{17, 2}, {21, 8}, {14, 8}}));
         }},
        {"acStartPointSet", [](QPainter& p) {
             p.setPen(pen(kRed, 2.0));
             p.drawLine(QPointF(12, 3), QPointF(12, 21));
             p.drawLine(QPointF(3, 12), QPointF(21, 12));
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(12, 12), 4, 4);
         }},
        {"acFill1", [](QPainter& p) {
             bricks(p, QRectF(6, 6, 12, 12), 2);
         }},
        {"acFill", [](QPainter& p) {
             bricks(p, QRectF(2, 2, 20, 20), 4);
         }},
        {"acDelTiles", [](QPainter& p) {
             bricks(p, QRectF(2, 2, 20, 20), 4);
             p.setPen(pen(kRed, 3.0));
             p.drawLine(QPointF(5, 5), QPointF(19, 19));
             p.drawLine(QPointF(19, 5), QPointF(5, 19));
         }},
        {"acCheckParts", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(kBrick);
             p.drawRect(QRectF(3, 7, 9, 10));
             p.setBrush(kTile);
             p.drawRect(QRectF(12, 7, 9, 10));
             QPen d = pen(kRed, 1.5);
             d.setStyle(Qt::DotLine);
             p.setPen(d);
             p.drawLine(QPointF(12, 4), QPointF(12, 20));
         }},
        {"acPointer", [](QPainter& p) {
             p.setPen(pen(kGreen, 1.2));
             p.setBrush(QColor(0, 255, 0, 80));
             p.drawRect(QRectF(8, 4, 14, 10));
             arrow(p);
         }},
        {"acFixSel", [](QPainter& p) {
             p.setPen(pen(kRed, 1.2));
             p.setBrush(QColor(255, 0, 0, 70));
             p.drawRect(QRectF(3, 8, 18, 12));
             p.setPen(pen(kInk, 1.5));
             p.setBrush(kRed);
             p.drawEllipse(QPointF(12, 6), 3.5, 3.5);
             p.drawLine(QPointF(12, 9), QPointF(12, 15));
         }},
        {"acMultiplySelection", [](QPainter& p) {
             p.setPen(pen(kGreen, 1.2));
             p.setBrush(QColor(0, 255, 0, 80));
             for (int i = 0; i < 3; ++i) p.drawRect(QRectF(2 + i * 6, 2 + i * 6, 9, 9));
         }},
        {"acSetColor", [](QPainter& p) {
             const QColor colours[] = {kRed, kGreen, kBlue, QColor(240, 200, 40)};
             p.setPen(pen(kInk, 1.0));
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(colours[i]);
                 p.drawRect(QRectF(3 + (i % 2) * 9, 3 + (i / 2) * 9, 9, 9));
             }
         }},
        {"acClearSelection", [](QPainter& p) {
             QPen d = pen(kInk, 1.2);
             d.setStyle(Qt::DashLine);
             p.setPen(d);
             p.drawRect(QRectF(3, 3, 18, 18));
             p.setPen(pen(kRed, 2.0));
             p.drawLine(QPointF(7, 7), QPointF(17, 17));
         }},
        {"acAssignTexture", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(QBrush(kBrick, Qt::DiagCrossPattern));
             p.drawRect(QRectF(3, 3, 18, 18));
         }},
        {"acDropTexture", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(QBrush(kBrick, Qt::DiagCrossPattern));
             p.drawRect(QRectF(3, 3, 18, 18));
             p.setPen(pen(kRed, 3.0));
             p.drawLine(QPointF(5, 19), QPointF(19, 5));
         }},
        {"acScaleUp", [](QPainter& p) {
             magnifier(p);
             p.setPen(pen(kInk, 1.8));
             p.drawLine(QPointF(7, 10), QPointF(13, 10));
             p.drawLine(QPointF(10, 7), QPointF(10, 13));
         }},
        {"acScaleDown", [](QPainter& p) {
             magnifier(p);
             p.setPen(pen(kInk, 1.8));
             p.drawLine(QPointF(7, 10), QPointF(13, 10));
         }},
        {"acAskScale", [](QPainter& p) {
             magnifier(p);
             p.setPen(pen(kInk, 1.0));
             QFont f = p.font();
             f.setPixelSize(8);
             f.setBold(true);
             p.setFont(f);
             p.drawText(QRectF(3, 5, 14, 10), Qt::AlignCenter, QStringLiteral("1:1"));
         }},
        {"acMinidisplay", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(2, 4, 20, 16));
             p.setPen(pen(kRed, 1.0));
             p.drawLine(QPointF(2, 12), QPointF(22, 12));
             p.drawLine(QPointF(12, 4), QPointF(12, 20));
             p.setPen(pen(kBlue, 1.5));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(13, 6, 6, 4));
         }},
    };
    return table;
}
} // namespace

QIcon MakeIcon(const QString& actionName) {
    const auto& table = painters();
    const auto it = table.find(actionName);
    if (it == table.end()) {
        return {};
    }
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 24.0, size / 24.0);
        it->second(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace vk
