#include "app/EditComment.h"

#include "app/DialogButtons.h"
#include "app/HelpViewer.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

namespace vk {

TfrmEditComment::TfrmEditComment(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditComment"));
    setWindowTitle(QStringLiteral("Комментарий к проекту"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    setProperty("helpContext", m_helpContext);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    // Enter starts a new line, Tab leaves the box for the buttons.
    Memo->setTabChangesFocus(true);

    const TDialogButtons row = MakeDialogButtons(this, [this] { ShowHelp(m_helpContext); });
    btnOk = row.Ok;
    btnCancel = row.Cancel;
    btnHelp = row.Help;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo, 1);
    layout->addLayout(row.Row);

    resize(460, 300);
    Memo->setFocus();
}

void TfrmEditComment::SetHelpContext(int context) {
    m_helpContext = context;
    setProperty("helpContext", context);
}

void TfrmEditComment::SetText(const QString& comment) {
    // Comments written elsewhere may carry "\r\n" or a lone "\r"; the text
    // box shows every form as a line break, and the form is given back on
    // OK so that an untouched comment stays byte for byte the same.
    if (comment.contains(QStringLiteral("\r\n"))) {
        m_lineBreak = QStringLiteral("\r\n");
    } else if (comment.contains(QChar('\r'))) {
        m_lineBreak = QStringLiteral("\r");
    } else {
        m_lineBreak = QStringLiteral("\n");
    }
    QString shown = comment;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    Memo->setPlainText(shown);
}

QString TfrmEditComment::Text() const {
    QString text = Memo->toPlainText();
    if (m_lineBreak != QStringLiteral("\n")) {
        text.replace(QChar('\n'), m_lineBreak);
    }
    return text;
}

bool EditComment(QWidget* parent, QString& comment, const QString& caption, int helpContext) {
    TfrmEditComment dialog(parent);
    if (!caption.isEmpty()) {
        dialog.setWindowTitle(caption);
    }
    dialog.SetHelpContext(helpContext);
    dialog.SetText(comment);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    comment = dialog.Text();
    return true;
}

} // namespace vk
