#pragma once
// The line-style box: a combo box of two items drawn as 48 x 16 pictures,
// item 0 "lsSolid" (a solid line: an outline element) and item 1 "lsDot" (a
// dotted line: a cut line).

#include <QComboBox>
#include <QPixmap>
#include <functional>

namespace vk {

class TLinesBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int PictureWidth = 48;
    static constexpr int PictureHeight = 16;

    explicit TLinesBox(QWidget* parent = nullptr);

    // The picture of item index (0 solid, 1 dotted) in the given colour.
    [[nodiscard]] static QPixmap LinePicture(int index, const QColor& color);

    // Rows and element line styles: row 0 is style 0 (solid), row 1 style 2
    // (dashed); any other style shows as row 0 and any other row gives 0.
    [[nodiscard]] static int RowOfLineStyle(int lineStyle) { return lineStyle == 2 ? 1 : 0; }
    [[nodiscard]] static int LineStyleOfRow(int row) { return row == 1 ? 2 : 0; }

    // When set, draws the items instead of the box (in the list and in the
    // box's own face).
    std::function<void(QPainter& painter, int index, const QRect& rect, bool selected)> OnDrawItem;

    // Draws item index into rect: the picture, inverted when selected.
    void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vk
