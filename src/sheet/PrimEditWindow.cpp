#include "sheet/PrimEditWindow.h"

#include "ui/EditableElement.h"
#include "ui/UserInterface.h"
#include "sheet/PrimitiveEditor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

namespace vk {

TfrmPrimEdit::TfrmPrimEdit(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmPrimEdit"));
    // A resizable tool window without caption text.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString());
    SetHelpContextOf(*this, HelpContext);
    setSizeGripEnabled(true);

    pnlEditorBox = new QWidget(this);
    pnlEditorBox->setObjectName(QStringLiteral("pnlEditorBox"));
    auto* boxLayout = new QVBoxLayout(pnlEditorBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    btnSave = new QPushButton(QStringLiteral("Сохранить"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter belongs to the number fields (it commits the value); it must not
    // save the element behind the user's back.
    btnSave->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    connect(btnSave, &QPushButton::clicked, this, &TfrmPrimEdit::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmPrimEdit::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlEditorBox, 1);
    layout->addLayout(buttons);
}

TfrmPrimEdit::~TfrmPrimEdit() {
    if (m_element && m_editorOpen) {
        m_element->ReleaseEditor();
    }
}

void TfrmPrimEdit::SetElement(TEditableElement* element, int unitDivisor) {
    m_element = element;
    m_unitDivisor = unitDivisor;
    m_editorOpen = element != nullptr;
}

bool TfrmPrimEdit::Edit(QWidget* owner, TEditableElement& element, int unitDivisor, const QString& unitName) {
    TfrmPrimEdit window(owner);
    window.SetElement(&element, unitDivisor);
    element.CreateEditor(window.pnlEditorBox, unitDivisor, unitName);
    return window.exec() == QDialog::Accepted;
}

void TfrmPrimEdit::accept() {
    // Numbers beyond what the model holds are refused; the window stays
    // open with the values as typed.
    if (const TPrimitiveEditor* editor = pnlEditorBox->findChild<TPrimitiveEditor*>(); editor && m_editorOpen) {
        const QString problem = editor->RangeProblem(m_unitDivisor);
        if (!problem.isEmpty()) {
            ui().warning(problem);
            return;
        }
    }
    if (m_element && m_editorOpen) {
        m_editorOpen = false;
        m_element->ApplyEditor(m_unitDivisor);
    }
    QDialog::accept();
}

void TfrmPrimEdit::reject() {
    if (m_element && m_editorOpen) {
        m_editorOpen = false;
        m_element->ReleaseEditor();
    }
    QDialog::reject();
}

} // namespace vk
