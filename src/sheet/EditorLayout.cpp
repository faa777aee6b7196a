#include "sheet/EditorLayout.h"

#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/SingValEditor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace vk {

namespace {
constexpr int kLabelColumn = 0;
constexpr int kFieldColumn = 1;
constexpr int kUnitColumn = 2;

// Column 1 holds point editors ("X" field "Y" field). A single value sits in
// a row laid out like a point editor's, with blanks for the two letters and
// for the Y field, so that it lines up with the X fields above it and is as
// wide as they are.
QWidget* underTheXField(QWidget* owner, QWidget* field) {
    auto* row = new QWidget(owner);
    field->setParent(row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto letterWidth = [row](const char* letter) {
        return QLabel(QString::fromLatin1(letter), row).sizeHint().width();
    };
    layout->addSpacing(letterWidth("X") + TPointEditor::LetterGap);
    layout->addWidget(field, 1);
    layout->addSpacing(TPointEditor::FieldGap + letterWidth("Y") + TPointEditor::LetterGap);
    layout->addStretch(1);
    return row;
}
} // namespace

TEditorGrid::TEditorGrid(QWidget* owner) : m_owner(owner), m_grid(new QGridLayout(owner)) {
    m_grid->setContentsMargins(8, 8, 8, 8);
    m_grid->setHorizontalSpacing(8);
    m_grid->setVerticalSpacing(6);
    m_grid->setColumnStretch(kFieldColumn, 1);
}

QLabel* TEditorGrid::label(const QString& text) {
    auto* l = new QLabel(text, m_owner);
    return l;
}

TPointEditor* TEditorGrid::pointRow(const QString& text, const char* name) {
    ++m_row;
    auto* editor = new TPointEditor(m_owner);
    editor->setObjectName(QString::fromLatin1(name));
    QLabel* l = label(text);
    l->setBuddy(editor->X);
    m_grid->addWidget(l, m_row, kLabelColumn);
    m_grid->addWidget(editor, m_row, kFieldColumn);
    return editor;
}

TSingValEditor* TEditorGrid::valueRow(const QString& text, const char* name) {
    ++m_row;
    auto* editor = new TSingValEditor(m_owner);
    editor->setObjectName(QString::fromLatin1(name));
    QLabel* l = label(text);
    l->setBuddy(editor);
    m_grid->addWidget(l, m_row, kLabelColumn);
    m_grid->addWidget(underTheXField(m_owner, editor), m_row, kFieldColumn);
    return editor;
}

TJvFloatEdit3* TEditorGrid::numberRow(const QString& text, const char* name, int maxDecimals) {
    ++m_row;
    auto* editor = new TJvFloatEdit3(m_owner);
    editor->setObjectName(QString::fromLatin1(name));
    editor->SetMaxDecimals(maxDecimals);
    editor->setMinimumWidth(80);
    QLabel* l = label(text);
    l->setBuddy(editor);
    m_grid->addWidget(l, m_row, kLabelColumn);
    m_grid->addWidget(editor, m_row, kFieldColumn);
    return editor;
}

TLinesBox* TEditorGrid::linesRow(const char* name) {
    ++m_row;
    auto* box = new TLinesBox(m_owner);
    box->setObjectName(QString::fromLatin1(name));
    m_grid->addWidget(underTheXField(m_owner, box), m_row, kFieldColumn);
    return box;
}

void TEditorGrid::captionRow(const QString& text) {
    ++m_row;
    m_grid->addWidget(label(text), m_row, kLabelColumn, 1, 3);
}

TPointEditor* TEditorGrid::bareRow(const char* name) {
    ++m_row;
    auto* editor = new TPointEditor(m_owner);
    editor->setObjectName(QString::fromLatin1(name));
    m_grid->addWidget(editor, m_row, kLabelColumn, 1, 2);
    return editor;
}

QLabel* TEditorGrid::unit(QLabel* unitLabel) {
    m_grid->addWidget(unitLabel, m_row, kUnitColumn);
    return unitLabel;
}

void TEditorGrid::finish() { m_grid->setRowStretch(m_row + 1, 1); }

} // namespace vk
