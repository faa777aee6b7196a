#pragma once
// A window's mouse tools as data. A tool is a checkable action with its
// cursor, help topic, pop-up menu, rounding of the pointer and handlers for
// press, move and release on the window's drawing sheet. Running a tool's
// action binds that tool to the sheet with the button down and lets go of the
// sheet with it up: the sheet's mouse is always that of the last tool command
// run, and at most one tool has it.

#include "ui/DrawingSheet.h"
#include "ui/HelpContext.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace vk {

class TPlanSheet;

// One pointer event in world millimetres, as the sheet delivers it.
struct TPointer {
    Qt::MouseButton button = Qt::NoButton;
    TShiftState shift;
    float x = 0.0f;
    float y = 0.0f;
};
using TPointerHandler = std::function<void(const TPointer&)>;

// A window's handler that takes only what it needs.
template <typename W>
[[nodiscard]] TPointerHandler Handler(W* window, void (W::*method)(float, float)) {
    return [window, method](const TPointer& p) { (window->*method)(p.x, p.y); };
}
template <typename W>
[[nodiscard]] TPointerHandler Handler(W* window, void (W::*method)(Qt::MouseButton, float, float)) {
    return [window, method](const TPointer& p) { (window->*method)(p.button, p.x, p.y); };
}
template <typename W>
[[nodiscard]] TPointerHandler Handler(W* window, void (W::*method)(const TShiftState&, float, float)) {
    return [window, method](const TPointer& p) { (window->*method)(p.shift, p.x, p.y); };
}

// What a tool does to the sheet's rounding of pointer positions.
enum class TRounding {
    // Leaves it as it is, on and off.
    Keep,
    // Rounds while on; off, the sheet's own setting comes back.
    On,
    // Exact positions while on; off, the sheet's own setting comes back.
    Off,
};

struct TMouseTool {
    // The tool's checkable command, usually a tool bar button.
    QAction* action = nullptr;
    // A menu item that stands for the same tool; it follows the button.
    QAction* menuItem = nullptr;
    Qt::CursorShape cursor = Qt::CrossCursor;
    THelpContext help = THelpContext::MainWindow;
    QMenu* popup = nullptr;
    TRounding rounding = TRounding::Keep;
    TPointerHandler press = {};
    TPointerHandler move = {};
    TPointerHandler release = {};
    // The window's own work when the button goes down or up, done before the
    // tool binds; answers whether the tool may go on (false keeps it off,
    // for example while there is no document to work on). Empty: it may.
    std::function<bool(bool down)> prepare = {};
};

class TMouseTools : public QObject {
    Q_OBJECT
public:
    // `window` carries the help topic; `idleHelp` is its topic with no tool on.
    TMouseTools(QWidget* window, TPlanSheet* sheet, THelpContext idleHelp);
    // Lets go of the sheet.
    ~TMouseTools() override;

    // Running the tool's action (or its menu item) switches it from now on.
    void Add(TMouseTool tool);
    // At most one of these tools' buttons is down; any may be raised so that none is.
    void Group(std::initializer_list<QAction*> tools);

    // What running the tool's action does with the button down or up.
    void Switch(QAction* tool, bool down);
    // The tool that has the sheet lets go: no handlers, no pop-up menu, the
    // idle help topic and the sheet's own cursor. Buttons stay as they are.
    void Stop();
    // The tool that has the sheet ends by itself: its button and menu item
    // come up without running its action, then it stops.
    void Finish();

    // The action of the tool that has the sheet; nullptr when none has.
    [[nodiscard]] QAction* Active() const;
    // The pop-up menu of the sheet; nullptr when the tool on has none.
    [[nodiscard]] QMenu* Popup() const { return m_popup; }

private:
    [[nodiscard]] TMouseTool* find(QAction* action);
    void bind(TMouseTool& tool);

    QPointer<QWidget> m_window;
    QPointer<TPlanSheet> m_sheet;
    THelpContext m_idleHelp;
    bool m_sheetRounding = true;
    Qt::CursorShape m_sheetCursor = Qt::ArrowCursor;
    // Stable addresses: the sheet's handlers point into it.
    std::vector<std::unique_ptr<TMouseTool>> m_tools;
    TMouseTool* m_active = nullptr;
    QMenu* m_popup = nullptr;
};

} // namespace vk
