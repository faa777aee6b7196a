#pragma once
// Rows of a property editor: a label, the field (a point or a single value)
// and, beside length fields, the unit label. Used by the editors only.

#include <QString>

class QGridLayout;
class QLabel;
class QWidget;

namespace vk {

class TJvFloatEdit3;
class TLinesBox;
class TPointEditor;
class TSingValEditor;

class TEditorGrid {
public:
    explicit TEditorGrid(QWidget* owner);

    TPointEditor* pointRow(const QString& label, const char* name);
    TSingValEditor* valueRow(const QString& label, const char* name);
    TJvFloatEdit3* numberRow(const QString& label, const char* name, int maxDecimals);
    TLinesBox* linesRow(const char* name);
    // A caption on a row of its own, above the field that follows.
    void captionRow(const QString& label);
    // A field on its own row, without a label.
    TPointEditor* bareRow(const char* name);
    // Puts the unit label beside the field of the last row.
    QLabel* unit(QLabel* label);
    // Keeps the rows together at the top when the editor grows.
    void finish();

private:
    QLabel* label(const QString& text);

    QWidget* m_owner;
    QGridLayout* m_grid;
    int m_row = -1;
};

} // namespace vk
