#pragma once
// Counts of cut pieces per part and half, kept per colour group of laid
// tiles and updated whenever a cut tile is laid, read or recoloured.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace vk {

class TPartCounters;

// One part (in a colour group's counters) or one half (in a part counter's
// sub-counters).
class TPartCounter {
public:
    std::int32_t ID = -1;
    QString Name;
    std::int32_t Count = 0;
    // The halves of a part whose halves are not interchangeable; none for a
    // part counted as a whole.
    std::unique_ptr<TPartCounters> SubCounters;
};

// Counters in the order their first piece was counted.
class TPartCounters {
public:
    [[nodiscard]] int Count() const { return int(m_items.size()); }
    [[nodiscard]] TPartCounter& Items(int index) { return *m_items[std::size_t(index)]; }
    [[nodiscard]] const TPartCounter& Items(int index) const { return *m_items[std::size_t(index)]; }
    // The first counter with that identifier, or nullptr.
    [[nodiscard]] TPartCounter* Find(std::int32_t id) const;
    TPartCounter& Add(std::int32_t id, const QString& name);
    void Delete(const TPartCounter* counter);
    void Clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TPartCounter>> m_items;
};

// Counts `amount` pieces of a half: per part when the halves are equal, else
// per half. A part identifier of -1 (a whole tile) counts nothing.
void AddHalf(TPartCounters& counters, std::int32_t partID, std::int32_t contourID, int amount,
             const QString& halfName, const QString& partName, bool equals);
// Uncounts them; counters that reach zero are deleted, and a part counter
// whose last half went is deleted with it.
void RemoveHalf(TPartCounters& counters, std::int32_t partID, std::int32_t contourID, int amount);

} // namespace vk
