#pragma once
// The largest numbers the model takes. Coordinates and angles are kept in
// single floats: far below their range, so that sums, squares and turns of
// them stay finite and a site the size of a country still has millimetres
// to spare. Everything typed or read is checked against these.

#include <QString>

#include <cmath>

namespace vk {

inline constexpr double kMaxCoordinateMm = 1e9;
inline constexpr double kMaxAngleDegrees = 1e6;

[[nodiscard]] inline bool IsCoordinateInRange(double millimetres) {
    return std::isfinite(millimetres) && std::abs(millimetres) <= kMaxCoordinateMm;
}

[[nodiscard]] inline bool IsAngleInRange(double degrees) {
    return std::isfinite(degrees) && std::abs(degrees) <= kMaxAngleDegrees;
}

// What the user is told; `what` names the element or the field.
[[nodiscard]] inline QString CoordinateRangeRule() {
    return QStringLiteral("координаты и длины должны быть не больше 1 000 000 000 мм по модулю");
}
[[nodiscard]] inline QString CoordinateRangeProblem(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, CoordinateRangeRule());
}

[[nodiscard]] inline QString AngleRangeRule() {
    return QStringLiteral("углы должны быть не больше 1 000 000 градусов по модулю");
}
[[nodiscard]] inline QString AngleRangeProblem(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, AngleRangeRule());
}

} // namespace vk
