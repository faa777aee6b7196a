#pragma once
// The kinds of graphic element and the codes they are stored under. The codes
// are part of every library row and project file: they never change.

#include <cstdint>
#include <optional>

namespace vk {

enum class PrimitiveKind : std::int32_t {
    Line = 0,          // TLinePrimitive, the segment
    TilePlacement = 1, // TTilePlacementPrimitive
    Point = 2,         // TPointPrimitive
    Arc = 3,           // TArcPrimitive
};

// The stored code of a kind.
[[nodiscard]] constexpr std::int32_t kindCode(PrimitiveKind kind) { return static_cast<std::int32_t>(kind); }

// nullopt for a code that names no element kind.
[[nodiscard]] constexpr std::optional<PrimitiveKind> primitiveKindFromCode(std::int32_t code) {
    switch (code) {
    case kindCode(PrimitiveKind::Line): return PrimitiveKind::Line;
    case kindCode(PrimitiveKind::TilePlacement): return PrimitiveKind::TilePlacement;
    case kindCode(PrimitiveKind::Point): return PrimitiveKind::Point;
    case kindCode(PrimitiveKind::Arc): return PrimitiveKind::Arc;
    default: return std::nullopt;
    }
}

// Every kind, in code order.
inline constexpr PrimitiveKind kAllPrimitiveKinds[] = {PrimitiveKind::Line, PrimitiveKind::TilePlacement,
                                                       PrimitiveKind::Point, PrimitiveKind::Arc};

// The codes as elements hold them (GetKind, CreatePrimitive).
inline constexpr std::int32_t pkSegment = kindCode(PrimitiveKind::Line);
inline constexpr std::int32_t pkTilePlacement = kindCode(PrimitiveKind::TilePlacement);
inline constexpr std::int32_t pkPoint = kindCode(PrimitiveKind::Point);
inline constexpr std::int32_t pkArc = kindCode(PrimitiveKind::Arc);

} // namespace vk
