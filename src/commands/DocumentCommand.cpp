#include "commands/DocumentCommand.h"

#include "geometry/ShapeDocument.h"

namespace vk {

TDocumentCommand::TDocumentCommand(T_TnC_Ancestor& document, const QString& text)
    : QUndoCommand(text), m_document(document) {}

void TDocumentCommand::redo() {
    const T_TnC_Ancestor::TQuietChanges quiet(m_document);
    apply();
}

void TDocumentCommand::undo() {
    const T_TnC_Ancestor::TQuietChanges quiet(m_document);
    revert();
}

} // namespace vk
