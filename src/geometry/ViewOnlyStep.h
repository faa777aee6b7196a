#pragma once
// A history step that changes nothing a document's file keeps (marks on laid
// tiles): as far as the history goes through such steps only, the document
// stays unmodified.

namespace vk {

class TViewOnlyStep {
public:
    virtual ~TViewOnlyStep() = default;
};

} // namespace vk
