#include "sheet/Box.h"

#include <QLayout>

namespace vk {

TBox::TBox(QWidget* parent) : QFrame(parent) {}

QSize TBox::sizeHint() const { return layout() ? QFrame::sizeHint() : QSize(320, 240); }

} // namespace vk
