#include "model/ElementKinds.h"

#include "model/Collage.h"

namespace vk {

namespace {
std::unique_ptr<TGraphicPrimitive> makePlacement(T_TnC_Ancestor* owner) {
    return std::make_unique<TTilePlacementPrimitive>(owner);
}
} // namespace

void RegisterElementKinds() { SetPlacementFactory(&makePlacement); }

} // namespace vk
