#pragma once
// The ways a tile can be cut: a part is a named set of dividing lines with
// the halves they divide the tile into. Parts and halves refer to their tile
// without owning it.

#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"

#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class QUndoStack;

namespace vk {

class TTile;

// One half: the pieces of outline and dividing lines that bound it, in
// tile-local coordinates, and its outline path in world coordinates.
class TContourAncestor : public T_TnC_Ancestor {
public:
    explicit TContourAncestor(TNameChange onNameChange = {});

    TTile* Tile = nullptr;
    // Empty while no tile is bound.
    TShapePath Path;
    // Its name in its list, kept while it is out of the list and back: what
    // commands know it by (0 before it joins a list).
    [[nodiscard]] std::uint32_t Handle() const { return m_handle; }

    void Assign(const T_TnC_Ancestor& source) override;
    // Takes the tile's base point and rebuilds the path; with no tile the
    // path stays empty.
    void AttachToTile(TTile* tile);
    bool Rotate(TPointF centre, float angle) override;

private:
    friend class TContourList;
    std::uint32_t m_handle = 0;
};

class TContourList {
public:
    [[nodiscard]] int Count() const { return int(m_items.size()); }
    [[nodiscard]] TContourAncestor* Items(int index) const { return m_items[std::size_t(index)].get(); }
    [[nodiscard]] TContourAncestor* CurrentItem() const;
    TContourAncestor* Add(std::unique_ptr<TContourAncestor> half);
    void Delete(int index);
    void Clear();
    // The names in order (what a list box shows); resets ItemIndex.
    [[nodiscard]] QStringList Names();
    // The names in order, ItemIndex left as it is.
    [[nodiscard]] QStringList NamesOnly() const;

    [[nodiscard]] TContourAncestor* Find(std::uint32_t handle) const;
    [[nodiscard]] int IndexOf(std::uint32_t handle) const;
    // Out of the list without freeing it (nullptr if not there).
    [[nodiscard]] std::unique_ptr<TContourAncestor> Take(std::uint32_t handle);
    // Back at `index` under the handle it had.
    void Restore(int index, std::unique_ptr<TContourAncestor> half, std::uint32_t handle);

    int ItemIndex = -1;

private:
    std::vector<std::unique_ptr<TContourAncestor>> m_items;
    std::uint32_t m_lastHandle = 0;
};

class TPart : public T_TnC_Ancestor {
public:
    explicit TPart(TTile* tile = nullptr, TNameChange onNameChange = {});

    bool Equals = false;
    TTile* Tile = nullptr;
    TContourList Contours;

    // Base copy, Equals, the tile reference, and copies of the source's
    // halves appended to this part's list.
    void Assign(const T_TnC_Ancestor& source) override;
    void AttachToTile(TTile* tile);
    bool Rotate(TPointF centre, float angle) override;
    // A change of a part is a change of its tile.
    void SetModified(bool value) override;
    void Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) override;
    // A new half from the pieces of the tile (cut by this part's lines) that
    // lie inside the rectangle spanned by the two corners (world).
    TContourAncestor* AddContourFromRect(TPointF corner1, TPointF corner2);
    [[nodiscard]] std::uint32_t Handle() const { return m_handle; }

private:
    friend class TPartList;
    std::uint32_t m_handle = 0;
    // Removes the pieces that lie outside the tile.
    void dropPiecesOutsideTile(TElementList& pieces, int tol) const;
};

class TPartList {
public:
    TPartList();
    ~TPartList();
    TPartList(const TPartList&) = delete;
    TPartList& operator=(const TPartList&) = delete;

    [[nodiscard]] int Count() const { return int(m_items.size()); }
    [[nodiscard]] TPart* Items(int index) const { return m_items[std::size_t(index)].get(); }
    [[nodiscard]] TPart* CurrentItem() const;
    TPart* Add(std::unique_ptr<TPart> part);
    void Delete(int index);
    void Clear();
    // The source's tile and ItemIndex, deep copies of its parts, then bound.
    void CopyFrom(const TPartList& source);
    [[nodiscard]] QStringList Names() const;

    [[nodiscard]] bool PartEquals(int partId) const;
    [[nodiscard]] QString PartName(int partId) const;
    [[nodiscard]] QString ContourName(int partId, int contourId) const;

    void LoadForTile(int tileId);
    void SaveForTile(int tileId);
    void AttachToTile(TTile* tile);
    void Rotate(TPointF centre, float angle);

    [[nodiscard]] TPart* Find(std::uint32_t handle) const;
    [[nodiscard]] int IndexOf(std::uint32_t handle) const;
    [[nodiscard]] std::unique_ptr<TPart> Take(std::uint32_t handle);
    void Restore(int index, std::unique_ptr<TPart> part, std::uint32_t handle);

    // One history for every edit of the parts, their halves and their cut
    // lines; made on first use, gone with the list.
    [[nodiscard]] QUndoStack& History();
    [[nodiscard]] bool HasHistory() const { return m_history != nullptr; }

    TTile* Tile = nullptr;
    int ItemIndex = -1;

private:
    [[nodiscard]] TPart* findPart(int partId) const;
    std::vector<std::unique_ptr<TPart>> m_items;
    std::uint32_t m_lastHandle = 0;
    // Last: its commands, which may hold parts taken out, go first.
    std::unique_ptr<QUndoStack> m_history;
};

} // namespace vk
