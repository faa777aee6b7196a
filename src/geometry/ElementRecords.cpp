#include "geometry/ElementRecords.h"

#include <algorithm>
#include <cstring>

namespace vk {

PrimitiveRecord RecordOf(const TGraphicPrimitive& element) {
    PrimitiveRecord record;
    record.Kind = element.GetKind();
    record.Version = element.GetVersion();
    record.LineStyle = element.LineStyle;
    record.Data = QByteArray(reinterpret_cast<const char*>(element.Data()), element.GetDataSize());
    return record;
}

std::unique_ptr<TGraphicPrimitive> ElementFromRecord(const PrimitiveRecord& record,
                                                     T_TnC_Ancestor* owner, TBlockFit fit) {
    std::unique_ptr<TGraphicPrimitive> element = CreatePrimitive(record.Kind, owner);
    if (!element) {
        return nullptr;
    }
    const int size = element->GetDataSize();
    if (fit == TBlockFit::Exact && record.Data.size() != size) {
        return nullptr;
    }
    element->SetVersion(record.Version);
    element->LineStyle = record.LineStyle;
    std::memcpy(element->Data(), record.Data.constData(),
                std::size_t(std::min<qsizetype>(size, record.Data.size())));
    return element;
}

} // namespace vk
