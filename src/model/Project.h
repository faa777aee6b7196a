#pragma once
// A project: one site to be paved. Its border (the document's elements), the
// chosen tile and pattern, the orientation and start point of the laying,
// and the laid tiles with their colours, marks and counted halves.
//
// A fill runs cooperatively on the window's thread (TFillRunner). Fill lays
// the copy of the pattern at the start point at once and queues its
// neighbours; each step the window hands back lays queued copies, breadth
// first, for at most a few milliseconds. The tiles laid, their order and the
// counts are those of one copy per step. A run is pending while PendingSteps
// is not 0; it ends by itself or by CancelFill, and commands that would mix
// two runs are refused while one is pending.
//
// The project file's codec is TProjectFile, the drawing of the laid tiles
// TTilesPainter; the project keeps the data they work on.

#include "geometry/ShapeDocument.h"
#include "model/FillHost.h"
#include "model/FillLimits.h"
#include "model/FillRunner.h"
#include "model/LaidTiles.h"
#include "model/OriginWalk.h"
#include "model/Report.h"
#include "model/SiteRegion.h"
#include "model/TilesPainter.h"

#include <QBrush>
#include <chrono>
#include <deque>
#include <optional>
#include <memory>
#include <vector>

namespace vk {

class TCollage;
class TPartList;
class TTile;
class TTilePlacementPrimitive;
class TProgress;
class TProjectFile;
class TStorage;

class TProject : public T_TnC_Ancestor {
public:
    // All may be none: without a sink Fill runs to its end before it
    // returns (no window to hand steps back), without a scale a headless
    // one stands in (96 dpi, the configured display unit).
    explicit TProject(TStepSink* mainWindow = nullptr, TNameChange onNameChange = {},
                      TDrawingSheet* sheet = nullptr, TSheetScale* scale = nullptr);
    ~TProject() override;

    // --- what it holds -------------------------------------------------------------
    QString FileName;
    QString Comment;
    FlaggedPoint SelectCorner1;
    FlaggedPoint SelectCorner2;
    FlaggedPoint PrintCorner1;
    FlaggedPoint PrintCorner2;
    std::vector<TPointF> SelectionOffsets;

    [[nodiscard]] TTile* Tile() const { return m_tile.get(); }
    [[nodiscard]] TPartList* TileParts() const { return m_tileParts.get(); }
    [[nodiscard]] TCollage* Pattern() const { return m_pattern.get(); }
    [[nodiscard]] TCollage* WorkPattern() const { return m_workPattern.get(); }
    [[nodiscard]] float Orientation() const { return m_orientation; }
    // Project-local; world = local + base point.
    [[nodiscard]] FlaggedPoint StartPoint() const;
    // The start point as an element, for its property editor.
    [[nodiscard]] TGraphicPrimitive& StartPointElement() { return *m_startPoint; }
    [[nodiscard]] TTileList& LaidTiles() { return m_laidTiles; }
    [[nodiscard]] const TTileList& LaidTiles() const { return m_laidTiles; }
    // The origins the running fill has visited; empty when no fill runs.
    [[nodiscard]] const TOriginWalk& BasePoints() const { return m_walk; }
    [[nodiscard]] const TSiteRegion* SiteRegion() const { return m_siteRegion.get(); }
    [[nodiscard]] const TShapePath* SitePath() const { return m_sitePath.get(); }
    [[nodiscard]] std::vector<TTileContainer*>& MarkedTiles() { return m_markedTiles; }
    [[nodiscard]] std::vector<TTileContainer*>& RememberedTiles() { return m_rememberedTiles; }
    [[nodiscard]] const QBrush* TextureBrush() const { return m_texture.get(); }
    [[nodiscard]] TDrawingSheet* Sheet() const { return m_sheet; }
    [[nodiscard]] TSheetScale& SheetScale() const { return *m_scale; }
    [[nodiscard]] float SavedScale() const { return m_savedScale; }

    // --- choosing the tile and the pattern --------------------------------------
    // Where SelectTile and SelectPattern pick from (not owned).
    void SetPickList(TPickList* pickList) { m_pickList = pickList; }
    // "Выбрать плитку": a tile picked from the library replaces the tile, its
    // cuts and the pattern. False when nothing changed.
    bool SelectTile();
    // "Выбрать узор": a pattern of the tile picked from the library. Warns
    // "Сначала нужно выбрать плитку" when no tile is chosen.
    bool SelectPattern();
    // What follows a pick: load the tile or pattern with that identifier.
    bool ChooseTile(std::int32_t tileId);
    bool ChoosePattern(std::int32_t patternId);
    // The same with documents made elsewhere (a scene, a test): the tile and
    // its cuts (none for no cuts); a pattern made on this project's tile,
    // its placements placed.
    bool UseTile(std::unique_ptr<TTile> tile, std::unique_ptr<TPartList> parts);
    bool UsePattern(std::unique_ptr<TCollage> pattern);
    // Absolute: the working pattern is rebuilt from the loaded one.
    bool SetOrientation(float angle);
    // Project-local coordinates.
    void SetStartPoint(float x, float y);
    // "Удалить плитки" (after the window's confirmation).
    bool ClearLaidTiles();
    // The print rectangle, world millimetres: the first call sets the first
    // corner, the next the second, and a call after both starts a new
    // rectangle. It is drawn while both corners are set.
    void SetPrintCorner(float x, float y);
    // Both corners unset; the sheet repaints.
    void ClearPrintRect();
    // The rectangle of both print corners; none while either is unset.
    [[nodiscard]] std::optional<QRectF> PrintRect() const;

    // --- laying --------------------------------------------------------------------
    // Shows the first missing precondition as a warning.
    bool CheckReadyToFill();
    // Refuses a tile that cannot be laid (no outline, or narrower than the
    // region tolerance, so that it would lay nothing) with a warning, and
    // asks "Будет уложено около N плиток. Продолжить?" before a fill of more
    // than TilesToAskAbove tiles (estimated from the site and tile areas).
    bool CheckFillBounds();
    // The estimated tile count above which Fill asks (kTilesToAskAbove).
    void SetTilesToAskAbove(double count) { m_tilesToAskAbove = count; }
    // "Заполнить". False when refused (not ready, too large, or a run is pending).
    bool Fill();
    // What Fill and LayOnePattern do first: clear the laying, go to the fill
    // scale, build the site region, and count the first step as pending.
    void PrepareFill();
    // "Положить один узор": the copy at the start point only.
    bool LayOnePattern();
    // The fill "Заполнить" would lay, laid here and now without a word to
    // the user: nothing asked or shown, nothing posted, whatever sink the
    // project has. For a caller that tries many fills on a copy of its own,
    // on any thread. False when not ready (no border, tile, pattern or start
    // point) or while a run is pending.
    bool FillQuietly();
    // A posted step of run `run`: lays queued copies for at most the step
    // budget; steps of another run (cancelled, finished) do nothing.
    void HandleLayStep(std::uint64_t run);
    // Ends a pending run as a finished one would end, without the
    // completion message; steps still queued are ignored. False when no
    // run was pending.
    bool CancelFill();
    // Origins queued and not yet handled.
    [[nodiscard]] int PendingSteps() const { return m_runner.Pending(); }
    [[nodiscard]] bool IsRunning() const { return m_runner.IsRunning(); }
    // The identifier of the latest run (unique in the process).
    [[nodiscard]] std::uint64_t RunId() const { return m_runner.RunId(); }
    // How long one step may lay copies before it yields; zero lays one copy
    // per step.
    void SetStepBudget(std::chrono::microseconds budget) { m_runner.SetStepBudget(budget); }
    // Decide tiles through the site's cells (the default) or against the
    // whole site every time; the results are the same.
    void SetUseCells(bool useCells) { m_useCells = useCells; }
    // Decide tiles cut by one straight border edge without the region
    // adapter (the default) or with it; the results are the same.
    void SetStraightEdges(bool on) { m_straightEdges = on; }
    // Region tolerance of the latest fill: one device pixel at the fill
    // scale, millimetres.
    [[nodiscard]] double RegionTolerance() const { return m_tolerance; }

    void BuildSiteRegion();
    // Lays the tile of `shape` for the copy at `origin` when it reaches into
    // the site: whole, or cut and matched with a half. True when laid.
    bool PlaceTile(const TLaidShape& shape, TPointF offset, TPointF origin, float orientation);
    // The same for a placement of the working pattern.
    bool PlaceTile(const TTilePlacementPrimitive& placement, TPointF origin);

    // --- marking and recolouring the laid tiles -------------------------------------
    // Marks live in memory only: a step that changes marks alone is in the
    // history (it can be undone) but leaves the project unmodified.
    // The tile whose outline holds `point` (world millimetres), searched from
    // the tiles whose base points sort nearest to it; none when no tile does.
    [[nodiscard]] TTileContainer* TileAt(TPointF point);
    // The tile under the point changes its mark; none when there is no tile.
    TTileContainer* ToggleTileMark(TPointF point);
    // Marking with Shift held: the unmarked tile under the point is marked;
    // none when there is no such tile.
    TTileContainer* MarkTileAt(TPointF point);
    // Corner 1, corner 2, then corner 1 of a new rectangle.
    void SetSelectCorner(float x, float y);
    void ClearSelectRect();
    // Marks the tiles the selection rectangle touches, or with `insideOnly`
    // those wholly inside it. Nothing without both corners.
    void MarkTilesInRect(bool insideOnly);
    // "Запомнить выделенные плитки".
    void RememberMarkedTiles();
    // "Сбросить выделение": no marked and no remembered tiles.
    void ClearMarks();
    // "Размножить выделение": spreads the marks along the offsets between
    // the marked tiles, as a run of steps (the fill's runner). Refused with a
    // warning while a fill runs; does nothing with fewer than two marks.
    bool MultiplySelection();
    [[nodiscard]] bool IsMultiplying() const { return IsRunning() && m_runKind == TRunKind::Multiply; }
    // "Изменить цвет": the marked tiles take `color` (made opaque), their
    // cut pieces counted under the new colour; one step of the history.
    // False when no tile is marked.
    bool RecolorMarkedTiles(std::uint32_t color);
    // Cut tiles whose piece matched no half (a whole tile is counted for
    // each), in laying order.
    [[nodiscard]] std::vector<const TTileContainer*> UnmatchedCutTiles();

    // What the marking steps of the history record: tiles by their place in
    // laying order, valid only for the laying of `Generation`.
    struct TMarks {
        std::uint64_t Generation = 0;
        std::vector<int> Marked;
        std::vector<int> Remembered;
        friend bool operator==(const TMarks&, const TMarks&) = default;
    };
    [[nodiscard]] TMarks Marks() const;
    // False (and nothing changes) when the tiles are no longer those of
    // the marks' laying.
    bool RestoreMarks(const TMarks& marks);
    // Changes as the laid tiles are cleared or laid anew: history steps made
    // on older tiles do nothing any more.
    [[nodiscard]] std::uint64_t TilesGeneration() const { return m_tilesGeneration; }
    // One gesture of the marking tool (press, drag, release) makes one step:
    // between these the operations above record none of their own.
    void BeginMarking();
    void EndMarking(const QString& text);
    // The tiles at those places take those colours, their pieces counted
    // under them (the recolouring step and its undo).
    void RecolorTiles(const std::vector<int>& indices, const std::vector<std::uint32_t>& colors);

    // --- texture (tiles of the default colour) ------------------------------------
    // A brush made elsewhere (none drops the texture); the project file then
    // keeps it as PNG.
    void SetTexture(std::unique_ptr<QBrush> brush);
    // An image file's bytes ("Назначить текстуру"): the texture is decoded
    // from them and the project file keeps them as they are. False when no
    // image could be decoded (nothing changes then).
    bool SetTextureImage(const QByteArray& bytes);
    // The bytes the texture was decoded from; empty for a brush made elsewhere.
    [[nodiscard]] const QByteArray& TextureBytes() const { return m_textureBytes; }

    // --- the project file (*.mpp) ------------------------------------------------
    // What the open and save dialogs offer.
    inline static const QString FileFilter = QStringLiteral("Проекты плиток (*.mpp)|*.mpp|Все файлы (*.*)|*.*");
    // Reads the file into this project (a new one: the window makes it
    // current first). Tile and pattern come from the library by identifier.
    // A failure is shown in an error box and gives false; what was read
    // up to it stays. Border records of an unknown kind are skipped, and
    // the user is told once how many.
    // Progress is shown meanwhile ("Открытие проекта…"); a user who stops
    // it gets false, no message and `cancelled` set, and the project keeps
    // what was read (the caller throws it away).
    bool LoadFromFile(const QString& fileName, bool* cancelled = nullptr);
    // The same from a file's bytes; `fileName` names the project (may be empty).
    bool LoadFromBytes(const QByteArray& bytes, const QString& fileName = QString());
    // Writes the project file. The old file is replaced only when the new
    // one is complete; on failure it stays and an error box says why. After
    // a save the project is named after the file and is not modified.
    bool SaveToFile(const QString& fileName);
    // "Сохранить": to FileName, or to a file the user chooses when the
    // project has none. Whether the project was saved.
    bool Save();
    // "Сохранить как...": to a file the user chooses, which becomes the
    // project's file. Asks before it replaces an existing file.
    bool SaveAs();
    // Before the project is replaced or the program closes: true when the
    // caller may go on (unmodified; saved; the user said No).
    bool SaveQuery();
    // "Открыть": the project file the user picks, nullopt when cancelled.
    [[nodiscard]] static std::optional<QString> AskFileToOpen();

    // --- drawing and report -----------------------------------------------------------
    // The laid tiles (unless a run is pending), marks, border, print
    // rectangle, start point and base point. On a raster device the laid
    // tiles come from their kept picture (PaintTiles), on any other (a
    // printer, a PDF or SVG writer) as vector outlines (DrawTiles).
    void Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) override;
    // The same, every part as vector outlines, whatever the device.
    void DrawVector(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen);
    // The laid tiles, clipped to the site: each colour group's outlines
    // filled with its colour (or the texture), then outlined with `pen`.
    // Kept as a picture of the device until the tiles, the view or the
    // texture change; `useCache` false draws afresh (the same picture).
    void PaintTiles(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen, bool useCache = true);
    // The same as vector outlines clipped by the site's path, on any device.
    void DrawTiles(QPainter& graphics, TDrawingSheet& sheet, const QPen& pen);
    // "Отчет": the report as data, laid out for its dialog.
    [[nodiscard]] TReport Report();

private:
    friend class TProjectFile;
    // The fill's work for the runner: one copy of the pattern per unit.
    class TLayWork;
    // The repeat of a marking: one marked tile spread from per unit.
    class TMultiplyWork;
    enum class TRunKind { Fill, Multiply };

    struct TFillShape {
        const TLaidShape* Shape = nullptr;
        QPointF Offset;       // base point of the tile = origin + Offset
        float Orientation = 0.0f;
        bool Quick = true;     // the cells may decide it
    };

    void clearLaidTiles();
    // A marks step from `before` to now, unless a gesture is open or nothing changed.
    void recordMarks(const TMarks& before, const QString& text, int mergeId = -1);
    void beginMultiply();
    int multiplyNext();
    void finishMultiply(bool cancelled);
    void invalidateView();
    // Refuses (with the reason) what would mix with a pending run.
    bool refuseWhileRunning(TRunKind wanted);
    // What the project file restores as it was stored.
    void forgetTile();
    void restoreStartPoint(const FlaggedPoint& point);
    void restoreTexture(const QByteArray& bytes);
    [[nodiscard]] bool isQuick(const TLaidShape& shape) const;
    bool placeTile(const TLaidShape& shape, QPointF offset, QPointF origin, float orientation, bool quick);
    void prepareShapes();
    [[nodiscard]] QPointF startOrigin() const;
    // Starts the breadth-first walk of the copies from the start point.
    void startWalk();
    // PrepareFill; `quiet` keeps an open border to itself.
    void prepareFill(bool quiet);
    // Lays the next queued copy: one step of the walk. The copies still queued.
    int layNext();
    void finishRun(bool cancelled);
    bool loadFrom(const TStorage* root, const QString& openError, const QString& fileName,
                  std::unique_ptr<TProgress> progress = nullptr, bool* cancelled = nullptr);
    void draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen, bool vectorTiles);

    TStepSink* m_mainWindow;
    TDrawingSheet* m_sheet;
    TSheetScale* m_scale;
    std::unique_ptr<TSheetScale> m_ownScale;
    TPickList* m_pickList = nullptr;

    float m_savedScale = 1.0f;
    std::unique_ptr<TCollage> m_pattern;
    float m_orientation = 0.0f;
    std::unique_ptr<TSiteRegion> m_siteRegion;
    std::unique_ptr<TShapePath> m_sitePath;
    // The two ends of each border chain that does not close, from the last
    // BuildSiteRegion.
    std::vector<std::pair<TPointF, TPointF>> m_openEnds;
    std::unique_ptr<QBrush> m_texture;
    QByteArray m_textureBytes;
    std::unique_ptr<TTile> m_tile;
    TTileList m_laidTiles;
    std::unique_ptr<TCollage> m_workPattern;
    std::unique_ptr<TPartList> m_tileParts;
    std::unique_ptr<TGraphicPrimitive> m_startPoint;
    std::vector<TTileContainer*> m_markedTiles;
    std::vector<TTileContainer*> m_rememberedTiles;

    std::uint64_t m_tilesGeneration = 0;
    std::optional<TMarks> m_gestureFrom;

    // The running fill or repeat of a marking.
    TRunKind m_runKind = TRunKind::Fill;
    std::unique_ptr<TMultiplyWork> m_multiplyWork;
    std::deque<TTileContainer*> m_multiplyQueue;
    TMarks m_multiplyFrom;
    std::unique_ptr<TLayWork> m_layWork;
    TFillRunner m_runner;
    TOriginWalk m_walk;
    // Where the tiles of one copy lie around its origin (world millimetres).
    QRectF m_copyBounds;
    bool m_useCells = true;
    bool m_straightEdges = true;
    double m_tolerance = 0.0;
    std::vector<TFillShape> m_fillShapes;
    TTilesPainter m_painter;
    double m_tilesToAskAbove = kTilesToAskAbove;
};

} // namespace vk
