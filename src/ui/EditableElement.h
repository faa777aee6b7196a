#pragma once
// What the element editor window needs of an element: create its property
// editor inside a parent control, then either apply it or drop it. Widgets
// appear here only as an opaque pointer: the core never includes QtWidgets.

class QString;
class QWidget;

namespace vk {

class TEditableElement {
public:
    virtual ~TEditableElement() = default;

    // Create the property editor inside parent, filled with the element's
    // values: lengths and coordinates divided by unitDivisor, unitName shown
    // beside them.
    virtual void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) = 0;
    // Take the edited values back (multiplied by unitDivisor), mark the
    // document modified and release the editor.
    virtual void ApplyEditor(int unitDivisor) = 0;
    // Free the editor without taking anything back.
    virtual void ReleaseEditor() = 0;
};

} // namespace vk
