#pragma once
// Commands on the elements of one list of a document: append, remove, and
// change in place. They name elements by list and handle, never by pointer:
// an element removed and put back by an undo is a new object under its old
// handle, and every command made before still finds it.

#include "commands/DocumentCommand.h"
#include "geometry/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vk {

class TDrawingSheet;
class TElementList;
class TGraphicPrimitive;

// Same kind, version, line style and data block.
[[nodiscard]] bool SameElementState(const TGraphicPrimitive& a, const TGraphicPrimitive& b);

// A new element appended ("Отрезок", "Дуга"). The first element of a
// document has set its base point while it was drawn: undone, the base point
// is `baseBefore` again.
class TAddElementCommand : public TDocumentCommand {
public:
    TAddElementCommand(T_TnC_Ancestor& document, TElementList& list,
                       std::unique_ptr<TGraphicPrimitive> element, FlaggedPoint baseBefore,
                       const QString& text);
    ~TAddElementCommand() override;

    // The element's handle once the command has been done.
    [[nodiscard]] std::uint32_t Handle() const { return m_handle; }

protected:
    void apply() override;
    void revert() override;

private:
    TElementList& m_list;
    // The element while it is not in the list.
    std::unique_ptr<TGraphicPrimitive> m_element;
    std::uint32_t m_handle = 0;
    int m_index = 0;
    FlaggedPoint m_baseBefore;
    FlaggedPoint m_baseAfter;
};

// Elements removed by the document's own rule (its RemoveElement: the base
// point may go with the last one); undone, they come back in their places.
class TDeleteElementsCommand : public TDocumentCommand {
public:
    TDeleteElementsCommand(T_TnC_Ancestor& document, TElementList& list,
                           std::vector<std::uint32_t> handles, const QString& text);
    ~TDeleteElementsCommand() override;

protected:
    void apply() override;
    void revert() override;

private:
    struct TRemoved {
        std::uint32_t Handle = 0;
        int Index = 0;
        std::unique_ptr<TGraphicPrimitive> Copy;
    };
    TElementList& m_list;
    std::vector<std::uint32_t> m_handles;
    // From the highest index to the lowest, as they were removed.
    std::vector<TRemoved> m_removed;
    FlaggedPoint m_baseBefore;
};

// One element changed in place: dragged ("Перемещение", with id ciDrag, so
// that consecutive drags of the element are one step) or edited ("Свойства
// элемента").
class TChangeElementCommand : public TDocumentCommand {
public:
    TChangeElementCommand(T_TnC_Ancestor& document, TElementList& list, std::uint32_t handle,
                          std::unique_ptr<TGraphicPrimitive> before,
                          std::unique_ptr<TGraphicPrimitive> after, const QString& text,
                          int id = -1);
    ~TChangeElementCommand() override;

    [[nodiscard]] int id() const override { return m_id; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    void apply() override;
    void revert() override;

private:
    void set(const TGraphicPrimitive& state);

    TElementList& m_list;
    std::uint32_t m_handle;
    std::unique_ptr<TGraphicPrimitive> m_before;
    std::unique_ptr<TGraphicPrimitive> m_after;
    int m_id;
};

// A click of the segment or arc tool drawing into `document`: `drawing`
// takes the point; once complete it joins the document's elements as one
// step named for its kind ("Отрезок", "Дуга") and a fresh element of the same
// kind takes its place. A right click drops what was begun and, in a
// document without elements, forgets the base point its first click set.
// True when an element was added.
bool DrawElementClick(T_TnC_Ancestor& document, std::unique_ptr<TGraphicPrimitive>& drawing, TDrawingSheet& sheet,
                      bool rightButton, float x, float y);

} // namespace vk
