#pragma once
// Small value types shared by every subsystem. Records marked "packed" are
// stored byte for byte in the library and in project files.

#include <cstdint>

namespace vk {

// A point of the world plane, millimetres; +Y points up on the sheet.
struct TPointF {
    float X = 0.0f;
    float Y = 0.0f;
    friend bool operator==(const TPointF&, const TPointF&) = default;
};

#pragma pack(push, 1)
// The unit of element data blocks and the form of every base point:
// X (single), Y (single), IsSet (byte, 1 = set). 9 bytes.
struct FlaggedPoint {
    float X = 0.0f;
    float Y = 0.0f;
    std::uint8_t IsSet = 0;

    [[nodiscard]] bool isSet() const { return IsSet != 0; }
    [[nodiscard]] TPointF point() const { return {X, Y}; }
    friend bool operator==(const FlaggedPoint&, const FlaggedPoint&) = default;
};
#pragma pack(pop)
static_assert(sizeof(FlaggedPoint) == 9, "FlaggedPoint is stored as 9 packed bytes");

// A sheet's geometry and the world point at the centre of its view.
// Scale == -1 means that no view is stored.
struct ViewRecord {
    float SizeX = 0.0f;
    float SizeY = 0.0f;
    float PositiveX = 0.0f;
    float PositiveY = 0.0f;
    float Scale = -1.0f;
    float X = 0.0f;
    float Y = 0.0f;
    friend bool operator==(const ViewRecord&, const ViewRecord&) = default;
};
static_assert(sizeof(ViewRecord) == 28, "ViewRecord is seven singles");

} // namespace vk
