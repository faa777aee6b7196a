#include "sheet/FloatingPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace vk {

TFloatingPanel::TFloatingPanel(const QString& caption, int captionPointSize, QWidget* parent)
    : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);

    m_caption = new QWidget(this);
    m_caption->setAutoFillBackground(true);
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::Window, QColor(0, 0, 128));
    m_caption->setPalette(captionPalette);
    m_caption->setCursor(Qt::SizeAllCursor);
    m_caption->installEventFilter(this);

    m_title = new QLabel(caption, m_caption);
    QFont titleFont(QStringLiteral("Arial"), captionPointSize);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(titlePalette);

    m_close = new QToolButton(m_caption);
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_close->setFixedSize(16, 16);
    QPalette closePalette = titlePalette;
    closePalette.setColor(QPalette::ButtonText, Qt::white);
    closePalette.setColor(QPalette::Button, QColor(0, 0, 128));
    m_close->setPalette(closePalette);
    QFont closeFont = titleFont;
    closeFont.setPointSize(captionPointSize + 2);
    m_close->setFont(closeFont);
    m_close->setToolTip(QStringLiteral("Закрыть"));
    connect(m_close, &QToolButton::clicked, this, [this] {
        hide();
        emit closeClicked();
    });

    auto* captionLayout = new QHBoxLayout(m_caption);
    captionLayout->setContentsMargins(4, 1, 1, 1);
    captionLayout->addWidget(m_title, 1);
    captionLayout->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
}

void TFloatingPanel::SetBody(QWidget* body) {
    body->setParent(this);
    static_cast<QVBoxLayout*>(layout())->addWidget(body, 1);
    m_body = body;
}

bool TFloatingPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_caption) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = e->globalPosition().toPoint() - pos();
                raise();
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging) {
                auto* e = static_cast<QMouseEvent*>(event);
                QPoint target = e->globalPosition().toPoint() - m_dragOffset;
                if (parentWidget() != nullptr) {
                    const QRect area = parentWidget()->rect();
                    target.setX(std::clamp(target.x(), 0, std::max(0, area.width() - width())));
                    target.setY(std::clamp(target.y(), 0, std::max(0, area.height() - height())));
                }
                move(target);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace vk
