#pragma once
// Elements to and from their stored records: the one bridge every container
// (library rows, project streams) goes through.

#include "geometry/GraphicPrimitive.h"
#include "geometry/PrimitiveRecord.h"

#include <memory>

namespace vk {

class T_TnC_Ancestor;

// Kind, version, line style and the data block byte for byte.
[[nodiscard]] PrimitiveRecord RecordOf(const TGraphicPrimitive& element);

// How a stored block of the wrong size is taken.
enum class TBlockFit {
    Exact,     // refused (nullptr)
    PadOrCut,  // the first bytes are taken; a short block leaves zeros
};

// A new element owned by `owner` (not yet added to any list), or nullptr when
// the kind names no element or the block does not fit.
[[nodiscard]] std::unique_ptr<TGraphicPrimitive> ElementFromRecord(const PrimitiveRecord& record,
                                                                   T_TnC_Ancestor* owner,
                                                                   TBlockFit fit = TBlockFit::Exact);

} // namespace vk
