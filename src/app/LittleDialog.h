#pragma once
// The small dialog: a fixed window with an empty panel across its top, into
// which a caller puts an editor, and "OK" and "Cancel" below it. The caller
// sets the caption. The main window edits the start point in it.

#include <QDialog>

class QPushButton;

namespace vk {

class TEditableElement;

class TfrmLittleDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLittleDialog(QWidget* parent = nullptr);

    // The whole round for an element: it creates its property editor in
    // Panel1, the dialog is shown modally with `caption`; on "OK" the element
    // applies the edited values (true), otherwise it drops its editor before
    // the dialog and the editor's widgets are freed (false).
    static bool EditElement(QWidget* parent, TEditableElement& element, int unitDivisor,
                            const QString& unitName, const QString& caption);

    // What the editor's lengths are divided by; its numbers are checked
    // against the model's range before "OK" closes the dialog.
    int UnitDivisor = 1;
    void accept() override;

    QWidget* Panel1 = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace vk
