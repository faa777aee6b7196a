#include "sheet/PointEditor.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vk {

TPointEditor::TPointEditor(QWidget* parent) : TBox(parent) {
    const auto field = [this](const char* name) {
        auto* edit = new TJvFloatEdit3(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->SetMaxDecimals(3);
        edit->setMinimumWidth(80);
        edit->OnValueChanged = [this] {
            if (OnPointChanged) OnPointChanged();
        };
        return edit;
    };
    X = field("X");
    Y = field("Y");

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* lx = new QLabel(QStringLiteral("X"), this);
    auto* ly = new QLabel(QStringLiteral("Y"), this);
    lx->setBuddy(X);
    ly->setBuddy(Y);
    layout->addWidget(lx);
    layout->addSpacing(LetterGap);
    layout->addWidget(X, 1);
    layout->addSpacing(FieldGap);
    layout->addWidget(ly);
    layout->addSpacing(LetterGap);
    layout->addWidget(Y, 1);
}

// The fields outlive this object by a moment while the base destructor
// deletes them; a focus change then must not call back into it.
TPointEditor::~TPointEditor() {
    X->OnValueChanged = nullptr;
    Y->OnValueChanged = nullptr;
}

TPointF TPointEditor::Point() const { return {float(X->Value()), float(Y->Value())}; }

void TPointEditor::SetPoint(TPointF point) {
    X->SetValue(point.X);
    Y->SetValue(point.Y);
}

} // namespace vk
