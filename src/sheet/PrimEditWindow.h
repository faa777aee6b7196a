#pragma once
// The element editor window: hosts the property editor that an element
// creates in pnlEditorBox. "Сохранить" applies it, "Отмена" drops it.

#include "ui/HelpContext.h"

#include <QDialog>

class QPushButton;
class QString;

namespace vk {

class TEditableElement;

class TfrmPrimEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::ElementEditing;

    explicit TfrmPrimEdit(QWidget* owner = nullptr);
    // A window freed with its editor still open releases it first.
    ~TfrmPrimEdit() override;

    // The element being edited and the divisor its editor was filled with.
    void SetElement(TEditableElement* element, int unitDivisor);
    [[nodiscard]] TEditableElement* Element() const { return m_element; }
    [[nodiscard]] int UnitDivisor() const { return m_unitDivisor; }

    // The whole round: the element creates its editor in pnlEditorBox, the
    // window is shown modally. True when the user saved.
    static bool Edit(QWidget* owner, TEditableElement& element, int unitDivisor, const QString& unitName);

    // "Сохранить": the element applies its editor; the answer is OK.
    void accept() override;
    // "Отмена", Esc and the close box: the element releases its editor, so
    // that it never keeps a pointer to a widget this window is about to free.
    void reject() override;

    QWidget* pnlEditorBox = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TEditableElement* m_element = nullptr;
    int m_unitDivisor = 1;
    bool m_editorOpen = false;
};

} // namespace vk
