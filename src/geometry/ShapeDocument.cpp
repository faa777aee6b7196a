#include "geometry/ShapeDocument.h"

#include "geometry/ViewOnlyStep.h"
#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"

#include <QPainter>
#include <QUndoStack>
#include <algorithm>

namespace vk {

T_TnC_Ancestor::T_TnC_Ancestor(TNameChange onNameChange)
    : m_onNameChange(std::move(onNameChange)), m_elements(this) {}

T_TnC_Ancestor::~T_TnC_Ancestor() {
    // The commands go first, while the elements they were made for are
    // still there; clearing the history then tells this document nothing.
    if (m_history) {
        m_history->disconnect(this);
        m_history.reset();
    }
    m_current = nullptr;
    m_elements.Clear();
    // A window listening for the name clears its caption.
    SetName(QString());
}

void T_TnC_Ancestor::SetName(const QString& name) {
    m_name = name;
    if (m_onNameChange) {
        m_onNameChange(name);
    }
}

void T_TnC_Ancestor::SetModified(bool value) {
    Modified = value;
    if (m_quiet > 0) {
        return;
    }
    m_changedOutsideHistory = value;
    if (!value && m_history) {
        m_history->setClean();
    }
    emit Changed();
}

QUndoStack& T_TnC_Ancestor::History() {
    if (!m_history) {
        m_history = std::make_unique<QUndoStack>();
        connect(m_history.get(), &QUndoStack::indexChanged, this, &T_TnC_Ancestor::historyMoved);
        connect(m_history.get(), &QUndoStack::cleanChanged, this, &T_TnC_Ancestor::historyMoved);
    }
    return *m_history;
}

void T_TnC_Ancestor::historyMoved() {
    bool clean = m_history->isClean();
    const int cleanIndex = m_history->cleanIndex();
    if (!clean && cleanIndex >= 0) {
        clean = true;
        const int index = m_history->index();
        for (int i = std::min(index, cleanIndex); i < std::max(index, cleanIndex) && clean; ++i) {
            clean = dynamic_cast<const TViewOnlyStep*>(m_history->command(i)) != nullptr;
        }
    }
    Modified = m_changedOutsideHistory || !clean;
    emit Changed();
}

T_TnC_Ancestor::TQuietChanges::TQuietChanges(T_TnC_Ancestor& document)
    : m_document(document), m_modified(document.Modified),
      m_changedOutsideHistory(document.m_changedOutsideHistory) {
    ++document.m_quiet;
}

T_TnC_Ancestor::TQuietChanges::~TQuietChanges() {
    --m_document.m_quiet;
    m_document.Modified = m_modified;
    m_document.m_changedOutsideHistory = m_changedOutsideHistory;
}

void T_TnC_Ancestor::SetCurrent(TGraphicPrimitive* element) {
    if (m_current != nullptr) {
        m_current->SetCurrentActive(element != nullptr);
    }
    m_current = element;
}

void T_TnC_Ancestor::Assign(const T_TnC_Ancestor& source) {
    m_name = source.m_name;
    ID = source.ID;
    BasePoint = source.BasePoint;
    m_elements.CopyFrom(source.m_elements, true);
}

void T_TnC_Ancestor::Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint,
                          const QPen*) {
    if (showBasePoint && BasePoint.isSet()) {
        // The marker takes local coordinates: the base point is local (0, 0).
        DrawCrossMarker(graphics, sheet, TPointF{0.0f, 0.0f}, &sheet.Palette().RedPen, *this);
    }
}

void T_TnC_Ancestor::DrawSelection(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen) {
    if (m_current == nullptr) {
        return;
    }
    const float h = sheet.PickTolerance();
    graphics.setPen(pen);
    graphics.setBrush(Qt::NoBrush);
    for (TPointF p : {m_current->GetStartPoint(), m_current->GetEndPoint()}) {
        graphics.drawRect(QRectF(p.X - h, p.Y - h, 2.0 * h, 2.0 * h));
    }
}

void T_TnC_Ancestor::DrawElements(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) {
    for (int i = m_elements.Count() - 1; i >= 0; --i) {
        m_elements.Items(i)->Draw(graphics, sheet, pen);
    }
}

void T_TnC_Ancestor::RemoveElement(TElementList& list, TGraphicPrimitive* element) {
    list.DeleteElement(element, true);
}

bool T_TnC_Ancestor::Rotate(TPointF centre, float angle) {
    for (int i = 0; i < m_elements.Count(); ++i) {
        m_elements.Items(i)->Rotate(centre, angle);
    }
    return false;
}

void T_TnC_Ancestor::TrackPointer(TDrawingSheet& sheet, TPointF p, float tol) {
    if (m_current != nullptr) {
        m_current->HitTestHandles(p, tol);
        if (m_current->GrabFlags & (gfStart | gfEnd | gfCentre)) {
            m_current->DragAnchor = p;
            return;
        }
    }
    SetCurrent(nullptr);
    TGraphicPrimitive* best = nullptr;
    float bestDistance = 1e9f;
    for (int i = 0; i < m_elements.Count(); ++i) {
        const float d = m_elements.Items(i)->DistanceTo(p);
        if (d != -1.0f && d < bestDistance) {
            bestDistance = d;
            best = m_elements.Items(i);
        }
    }
    if (best != nullptr && bestDistance <= tol) {
        SetCurrent(best);
    }
    if (m_current != nullptr) {
        m_current->HitTestHandles(p, tol);
        m_current->DragAnchor = p;
        m_current->GrabFlags |= gfWhole;
        sheet.SetElementInfo(m_current->GetInfo(sheet.UnitDivisor()));
    } else {
        sheet.ClearElementInfo();
    }
}

void T_TnC_Ancestor::LoadIntoSheet(int id, TDrawingSheet& sheet) {
    ViewRecord view;
    view.Scale = -1.0f;
    LoadFromLibrary(id, view);
    if (view.Scale == -1.0f) {
        view = ViewRecord{600, 600, 300, 300, 1, 0, 0};
    }
    const QSizeF page = sheet.ViewSizeMillimetres();
    float s = 1.0f;
    if (view.SizeX > 0 && view.SizeY > 0 && page.width() > 0 && page.height() > 0) {
        s = float(std::min(page.width() / view.SizeX, page.height() / view.SizeY));
    }
    view.Scale = s;
    sheet.SetView(view);
    sheet.InvalidateView();
}

bool T_TnC_Ancestor::LoadFromLibrary(int, ViewRecord&) { return false; }

bool T_TnC_Ancestor::LoadById(int id) {
    ViewRecord view;
    return LoadFromLibrary(id, view);
}

} // namespace vk
