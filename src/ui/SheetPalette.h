#pragma once
// The named pens, brushes and font of a drawing sheet. Documents draw with
// them by name. A pen width of 0 is one device pixel at any scale.

#include <QBrush>
#include <QFont>
#include <QPen>

namespace vk {

struct TSheetPalette {
    TSheetPalette();

    QPen RulerPen;
    QPen BlackRoundPen;
    QPen BlackPen;
    QPen GreenPen;     // one world millimetre wide: outlines of marked tiles
    QPen DashPen;      // rubber bands and elements being created
    QPen BluePen;
    QPen RedPen;
    QPen MagentaPen;
    QPen GridPen;
    QPen GridPen5;
    QPen GridPen10;
    QPen AxisPen;
    QPen BlueRoundPen;
    QFont LabelFont;
    QBrush TextBrush;
    QBrush UnitBrush;
    QBrush FillBrush;  // recoloured by its users before each fill
    QBrush CyanBrush;
    QBrush GreenGlassBrush;
    QBrush RedGlassBrush;
    QBrush GreyGlassBrush;
};

} // namespace vk
