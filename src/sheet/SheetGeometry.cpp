#include "sheet/SheetGeometry.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace vk {

namespace {
// Scroll bars hold int positions; stay well below their limit so that
// positions computed from ranges never overflow.
constexpr double kMaxRange = double(1 << 30);

int truncRange(double extentPixels) {
    return int(std::fabs(std::trunc(extentPixels)));
}

bool rangeUsable(double extentPixels) {
    return std::isfinite(extentPixels) && std::fabs(extentPixels) >= 1.0 &&
           std::fabs(extentPixels) <= kMaxRange;
}
} // namespace

QString UnitNameForDivisor(int divisor) {
    switch (divisor) {
    case 1000: return QStringLiteral("м");
    case 10: return QStringLiteral("см");
    default: return QStringLiteral("мм");
    }
}

TSheetGeometry::TSheetGeometry() : m_unitName(UnitNameForDivisor(1)) { UpdateGridStep(); }

bool TSheetGeometry::IsAcceptableScale(double scale) const {
    if (!std::isfinite(scale) || scale <= 0.0 || scale > double(std::numeric_limits<float>::max())) {
        return false;
    }
    const double k = KFor(float(scale));
    return rangeUsable(double(m_sizeX) * k) && rangeUsable(double(m_sizeY) * k);
}

bool TSheetGeometry::SetScale(double scale) {
    if (!IsAcceptableScale(scale)) {
        return false;
    }
    // The centre's relative place on the sheet, from the exact extents: the
    // truncated scroll ranges would shift it by several pixels at large zooms.
    const double oldH = double(m_sizeX) * K();
    const double oldV = double(m_sizeY) * K();
    const double fx = (m_clientWidth / 2.0 + m_horzPos) / oldH;
    const double fy = (m_clientHeight / 2.0 + m_vertPos) / oldV;
    m_scale = float(scale);
    const double newH = double(m_sizeX) * K();
    const double newV = double(m_sizeY) * K();
    m_horzPos = clampPos(int(std::lround(newH * fx - m_clientWidth / 2.0)), HorzRange(),
                         m_clientWidth);
    m_vertPos = clampPos(int(std::lround(newV * fy - m_clientHeight / 2.0)), VertRange(),
                         m_clientHeight);
    UpdateGridStep();
    return true;
}

bool TSheetGeometry::SetSizeX(float value) {
    if (!std::isfinite(value) || value <= 0.0f || value < m_positiveX ||
        !rangeUsable(double(value) * K())) {
        return false;
    }
    m_sizeX = value;
    clampScroll();
    return true;
}

bool TSheetGeometry::SetSizeY(float value) {
    if (!std::isfinite(value) || value <= 0.0f || value < m_positiveY ||
        !rangeUsable(double(value) * K())) {
        return false;
    }
    m_sizeY = value;
    clampScroll();
    return true;
}

bool TSheetGeometry::SetPositiveX(float value) {
    if (!std::isfinite(value) || value <= 0.0f || value > m_sizeX) {
        return false;
    }
    m_positiveX = value;
    return true;
}

bool TSheetGeometry::SetPositiveY(float value) {
    if (!std::isfinite(value) || value <= 0.0f || value > m_sizeY) {
        return false;
    }
    m_positiveY = value;
    return true;
}

bool TSheetGeometry::IsValidGeometry(double sizeX, double sizeY, double positiveX,
                                     double positiveY) {
    const auto axisOk = [](double size, double positive) {
        return std::isfinite(size) && std::isfinite(positive) && positive > 0.0 &&
               positive <= size;
    };
    return axisOk(sizeX, positiveX) && axisOk(sizeY, positiveY);
}

bool TSheetGeometry::SetGeometry(float sizeX, float sizeY, float positiveX, float positiveY) {
    if (!IsValidGeometry(sizeX, sizeY, positiveX, positiveY) ||
        !rangeUsable(double(sizeX) * K()) || !rangeUsable(double(sizeY) * K())) {
        return false;
    }
    // Growing a size first (or shrinking the positive part first) keeps
    // 0 < Positive <= Size true after every single step.
    const auto applyAxis = [](float size, float positive, float& curSize, float& curPositive) {
        if (size >= curPositive) {
            curSize = size;
            curPositive = positive;
        } else {
            curPositive = positive;
            curSize = size;
        }
    };
    applyAxis(sizeX, positiveX, m_sizeX, m_positiveX);
    applyAxis(sizeY, positiveY, m_sizeY, m_positiveY);
    clampScroll();
    return true;
}

void TSheetGeometry::SetDpi(double dpi) {
    if (std::isfinite(dpi) && dpi > 0.0) {
        m_dpi = dpi;
        clampScroll();
        UpdateGridStep();
    }
}

void TSheetGeometry::SetClientSize(int width, int height) {
    m_clientWidth = std::max(0, width);
    m_clientHeight = std::max(0, height);
    clampScroll();
}

int TSheetGeometry::HorzRange() const { return truncRange(double(m_sizeX) * K()); }
int TSheetGeometry::VertRange() const { return truncRange(double(m_sizeY) * K()); }
int TSheetGeometry::HorzMax() const { return std::max(0, HorzRange() - m_clientWidth); }
int TSheetGeometry::VertMax() const { return std::max(0, VertRange() - m_clientHeight); }

int TSheetGeometry::clampPos(int pos, int range, int client) {
    if (range <= client) {
        return -((client - range) / 2);
    }
    return std::clamp(pos, 0, range - client);
}

void TSheetGeometry::clampScroll() {
    m_horzPos = clampPos(m_horzPos, HorzRange(), m_clientWidth);
    m_vertPos = clampPos(m_vertPos, VertRange(), m_clientHeight);
}

void TSheetGeometry::SetScrollPos(int horz, int vert) {
    m_horzPos = clampPos(horz, HorzRange(), m_clientWidth);
    m_vertPos = clampPos(vert, VertRange(), m_clientHeight);
}

QPointF TSheetGeometry::WorldToDevice(double x, double y) const {
    const double k = K();
    return {(x + m_sizeX - m_positiveX) * k - m_horzPos, (m_positiveY - y) * k - m_vertPos};
}

QPointF TSheetGeometry::DeviceToWorld(double px, double py) const {
    const double k = K();
    return {(px + m_horzPos) / k - m_sizeX + m_positiveX, m_positiveY - (py + m_vertPos) / k};
}

QTransform TSheetGeometry::WorldTransform() const {
    const double k = K();
    return QTransform(k, 0.0, 0.0, -k, (double(m_sizeX) - m_positiveX) * k - m_horzPos,
                      double(m_positiveY) * k - m_vertPos);
}

TWorldRect TSheetGeometry::VisibleRect() const {
    const QPointF lb = DeviceToWorld(0, m_clientHeight);
    const QPointF rt = DeviceToWorld(m_clientWidth, 0);
    TWorldRect r;
    r.L = std::max(lb.x(), double(m_positiveX) - m_sizeX);
    r.B = std::max(lb.y(), double(m_positiveY) - m_sizeY);
    r.R = std::min(rt.x(), double(m_positiveX));
    r.T = std::min(rt.y(), double(m_positiveY));
    return r;
}

void TSheetGeometry::CenterOn(double x, double y) {
    const double k = K();
    const double px = (x + m_sizeX - m_positiveX) * k;
    const double py = (m_positiveY - y) * k;
    if (!std::isfinite(px) || !std::isfinite(py)) {
        return;
    }
    const double limit = kMaxRange;
    SetScrollPos(int(std::clamp(std::trunc(px), -limit, limit)) - m_clientWidth / 2,
                 int(std::clamp(std::trunc(py), -limit, limit)) - m_clientHeight / 2);
}

QPointF TSheetGeometry::GetViewCenter() const {
    return DeviceToWorld(m_clientWidth / 2.0, m_clientHeight / 2.0);
}

ViewRecord TSheetGeometry::GetView() const {
    const QPointF c = GetViewCenter();
    return {m_sizeX, m_sizeY, m_positiveX, m_positiveY, m_scale, float(c.x()), float(c.y())};
}

void TSheetGeometry::SetView(const ViewRecord& view) {
    if (IsValidGeometry(view.SizeX, view.SizeY, view.PositiveX, view.PositiveY)) {
        // Stored as they are: the scale that follows may not suit the old sizes.
        m_sizeX = view.SizeX;
        m_sizeY = view.SizeY;
        m_positiveX = view.PositiveX;
        m_positiveY = view.PositiveY;
    }
    if (!SetScale(view.Scale)) {
        clampScroll();
        UpdateGridStep();
    }
    CenterOn(view.X, view.Y);
}

void TSheetGeometry::UpdateGridStep() {
    const double k = K();
    const double p4 = 4.0 / k;
    const double p20 = 20.0 / k;
    const double target = p20 / m_unitDivisor;
    // The smallest of 1, 1.5, 2, ... whose tenfold reaches the target.
    double step = 1.0;
    if (step * 10.0 < target) {
        step = 1.0 + 0.5 * std::ceil((target / 10.0 - 1.0) / 0.5);
        while (step * 10.0 < target) {
            step += 0.5;
        }
        while (step > 1.0 && (step - 0.5) * 10.0 >= target) {
            step -= 0.5;
        }
    }
    m_gridStep = float(step * m_unitFactor);
    m_pickTolerance = float(p4);
    m_rulerDepth = float(32.0 / k);
}

void TSheetGeometry::SetUnits(int factor) {
    if (factor != 1 && factor != 10 && factor != 100) {
        return;
    }
    m_unitFactor = factor;
    m_unitDivisor = factor == 100 ? 1000 : factor;
    m_unitName = UnitNameForDivisor(m_unitDivisor);
    UpdateGridStep();
}

void TSheetGeometry::ChangeUnits(int factor) {
    const double shown = double(m_unitFactor) * m_scale;
    SetUnits(factor);
    SetScale(shown / m_unitFactor);
}

float TSheetGeometry::SnapValue(float value) const {
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double snapped = std::nearbyint(double(value) / m_unitFactor) * m_unitFactor;
    std::fesetround(previous);
    return float(snapped);
}

QTransform TSheetGeometry::MiniTransform(int boxWidth, int boxHeight) const {
    const double s = std::min(double(boxWidth) / m_sizeX, double(boxHeight) / m_sizeY);
    return QTransform(s, 0.0, 0.0, -s, (double(m_sizeX) - m_positiveX) * s,
                      double(m_positiveY) * s);
}

} // namespace vk
