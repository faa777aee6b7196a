#pragma once
// An element changed in place by a tool or an editor window, made one
// command: its state before is kept, what happens to it meanwhile stays
// quiet, and Commit pushes the change onto the document's history when
// there is one. Without Commit nothing is pushed and the document's
// modified state is as it was.

#include "geometry/ShapeDocument.h"

#include <QString>
#include <memory>
#include <optional>

namespace vk {

class TElementList;
class TGraphicPrimitive;

class TElementEdit {
public:
    TElementEdit(T_TnC_Ancestor& document, TElementList& list, TGraphicPrimitive& element);
    ~TElementEdit();
    TElementEdit(const TElementEdit&) = delete;
    TElementEdit& operator=(const TElementEdit&) = delete;

    // True when the element changed and the change was pushed.
    bool Commit(const QString& text, int id = -1);

private:
    T_TnC_Ancestor& m_document;
    TElementList& m_list;
    TGraphicPrimitive& m_element;
    std::unique_ptr<TGraphicPrimitive> m_before;
    std::optional<T_TnC_Ancestor::TQuietChanges> m_quiet;
};

} // namespace vk
