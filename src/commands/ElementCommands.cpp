#include "commands/ElementCommands.h"

#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "ui/DrawingSheet.h"

#include <algorithm>
#include <cstring>

namespace vk {

bool SameElementState(const TGraphicPrimitive& a, const TGraphicPrimitive& b) {
    return a.GetKind() == b.GetKind() && a.GetVersion() == b.GetVersion() &&
           a.LineStyle == b.LineStyle && a.GetDataSize() == b.GetDataSize() &&
           std::memcmp(a.Data(), b.Data(), std::size_t(a.GetDataSize())) == 0;
}

// --- add -------------------------------------------------------------------------------

TAddElementCommand::TAddElementCommand(T_TnC_Ancestor& document, TElementList& list,
                                       std::unique_ptr<TGraphicPrimitive> element,
                                       FlaggedPoint baseBefore, const QString& text)
    : TDocumentCommand(document, text), m_list(list), m_element(std::move(element)),
      m_baseBefore(baseBefore) {}

TAddElementCommand::~TAddElementCommand() = default;

void TAddElementCommand::apply() {
    if (!m_element) {
        return;
    }
    if (m_handle == 0) {
        m_baseAfter = document().BasePoint;
        m_index = m_list.Add(std::move(m_element));
        m_handle = m_list.Items(m_index)->Handle();
        return;
    }
    document().BasePoint = m_baseAfter;
    m_list.Restore(m_index, std::move(m_element), m_handle);
}

void TAddElementCommand::revert() {
    TGraphicPrimitive* element = m_list.Find(m_handle);
    if (element == nullptr) {
        return;
    }
    m_index = m_list.IndexOf(element);
    m_element = m_list.Take(element);
    document().BasePoint = m_baseBefore;
}

// --- delete ----------------------------------------------------------------------------

TDeleteElementsCommand::TDeleteElementsCommand(T_TnC_Ancestor& document, TElementList& list,
                                               std::vector<std::uint32_t> handles,
                                               const QString& text)
    : TDocumentCommand(document, text), m_list(list), m_handles(std::move(handles)) {}

TDeleteElementsCommand::~TDeleteElementsCommand() = default;

void TDeleteElementsCommand::apply() {
    m_baseBefore = document().BasePoint;
    m_removed.clear();
    for (std::uint32_t handle : m_handles) {
        if (TGraphicPrimitive* element = m_list.Find(handle)) {
            m_removed.push_back({handle, m_list.IndexOf(element), nullptr});
        }
    }
    // The highest index first: every element removed later keeps its index.
    std::sort(m_removed.begin(), m_removed.end(),
              [](const TRemoved& a, const TRemoved& b) { return a.Index > b.Index; });
    for (TRemoved& removed : m_removed) {
        TGraphicPrimitive* element = m_list.Items(removed.Index);
        removed.Copy = element->Clone(element->Owner());
        document().RemoveElement(m_list, element);
    }
}

void TDeleteElementsCommand::revert() {
    // The lowest index first: each goes back among those that were before it.
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it) {
        if (it->Copy) {
            m_list.Restore(it->Index, std::move(it->Copy), it->Handle);
        }
    }
    m_removed.clear();
    document().BasePoint = m_baseBefore;
}

// --- change ----------------------------------------------------------------------------

TChangeElementCommand::TChangeElementCommand(T_TnC_Ancestor& document, TElementList& list,
                                             std::uint32_t handle,
                                             std::unique_ptr<TGraphicPrimitive> before,
                                             std::unique_ptr<TGraphicPrimitive> after,
                                             const QString& text, int id)
    : TDocumentCommand(document, text), m_list(list), m_handle(handle), m_before(std::move(before)),
      m_after(std::move(after)), m_id(id) {}

TChangeElementCommand::~TChangeElementCommand() = default;

bool TChangeElementCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TChangeElementCommand*>(other);
    if (next == nullptr || &next->m_list != &m_list || next->m_handle != m_handle || !next->m_after) {
        return false;
    }
    m_after = next->m_after->Clone(next->m_after->Owner());
    return m_after != nullptr;
}

void TChangeElementCommand::apply() { set(*m_after); }

void TChangeElementCommand::revert() { set(*m_before); }

void TChangeElementCommand::set(const TGraphicPrimitive& state) {
    if (TGraphicPrimitive* element = m_list.Find(m_handle)) {
        element->Assign(state);
    }
}

bool DrawElementClick(T_TnC_Ancestor& document, std::unique_ptr<TGraphicPrimitive>& drawing, TDrawingSheet& sheet,
                      bool rightButton, float x, float y) {
    if (rightButton) {
        if (document.Elements().Count() == 0) {
            document.ClearBasePoint();
        }
        drawing->ClearData();
        sheet.ShowViewImage();
        return false;
    }
    bool finished = false;
    drawing->AddCreationPoint(sheet, finished, x, y);
    if (!finished) {
        return false;
    }
    const std::int32_t kind = drawing->GetKind();
    // A document without elements had no base point before the first click
    // of this one set it.
    const FlaggedPoint baseBefore = document.Elements().Count() == 0 ? FlaggedPoint{} : document.BasePoint;
    document.History().push(new TAddElementCommand(document, document.Elements(), std::move(drawing), baseBefore,
                                                   kind == pkArc ? QStringLiteral("Дуга") : QStringLiteral("Отрезок")));
    drawing = CreatePrimitive(kind, &document);
    return true;
}

} // namespace vk
