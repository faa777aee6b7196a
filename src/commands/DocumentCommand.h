#pragma once
// One step of a document's undo history.

#include <QString>
#include <QUndoCommand>

namespace vk {

class T_TnC_Ancestor;

// Ids under which consecutive commands of a kind merge into one step.
enum TCommandId : int {
    ciDrag = 1,
    // Marks painted with Shift held, tile after tile.
    ciPaintMarks = 2,
};

// Its changes are made quietly: the history, not the element lists, decides
// whether the document is modified, and the document announces the step
// once the history has moved.
class TDocumentCommand : public QUndoCommand {
public:
    TDocumentCommand(T_TnC_Ancestor& document, const QString& text);

    void redo() final;
    void undo() final;

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    [[nodiscard]] T_TnC_Ancestor& document() const { return m_document; }

private:
    T_TnC_Ancestor& m_document;
};

} // namespace vk
