#include "editors/ElementListEditor.h"

#include "commands/ElementCommands.h"
#include "commands/ElementEdit.h"
#include "geometry/ElementList.h"
#include "geometry/ShapeDocument.h"
#include "ui/UserInterface.h"
#include "sheet/PlanSheet.h"
#include "sheet/PrimEditWindow.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <memory>

namespace vk {

TfrmElListEditor::TfrmElListEditor(QWidget* owner, TElementList& list, TPlanSheet& sheet,
                                   T_TnC_Ancestor& document, const QString& caption)
    : QDialog(owner), m_list(list), m_sheet(sheet), m_document(document) {
    setObjectName(QStringLiteral("frmElListEditor"));
    setWindowTitle(caption);
    SetHelpContextOf(*this, HelpContext);

    ElList = new QListWidget(this);
    ElList->setObjectName(QStringLiteral("ElList"));
    ElList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList lines;
    list.GetDescriptions(lines, sheet.UnitDivisor(), &m_elements);
    ElList->addItems(lines);
    connect(ElList, &QListWidget::itemClicked, this, [this] { Highlight(); });
    connect(ElList, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });
    connect(ElList, &QListWidget::itemSelectionChanged, this, &TfrmElListEditor::UpdateActions);

    acEdit = new QPushButton(QStringLiteral("Редактировать"), this);
    acDelete = new QPushButton(QStringLiteral("Удалить"), this);
    acSelAll = new QPushButton(QStringLiteral("Выделить все"), this);
    connect(acEdit, &QPushButton::clicked, this, &TfrmElListEditor::Edit);
    connect(acDelete, &QPushButton::clicked, this, &TfrmElListEditor::DeleteSelected);
    connect(acSelAll, &QPushButton::clicked, this, &TfrmElListEditor::SelectAll);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(acEdit);
    buttons->addWidget(acDelete);
    buttons->addWidget(acSelAll);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ElList, 1);
    layout->addLayout(buttons);
    resize(520, 320);
    UpdateActions();
}

void TfrmElListEditor::UpdateActions() {
    const bool rows = ElList->count() > 0;
    const bool selected = rows && !ElList->selectedItems().isEmpty();
    acEdit->setEnabled(selected);
    acDelete->setEnabled(selected);
    acSelAll->setEnabled(rows);
}

void TfrmElListEditor::Highlight() {
    const int row = ElList->currentRow();
    if (row < 0) {
        return;
    }
    m_sheet.ShowViewImage();
    if (QPainter* g = m_sheet.ViewGraphics()) {
        m_elements[std::size_t(row)]->Draw(*g, m_sheet, &m_sheet.Palette().GreenPen);
    }
}

void TfrmElListEditor::Edit() {
    const int row = ElList->currentRow();
    if (row < 0 || ElList->selectedItems().isEmpty()) {
        return;
    }
    TGraphicPrimitive* element = m_elements[std::size_t(row)];
    TElementEdit edit(m_document, m_list, *element);
    if (TfrmPrimEdit::Edit(this, *element, m_sheet.UnitDivisor(), m_sheet.GetUnitName())) {
        edit.Commit(CommandText);
        ElList->item(row)->setText(element->GetDescription(m_sheet.UnitDivisor()));
        m_sheet.ShowViewImage();
    }
}

void TfrmElListEditor::DeleteSelected() {
    if (ElList->selectedItems().isEmpty()) {
        return;
    }
    if (ui().confirm(QStringLiteral("Удалить?"), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    // One step for all the rows: they go, and come back, together.
    std::vector<std::uint32_t> handles;
    for (int row = 0; row < ElList->count(); ++row) {
        if (ElList->item(row)->isSelected()) {
            handles.push_back(m_elements[std::size_t(row)]->Handle());
        }
    }
    // From the last row to the first, so the rows left keep their elements.
    for (int row = ElList->count() - 1; row >= 0; --row) {
        if (!ElList->item(row)->isSelected()) {
            continue;
        }
        m_elements.erase(m_elements.begin() + row);
        std::unique_ptr<QListWidgetItem> item(ElList->takeItem(row));
    }
    m_document.History().push(new TDeleteElementsCommand(m_document, m_list, std::move(handles), CommandText));
    UpdateActions();
}

void TfrmElListEditor::SelectAll() {
    ElList->selectAll();
    UpdateActions();
}

} // namespace vk
