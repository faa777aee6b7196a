#pragma once
// Printing a page of text (a table, a list) made as HTML: shown in a print
// preview, from which the user prints it.

#include <QString>

class QWidget;

namespace vk {

void PreviewTextDocument(QWidget* parent, const QString& title, const QString& html);

} // namespace vk
