#include "window/MouseTools.h"

#include "sheet/PlanSheet.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSignalBlocker>

namespace vk {

TMouseTools::TMouseTools(QWidget* window, TPlanSheet* sheet, THelpContext idleHelp)
    : m_window(window), m_sheet(sheet), m_idleHelp(idleHelp), m_sheetRounding(sheet->RoundCoordinates) {
    m_sheetCursor = sheet->FScrollBox->viewport()->cursor().shape();
    // A scroll area hands the context menu requests of its view to itself,
    // so the request is taken there.
    QWidget* area = sheet->FScrollBox;
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& pos) {
        // The press that came first has already reached the tool, so a
        // right click acts on what is under the pointer before the menu opens.
        if (m_popup != nullptr) {
            m_popup->exec(area->mapToGlobal(pos));
        }
    });
}

TMouseTools::~TMouseTools() {
    if (m_sheet) {
        m_sheet->OnPSMouseDown = nullptr;
        m_sheet->OnPSMouseMove = nullptr;
        m_sheet->OnPSMouseUp = nullptr;
    }
}

void TMouseTools::Add(TMouseTool tool) {
    m_tools.push_back(std::make_unique<TMouseTool>(std::move(tool)));
    QAction* action = m_tools.back()->action;
    connect(action, &QAction::triggered, this, [this, action](bool down) { Switch(action, down); });
    if (QAction* item = m_tools.back()->menuItem) {
        connect(action, &QAction::toggled, item, &QAction::setChecked);
        // The menu has already turned the item's check over; the button
        // follows and the tool runs as if the button had been pressed.
        connect(item, &QAction::triggered, this, [this, action](bool down) {
            action->setChecked(down);
            Switch(action, down);
        });
    }
}

void TMouseTools::Group(std::initializer_list<QAction*> tools) {
    auto* group = new QActionGroup(m_window ? static_cast<QObject*>(m_window.data()) : this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* action : tools) {
        group->addAction(action);
    }
}

TMouseTool* TMouseTools::find(QAction* action) {
    for (const auto& tool : m_tools) {
        if (tool->action == action) {
            return tool.get();
        }
    }
    return nullptr;
}

void TMouseTools::Switch(QAction* action, bool down) {
    TMouseTool* tool = find(action);
    if (tool == nullptr) {
        return;
    }
    const bool allowed = tool->prepare ? tool->prepare(down) : true;
    if (tool->menuItem != nullptr) {
        tool->menuItem->setChecked(down);
    }
    if (down && allowed) {
        bind(*tool);
        return;
    }
    Stop();
    if (tool->rounding != TRounding::Keep && m_sheet) {
        m_sheet->RoundCoordinates = m_sheetRounding;
    }
}

void TMouseTools::bind(TMouseTool& tool) {
    m_active = &tool;
    m_popup = tool.popup;
    if (m_window) {
        SetHelpContextOf(*m_window, tool.help);
    }
    if (!m_sheet) {
        return;
    }
    // Only the events the tool handles are bound; the others stay empty, as
    // with no tool on.
    const TMouseTool* t = &tool;
    m_sheet->OnPSMouseDown = nullptr;
    m_sheet->OnPSMouseMove = nullptr;
    m_sheet->OnPSMouseUp = nullptr;
    if (t->press) {
        m_sheet->OnPSMouseDown = [t](QObject*, Qt::MouseButton b, TShiftState s, float x, float y) {
            t->press({b, s, x, y});
        };
    }
    if (t->move) {
        m_sheet->OnPSMouseMove = [t](QObject*, TShiftState s, float x, float y) {
            t->move({Qt::NoButton, s, x, y});
        };
    }
    if (t->release) {
        m_sheet->OnPSMouseUp = [t](QObject*, Qt::MouseButton b, TShiftState s, float x, float y) {
            t->release({b, s, x, y});
        };
    }
    if (tool.rounding != TRounding::Keep) {
        m_sheet->RoundCoordinates = tool.rounding == TRounding::On;
    }
    m_sheet->FScrollBox->viewport()->setCursor(tool.cursor);
}

void TMouseTools::Stop() {
    m_active = nullptr;
    m_popup = nullptr;
    if (m_window) {
        SetHelpContextOf(*m_window, m_idleHelp);
    }
    if (m_sheet) {
        m_sheet->OnPSMouseDown = nullptr;
        m_sheet->OnPSMouseMove = nullptr;
        m_sheet->OnPSMouseUp = nullptr;
        m_sheet->FScrollBox->viewport()->setCursor(m_sheetCursor);
    }
}

void TMouseTools::Finish() {
    if (m_active == nullptr) {
        return;
    }
    {
        const QSignalBlocker quiet(m_active->action);
        m_active->action->setChecked(false);
    }
    if (m_active->menuItem != nullptr) {
        m_active->menuItem->setChecked(false);
    }
    Stop();
}

QAction* TMouseTools::Active() const { return m_active != nullptr ? m_active->action : nullptr; }

} // namespace vk
