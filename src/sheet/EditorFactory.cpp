#include "sheet/EditorFactory.h"

#include "sheet/FloatEdit.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/PointRealEditor.h"
#include "sheet/SingValEditor.h"
#include "sheet/TileArcEditor.h"
#include "sheet/TileLineEditor.h"
#include "sheet/TilePlacementEditor.h"

#include <QLocale>
#include <QPointer>

namespace vk {

namespace {

// Owns the editor widget until the element releases it; the widget may also
// go with its parent first, which the guarded pointer notices.
class THandle final : public TPropertyEditorHandle {
public:
    THandle(TEditorKind kind, TPrimitiveEditor* editor) : m_kind(kind), m_editor(editor) {}
    ~THandle() override { delete m_editor.data(); }

    [[nodiscard]] TEditorValues Values() const override {
        TEditorValues v = m_last;
        if (m_editor.isNull()) {
            return v;
        }
        switch (m_kind) {
        case TEditorKind::Line: {
            auto* e = static_cast<TTileLineEditor*>(m_editor.data());
            v.Start = e->Start->Point();
            v.Finish = e->Finish->Point();
            v.StyleRow = e->LinesBox1->currentIndex();
            break;
        }
        case TEditorKind::Arc: {
            auto* e = static_cast<TTileArcEditor*>(m_editor.data());
            v.Center = e->Center->Point();
            v.Start = e->Start->Point();
            v.Sweep = float(e->Ang->Value());
            v.Radius = float(e->R->Value());
            v.StyleRow = e->LinesBox1->currentIndex();
            break;
        }
        case TEditorKind::Point:
            v.Point = static_cast<TPointRealEditor*>(m_editor.data())->PointEditor1->Point();
            break;
        case TEditorKind::Placement: {
            auto* e = static_cast<TTilePlacementEditor*>(m_editor.data());
            v.TileAngle = float(e->TileAngle->Value());
            v.TP = e->TP->Point();
            v.PP = e->PP->Point();
            break;
        }
        }
        return v;
    }

    TEditorValues m_last;

private:
    TEditorKind m_kind;
    QPointer<TPrimitiveEditor> m_editor;
};

// "%g": the shortest form, with the user's decimal separator.
QString general(float value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(value), 'g', 7);
}

} // namespace

std::unique_ptr<TPropertyEditorHandle> TWidgetEditorFactory::Create(TEditorKind kind,
                                                                    QWidget* parent,
                                                                    const QString& unitName,
                                                                    int helpContext,
                                                                    const TEditorValues& v) {
    TPrimitiveEditor* editor = nullptr;
    switch (kind) {
    case TEditorKind::Line: {
        auto* e = new TTileLineEditor(parent);
        e->Start->SetPoint(v.Start);
        e->Finish->SetPoint(v.Finish);
        e->LinesBox1->setCurrentIndex(v.StyleRow);
        editor = e;
        break;
    }
    case TEditorKind::Arc: {
        auto* e = new TTileArcEditor(parent);
        e->Center->SetPoint(v.Center);
        e->Start->SetPoint(v.Start);
        e->Ang->SetValue(v.Sweep);
        e->R->SetValue(v.Radius);
        e->LinesBox1->setCurrentIndex(v.StyleRow);
        editor = e;
        break;
    }
    case TEditorKind::Point: {
        auto* e = new TPointRealEditor(parent);
        e->PointEditor1->SetPoint(v.Point);
        editor = e;
        break;
    }
    case TEditorKind::Placement: {
        auto* e = new TTilePlacementEditor(parent);
        e->TileAngle->setText(general(v.TileAngle));
        e->TP->SetPoint(v.TP);
        e->PP->SetPoint(v.PP);
        editor = e;
        break;
    }
    }
    editor->SetUnitName(unitName);
    if (helpContext != 0) {
        editor->SetHelpContext(helpContext);
    }
    editor->AlignClient();
    editor->Recalculate();
    editor->show();
    auto handle = std::make_unique<THandle>(kind, editor);
    handle->m_last = v;
    return handle;
}

void InstallWidgetEditorFactory() {
    static TWidgetEditorFactory factory;
    setEditorFactory(&factory);
}

} // namespace vk
