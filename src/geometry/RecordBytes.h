#pragma once
// The byte codec of the stored fields: 32-bit integers and singles
// little-endian whatever the host (singles as their IEEE-754 bit pattern, so
// NaN payloads and negative zero survive), and the 9-byte FlaggedPoint
// X, Y, IsSet. Element data blocks (also as elements hold them in memory),
// records, library fields and project streams all go through these, so a
// point has one stored form wherever it is kept.

#include "geometry/Types.h"

#include <QtEndian>

#include <cstdint>

namespace vk {

inline constexpr int kInt32Size = 4;
inline constexpr int kFlaggedPointSize = 9;

inline void putInt32(std::uint8_t* out, std::int32_t value) { qToLittleEndian(value, out); }
[[nodiscard]] inline std::int32_t getInt32(const std::uint8_t* in) { return qFromLittleEndian<std::int32_t>(in); }

inline void putSingle(std::uint8_t* out, float value) { qToLittleEndian(value, out); }
[[nodiscard]] inline float getSingle(const std::uint8_t* in) { return qFromLittleEndian<float>(in); }

inline void putFlaggedPoint(std::uint8_t* out, const FlaggedPoint& point) {
    putSingle(out, point.X);
    putSingle(out + 4, point.Y);
    out[8] = point.IsSet;
}

[[nodiscard]] inline FlaggedPoint getFlaggedPoint(const std::uint8_t* in) {
    FlaggedPoint point;
    point.X = getSingle(in);
    point.Y = getSingle(in + 4);
    point.IsSet = in[8];
    return point;
}

} // namespace vk
