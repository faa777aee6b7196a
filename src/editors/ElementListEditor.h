#pragma once
// The elements of one list of a document as lines of text, to highlight,
// edit and delete. Each edit and each deletion is one step of the
// document's history, named CommandText.

#include "ui/HelpContext.h"

#include <QDialog>
#include <vector>

class QListWidget;
class QPushButton;

namespace vk {

class TElementList;
class TGraphicPrimitive;
class TPlanSheet;
class T_TnC_Ancestor;

class TfrmElListEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::ElementEditing;
    inline static const QString CommandText = QStringLiteral("Список элементов");

    TfrmElListEditor(QWidget* owner, TElementList& list, TPlanSheet& sheet,
                     T_TnC_Ancestor& document, const QString& caption);

    // The element the focused row stands for, drawn in green over the view.
    void Highlight();
    void Edit();
    void DeleteSelected();
    void SelectAll();
    void UpdateActions();

    QListWidget* ElList = nullptr;
    QPushButton* acEdit = nullptr;
    QPushButton* acDelete = nullptr;
    QPushButton* acSelAll = nullptr;

    [[nodiscard]] TGraphicPrimitive* RowElement(int row) const { return m_elements[std::size_t(row)]; }

private:
    TElementList& m_list;
    TPlanSheet& m_sheet;
    T_TnC_Ancestor& m_document;
    std::vector<TGraphicPrimitive*> m_elements;
};

} // namespace vk
