#include "sheet/TileLineEditor.h"

#include "geometry/VectorMath.h"
#include "sheet/EditorLayout.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/SingValEditor.h"

#include <QLabel>

namespace vk {

TTileLineEditor::TTileLineEditor(QWidget* parent) : TPrimitiveEditor(parent) {
    SetHelpContext(HelpNumber(HelpContextId));
    TEditorGrid grid(this);
    Start = grid.pointRow(QStringLiteral("Начало"), "Start");
    lblScSign1 = grid.unit(addUnitLabel("lblScSign1"));
    Finish = grid.pointRow(QStringLiteral("Конец"), "Finish");
    lblScSign2 = grid.unit(addUnitLabel("lblScSign2"));
    Len = grid.valueRow(QStringLiteral("Длина"), "Len");
    lblScSign3 = grid.unit(addUnitLabel("lblScSign3"));
    AngToX = grid.valueRow(QStringLiteral("Угол наклона к оси Х"), "AngToX");
    LinesBox1 = grid.linesRow("LinesBox1");
    grid.finish();
    AngToX->setProperty("angle", true);

    Start->OnPointChanged = [this] { StartPointChanged(); };
    Finish->OnPointChanged = [this] { FinishPointChanged(); };
    Len->OnValueChanged = [this] { LenValueChanged(); };
    AngToX->OnValueChanged = [this] { AngToXValueChanged(); };
}

TTileLineEditor::~TTileLineEditor() {
    Start->OnPointChanged = nullptr;
    Finish->OnPointChanged = nullptr;
    Len->OnValueChanged = nullptr;
    AngToX->OnValueChanged = nullptr;
}

void TTileLineEditor::Recalculate() {
    const TPointF s = Start->Point();
    const TPointF e = Finish->Point();
    Len->SetValue(Distance(s, e));
    AngToX->SetValue(AngleOf(s, e));
}

void TTileLineEditor::StartPointChanged() { Recalculate(); }

void TTileLineEditor::FinishPointChanged() { Recalculate(); }

void TTileLineEditor::LenValueChanged() {
    Finish->SetPoint(PointAtDistance(Start->Point(), Finish->Point(), float(Len->Value())));
}

void TTileLineEditor::AngToXValueChanged() {
    Finish->SetPoint(PointAtAngle(Start->Point(), Finish->Point(), float(AngToX->Value())));
}

} // namespace vk
