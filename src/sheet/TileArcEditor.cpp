#include "sheet/TileArcEditor.h"

#include "geometry/VectorMath.h"
#include "sheet/EditorLayout.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/SingValEditor.h"

#include <QLabel>

namespace vk {

TTileArcEditor::TTileArcEditor(QWidget* parent) : TPrimitiveEditor(parent) {
    SetHelpContext(HelpNumber(HelpContextId));
    TEditorGrid grid(this);
    Center = grid.pointRow(QStringLiteral("Центр"), "Center");
    lblScSign1 = grid.unit(addUnitLabel("lblScSign1"));
    Start = grid.pointRow(QStringLiteral("Начало"), "Start");
    lblScSign2 = grid.unit(addUnitLabel("lblScSign2"));
    Finish = grid.pointRow(QStringLiteral("Конец"), "Finish");
    lblScSign3 = grid.unit(addUnitLabel("lblScSign3"));
    R = grid.valueRow(QStringLiteral("Радиус"), "R");
    lblScSign4 = grid.unit(addUnitLabel("lblScSign4"));
    Len = grid.valueRow(QStringLiteral("Длина"), "Len");
    lblScSign5 = grid.unit(addUnitLabel("lblScSign5"));
    Ang = grid.valueRow(QStringLiteral("Угол поворота"), "Ang");
    AngleToX = grid.valueRow(QStringLiteral("Угол начала к оси Х"), "AngleToX");
    LinesBox1 = grid.linesRow("LinesBox1");
    grid.finish();
    Ang->setProperty("angle", true);
    AngleToX->setProperty("angle", true);

    Center->OnPointChanged = [this] { CenterPointChanged(); };
    Start->OnPointChanged = [this] { StartPointChanged(); };
    Finish->OnPointChanged = [this] { FinishPointChanged(); };
    R->OnValueChanged = [this] { RValueChanged(); };
    Len->OnValueChanged = [this] { LenValueChanged(); };
    Ang->OnValueChanged = [this] { AngValueChanged(); };
    AngleToX->OnValueChanged = [this] { AngleToXValueChanged(); };
}

// The children are deleted after this body: a focus change on the way must
// not reach the handlers.
TTileArcEditor::~TTileArcEditor() {
    Center->OnPointChanged = nullptr;
    Start->OnPointChanged = nullptr;
    Finish->OnPointChanged = nullptr;
    R->OnValueChanged = nullptr;
    Len->OnValueChanged = nullptr;
    Ang->OnValueChanged = nullptr;
    AngleToX->OnValueChanged = nullptr;
}

void TTileArcEditor::Recalculate() {
    const TPointF c = Center->Point();
    const TPointF s = Start->Point();
    const float w = float(Ang->Value());
    Finish->SetPoint(RotateAroundPoint(c, s, w));
    Len->SetValue(ArcLength(float(R->Value()), w));
    AngleToX->SetValue(AngleOf(c, s));
}

void TTileArcEditor::CenterPointChanged() {
    const TArcEnds ends = ArcEndPoints(Center->Point(), float(R->Value()), float(AngleToX->Value()),
                                       float(Ang->Value()));
    Start->SetPoint(ends.StartPoint);
    Finish->SetPoint(ends.EndPoint);
}

void TTileArcEditor::StartPointChanged() {
    const TArcFromStart arc = ArcFromCentreAndStart(Center->Point(), Start->Point(), float(Ang->Value()));
    R->SetValue(arc.Radius);
    AngleToX->SetValue(arc.StartAngle);
    Finish->SetPoint(arc.EndPoint);
    Len->SetValue(arc.Length);
}

void TTileArcEditor::FinishPointChanged() {
    const TArcToPoint arc = ArcToPoint(Center->Point(), Start->Point(), Finish->Point());
    R->SetValue(arc.Radius);
    Start->SetPoint(arc.StartPoint);
    Ang->SetValue(arc.Sweep);
    Len->SetValue(arc.Length);
}

void TTileArcEditor::RValueChanged() {
    const TArcPointsAndLength arc =
        ArcPointsAndLength(Center->Point(), float(R->Value()), Start->Point(), float(Ang->Value()));
    Start->SetPoint(arc.StartPoint);
    Finish->SetPoint(arc.EndPoint);
    Len->SetValue(arc.Length);
}

void TTileArcEditor::LenValueChanged() {
    const TSweepFromLength arc =
        SweepFromLength(Center->Point(), Start->Point(), float(R->Value()), float(Len->Value()));
    Ang->SetValue(arc.Sweep);
    Finish->SetPoint(arc.EndPoint);
}

void TTileArcEditor::AngValueChanged() {
    const TArcEndAndLength arc =
        ArcEndAndLength(Center->Point(), float(R->Value()), float(AngleToX->Value()), float(Ang->Value()));
    Finish->SetPoint(arc.EndPoint);
    Len->SetValue(arc.Length);
}

void TTileArcEditor::AngleToXValueChanged() {
    const TArcEnds ends = ArcEndPoints(Center->Point(), float(R->Value()), float(AngleToX->Value()),
                                       float(Ang->Value()));
    Start->SetPoint(ends.StartPoint);
    Finish->SetPoint(ends.EndPoint);
}

} // namespace vk
