#pragma once
// The common base of every document with a shape (tile, halves set, half,
// pattern, project): a name, a library identifier, a base point that anchors
// the local coordinates of its elements, a modified flag, the element list,
// the element under the pointer, and the history of the changes made to it
// by commands.

#include "geometry/ElementList.h"
#include "geometry/Types.h"

#include <QObject>
#include <QPen>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QUndoStack;

namespace vk {

class TDrawingSheet;

class T_TnC_Ancestor : public QObject {
    Q_OBJECT
public:
    using TNameChange = std::function<void(const QString& name)>;

    explicit T_TnC_Ancestor(TNameChange onNameChange = {});
    virtual ~T_TnC_Ancestor();
    T_TnC_Ancestor(const T_TnC_Ancestor&) = delete;
    T_TnC_Ancestor& operator=(const T_TnC_Ancestor&) = delete;

    // --- coordinates: world = local + base point (set or not) ---
    [[nodiscard]] float ToWorldX(float x) const { return x + BasePoint.X; }
    [[nodiscard]] float ToWorldY(float y) const { return y + BasePoint.Y; }
    [[nodiscard]] float ToLocalX(float x) const { return x - BasePoint.X; }
    [[nodiscard]] float ToLocalY(float y) const { return y - BasePoint.Y; }
    [[nodiscard]] TPointF ToWorld(TPointF p) const { return {ToWorldX(p.X), ToWorldY(p.Y)}; }
    [[nodiscard]] TPointF ToLocal(TPointF p) const { return {ToLocalX(p.X), ToLocalY(p.Y)}; }

    void ClearBasePoint() { BasePoint = FlaggedPoint{}; }
    void SetBasePoint(float x, float y) { BasePoint = FlaggedPoint{x, y, 1}; }
    void SetName(const QString& name);
    void SetCurrent(TGraphicPrimitive* element);
    [[nodiscard]] TGraphicPrimitive* Current() const { return m_current; }
    [[nodiscard]] TElementList& Elements() { return m_elements; }
    [[nodiscard]] const TElementList& Elements() const { return m_elements; }
    [[nodiscard]] const QString& Name() const { return m_name; }
    [[nodiscard]] bool IsModified() const { return Modified; }
    void SetOnNameChange(TNameChange handler) { m_onNameChange = std::move(handler); }

    [[nodiscard]] float Area(float tol) { return TElementList::Area(*this, tol); }
    [[nodiscard]] float Perimeter() const { return TElementList::Perimeter(*this); }

    // --- virtual operations ---
    // Name (without notification), ID, base point and elements.
    virtual void Assign(const T_TnC_Ancestor& source);
    // True: the document changed (announced through Changed). False: it is
    // as its file or library row holds it now, and so is the history's
    // current state (QUndoStack::setClean).
    virtual void SetModified(bool value);
    // Descendants draw their contents, then call this for the base point.
    virtual void Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen);
    // Squares around the current element's ends; Current must be set.
    virtual void DrawSelection(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen);
    // Every element, from the last to the first.
    virtual void DrawElements(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen);
    virtual void RemoveElement(TElementList& list, TGraphicPrimitive* element);
    // Centre in local coordinates; the base returns false.
    virtual bool Rotate(TPointF centre, float angle);
    // Chooses the current element and what of it is grabbed, for a pointer at
    // p (world millimetres).
    virtual void TrackPointer(TDrawingSheet& sheet, TPointF p, float tol);
    // Loads the document and fits its stored view into the sheet.
    virtual void LoadIntoSheet(int id, TDrawingSheet& sheet);
    // Documents that live in the library load themselves; others cannot.
    virtual bool LoadFromLibrary(int id, ViewRecord& view);
    virtual bool LoadById(int id);

    // --- commands and their history ---
    // Made on first use. Modified stays true while the document differs
    // from its saved state: a change outside the history (a fill, another
    // tile) keeps it true until the next save, whatever is undone.
    [[nodiscard]] QUndoStack& History();
    [[nodiscard]] bool HasHistory() const { return m_history != nullptr; }

    // While one is alive, changes are not announced and do not count as
    // changes outside the history; when it ends, the modified state is as
    // it was before. Commands run under one (the history then judges the
    // modified flag), and so does work on temporary copies of the elements.
    class TQuietChanges {
    public:
        explicit TQuietChanges(T_TnC_Ancestor& document);
        ~TQuietChanges();
        TQuietChanges(const TQuietChanges&) = delete;
        TQuietChanges& operator=(const TQuietChanges&) = delete;

    private:
        T_TnC_Ancestor& m_document;
        bool m_modified;
        bool m_changedOutsideHistory;
    };

    std::int32_t ID = -1;
    FlaggedPoint BasePoint;
    bool Modified = false;

Q_SIGNALS:
    // The document changed: its elements, base point, anything it draws, or
    // its modified flag. Views repaint from it.
    void Changed();

private:
    void historyMoved();

    std::unique_ptr<QUndoStack> m_history;
    bool m_changedOutsideHistory = false;
    int m_quiet = 0;
    TNameChange m_onNameChange;
    QString m_name;
    TElementList m_elements;
    TGraphicPrimitive* m_current = nullptr;
};

} // namespace vk
