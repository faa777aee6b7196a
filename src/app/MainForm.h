#pragma once
// The program's main window: the site project on its sheet, with every
// project command in the menu bar and the tool bar, the mouse tools that draw
// the border, and the posted steps of a running fill.

#include "exchange/PlanPrint.h"
#include "model/FillHost.h"
#include "ui/HelpContext.h"
#include "window/ActionTable.h"

#include <QColor>
#include <QEvent>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace vk {

class TGraphicPrimitive;
class TPlanSheet;
class TMouseTools;
class TProject;
struct TShiftState;

// The main window's commands, named as their actions are.
enum class TMainAction {
    acNewProject,
    acOpenProject,
    acSaveProject,
    acSaveProjectAs,
    acImportDxf,
    acExit,
    acTileEditor,
    acUndo,
    acRedo,
    acSelectTile,
    acSelectCollage,
    acOrientation,
    acOptimizeStart,
    acFill,
    acFill1,
    acDelTiles,
    acReport,
    acMaterials,
    acEditComment,
    acBorderList,
    acLine,
    acMenuLine,
    acArc,
    acMenuArc,
    acStartPointSet,
    acMenuStartPointSet,
    acStartPointEdit,
    acSelectElement,
    acEditPrimitive,
    acDeletePrimitive,
    acPointer,
    acMenuPointer,
    acFixSel,
    acMultiplySelection,
    acSetColor,
    acClearSelection,
    acAssignTexture,
    acDropTexture,
    acPrint,
    acPrintReg,
    acExportPdf,
    acExportSvg,
    acExportDxf,
    acCheckParts,
    acScaleUp,
    acScaleDown,
    acAskScale,
    acMinidisplay,
    acPrStatus,
    acParams,
    acHelp,
    acOnLine,
    acSupport,
    acAbout,
};

class TfrmMain : public QMainWindow, public TStepSink, public TSheetScale, public TPickList {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::MainWindow;

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
        // No project yet, or one with no run pending.
        NoRunPending,
        ProjectWithLaidTilesIdle,
        // A border, a tile and a pattern, and no run pending.
        ProjectReadyToLayIdle,
        // The project's history has a step to undo, or to redo (and is idle).
        CanUndo,
        CanRedo,
    };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions();

    [[nodiscard]] QAction* Action(TMainAction id) const { return m_actions[id]; }
    // The action whose object name is `name` (acFill, acScaleUp, ...).
    [[nodiscard]] QAction* Action(const QString& name) const { return m_actions.Find(name); }
    [[nodiscard]] QList<QAction*> Actions() const { return m_actions.All(); }

    [[nodiscard]] bool HasProject() const { return m_project != nullptr; }
    [[nodiscard]] TProject* Project() const { return m_project.get(); }
    [[nodiscard]] const QString& BaseCaption() const { return m_baseCaption; }
    [[nodiscard]] const QString& HelpFile() const { return m_helpFile; }
    [[nodiscard]] TGraphicPrimitive* NewElement() const { return m_newElement.get(); }
    [[nodiscard]] QMenu* SheetPopupMenu() const;

    TPlanSheet* ProjectPlanSheet = nullptr;
    QToolBar* ToolBar = nullptr;
    QMenu* mnuProjects = nullptr;
    QMenu* mnuSite = nullptr;
    QMenu* mnuStartPoint = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuExport = nullptr;
    QMenu* ElementMenu = nullptr;
    // The tile-marking tool's pop-up menu.
    QMenu* ColourMenu = nullptr;
    // The colour chooser of "Изменить цвет": given the chooser's custom
    // colours as text ("ColorA=E5E5E5", one a line), the colour chosen
    // (RGB), or nullopt when cancelled. The Qt colour dialog unless replaced.
    std::function<std::optional<QRgb>(const QString& customColors)> ChooseColor;
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
    // Opens `file` as "Открыть" does once a file is chosen (the program's
    // command line, a file opened from the desktop). Whether it was read.
    bool OpenProjectFile(const QString& file);
    void acParamsExecute();
    void acOrientationExecute();
    // "Подобрать начальную точку".
    void acOptimizeStartExecute();
    void acDelTilesExecute();
    void acBorderListExecute();
    void acEditPrimitiveExecute();
    void acDeletePrimitiveExecute();
    void acStartPointEditExecute();
    void acEditCommentExecute();
    // "Импорт участка из DXF...": the border replaced or extended by a
    // drawing's elements, one step; the view then shows the whole border.
    void acImportDxfExecute();
    // "Печать": the options, then the preview; "Выделить область" switches
    // to the print-region tool instead.
    void acPrintExecute();
    // "Экспорт": the plan written as a file for other programs.
    enum class TExportKind { Pdf, Svg, Dxf };
    void ExportPlan(TExportKind kind);
    void acSetColorExecute();
    void acAssignTextureExecute();
    // "Проверить половинки" down: the cut tiles that matched no half are
    // hatched and counted; up: the hatching goes.
    void acCheckPartsToggled(bool down);
    // The tiles the halves check hatches.
    [[nodiscard]] int HatchedTileCount() const { return int(m_unmatchedCuts.size()); }
    // Asks to save a modified project before it goes; false keeps it.
    bool QuerySave();

    // --- the sheet's mouse, as the tools bind it ---
    void ElementClick(Qt::MouseButton button, float x, float y);
    void ElementTrack(float x, float y);
    void StartPointClick(float x, float y);
    void BorderPick(float x, float y);
    void BorderDrag(const TShiftState& shift, float x, float y);
    void PrintCorner(float x, float y);
    void PrintTrack(const TShiftState& shift, float x, float y);
    void MarkDown(Qt::MouseButton button, float x, float y);
    void MarkMove(const TShiftState& shift, float x, float y);
    void MarkUp(Qt::MouseButton button, const TShiftState& shift, float x, float y);
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
    void KeepScrollBars(bool keep) override;
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
    void buildActions();
    void connectActions();
    void buildMenus();
    void buildToolBar();
    void buildTools();
    // The captions of "Отменить" and "Повторить" name their steps; then every rule is evaluated.
    void updateUndoActions();
    void stepHistory(bool back);
    void bindSheet();
    void replaceProject(std::unique_ptr<TProject> project);
    // A new, empty project becomes the window's.
    void startProject();
    void updateCaption(const QString& name);
    void showWholeBorder();
    void paintProject(QPainter& graphics);
    void paintPreview(QPainter& graphics);
    void paintFirstStepsHint(QPainter& graphics);
    void showFillProgress(bool running, int tilesLaid);

    // What the tools do on the window's side when their buttons go down or
    // up; each answers whether its tool may go on.
    bool prepareDrawing(std::int32_t kind, bool down);
    bool prepareStartPoint(bool down);
    bool prepareSelection(bool down);
    bool prepareMarking(bool down);
    void paintUnmatchedCuts(QPainter& graphics);

    TActionSet<TMainAction, TEnable> m_actions{[this](TEnable rule) { return IsEnabled(rule); }};
    std::unique_ptr<TMouseTools> m_tools;
    QString m_baseCaption;
    QString m_helpFile;
    bool m_centredOnce = false;

    std::unique_ptr<TProject> m_project;
    std::unique_ptr<TGraphicPrimitive> m_newElement;
    // The print options as last chosen.
    TPrintOptions m_printOptions;
    bool m_undoRefreshQueued = false;
    // A press of the marking tool is being held.
    bool m_marking = false;
    // The halves check's finding: tiles by their place in laying order, for
    // the laying it was made on.
    std::vector<int> m_unmatchedCuts;
    std::uint64_t m_unmatchedGeneration = 0;
};

} // namespace vk
