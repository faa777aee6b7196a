#pragma once
// The drawing surface of every window: a scrollable, zoomable view of a piece
// of the world plane with rulers, a grid, a pointer read-out, an overview and
// an element-information panel. It knows nothing of documents: they draw in
// its paint event and receive pointer events in world millimetres.

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "sheet/SheetGeometry.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace vk {

class TFloatingPanel;
struct TGridLines;
class TPlanSheet;

// The scroll box that shows the view. Every paint covers it fully.
class TTileScrollBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TTileScrollBox(TPlanSheet* sheet);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TPlanSheet* m_sheet;
};

// A ruler strip; it shows the picture the last render made for it.
class TRuler : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QImage Picture;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TPlanSheet : public QWidget, public TDrawingSheet {
    Q_OBJECT
public:
    using TPSMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                             TShiftState shift, float x, float y)>;
    using TPSMouseMoveEvent =
        std::function<void(QObject* sender, TShiftState shift, float x, float y)>;
    using TNotifyEvent = std::function<void()>;
    using TPaintEvent = std::function<void(QPainter& graphics)>;

    explicit TPlanSheet(QWidget* parent = nullptr);
    ~TPlanSheet() override;

    // --- properties ---
    [[nodiscard]] float Scale() const { return m_geometry.Scale(); }
    bool SetScale(double scale);
    // While kept, the scroll bars stay as they are whatever the view does,
    // and scrolling them moves nothing; let go, they follow the view again.
    void KeepScrollBars(bool keep);
    [[nodiscard]] float SizeX() const { return m_geometry.SizeX(); }
    [[nodiscard]] float SizeY() const { return m_geometry.SizeY(); }
    [[nodiscard]] float PositiveX() const { return m_geometry.PositiveX(); }
    [[nodiscard]] float PositiveY() const { return m_geometry.PositiveY(); }
    bool SetSizeX(float value);
    bool SetSizeY(float value);
    bool SetPositiveX(float value);
    bool SetPositiveY(float value);
    bool SetGeometry(float sizeX, float sizeY, float positiveX, float positiveY);
    bool RoundCoordinates = true;

    [[nodiscard]] const TSheetGeometry& Geometry() const { return m_geometry; }

    // --- operations ---
    bool ZoomIn();
    bool ZoomOut();
    // Doubles (in) or halves the scale keeping the world point under the
    // device position `devicePos` of the view where it is.
    bool ZoomAt(QPointF devicePos, bool in);
    // Scrolls by wheel notches, each an eighth of the view; positive goes
    // left and up.
    void ScrollByNotches(double across, double up);
    void CenterOn(float x, float y);
    [[nodiscard]] QPointF GetViewCenter() const;
    void SetView(const ViewRecord& view) override;
    [[nodiscard]] QSizeF ViewSizeMillimetres() const override;
    [[nodiscard]] ViewRecord GetView() const;
    void SetUnits(int factor);
    void ChangeUnits(int factor);
    [[nodiscard]] int UnitFactor() const { return m_geometry.UnitFactor(); }
    void AddViewMenuItems(QMenu* menu);
    // Posts the "centre the view" request; it runs after the events already queued.
    void PostCenterView(int x, int y);

    void ShowMiniDisplay();
    void HideMiniDisplay();
    void ShowElementInfo();
    void HideElementInfo();
    [[nodiscard]] QString ElementInfo() const;

    // Draws grid, rulers and documents into the view image.
    void RenderView();
    [[nodiscard]] const QImage& ViewImage() const { return m_viewImage; }
    [[nodiscard]] QPointF ImageOrigin() const { return m_imageOrigin; }
    // The picture on screen: the view image plus any feedback drawn over it.
    [[nodiscard]] const QImage& ScreenImage() const { return m_screenImage; }
    [[nodiscard]] bool HasRendered() const { return m_rendered; }

    // Ask for a scale through the input box "Масштаб".
    void AskScale();
    // The dialog "Размеры и оси кординат".
    void EditSizes();

    // --- TDrawingSheet ---
    [[nodiscard]] float PickTolerance() const override { return m_geometry.PickTolerance(); }
    [[nodiscard]] int UnitDivisor() const override { return m_geometry.UnitDivisor(); }
    [[nodiscard]] QString GetUnitName() const override { return m_geometry.UnitName(); }
    [[nodiscard]] const TSheetPalette& Palette() const override { return m_palette; }
    TSheetPalette& Palette() { return m_palette; }
    void SetElementInfo(const QString& text) override;
    void ClearElementInfo() override;
    void ShowViewImage() override;
    [[nodiscard]] QPainter* ViewGraphics() override;
    void InvalidateView() override;

    // --- events ---
    TPSMouseEvent OnPSMouseDown;
    TPSMouseEvent OnPSMouseUp;
    TPSMouseMoveEvent OnPSMouseMove;
    TNotifyEvent OnPSClick;
    TPaintEvent OnPSPaint;
    TPaintEvent OnPSMiniPaint;
    TNotifyEvent OnPSMiniButtonClick;
    TNotifyEvent OnPSPrStatusButtonClick;

    // --- child components ---
    TRuler* FHorzRule = nullptr;
    TRuler* FVertRule = nullptr;
    QLabel* FLabelXPosition = nullptr;
    QLabel* FLabelYPosition = nullptr;
    TTileScrollBox* FScrollBox = nullptr;
    TFloatingPanel* FMiniDisplay = nullptr;
    QWidget* FMiniBox = nullptr;
    TFloatingPanel* FPrStatus = nullptr;
    QLabel* StatusLabel = nullptr;
    QAction* FacScale = nullptr;
    QAction* FacMinidisplay = nullptr;
    QAction* FacSizeXY = nullptr;
    QAction* FacPrStatus = nullptr;
    // The four view items the sheet offers in a pop-up menu of its own.
    QMenu* ViewMenu = nullptr;

    enum class TMouseKind { Down, Up, Move };
    // Pointer tracking for one event of the view at a device position.
    void TrackPointer(TMouseKind kind, QPointF devicePos, Qt::MouseButton button,
                      TShiftState shift);
    // The world position a device point is reported as (snapped unless Ctrl).
    [[nodiscard]] QPointF TrackPosition(QPointF devicePos, Qt::KeyboardModifiers modifiers);

    static const QEvent::Type CenterViewEventType;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TTileScrollBox;
    void viewportResized();
    void viewportScrolled();
    void paintViewport(QPainter& painter);
    void paintMiniBox();
    void miniBoxClicked(QPoint pos);
    void syncScrollBars();
    void geometryChanged();
    // Moves the view by device pixels, clamped as the scroll bars clamp.
    void scrollBy(double dx, double dy);
    // Repaints after a change the geometry accepted; passes the answer on.
    bool applied(bool ok);
    void endFeedback();
    // The ticks sit on the grid's fifth and tenth lines.
    void renderRulers(const TWorldRect& visible, const TGridLines& lines);
    void layoutChildren();
    // The width left of the view (vertical ruler, pointer read-out) that
    // shows the widest number of `visible`, sign included.
    [[nodiscard]] int leftMarginFor(const TWorldRect& visible) const;

    TSheetGeometry m_geometry;
    int m_leftMargin = 0;
    bool m_relayingOut = false;
    TSheetPalette m_palette;
    QImage m_viewImage;
    QImage m_screenImage;
    QPointF m_imageOrigin;
    QPainter m_feedback;
    bool m_dirty = true;
    bool m_rendered = false;
    bool m_syncing = false;
    bool m_keepScrollBars = false;
    bool m_pressed = false;
    QTransform m_miniTransform;
    bool m_miniValid = false;
};

} // namespace vk
