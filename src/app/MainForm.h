#pragma once
// The program's main window: the site project on its sheet, with every
// project command in the menu bar and the tool bar, the mouse tools that draw
// the border, and the posted steps of a running fill.

#include "model/FillHost.h"

#include <QEvent>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace vk {

class TGraphicPrimitive;
class TPlanSheet;
class TProject;
struct TShiftState;

class TfrmMain : public QMainWindow, public TStepSink, public TSheetScale, public TPickList {
    Q_OBJECT
public:
    static constexpr int HelpContext = 6;

    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // When a command may run; evaluated whenever the application goes idle.
    enum class TEnable {
        Always,
        Never,
        Project,
        ProjectWithBorder,
        ProjectWithLaidTiles,
        ProjectWithMarkedTiles,
        ProjectWithLaidAndMarkedTiles,
        ProjectWithTexture,
        // What the project refuses while a run is pending.
        ProjectIdle,
        ProjectWithLaidTilesIdle,
    };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions();

    // The action whose object name is `name` (acFill, acScaleUp, ...).
    [[nodiscard]] QAction* Action(const QString& name) const;
    [[nodiscard]] QList<QAction*> Actions() const;

    [[nodiscard]] bool HasProject() const { return m_project != nullptr; }
    [[nodiscard]] TProject* Project() const { return m_project.get(); }
    [[nodiscard]] const QString& BaseCaption() const { return m_baseCaption; }
    [[nodiscard]] const QString& HelpFile() const { return m_helpFile; }
    [[nodiscard]] TGraphicPrimitive* NewElement() const { return m_newElement.get(); }
    [[nodiscard]] QMenu* SheetPopupMenu() const { return m_popup; }

    TPlanSheet* ProjectPlanSheet = nullptr;
    QToolBar* ToolBar = nullptr;
    QMenu* mnuProjects = nullptr;
    QMenu* mnuSite = nullptr;
    QMenu* mnuStartPoint = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* ElementMenu = nullptr;
    // "Отменить" and "Повторить": the project's history, captioned with the
    // step they would take.
    QAction* acUndo = nullptr;
    QAction* acRedo = nullptr;
    // While a fill runs: the tiles laid so far and a way to stop it.
    QLabel* FillProgressLabel = nullptr;
    QPushButton* FillCancelButton = nullptr;

    // --- commands ---
    void acNewProjectExecute();
    void acOpenProjectExecute();
    void acParamsExecute();
    void acOrientationExecute();
    void acDelTilesExecute();
    void acBorderListExecute();
    void acEditPrimitiveExecute();
    void acDeletePrimitiveExecute();
    void acStartPointEditExecute();
    void acEditCommentExecute();
    // Asks to save a modified project before it goes; false keeps it.
    bool QuerySave();

    // --- the sheet's mouse, as the tools bind it ---
    void ElementClick(Qt::MouseButton button, float x, float y);
    void ElementTrack(float x, float y);
    void StartPointClick(float x, float y);
    void BorderPick(float x, float y);
    void BorderDrag(const TShiftState& shift, float x, float y);
    // After "Новый" and "Открыть".
    void ResetTools();

    // --- TStepSink ---
    void PostLayStep(std::uint64_t run) override;
    void PostFillDone() override;
    void FillProgress(int tilesLaid, int pendingSteps) override;
    // --- TSheetScale ---
    [[nodiscard]] float Scale() const override;
    void SetScale(float scale) override;
    [[nodiscard]] int UnitFactor() const override;
    [[nodiscard]] double LogicalDpi() const override;
    void UpdateNow() override;
    // --- TPickList ---
    [[nodiscard]] std::optional<std::int32_t> PickTile(const TPickRequest& request) override;
    [[nodiscard]] std::optional<std::int32_t> PickPattern(const TPickRequest& request,
                                                          std::int32_t tileId,
                                                          const TTile& tile) override;

    static const QEvent::Type LayPatternEventType;
    static const QEvent::Type FillDoneEventType;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class TTool { None, Line, Arc, StartPoint, SelectElement };

    QAction* makeAction(const char* name, const QString& caption, const QString& hint,
                        TEnable rule, bool checkable = false);
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildUndoActions();
    void updateUndoActions();
    void stepHistory(bool back);
    void bindSheet();
    void replaceProject(std::unique_ptr<TProject> project);
    // A new, empty project becomes the window's.
    void startProject();
    void updateCaption(const QString& name);
    void paintProject(QPainter& graphics);
    void paintPreview(QPainter& graphics);
    void showFillProgress(bool running, int tilesLaid);

    // Tools.
    void drawingTool(TTool tool, bool down);
    void startPointTool(bool down);
    void selectElementTool(bool down);
    void menuTwin(const char* twin, const char* button);
    void bindMouse(TTool owner);
    void unbindMouse();

    struct Rule {
        QAction* action;
        TEnable rule;
    };
    std::vector<Rule> m_rules;
    QActionGroup* m_drawGroup = nullptr;
    QString m_baseCaption;
    QString m_helpFile;
    bool m_centredOnce = false;

    std::unique_ptr<TProject> m_project;
    std::unique_ptr<TGraphicPrimitive> m_newElement;
    TTool m_mouseOwner = TTool::None;
    bool m_undoRefreshQueued = false;
    QMenu* m_popup = nullptr;
};

} // namespace vk
