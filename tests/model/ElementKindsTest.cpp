// Elements are made from their stored kind codes once the program has
// registered its kinds at start-up, whatever was or was not constructed before.

#include "geometry/ElementRecords.h"
#include "model/Tile.h"

#include <gtest/gtest.h>

namespace vk::test {
namespace {

TEST(ElementKinds, PlacementIsMadeFromItsCodeBeforeAnyPatternExists) {
    // The owner is a tile: no pattern is needed to read a placement's record.
    TTile owner;
    for (const PrimitiveKind kind : kAllPrimitiveKinds) {
        SCOPED_TRACE(kindCode(kind));
        const std::unique_ptr<TGraphicPrimitive> made = CreatePrimitive(kindCode(kind), &owner);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetKind(), kindCode(kind));
        EXPECT_EQ(made->GetDataSize(), primitiveDataSize(kind));
        const std::unique_ptr<TGraphicPrimitive> read = ElementFromRecord(RecordOf(*made), &owner);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(RecordOf(*read), RecordOf(*made));
    }
}

} // namespace
} // namespace vk::test
