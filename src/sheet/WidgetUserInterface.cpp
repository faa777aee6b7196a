#include "sheet/WidgetUserInterface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

namespace vk {

namespace {
QWidget* dialogParent() { return QApplication::activeWindow(); }

// Modal to the window it belongs to, so the user can only watch or stop;
// every report lets the windows repaint (the file dialog just closed must
// not stay drawn over the main window), at most some twenty times a second.
class TDialogProgress final : public TProgress {
public:
    TDialogProgress(const QString& text, qint64 total, bool cancellable)
        : m_dialog(text, QStringLiteral("Отмена"), 0, 1000, dialogParent()), m_total(std::max<qint64>(total, 1)),
          m_cancellable(cancellable) {
        m_dialog.setWindowTitle(QApplication::applicationDisplayName());
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumDuration(300);
        if (!cancellable) {
            m_dialog.setCancelButton(nullptr);
        }
        m_dialog.setValue(0);
        m_sinceEvents.start();
    }

    bool report(qint64 done) override {
        if (m_sinceEvents.elapsed() >= 50) {
            m_dialog.setValue(int(std::clamp<qint64>(done * 1000 / m_total, 0, 1000)));
            QCoreApplication::processEvents();
            m_sinceEvents.restart();
        }
        return !m_cancellable || !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    qint64 m_total;
    bool m_cancellable;
    QElapsedTimer m_sinceEvents;
};
} // namespace

std::unique_ptr<TProgress> TWidgetUserInterface::progress(const QString& text, qint64 total, bool cancellable) {
    return std::make_unique<TDialogProgress>(text, total, cancellable);
}

TAnswer TWidgetUserInterface::message(TMessageKind kind, const QString& text, TButtons buttons) {
    QMessageBox box(dialogParent());
    switch (kind) {
    case TMessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Предупреждение"));
        break;
    case TMessageKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Информация"));
        break;
    case TMessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Подтверждение"));
        break;
    case TMessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Ошибка"));
        break;
    }
    box.setText(text);
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    switch (buttons) {
    case TButtons::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        break;
    case TButtons::OkCancel:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        break;
    case TButtons::YesNo:
        yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        break;
    case TButtons::YesNoCancel:
        yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        break;
    }
    if (cancel != nullptr) {
        box.setEscapeButton(cancel);
    } else if (no != nullptr) {
        box.setEscapeButton(no);
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == yes && yes != nullptr) return TAnswer::Yes;
    if (clicked == no && no != nullptr) return TAnswer::No;
    if (clicked == ok && ok != nullptr) return TAnswer::Ok;
    return cancel != nullptr ? TAnswer::Cancel : (no != nullptr ? TAnswer::No : TAnswer::Ok);
}

std::optional<QString> TWidgetUserInterface::inputText(const QString& caption,
                                                       const QString& prompt,
                                                       const QString& value) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<QString> TWidgetUserInterface::saveFileName(const QString& caption, const QString& folder,
                                                           const QString& filter, const QString& name) {
    // The project asks before it replaces a file: the dialog does not.
    const QString start = name.isEmpty() ? folder : QDir(folder).filePath(name);
    const QString chosen = QFileDialog::getSaveFileName(dialogParent(), caption, start, QtFileFilter(filter), nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QString> TWidgetUserInterface::openFileName(const QString& caption, const QString& folder,
                                                           const QString& filter) {
    const QString chosen = QFileDialog::getOpenFileName(dialogParent(), caption, folder, QtFileFilter(filter));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

} // namespace vk
