#pragma once
// The coordinate model of a drawing sheet, kept apart from the widget so that
// it can be tested without a window.
//
// With k = Scale * DPI / 25.4 device pixels per world millimetre, a world
// point (x, y) is shown at
//   device x = (x + SizeX - PositiveX) * k - HorzPos
//   device y = (PositiveY - y) * k - VertPos
// so x grows to the right and y upwards. The sheet covers x from
// PositiveX - SizeX to PositiveX and y from PositiveY - SizeY to PositiveY.
// Invariants: 0 < PositiveX <= SizeX and 0 < PositiveY <= SizeY.
//
// A sheet smaller than its view is centred in it: the scroll position then
// becomes negative (the scroll bar has nothing to scroll).

#include "geometry/Types.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

namespace vk {

// The visible world rectangle, clipped to the sheet.
struct TWorldRect {
    double L = 0, B = 0, R = 0, T = 0;
};

class TSheetGeometry {
public:
    TSheetGeometry();

    // --- geometry of the sheet (world millimetres) ---
    [[nodiscard]] float Scale() const { return m_scale; }
    [[nodiscard]] float SizeX() const { return m_sizeX; }
    [[nodiscard]] float SizeY() const { return m_sizeY; }
    [[nodiscard]] float PositiveX() const { return m_positiveX; }
    [[nodiscard]] float PositiveY() const { return m_positiveY; }

    // Zoom keeping the world point at the centre of the view. A scale that is
    // not a positive finite number, or at which a scroll range would be 0 or
    // beyond what a scroll bar holds, is refused (false) and nothing changes.
    bool SetScale(double scale);
    [[nodiscard]] bool IsAcceptableScale(double scale) const;
    bool ZoomIn() { return SetScale(double(m_scale) * 2.0); }
    bool ZoomOut() { return SetScale(double(m_scale) / 2.0); }

    // Each setter refuses a value that would break the invariants.
    bool SetSizeX(float value);
    bool SetSizeY(float value);
    bool SetPositiveX(float value);
    bool SetPositiveY(float value);
    // All four at once, in an order that keeps the invariants at every step;
    // nothing changes when the set as a whole is not valid.
    bool SetGeometry(float sizeX, float sizeY, float positiveX, float positiveY);
    [[nodiscard]] static bool IsValidGeometry(double sizeX, double sizeY, double positiveX,
                                              double positiveY);

    // --- the view ---
    void SetDpi(double dpi);
    [[nodiscard]] double Dpi() const { return m_dpi; }
    void SetClientSize(int width, int height);
    [[nodiscard]] int ClientWidth() const { return m_clientWidth; }
    [[nodiscard]] int ClientHeight() const { return m_clientHeight; }

    // Pixels per world millimetre.
    [[nodiscard]] double K() const { return KFor(m_scale); }
    [[nodiscard]] double KFor(double scale) const { return scale * m_dpi / 25.4; }

    // Scroll ranges: the whole sheet in device pixels.
    [[nodiscard]] int HorzRange() const;
    [[nodiscard]] int VertRange() const;
    // The largest scroll position (0 when the sheet fits into the view).
    [[nodiscard]] int HorzMax() const;
    [[nodiscard]] int VertMax() const;
    // One sixth of the view.
    [[nodiscard]] int HorzLineStep() const { return m_clientWidth / 6; }
    [[nodiscard]] int VertLineStep() const { return m_clientHeight / 6; }

    [[nodiscard]] int HorzPos() const { return m_horzPos; }
    [[nodiscard]] int VertPos() const { return m_vertPos; }
    // Positions are clamped as scroll bars would clamp them.
    void SetScrollPos(int horz, int vert);

    [[nodiscard]] QPointF WorldToDevice(double x, double y) const;
    [[nodiscard]] QPointF DeviceToWorld(double px, double py) const;
    // World millimetres -> device pixels of the view, y flipped.
    [[nodiscard]] QTransform WorldTransform() const;
    [[nodiscard]] TWorldRect VisibleRect() const;

    void CenterOn(double x, double y);
    [[nodiscard]] QPointF GetViewCenter() const;

    [[nodiscard]] ViewRecord GetView() const;
    // Geometry stored as it is (as loaded), then SetScale, then CenterOn.
    void SetView(const ViewRecord& view);

    // --- grid, pick tolerance and rulers (world millimetres) ---
    [[nodiscard]] float GridStep() const { return m_gridStep; }
    [[nodiscard]] float PickTolerance() const { return m_pickTolerance; }
    [[nodiscard]] float RulerDepth() const { return m_rulerDepth; }
    void UpdateGridStep();

    // --- display units ---
    [[nodiscard]] int UnitFactor() const { return m_unitFactor; }
    [[nodiscard]] int UnitDivisor() const { return m_unitDivisor; }
    [[nodiscard]] const QString& UnitName() const { return m_unitName; }
    void SetUnits(int factor);
    // Keeps the scale number the user sees (UnitFactor * Scale).
    void ChangeUnits(int factor);

    // Rounds to the display quantum, halves to even.
    [[nodiscard]] float SnapValue(float value) const;

    // The overview: the whole sheet fitted into a box of the given size.
    [[nodiscard]] QTransform MiniTransform(int boxWidth, int boxHeight) const;

private:
    [[nodiscard]] static int clampPos(int pos, int range, int client);
    void clampScroll();

    float m_scale = 1.0f;
    float m_sizeX = 400.0f;
    float m_sizeY = 400.0f;
    float m_positiveX = 200.0f;
    float m_positiveY = 200.0f;
    double m_dpi = 96.0;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_horzPos = 0;
    int m_vertPos = 0;
    float m_gridStep = 1.0f;
    float m_pickTolerance = 1.0f;
    float m_rulerDepth = 1.0f;
    int m_unitFactor = 1;
    int m_unitDivisor = 1;
    QString m_unitName;
};

// "мм", "см" or "м" for a divisor of 1, 10 or 1000.
[[nodiscard]] QString UnitNameForDivisor(int divisor);

} // namespace vk
