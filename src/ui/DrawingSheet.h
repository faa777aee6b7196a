#pragma once
// What a document or an element may ask of the sheet it is shown on. The
// widget that implements it lives above the core; the core sees only this.

#include "base/Types.h"

#include <QSizeF>
#include <QString>
#include <Qt>

class QPainter;

namespace vk {

// Keys and mouse buttons held during a pointer event.
struct TShiftState {
    Qt::KeyboardModifiers keys;
    Qt::MouseButtons buttons;

    [[nodiscard]] bool ctrl() const { return keys.testFlag(Qt::ControlModifier); }
    [[nodiscard]] bool shift() const { return keys.testFlag(Qt::ShiftModifier); }
    [[nodiscard]] bool alt() const { return keys.testFlag(Qt::AltModifier); }
    [[nodiscard]] bool left() const { return buttons.testFlag(Qt::LeftButton); }
    [[nodiscard]] bool right() const { return buttons.testFlag(Qt::RightButton); }
};

struct TSheetPalette;

class TDrawingSheet {
public:
    virtual ~TDrawingSheet() = default;

    // Hit-test distance and half-size of grab squares, world millimetres.
    [[nodiscard]] virtual float PickTolerance() const = 0;
    // World millimetres are divided by this for display (1, 10 or 1000).
    [[nodiscard]] virtual int UnitDivisor() const = 0;
    [[nodiscard]] virtual QString GetUnitName() const = 0;
    [[nodiscard]] virtual const TSheetPalette& Palette() const = 0;

    // Measurements of the element being created, dragged or pointed at.
    virtual void SetElementInfo(const QString& text) = 0;
    virtual void ClearElementInfo() = 0;

    // Interactive feedback: put the last rendered picture back, then draw
    // over it in world millimetres with the painter of ViewGraphics. The
    // painter is valid until the next ShowViewImage or repaint; nullptr when
    // nothing has been rendered yet.
    virtual void ShowViewImage() = 0;
    [[nodiscard]] virtual QPainter* ViewGraphics() = 0;

    // A document changed: re-render everything at the next paint.
    virtual void InvalidateView() = 0;

    // The client area of the view in millimetres of the screen (at scale 1).
    [[nodiscard]] virtual QSizeF ViewSizeMillimetres() const = 0;
    // Sheet geometry, scale and the world point at the centre of the view.
    virtual void SetView(const ViewRecord& view) = 0;
};

} // namespace vk
