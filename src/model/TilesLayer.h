#pragma once
// The picture of a project's laid tiles for one device size and one view,
// kept until the tiles, the view, the pen or the texture change.

#include <QImage>
#include <QPen>
#include <QTransform>
#include <cstdint>

namespace vk {

class TTilesLayer {
public:
    QImage Image;
    QTransform Transform;
    std::uint64_t TilesVersion = 0;
    std::uint64_t OtherVersion = 0;
    QPen Pen;
    const void* Sheet = nullptr;
    bool Antialiasing = false;
    bool Valid = false;
};

} // namespace vk
