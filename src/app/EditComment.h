#pragma once
// The comment dialog: a multi-line text box over "OK", "Cancel" and "Помощь".
// The main window edits the project's comment with it; the caption and the
// help context can be changed for other documents.

#include "ui/HelpContext.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace vk {

class TfrmEditComment : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::ProjectComment;

    explicit TfrmEditComment(QWidget* parent = nullptr);

    // The help topic that "Помощь" opens; 46 unless changed.
    void SetHelpContext(int context);
    [[nodiscard]] int HelpContextNumber() const { return m_helpContext; }

    // The text box shows `comment` with its line breaks, whichever form they
    // take; Text() gives the edited text back with the breaks in the form the
    // shown comment used ("\n" when it had none).
    void SetText(const QString& comment);
    [[nodiscard]] QString Text() const;

    QPlainTextEdit* Memo = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

private:
    int m_helpContext = HelpNumber(HelpContext);
    QString m_lineBreak = QStringLiteral("\n");
};

// Shows the comment dialog modally over `parent` with `comment` in its text
// box. On "OK" the comment becomes the edited text and the answer is true; on
// "Cancel" (or Esc, or the close box) the comment stays as it was and the
// answer is false. An empty caption keeps "Комментарий к проекту".
bool EditComment(QWidget* parent, QString& comment, const QString& caption = QString(),
                 int helpContext = HelpNumber(TfrmEditComment::HelpContext));

} // namespace vk
