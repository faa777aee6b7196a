#pragma once
// A small captioned panel that floats over the view: a coloured caption with
// a close button above a body. The caption can be dragged to move it.

#include <QFrame>

class QLabel;
class QToolButton;

namespace vk {

class TFloatingPanel : public QFrame {
    Q_OBJECT
public:
    TFloatingPanel(const QString& caption, int captionPointSize, QWidget* parent);

    void SetBody(QWidget* body);
    [[nodiscard]] QWidget* Body() const { return m_body; }
    [[nodiscard]] QToolButton* CloseButton() const { return m_close; }

signals:
    // The close button was pressed; the panel is already hidden.
    void closeClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_caption = nullptr;
    QLabel* m_title = nullptr;
    QToolButton* m_close = nullptr;
    QWidget* m_body = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace vk
