#pragma once
// The halves window of the tile editor: the parts of the open tile (the ways
// it can be cut) and the halves of the current part, with the commands that
// add, rename and delete them. It works on the editor's part list and tells
// the editor through its signals; it owns neither the tile nor the list.

#include "ui/HelpContext.h"
#include "window/ActionTable.h"

#include <QDockWidget>

class QAction;
class QCheckBox;
class QListWidget;
class QToolButton;

namespace vk {

class TPartList;
class TTile;

enum class TPartsAction {
    acAddPart,
    acEditPart,
    acDelPart,
    acSetEquals,
    acEditContour,
    acDelContour,
    acCheckHalves,
};

class TfrmParts : public QDockWidget {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::TileHalves;

    TfrmParts(QWidget* parent, TTile& tile, TPartList& parts);

    enum class TEnable { Always, Part, Contour };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions() { m_actions.Update(); }
    [[nodiscard]] QAction* Action(TPartsAction id) const { return m_actions[id]; }
    [[nodiscard]] QAction* Action(const QString& name) const { return m_actions.Find(name); }

    QListWidget* lbParts = nullptr;
    QListWidget* lbContours = nullptr;
    QCheckBox* cbEquals = nullptr;

    // --- commands ---
    void SelectPart(int row);
    void SelectContour(int row);
    void acAddPartExecute();
    void acEditPartExecute();
    void acDelPartExecute();
    void acSetEqualsExecute(bool on);
    void acEditContourExecute();
    void acDelContourExecute();
    // The lists, the rows and the check box as the part list holds them now
    // (after a step of its history).
    void Refresh();

Q_SIGNALS:
    // The sheet shows something else now.
    void HalvesChanged();
    // "Проверить": the editor shows how the current part's halves cover the tile.
    void CheckRequested();
    // The window has been closed by its close box.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillContours();
    void setEqualsBox(bool on);

    TActionSet<TPartsAction, TEnable> m_actions{[this](TEnable rule) { return IsEnabled(rule); }};
    TTile& m_tile;
    TPartList& m_parts;
};

} // namespace vk
