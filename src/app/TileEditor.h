#pragma once
// The tile editor: one tile at a time on a sheet of its own, its outline
// drawn from segments and arcs, its elements marked, dragged, edited and
// deleted, its thickness and comment, stored into the tile library. Every
// edit is a step of the tile's history.

#include "geometry/Types.h"
#include "ui/HelpContext.h"
#include "window/ActionTable.h"

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QUndoStack;

namespace vk {

class TDrawingSheet;
class TPart;
class TPartList;
class TfrmParts;
class T_TnC_Ancestor;
class TGraphicPrimitive;
class TLinesBox;
class TMouseTools;
class TPlanSheet;
class TTile;
struct THalvesCheck;
struct TShiftState;

// The tile editor's commands, named as their actions are.
enum class TTileAction {
    acNewTile,
    acOpenTile,
    acSaveTile,
    acDeleteTile,
    acExport,
    acImportDxf,
    acCollageEditor,
    acExit,
    acUndo,
    acRedo,
    acLine,
    acMenuLine,
    acArc,
    acMenuArc,
    acSelectElement,
    acPrStatus,
    acElementList,
    acPartElements,
    acParts,
    acMenuParts,
    acSelectRegion,
    acThickness,
    acEditComment,
    acEditTilePrimitive,
    acDeleteTilePrimitive,
    acScaleUp,
    acScaleDown,
    acScale,
    acMinidisplay,
    // Stand-ins for the main window's help commands when the editor is
    // opened without them.
};

// The name "Экспорт в bmp" offers for a tile: control characters and
// : \ / < > ? * become "_", everything else (double quotes too) stays.
[[nodiscard]] QString ExportFileName(const QString& tileName);
// The tile's outline in black on white, 64 x 64 pixels, 24 bits, fitted and
// centred along its shorter side, y upwards. A null image when the outline
// has no width or no height.
[[nodiscard]] QImage TileBitmap(const TTile& tile, TDrawingSheet& sheet);

class TfrmTileEditor : public QMainWindow {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::TileEditor;

    // `helpActions`: the main window's "Справка", "Vorkalo в Интернете",
    // "Письмо в тех.поддержку" and "О программе...", shown in "Помощь"; with
    // fewer than four the editor makes its own.
    explicit TfrmTileEditor(QWidget* parent = nullptr, const QList<QAction*>& helpActions = {});
    ~TfrmTileEditor() override;

    // Shows the editor modally over `owner` and returns once it has closed.
    static void Execute(QWidget* owner, const QList<QAction*>& helpActions = {});

    enum class TEnable {
        Always,
        Never,
        Tile,
        TileWithElements,
        // A stored tile with elements: its parts are stored under its identifier.
        StoredTileWithElements,
        // The pattern editor works on the tile as the library holds it.
        StoredUnmodifiedTile,
        // Halves mode: a part is current; otherwise a tile is open.
        DrawingTarget,
        HalvesWithPart,
        CanUndo,
        CanRedo,
    };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions();

    [[nodiscard]] QAction* Action(TTileAction id) const { return m_actions[id]; }
    [[nodiscard]] QAction* Action(const QString& name) const { return m_actions.Find(name); }
    [[nodiscard]] QList<QAction*> Actions() const { return m_actions.All(); }

    [[nodiscard]] TTile* Tile() const { return m_tile.get(); }
    [[nodiscard]] TGraphicPrimitive* NewElement() const { return m_newElement.get(); }
    [[nodiscard]] const QString& BaseCaption() const { return m_baseCaption; }
    [[nodiscard]] QMenu* SheetPopupMenu() const;
    // While the halves mode is on: the tile's parts and their window.
    [[nodiscard]] TPartList* HalvesParts() const { return m_parts.get(); }
    [[nodiscard]] TfrmParts* PartsWindow() const { return m_partsWindow; }
    // The outcome of "Проверить" shown on the sheet until the next change.
    [[nodiscard]] const THalvesCheck* HalvesCheck() const { return m_check.get(); }
    // "Проверить" of the halves window: the current part's halves against
    // the tile, told in a message and shown on the sheet.
    void CheckHalvesExecute();

    TPlanSheet* PlanSheet = nullptr;
    QToolBar* TileToolBar = nullptr;
    TLinesBox* cbLineStyle = nullptr;
    QLabel* InfoLabel = nullptr;
    QMenu* mnuTiles = nullptr;
    QMenu* mnuDrawing = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* SelectedTilePopupMenu = nullptr;

    // --- commands ---
    void acNewTileExecute();
    void acOpenTileExecute();
    void acSaveTileExecute();
    void acDeleteTileExecute();
    void acExportExecute();
    // "Импорт контура из DXF...": a drawing's elements into the open tile
    // (a new one when none is open), one step of its history.
    void acImportDxfExecute();
    void acThicknessExecute();
    void acEditCommentExecute();
    void acElementListExecute();
    void acEditTilePrimitiveExecute();
    void acDeleteTilePrimitiveExecute();
    // The line about the open tile: its area, tiles per square metre and thickness.
    void UpdateInfoLabel();

    // --- the sheet's mouse, as the tools bind it ---
    void ElementClick(Qt::MouseButton button, float x, float y);
    void ElementTrack(float x, float y);
    void ElementPick(float x, float y);
    void ElementDrag(const TShiftState& shift, float x, float y);
    void RegionStart(float x, float y);
    // A click of the segment or arc tool while it draws into a part.
    void cutLineClick(Qt::MouseButton button, float x, float y);
    void RegionTrack(const TShiftState& shift, float x, float y);
    void RegionEnd(float x, float y);

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
    void buildTools();
    void bindSheet();
    void paintTile(QPainter& graphics);
    void updateUndoActions();
    void stepHistory(bool back);
    // The window's tile from now on (nullptr: none); the old one goes first.
    void replaceTile(std::unique_ptr<TTile> tile);
    [[nodiscard]] std::unique_ptr<TTile> makeTile();
    void updateCaption(const QString& name);
    // Scales and centres the view on the open tile.
    void showWholeTile();
    void setDefaultView();
    // The drawing tools let go of an old tile's element.
    void resetTools();
    bool prepareDrawing(std::int32_t kind, bool down);
    bool prepareSelection(bool down);
    bool prepareRegion(bool down);
    // The halves mode on: the tile's parts loaded and shown in their window.
    void startHalves();
    // The halves mode off: the parts stored for the tile they were loaded
    // for, the window and the list gone.
    void endHalves();
    void showPartElementList(bool parts);
    [[nodiscard]] TPart* currentPart() const;
    // The history "Отменить" and "Повторить" walk: the part list's in the
    // halves mode, otherwise the tile's.
    [[nodiscard]] QUndoStack* undoHistory() const;
    // The marking tool works on a part's cut lines, not on the tile.
    [[nodiscard]] TPart* markedPart() const;
    // The parts or their window changed: tools bound to a part no longer
    // current let go of it, the check's picture goes, the sheet repaints.
    void halvesChanged();
    void clearCheck();

    TActionSet<TTileAction, TEnable> m_actions{[this](TEnable rule) { return IsEnabled(rule); }};
    // The help commands shown in "Помощь": the main window's or the editor's own.
    QList<QAction*> m_helpActions;
    std::unique_ptr<TMouseTools> m_tools;
    QString m_baseCaption;
    bool m_centredOnce = false;

    std::unique_ptr<TTile> m_tile;
    std::unique_ptr<TGraphicPrimitive> m_newElement;
    // The document the drawing tool adds to and the marking tool works on:
    // the tile, or the part current when the tool was switched on.
    T_TnC_Ancestor* m_drawTarget = nullptr;
    T_TnC_Ancestor* m_markTarget = nullptr;
    std::unique_ptr<TPartList> m_parts;
    TfrmParts* m_partsWindow = nullptr;
    TPointF m_regionCorner;
    std::unique_ptr<THalvesCheck> m_check;
};

} // namespace vk
