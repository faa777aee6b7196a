#include "app/LittleDialog.h"

#include "app/DialogButtons.h"
#include "ui/EditableElement.h"
#include "ui/UserInterface.h"
#include "sheet/PrimitiveEditor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vk {

TfrmLittleDialog::TfrmLittleDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLittleDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // An editor put into the panel joins this layout (or brings its own), so
    // that the fixed window grows to hold it.
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);

    const TDialogButtons row = MakeDialogButtons(this);
    btnOk = row.Ok;
    btnCancel = row.Cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(row.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmLittleDialog::accept() {
    if (const TPrimitiveEditor* editor = Panel1->findChild<TPrimitiveEditor*>()) {
        const QString problem = editor->RangeProblem(UnitDivisor);
        if (!problem.isEmpty()) {
            ui().warning(problem);
            return;
        }
    }
    QDialog::accept();
}

bool TfrmLittleDialog::EditElement(QWidget* parent, TEditableElement& element, int unitDivisor,
                                   const QString& unitName, const QString& caption) {
    TfrmLittleDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.UnitDivisor = unitDivisor;
    element.CreateEditor(dialog.Panel1, unitDivisor, unitName);
    if (dialog.exec() == QDialog::Accepted) {
        element.ApplyEditor(unitDivisor);
        return true;
    }
    element.ReleaseEditor();
    return false;
}

} // namespace vk
