#pragma once
// The pattern editor: the laying patterns of one tile, built from placed
// copies of the tile and the offsets of the neighbouring copies of the
// pattern, checked for gaps and overlaps and stored into the tile library.
// Every placement and hand point is a step of the pattern's history.

#include "geometry/Types.h"
#include "model/PatternCheck.h"
#include "ui/HelpContext.h"
#include "window/ActionTable.h"

#include <QList>
#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QToolBar;

namespace vk {

class TCollage;
class TPlanSheet;
class TTile;
class TfrmWorkTile;

// The pattern editor's commands, named as their actions are.
enum class TCollageAction {
    acNewCollage,
    acOpenCollage,
    acSaveCollage,
    acDeleteCollage,
    acExit,
    acUndo,
    acRedo,
    switchNewTile,
    acNewTile,
    acNewTileEx,
    acTileList,
    switchNewCollage,
    acNextList,
    acCheckCollage,
    acScaleUp,
    acScaleDown,
    acScale,
    acMinidisplay,
    // Stand-ins for the main window's help commands when the editor is
    // opened without them.
};

class TfrmCollageEditor : public QMainWindow {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::PatternEditor;

    // What a left click on the pattern's sheet does.
    enum class TClickMode { MarkPlace = 0, AddNeighbour = 1, Nothing = 2 };

    // `helpActions`: the main window's help commands, as the tile editor takes them.
    explicit TfrmCollageEditor(QWidget* parent = nullptr, const QList<QAction*>& helpActions = {});
    ~TfrmCollageEditor() override;

    // Shows the editor for `tile` modally over `owner` and returns once it has closed.
    static void Execute(QWidget* owner, TTile& tile, const QList<QAction*>& helpActions = {});

    enum class TEnable {
        Always,
        Never,
        Pattern,
        PatternWithPlace,
        CanUndo,
        CanRedo,
    };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions();

    [[nodiscard]] QAction* Action(TCollageAction id) const { return m_actions[id]; }
    [[nodiscard]] QAction* Action(const QString& name) const { return m_actions.Find(name); }
    [[nodiscard]] QList<QAction*> Actions() const { return m_actions.All(); }

    // --- what the placement dialog and the tile editor use ---
    void SetTile(TTile& tile);
    void SetPlaceAngle(float angle);
    void MarkPlaceAt(float x, float y);
    void MarkTilePointAt(float x, float y);
    void ClearMarkedPlace();
    void ClearMarkedTilePoint();
    // Appends a placement of the working tile: `tilePoint` (the tile's own
    // coordinates, unturned) onto MarkedPlace, turned by PlaceAngle; the
    // marked place is cleared. Nothing without a pattern or a marked place.
    void AddPlacement(FlaggedPoint tilePoint);

    [[nodiscard]] TTile* Tile() const { return m_tile; }
    [[nodiscard]] TTile& WorkTile() const { return *m_workTile; }
    [[nodiscard]] float PlaceAngle() const { return m_placeAngle; }
    [[nodiscard]] TClickMode ClickMode() const { return m_clickMode; }
    [[nodiscard]] TCollage* Pattern() const { return m_pattern.get(); }
    [[nodiscard]] FlaggedPoint MarkedPlace() const { return m_markedPlace; }
    [[nodiscard]] FlaggedPoint MarkedTilePoint() const { return m_markedTilePoint; }
    [[nodiscard]] TfrmWorkTile* WorkTileDialog() const { return m_workTileDialog; }
    [[nodiscard]] const QString& BaseCaption() const { return m_baseCaption; }
    // The last check, shown until the pattern changes.
    [[nodiscard]] const std::optional<TPatternCheck>& LastCheck() const { return m_check; }

    TPlanSheet* CollagePlanSheet = nullptr;
    QToolBar* CollageToolBar = nullptr;
    QMenu* mnuCollage = nullptr;
    QMenu* mnuDrawing = nullptr;
    QMenu* mnuHelp = nullptr;

    // --- commands ---
    void acNewCollageExecute();
    void acOpenCollageExecute();
    void acSaveCollageExecute();
    void acDeleteCollageExecute();
    void acNewTileExExecute();
    void acNewTileExecute();
    void acCheckCollageExecute();
    void showElementList(bool placements);

    // A pointer press on the pattern's sheet, in world millimetres.
    void PatternMouseDown(Qt::MouseButton button, float x, float y);

Q_SIGNALS:
    // The window has closed (its close was not refused).
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions(const QList<QAction*>& helpActions);
    void connectActions();
    void buildMenus();
    void buildToolBar();
    void bindSheet();
    void paintPattern(QPainter& graphics);
    void updateClickMode();
    void updateUndoActions();
    void stepHistory(bool back);
    [[nodiscard]] std::unique_ptr<TCollage> makePattern();
    void replacePattern(std::unique_ptr<TCollage> pattern);
    void updateCaption(const QString& name);
    // The base point a first placement or hand point of an empty pattern
    // puts where the user clicked; undone, the pattern has none again.
    [[nodiscard]] FlaggedPoint baseBeforeFirst() const;
    void takeBaseAt(float x, float y);

    TActionSet<TCollageAction, TEnable> m_actions{[this](TEnable rule) { return IsEnabled(rule); }};
    QList<QAction*> m_helpActions;
    QString m_baseCaption;
    bool m_centredOnce = false;

    TTile* m_tile = nullptr;
    std::unique_ptr<TTile> m_workTile;
    float m_placeAngle = 0.0f;
    TClickMode m_clickMode = TClickMode::Nothing;
    std::unique_ptr<TCollage> m_pattern;
    FlaggedPoint m_markedPlace;
    FlaggedPoint m_markedTilePoint;
    std::optional<TPatternCheck> m_check;
    TfrmWorkTile* m_workTileDialog = nullptr;
};

} // namespace vk
