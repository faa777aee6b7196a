#pragma once
// Printing through Qt's print preview: the user sees the pages, chooses the
// printer and its page setup there, and prints from it.

#include "exchange/PlanPrint.h"

#include <QStringList>
#include <functional>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace vk {

class TProject;

// Pages drawn by `paint` on the printer's painter and device; what the
// preview shows and prints. The preview's window is named "PrintPreview".
void ShowPrintPreview(QWidget* parent, const QString& caption,
                      const std::function<void(QPainter&, QPagedPaintDevice&)>& paint);

// The project's plan with `options`. A plan that cannot be printed (nothing
// drawn, no print region) is said in a warning and no preview opens; false then.
bool PreviewProject(QWidget* parent, TProject& project, const TPrintOptions& options);

// Pages of text: a title over its lines (the materials list, the report).
void PreviewText(QWidget* parent, const QString& title, const QStringList& lines);

// A document made as HTML (a table with its colours), laid out on the
// printer's pages.
void PreviewHtml(QWidget* parent, const QString& title, const QString& html);

} // namespace vk
