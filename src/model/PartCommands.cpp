#include "model/PartCommands.h"

#include "commands/ElementCommands.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "model/Parts.h"
#include "model/Tile.h"

#include <algorithm>
#include <cstring>

namespace vk {

TPart* TPartListCommand::showPart(std::uint32_t handle) const {
    const int index = m_parts.IndexOf(handle);
    if (index < 0) {
        return nullptr;
    }
    if (m_parts.ItemIndex != index) {
        if (TPart* old = m_parts.CurrentItem()) {
            old->Contours.ItemIndex = -1;
        }
        m_parts.ItemIndex = index;
    }
    return m_parts.Items(index);
}

// --- parts -----------------------------------------------------------------------------

TAddPartCommand::TAddPartCommand(TPartList& parts, QString name)
    : TPartListCommand(parts, QStringLiteral("Добавить набор половинок")), m_name(std::move(name)) {}

TAddPartCommand::~TAddPartCommand() = default;

void TAddPartCommand::redo() {
    TPartList& list = parts();
    m_currentBefore = list.ItemIndex;
    if (TPart* current = list.CurrentItem()) {
        current->Contours.ItemIndex = -1;
    }
    if (m_handle == 0) {
        auto part = std::make_unique<TPart>(list.Tile);
        part->SetName(m_name);
        part->AttachToTile(list.Tile);
        list.Add(std::move(part));
        m_index = list.Count() - 1;
        m_handle = list.Items(m_index)->Handle();
    } else if (m_part) {
        list.Restore(m_index, std::move(m_part), m_handle);
    }
    list.ItemIndex = list.IndexOf(m_handle);
    if (TPart* added = list.CurrentItem()) {
        added->Contours.ItemIndex = -1;
    }
}

void TAddPartCommand::undo() {
    TPartList& list = parts();
    m_index = list.IndexOf(m_handle);
    m_part = list.Take(m_handle);
    list.ItemIndex = std::min(m_currentBefore, list.Count() - 1);
}

TDeletePartCommand::TDeletePartCommand(TPartList& parts, std::uint32_t handle)
    : TPartListCommand(parts, QStringLiteral("Удаление набора половинок")), m_handle(handle) {}

TDeletePartCommand::~TDeletePartCommand() = default;

void TDeletePartCommand::redo() {
    TPartList& list = parts();
    m_currentBefore = list.ItemIndex;
    m_index = list.IndexOf(m_handle);
    m_part = list.Take(m_handle);
    list.ItemIndex = list.Count() - 1;
    if (TPart* current = list.CurrentItem()) {
        current->Contours.ItemIndex = -1;
    }
}

void TDeletePartCommand::undo() {
    if (m_part) {
        parts().Restore(m_index, std::move(m_part), m_handle);
    }
    parts().ItemIndex = m_currentBefore;
    showPart(m_handle);
}

TRenamePartCommand::TRenamePartCommand(TPartList& parts, std::uint32_t handle, QString before, QString after)
    : TPartListCommand(parts, QStringLiteral("Название набора половинок")), m_handle(handle),
      m_before(std::move(before)), m_after(std::move(after)) {}

void TRenamePartCommand::redo() { set(m_after); }

void TRenamePartCommand::undo() { set(m_before); }

void TRenamePartCommand::set(const QString& name) {
    if (TPart* part = showPart(m_handle)) {
        part->SetName(name);
    }
}

TPartEqualsCommand::TPartEqualsCommand(TPartList& parts, std::uint32_t handle, bool after)
    : TPartListCommand(parts, QStringLiteral("Взаимозаменяемые")), m_handle(handle), m_after(after) {}

void TPartEqualsCommand::redo() { set(m_after); }

void TPartEqualsCommand::undo() { set(!m_after); }

void TPartEqualsCommand::set(bool value) {
    if (TPart* part = showPart(m_handle)) {
        part->Equals = value;
    }
}

// --- halves ----------------------------------------------------------------------------

TAddContourCommand::TAddContourCommand(TPartList& parts, std::uint32_t part, TPointF corner1, TPointF corner2)
    : TPartListCommand(parts, QStringLiteral("Очертить половинку")), m_part(part), m_corner1(corner1),
      m_corner2(corner2) {}

TAddContourCommand::~TAddContourCommand() = default;

void TAddContourCommand::redo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    if (m_handle == 0) {
        // The pieces are cut from copies of the tile's elements held by the
        // tile: that marks it modified.
        part->AddContourFromRect(m_corner1, m_corner2);
        m_index = part->Contours.Count() - 1;
        m_handle = part->Contours.Items(m_index)->Handle();
        return;
    }
    if (m_half) {
        part->Contours.Restore(m_index, std::move(m_half), m_handle);
        if (part->Tile != nullptr) {
            part->Tile->SetModified(true);
        }
    }
}

void TAddContourCommand::undo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    m_index = part->Contours.IndexOf(m_handle);
    // Undone, the half it made is no longer chosen, nor is any other.
    if (part->Contours.ItemIndex == m_index) {
        part->Contours.ItemIndex = -1;
    }
    m_half = part->Contours.Take(m_handle);
}

TRenameContourCommand::TRenameContourCommand(TPartList& parts, std::uint32_t part, std::uint32_t half,
                                             QString before, QString after)
    : TPartListCommand(parts, QStringLiteral("Название половинки")), m_part(part), m_half(half),
      m_before(std::move(before)), m_after(std::move(after)) {}

void TRenameContourCommand::redo() { set(m_after); }

void TRenameContourCommand::undo() { set(m_before); }

void TRenameContourCommand::set(const QString& name) {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    if (TContourAncestor* half = part->Contours.Find(m_half)) {
        half->SetName(name);
        part->Contours.ItemIndex = part->Contours.IndexOf(m_half);
    }
}

TDeleteContourCommand::TDeleteContourCommand(TPartList& parts, std::uint32_t part, std::uint32_t half)
    : TPartListCommand(parts, QStringLiteral("Удаление половинки")), m_part(part), m_half(half) {}

TDeleteContourCommand::~TDeleteContourCommand() = default;

void TDeleteContourCommand::redo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    m_currentBefore = part->Contours.ItemIndex;
    m_index = part->Contours.IndexOf(m_half);
    m_taken = part->Contours.Take(m_half);
    part->Contours.ItemIndex = part->Contours.Count() - 1;
}

void TDeleteContourCommand::undo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    if (m_taken) {
        part->Contours.Restore(m_index, std::move(m_taken), m_half);
    }
    part->Contours.ItemIndex = m_currentBefore;
}

// --- cut lines -------------------------------------------------------------------------

TAddCutLineCommand::TAddCutLineCommand(TPartList& parts, std::uint32_t part,
                                       std::unique_ptr<TGraphicPrimitive> element)
    : TPartListCommand(parts, QStringLiteral("Разделительная линия")), m_part(part), m_element(std::move(element)) {}

TAddCutLineCommand::~TAddCutLineCommand() = default;

void TAddCutLineCommand::redo() {
    TPart* part = showPart(m_part);
    if (part == nullptr || !m_element) {
        return;
    }
    // Added, the line marks the part and with it the tile modified.
    if (m_handle == 0) {
        m_index = part->Elements().Add(std::move(m_element));
        m_handle = part->Elements().Items(m_index)->Handle();
        return;
    }
    part->Elements().Restore(m_index, std::move(m_element), m_handle);
}

void TAddCutLineCommand::undo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    TGraphicPrimitive* element = part->Elements().Find(m_handle);
    if (element == nullptr) {
        return;
    }
    m_index = part->Elements().IndexOf(element);
    m_element = part->Elements().Take(element);
}

TDeleteCutLinesCommand::TDeleteCutLinesCommand(TPartList& parts, std::uint32_t part,
                                               std::vector<std::uint32_t> handles)
    : TPartListCommand(parts, QStringLiteral("Удаление элемента")), m_part(part), m_handles(std::move(handles)) {}

TDeleteCutLinesCommand::~TDeleteCutLinesCommand() = default;

void TDeleteCutLinesCommand::redo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    TElementList& list = part->Elements();
    m_removed.clear();
    for (std::uint32_t handle : m_handles) {
        if (TGraphicPrimitive* element = list.Find(handle)) {
            m_removed.push_back({handle, list.IndexOf(element), nullptr});
        }
    }
    // The highest index first: every line removed later keeps its index.
    std::sort(m_removed.begin(), m_removed.end(), [](const TRemoved& a, const TRemoved& b) { return a.Index > b.Index; });
    for (TRemoved& removed : m_removed) {
        removed.Element = list.Take(list.Items(removed.Index));
    }
    // A part keeps its tile's base point however few lines it has.
    part->SetModified(true);
}

void TDeleteCutLinesCommand::undo() {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it) {
        if (it->Element) {
            part->Elements().Restore(it->Index, std::move(it->Element), it->Handle);
        }
    }
    m_removed.clear();
}

TChangeCutLineCommand::TChangeCutLineCommand(TPartList& parts, std::uint32_t part, std::uint32_t handle,
                                             std::unique_ptr<TGraphicPrimitive> before,
                                             std::unique_ptr<TGraphicPrimitive> after, const QString& text, int id)
    : TPartListCommand(parts, text), m_part(part), m_handle(handle), m_before(std::move(before)),
      m_after(std::move(after)), m_id(id) {}

TChangeCutLineCommand::~TChangeCutLineCommand() = default;

void TChangeCutLineCommand::redo() { set(*m_after); }

void TChangeCutLineCommand::undo() { set(*m_before); }

bool TChangeCutLineCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TChangeCutLineCommand*>(other);
    if (next == nullptr || next->m_part != m_part || next->m_handle != m_handle || !next->m_after) {
        return false;
    }
    m_after = next->m_after->Clone(next->m_after->Owner());
    return m_after != nullptr;
}

void TChangeCutLineCommand::set(const TGraphicPrimitive& state) {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    if (TGraphicPrimitive* element = part->Elements().Find(m_handle)) {
        element->Assign(state);
        part->SetModified(true);
    }
}

// --- the cut lines as a whole -----------------------------------------------------------

TCutLinesState CutLinesOf(TPart& part) {
    TCutLinesState state;
    state.Base = part.BasePoint;
    for (int i = 0; i < part.Elements().Count(); ++i) {
        TGraphicPrimitive* element = part.Elements().Items(i);
        state.Lines.push_back({element->Handle(), element->Clone(&part)});
    }
    return state;
}

bool SameCutLines(const TCutLinesState& a, const TCutLinesState& b) {
    if (a.Lines.size() != b.Lines.size() || std::memcmp(&a.Base, &b.Base, sizeof a.Base) != 0) {
        return false;
    }
    for (std::size_t i = 0; i < a.Lines.size(); ++i) {
        if (a.Lines[i].Handle != b.Lines[i].Handle || !a.Lines[i].Copy || !b.Lines[i].Copy ||
            !SameElementState(*a.Lines[i].Copy, *b.Lines[i].Copy)) {
            return false;
        }
    }
    return true;
}

TSetCutLinesCommand::TSetCutLinesCommand(TPartList& parts, std::uint32_t part, TCutLinesState before,
                                         TCutLinesState after, const QString& text)
    : TPartListCommand(parts, text), m_part(part), m_before(std::move(before)), m_after(std::move(after)) {}

TSetCutLinesCommand::~TSetCutLinesCommand() = default;

void TSetCutLinesCommand::redo() {
    if (m_done) {
        m_done = false;
        return;
    }
    set(m_after);
}

void TSetCutLinesCommand::undo() { set(m_before); }

void TSetCutLinesCommand::set(const TCutLinesState& state) {
    TPart* part = showPart(m_part);
    if (part == nullptr) {
        return;
    }
    part->SetCurrent(nullptr);
    part->Elements().Clear();
    for (const TCutLinesState::TLine& line : state.Lines) {
        if (line.Copy) {
            part->Elements().Restore(part->Elements().Count(), line.Copy->Clone(part), line.Handle);
        }
    }
    part->BasePoint = state.Base;
    part->SetModified(true);
}

} // namespace vk
