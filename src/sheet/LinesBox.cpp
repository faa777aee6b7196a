#include "sheet/LinesBox.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace vk {

namespace {

class TLinesDelegate : public QStyledItemDelegate {
public:
    explicit TLinesDelegate(TLinesBox* box) : QStyledItemDelegate(box), m_box(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
        if (m_box->OnDrawItem) {
            m_box->OnDrawItem(*painter, index.row(), option.rect, selected);
        } else {
            m_box->DrawItem(*painter, index.row(), option.rect, selected);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {TLinesBox::PictureWidth + 8, TLinesBox::PictureHeight + 4};
    }

private:
    TLinesBox* m_box;
};

} // namespace

TLinesBox::TLinesBox(QWidget* parent) : QComboBox(parent) {
    addItem(QStringLiteral("lsSolid"));
    addItem(QStringLiteral("lsDot"));
    setItemDelegate(new TLinesDelegate(this));
    setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    setMinimumWidth(PictureWidth + 40);
    setFixedHeight(sizeHint().height());
}

QPixmap TLinesBox::LinePicture(int index, const QColor& color) {
    QPixmap picture(PictureWidth, PictureHeight);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    const int y = PictureHeight / 2;
    if (index == 1) {
        // Dots of two pixels with gaps of two, like a dotted pen two pixels wide.
        for (int x = 2; x < PictureWidth - 2; x += 4) {
            p.fillRect(x, y - 1, 2, 2, color);
        }
    } else {
        p.fillRect(2, y - 1, PictureWidth - 4, 2, color);
    }
    return picture;
}

void TLinesBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const {
    // Inverted: the highlight behind, the line in the highlighted text colour.
    painter.fillRect(rect, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    const QColor ink = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QPixmap picture = LinePicture(index, ink);
    const QPoint at(rect.left() + 4, rect.top() + (rect.height() - PictureHeight) / 2);
    painter.drawPixmap(at, picture);
}

void TLinesBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0) {
        return;
    }
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (OnDrawItem) {
        OnDrawItem(painter, currentIndex(), field, false);
        return;
    }
    const QPixmap picture = LinePicture(currentIndex(), palette().color(QPalette::Text));
    painter.drawPixmap(QPoint(field.left() + 2, field.top() + (field.height() - PictureHeight) / 2), picture);
}

} // namespace vk
