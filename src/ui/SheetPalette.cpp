#include "ui/SheetPalette.h"

namespace vk {

namespace {
QPen hairline(const QColor& colour, Qt::PenCapStyle cap = Qt::FlatCap) {
    QPen pen(colour);
    pen.setWidth(0);
    pen.setCosmetic(true);
    pen.setCapStyle(cap);
    return pen;
}
} // namespace

TSheetPalette::TSheetPalette()
    : RulerPen(hairline(QColor(0, 0, 0))),
      BlackRoundPen(hairline(QColor(0, 0, 0), Qt::RoundCap)),
      BlackPen(hairline(QColor(0, 0, 0))),
      GreenPen(QColor(0, 255, 0)),
      DashPen(hairline(QColor(0, 0, 0))),
      BluePen(hairline(QColor(0, 0, 255))),
      RedPen(hairline(QColor(255, 0, 0))),
      MagentaPen(hairline(QColor(255, 0, 255))),
      GridPen(hairline(QColor(229, 229, 229))),
      GridPen5(hairline(QColor(224, 224, 224))),
      GridPen10(hairline(QColor(208, 208, 208))),
      AxisPen(hairline(QColor(255, 0, 0))),
      BlueRoundPen(hairline(QColor(0, 0, 255), Qt::RoundCap)),
      LabelFont(QStringLiteral("MS Sans Serif"), 8),
      TextBrush(QColor(0, 0, 0)),
      UnitBrush(QColor(0, 0, 255)),
      FillBrush(QColor(255, 0, 0)),
      CyanBrush(QColor(0, 255, 255)),
      GreenGlassBrush(QColor(0, 255, 0, 48)),
      RedGlassBrush(QColor(255, 0, 0, 64)),
      GreyGlassBrush(QColor(128, 128, 128, 64)) {
    GreenPen.setWidthF(1.0);
    GreenPen.setCosmetic(false);
    GreenPen.setCapStyle(Qt::RoundCap);
    GreenPen.setJoinStyle(Qt::RoundJoin);
    // The standard dash (3 on, 1 off) with every entry tripled.
    DashPen.setDashPattern({9.0, 3.0});
    LabelFont.setStyleHint(QFont::SansSerif);
}

} // namespace vk
