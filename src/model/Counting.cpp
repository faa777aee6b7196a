#include "model/Counting.h"

#include <algorithm>

namespace vk {

TPartCounter* TPartCounters::Find(std::int32_t id) const {
    for (const auto& counter : m_items) {
        if (counter->ID == id) {
            return counter.get();
        }
    }
    return nullptr;
}

TPartCounter& TPartCounters::Add(std::int32_t id, const QString& name) {
    auto counter = std::make_unique<TPartCounter>();
    counter->ID = id;
    counter->Name = name;
    m_items.push_back(std::move(counter));
    return *m_items.back();
}

void TPartCounters::Delete(const TPartCounter* counter) {
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [counter](const auto& item) { return item.get() == counter; });
    if (it != m_items.end()) {
        m_items.erase(it);
    }
}

void AddHalf(TPartCounters& counters, std::int32_t partID, std::int32_t contourID, int amount,
             const QString& halfName, const QString& partName, bool equals) {
    if (partID == -1) {
        return;
    }
    TPartCounter* part = counters.Find(partID);
    if (part == nullptr) {
        part = &counters.Add(partID, partName);
    }
    if (equals) {
        part->Count += amount;
        return;
    }
    if (!part->SubCounters) {
        part->SubCounters = std::make_unique<TPartCounters>();
    }
    TPartCounter* half = part->SubCounters->Find(contourID);
    if (half == nullptr) {
        half = &part->SubCounters->Add(contourID, halfName);
    }
    half->Count += amount;
}

void RemoveHalf(TPartCounters& counters, std::int32_t partID, std::int32_t contourID, int amount) {
    if (partID == -1) {
        return;
    }
    TPartCounter* part = counters.Find(partID);
    if (part == nullptr) {
        return;
    }
    if (contourID != -1 && part->SubCounters) {
        if (TPartCounter* half = part->SubCounters->Find(contourID)) {
            const bool last = half->Count == amount;
            half->Count -= amount;
            if (last) {
                part->SubCounters->Delete(half);
            }
        }
        if (part->SubCounters->Count() == 0) {
            part->SubCounters.reset();
        }
    } else {
        part->Count -= amount;
    }
    if (part->Count == 0 && !part->SubCounters) {
        counters.Delete(part);
    }
}

} // namespace vk
