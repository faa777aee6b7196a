#pragma once
// An owning collection that keeps its items in the order they were added and,
// beside that, one or more sort indexes over the same items, searched by
// bisection. The literal fill the benchmarks compare against keeps its tiles
// and visited points this way; the laid tiles of a project are small records
// in blocks with the same search by base point (TTileList).
//
// Users see only adding, deleting, clearing, the insertion order, FindKey and
// a walk along an index; nothing outside depends on the index being a sorted
// array, so another backing can take its place.

#include "geometry/Types.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace vk {

// Which of several equal keys a search returns.
enum class TDuplicateMode : int {
    First = -1, // the first of the equal items; its position is before all of them
    Any = 0,    // the first equal item the bisection meets
    Last = 1,   // the last of the equal items and its position
};

struct TFindResult {
    bool Found = false;
    int ItemIndex = -1; // index in insertion order of the item found, -1 when none
    int Position = -1;  // position in the index: of the item found, else where the key would go
    friend bool operator==(const TFindResult&, const TFindResult&) = default;
};

// Lexicographic, x first, exact: a sort key for laid tiles.
[[nodiscard]] int ComparePointsExact(const TPointF& a, const TPointF& b);
// Points whose coordinates each differ by at most 1 mm (inclusive) are equal;
// otherwise lexicographic, x first. Not transitive: three points 0.6 mm apart
// in a row make the outer two unequal although each equals the middle one.
[[nodiscard]] int ComparePointsTolerant(const TPointF& a, const TPointF& b);

// Base of every item. The collection owns its items; an item is freed only
// through its collection, which first takes it out of every index.
class TDihotomedItem {
public:
    TDihotomedItem() = default;
    virtual ~TDihotomedItem() = default;
    TDihotomedItem(const TDihotomedItem&) = delete;
    TDihotomedItem& operator=(const TDihotomedItem&) = delete;

    // Index in the collection's insertion order; -1 outside a collection.
    [[nodiscard]] int Index() const { return FIndex; }

private:
    template <class, class>
    friend class TDihotomedCollection;
    int FIndex = -1;
};

template <class TItem, class TKey = TPointF>
class TDihotomedCollection {
    static_assert(std::is_base_of_v<TDihotomedItem, TItem>, "items derive from TDihotomedItem");

public:
    // Negative when the first key sorts before the second, zero when equal.
    using CompareFn = int (*)(const TKey&, const TKey&);
    using KeyOfFn = TKey (*)(const TItem&);

    struct IndexDescriptor {
        CompareFn Compare = nullptr;
        KeyOfFn KeyOf = nullptr;
        TDuplicateMode DuplicateMode = TDuplicateMode::Any;
        // New items wait unsorted until the index is next read, and are then
        // sorted and merged in one pass: a run of n additions costs
        // O(n log n) instead of O(n^2). Every read still sees a sorted index.
        // Only for a transitive Compare (the exact one); equal keys keep the
        // order in which they were added.
        bool Deferred = false;
    };

    // The indexes are fixed for the collection's life.
    explicit TDihotomedCollection(std::vector<IndexDescriptor> indexes) {
        FIndexes.reserve(indexes.size());
        for (const IndexDescriptor& d : indexes) {
            if (!d.Compare || !d.KeyOf)
                throw std::invalid_argument("TDihotomedCollection: index without Compare or KeyOf");
            FIndexes.push_back({{}, {}, d});
        }
    }

    TDihotomedCollection(const TDihotomedCollection&) = delete;
    TDihotomedCollection& operator=(const TDihotomedCollection&) = delete;
    TDihotomedCollection(TDihotomedCollection&&) noexcept = default;
    TDihotomedCollection& operator=(TDihotomedCollection&& other) noexcept {
        if (this != &other) {
            ClearAll();
            FItems = std::move(other.FItems);
            FIndexes = std::move(other.FIndexes);
        }
        return *this;
    }
    virtual ~TDihotomedCollection() { ClearAll(); }

    [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }
    [[nodiscard]] int IndexCount() const { return static_cast<int>(FIndexes.size()); }

    // Items in the order they were added.
    [[nodiscard]] TItem& Items(int itemIndex) { return *FItems.at(checked(itemIndex)); }
    [[nodiscard]] const TItem& Items(int itemIndex) const { return *FItems.at(checked(itemIndex)); }

    // Appends the item and enters it into every index.
    TItem& Add(std::unique_ptr<TItem> item) {
        TItem& added = Append(std::move(item));
        AddToIndexes(added);
        return added;
    }

    // Frees one item: out of every index first, then out of the collection;
    // the items after it move up by one.
    void Delete(int itemIndex) {
        std::unique_ptr<TItem>& slot = FItems.at(checked(itemIndex));
        for (int i = 0; i < IndexCount(); ++i) {
            const Index& index = FIndexes[static_cast<std::size_t>(i)];
            if (!index.Items.empty() || !index.Pending.empty())
                RemoveFromIndex(itemIndex, i);
        }
        std::unique_ptr<TItem> owned = std::move(slot);
        FItems.erase(FItems.begin() + itemIndex);
        for (std::size_t j = static_cast<std::size_t>(itemIndex); j < FItems.size(); ++j)
            FItems[j]->FIndex = static_cast<int>(j);
        owned->FIndex = -1;
        // Freed last, when the collection is consistent again.
    }

    // Empties every index, then frees every item.
    void ClearAll() {
        for (auto& index : FIndexes) {
            index.Items.clear();
            index.Pending.clear();
        }
        std::vector<std::unique_ptr<TItem>> doomed = std::move(FItems);
        FItems.clear();
        for (auto& item : doomed)
            item->FIndex = -1;
        while (!doomed.empty())
            doomed.pop_back();
    }

    // Bisection search of one index; the stored item's key is the first
    // argument of Compare, the searched key the second. When found, the item
    // returned always compared equal to the key, whichever the duplicate mode.
    [[nodiscard]] TFindResult FindKey(const TKey& key, int indexNo) const {
        const Index& index = settled(indexNo);
        const auto& list = index.Items;
        const TDuplicateMode mode = index.D.DuplicateMode;
        int lo = 0;
        int hi = static_cast<int>(list.size()) - 1;
        int equalAt = -1;
        while (lo <= hi) {
            const int mid = lo + (hi - lo) / 2;
            const int c = index.D.Compare(index.D.KeyOf(*list[static_cast<std::size_t>(mid)]), key);
            if (c < 0) {
                lo = mid + 1;
            } else if (c > 0) {
                hi = mid - 1;
            } else {
                // For a consistent order the last equal probe is the first
                // (First), the last (Last) or the met (Any) equal item.
                equalAt = mid;
                switch (mode) {
                case TDuplicateMode::First: hi = mid - 1; break;
                case TDuplicateMode::Any: lo = mid; hi = mid - 1; break;
                case TDuplicateMode::Last: lo = mid + 1; break;
                }
            }
        }
        TFindResult result;
        if (equalAt >= 0) {
            result.Found = true;
            result.Position = equalAt;
            result.ItemIndex = list[static_cast<std::size_t>(equalAt)]->FIndex;
        } else {
            result.Position = lo;
        }
        return result;
    }

    // Walking an index in key order, e.g. to look around a found position.
    [[nodiscard]] int IndexSize(int indexNo) const {
        const Index& index = FIndexes.at(static_cast<std::size_t>(indexNo));
        return static_cast<int>(index.Items.size() + index.Pending.size());
    }
    [[nodiscard]] TItem& IndexItem(int indexNo, int position) {
        return *settled(indexNo).Items.at(static_cast<std::size_t>(position));
    }
    [[nodiscard]] const TItem& IndexItem(int indexNo, int position) const {
        return *settled(indexNo).Items.at(static_cast<std::size_t>(position));
    }

protected:
    // The two halves of Add, for collections that finish an item between
    // appending it and indexing it.
    TItem& Append(std::unique_ptr<TItem> item) {
        if (!item)
            throw std::invalid_argument("TDihotomedCollection: null item");
        if (item->FIndex != -1)
            throw std::logic_error("TDihotomedCollection: item already belongs to a collection");
        item->FIndex = Count();
        FItems.push_back(std::move(item));
        return *FItems.back();
    }
    void AddToIndexes(TItem& item) {
        for (int i = 0; i < IndexCount(); ++i)
            InsertIntoIndex(item.Index(), i);
    }
    void InsertIntoIndex(int itemIndex, int indexNo) {
        TItem* item = FItems.at(checked(itemIndex)).get();
        Index& index = FIndexes.at(static_cast<std::size_t>(indexNo));
        if (index.D.Deferred) {
            index.Pending.push_back(item);
            return;
        }
        const TFindResult at = FindKey(index.D.KeyOf(*item), indexNo);
        index.Items.insert(index.Items.begin() + at.Position, item);
    }
    void RemoveFromIndex(int itemIndex, int indexNo) {
        const TItem* item = FItems.at(checked(itemIndex)).get();
        Index& index = FIndexes.at(static_cast<std::size_t>(indexNo));
        // By identity, not by key: a tolerant Compare could lead a bisection
        // past the item.
        for (auto* list : {&index.Pending, &index.Items}) {
            const auto it = std::find(list->begin(), list->end(), item);
            if (it != list->end()) {
                list->erase(it);
                return;
            }
        }
    }

private:
    struct Index {
        // In key order; owns nothing. Both lists are caches of the same
        // logical index, so const reads may merge Pending into Items.
        mutable std::vector<TItem*> Items;
        mutable std::vector<TItem*> Pending; // deferred additions, unsorted
        IndexDescriptor D;
    };

    // The index with its deferred additions sorted in.
    const Index& settled(int indexNo) const {
        const Index& index = FIndexes.at(static_cast<std::size_t>(indexNo));
        if (!index.Pending.empty()) {
            const auto less = [&index](const TItem* a, const TItem* b) {
                return index.D.Compare(index.D.KeyOf(*a), index.D.KeyOf(*b)) < 0;
            };
            std::stable_sort(index.Pending.begin(), index.Pending.end(), less);
            const auto middle = static_cast<std::ptrdiff_t>(index.Items.size());
            index.Items.insert(index.Items.end(), index.Pending.begin(), index.Pending.end());
            index.Pending.clear();
            std::inplace_merge(index.Items.begin(), index.Items.begin() + middle, index.Items.end(), less);
        }
        return index;
    }
    Index& settled(int indexNo) {
        return const_cast<Index&>(std::as_const(*this).settled(indexNo));
    }

    static std::size_t checked(int itemIndex) {
        if (itemIndex < 0)
            throw std::out_of_range("TDihotomedCollection: negative item index");
        return static_cast<std::size_t>(itemIndex);
    }

    std::vector<std::unique_ptr<TItem>> FItems; // insertion order
    std::vector<Index> FIndexes;
};

} // namespace vk
