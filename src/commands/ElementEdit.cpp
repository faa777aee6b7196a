#include "commands/ElementEdit.h"

#include "commands/ElementCommands.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"

#include <QUndoStack>

namespace vk {

TElementEdit::TElementEdit(T_TnC_Ancestor& document, TElementList& list, TGraphicPrimitive& element)
    : m_document(document), m_list(list), m_element(element),
      m_before(element.Clone(element.Owner())) {
    m_quiet.emplace(document);
}

TElementEdit::~TElementEdit() = default;

bool TElementEdit::Commit(const QString& text, int id) {
    m_quiet.reset();
    if (!m_before || SameElementState(*m_before, m_element) || m_list.IndexOf(&m_element) < 0) {
        return false;
    }
    m_document.History().push(new TChangeElementCommand(m_document, m_list, m_element.Handle(),
                                                        std::move(m_before),
                                                        m_element.Clone(m_element.Owner()), text, id));
    return true;
}

} // namespace vk
