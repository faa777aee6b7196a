#pragma once
// The plain panel that the property editors are built on.

#include <QFrame>

namespace vk {

class TBox : public QFrame {
    Q_OBJECT
public:
    explicit TBox(QWidget* parent = nullptr);

    // A box with a layout asks for what its layout needs; a bare box is
    // 320 x 240.
    [[nodiscard]] QSize sizeHint() const override;
};

} // namespace vk
