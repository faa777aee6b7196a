#include "sheet/PlanSheet.h"

#include "geometry/NumberFormat.h"
#include "ui/UserInterface.h"
#include "sheet/FloatingPanel.h"
#include "sheet/RulerLayout.h"
#include "sheet/SizeDialog.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vk {

namespace {
constexpr int kRuler = 32;  // ruler thickness, pixels
constexpr int kOffset = 34; // where the view and the rulers start
constexpr double kWheelShare = 8.0; // one wheel notch scrolls this share of the view

class TCenterViewEvent : public QEvent {
public:
    TCenterViewEvent(int x, int y) : QEvent(TPlanSheet::CenterViewEventType), X(x), Y(y) {}
    int X;
    int Y;
};

// A ruler's picture at its size, filled with the ruler's colour; kept between
// renders so that a repaint allocates nothing.
QImage& clearedPicture(TRuler& ruler, QSize size, const QColor& back) {
    size = size.expandedTo(QSize(1, 1));
    if (ruler.Picture.size() != size) {
        ruler.Picture = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    ruler.Picture.fill(back);
    return ruler.Picture;
}

// Device pixel of a world coordinate, at the centre of the pixel so that
// hairlines come out one pixel wide and crisp.
int pixelOf(double device) { return int(std::floor(device)); }
} // namespace

const QEvent::Type TPlanSheet::CenterViewEventType =
    static_cast<QEvent::Type>(QEvent::registerEventType());

// ---------------------------------------------------------------------------

TTileScrollBox::TTileScrollBox(TPlanSheet* sheet) : QAbstractScrollArea(sheet), m_sheet(sheet) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::CrossCursor);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
}

void TTileScrollBox::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    m_sheet->paintViewport(painter);
}

void TTileScrollBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_sheet->viewportResized();
}

void TTileScrollBox::mousePressEvent(QMouseEvent* event) {
    m_sheet->TrackPointer(TPlanSheet::TMouseKind::Down, event->position(), event->button(),
                          {event->modifiers(), event->buttons()});
}

void TTileScrollBox::mouseReleaseEvent(QMouseEvent* event) {
    m_sheet->TrackPointer(TPlanSheet::TMouseKind::Up, event->position(), event->button(),
                          {event->modifiers(), event->buttons()});
}

void TTileScrollBox::mouseMoveEvent(QMouseEvent* event) {
    m_sheet->TrackPointer(TPlanSheet::TMouseKind::Move, event->position(), Qt::NoButton,
                          {event->modifiers(), event->buttons()});
}

void TTileScrollBox::scrollContentsBy(int, int) { m_sheet->viewportScrolled(); }

void TTileScrollBox::wheelEvent(QWheelEvent* event) {
    // Ctrl + wheel zooms about the pointer, as in every drawing program;
    // otherwise the wheel scrolls by an eighth of the view a notch (the
    // scroll bars' own wheel handling went three line steps, half a view).
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        if (delta.y() != 0) {
            m_sheet->ZoomAt(event->position(), delta.y() > 0);
        }
    } else {
        // Shift turns the vertical wheel sideways.
        const bool sideways = (event->modifiers() & Qt::ShiftModifier) && delta.x() == 0;
        m_sheet->ScrollByNotches(sideways ? delta.y() / 120.0 : delta.x() / 120.0,
                                 sideways ? 0.0 : delta.y() / 120.0);
    }
    event->accept();
}

void TRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (Picture.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
    } else {
        painter.drawImage(0, 0, Picture);
    }
}

// ---------------------------------------------------------------------------

TPlanSheet::TPlanSheet(QWidget* parent) : QWidget(parent), m_leftMargin(kOffset) {
    FHorzRule = new TRuler(this);
    FHorzRule->setObjectName(QStringLiteral("FHorzRule"));
    FVertRule = new TRuler(this);
    FVertRule->setObjectName(QStringLiteral("FVertRule"));

    QFont labelFont(QStringLiteral("MS Sans Serif"), 8);
    labelFont.setStyleHint(QFont::SansSerif);
    QPalette bluePalette = palette();
    bluePalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    FLabelXPosition = new QLabel(this);
    FLabelXPosition->setObjectName(QStringLiteral("FLabelXPosition"));
    FLabelYPosition = new QLabel(this);
    FLabelYPosition->setObjectName(QStringLiteral("FLabelYPosition"));
    for (QLabel* label : {FLabelXPosition, FLabelYPosition}) {
        label->setFont(labelFont);
        label->setPalette(bluePalette);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    FScrollBox = new TTileScrollBox(this);
    FScrollBox->setObjectName(QStringLiteral("FScrollBox"));
    FScrollBox->viewport()->installEventFilter(this);
    connect(FScrollBox->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { viewportScrolled(); });
    connect(FScrollBox->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { viewportScrolled(); });

    FMiniDisplay = new TFloatingPanel(QStringLiteral("Мини-дисплей"), 8, this);
    FMiniDisplay->setObjectName(QStringLiteral("FMiniDisplay"));
    FMiniBox = new QWidget;
    FMiniBox->setObjectName(QStringLiteral("FMiniBox"));
    FMiniBox->setAttribute(Qt::WA_OpaquePaintEvent);
    FMiniBox->installEventFilter(this);
    FMiniBox->setCursor(Qt::PointingHandCursor);
    FMiniDisplay->SetBody(FMiniBox);
    FMiniDisplay->resize(129, 105);
    FMiniDisplay->hide();
    connect(FMiniDisplay, &TFloatingPanel::closeClicked, this, [this] {
        if (OnPSMiniButtonClick) {
            OnPSMiniButtonClick();
        }
    });

    FPrStatus = new TFloatingPanel(QStringLiteral("Элемент"), 10, this);
    FPrStatus->setObjectName(QStringLiteral("FPrStatus"));
    StatusLabel = new QLabel;
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StatusLabel->setWordWrap(false);
    StatusLabel->setMargin(4);
    StatusLabel->setAutoFillBackground(true);
    FPrStatus->SetBody(StatusLabel);
    FPrStatus->resize(209, 153);
    FPrStatus->hide();
    FPrStatus->installEventFilter(this);
    connect(FPrStatus, &TFloatingPanel::closeClicked, this, [this] {
        if (OnPSPrStatusButtonClick) {
            OnPSPrStatusButtonClick();
        }
    });

    FacScale = new QAction(QStringLiteral("Масштаб"), this);
    FacScale->setObjectName(QStringLiteral("FacScale"));
    connect(FacScale, &QAction::triggered, this, [this] { AskScale(); });
    FacMinidisplay = new QAction(QStringLiteral("Мини-дисплей"), this);
    FacMinidisplay->setObjectName(QStringLiteral("FacMinidisplay"));
    FacMinidisplay->setToolTip(QStringLiteral("Мини-дисплей"));
    connect(FacMinidisplay, &QAction::triggered, this, [this] { ShowMiniDisplay(); });
    FacSizeXY = new QAction(QStringLiteral("Размеры"), this);
    FacSizeXY->setObjectName(QStringLiteral("FacSizeXY"));
    connect(FacSizeXY, &QAction::triggered, this, [this] { EditSizes(); });
    FacPrStatus = new QAction(QStringLiteral("Информация об элементе"), this);
    FacPrStatus->setObjectName(QStringLiteral("FacPrStatus"));
    FacPrStatus->setToolTip(QStringLiteral("Информация об элементе"));
    connect(FacPrStatus, &QAction::triggered, this, [this] { ShowElementInfo(); });

    ViewMenu = new QMenu(this);
    ViewMenu->addAction(FacSizeXY);
    ViewMenu->addAction(FacScale);
    ViewMenu->addAction(FacMinidisplay);
    ViewMenu->addAction(FacPrStatus);

    resize(400, 300);
    m_geometry.SetDpi(FScrollBox->viewport()->logicalDpiX());
    layoutChildren();
}

TPlanSheet::~TPlanSheet() { endFeedback(); }

void TPlanSheet::layoutChildren() {
    const int w = width();
    const int h = height();
    const int left = m_leftMargin;
    // The element panel is read while the user points at the drawing: it
    // takes a strip beside the view rather than covering (and catching the
    // clicks of) a piece of it.
    const int dock = FPrStatus->isHidden() ? 0 : FPrStatus->width() + 8;
    const int viewWidth = std::max(0, w - left - dock);
    FLabelXPosition->setGeometry(0, 2, left + 2, 14);
    FLabelYPosition->setGeometry(0, 17, left + 2, 14);
    FHorzRule->setGeometry(left, 0, viewWidth, kRuler);
    FVertRule->setGeometry(0, kOffset, left - (kOffset - kRuler), std::max(0, h - kOffset));
    FScrollBox->setGeometry(left, kOffset, viewWidth, std::max(0, h - kOffset));
    FMiniDisplay->move(left + 4, kOffset + 4);
    FPrStatus->move(left + viewWidth + 4, kOffset + 4);
    FMiniDisplay->raise();
    FPrStatus->raise();
}

void TPlanSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void TPlanSheet::viewportResized() {
    const QSize size = FScrollBox->viewport()->size();
    m_geometry.SetClientSize(size.width(), size.height());
    syncScrollBars();
    InvalidateView();
}

void TPlanSheet::viewportScrolled() {
    if (m_syncing || m_keepScrollBars) {
        return;
    }
    const int h = m_geometry.HorzMax() > 0 ? FScrollBox->horizontalScrollBar()->value()
                                           : m_geometry.HorzPos();
    const int v = m_geometry.VertMax() > 0 ? FScrollBox->verticalScrollBar()->value()
                                           : m_geometry.VertPos();
    m_geometry.SetScrollPos(h, v);
    InvalidateView();
}

void TPlanSheet::KeepScrollBars(bool keep) {
    m_keepScrollBars = keep;
    if (!keep) {
        syncScrollBars();
    }
}

void TPlanSheet::syncScrollBars() {
    if (m_keepScrollBars) {
        return;
    }
    m_syncing = true;
    QScrollBar* hb = FScrollBox->horizontalScrollBar();
    QScrollBar* vb = FScrollBox->verticalScrollBar();
    hb->setRange(0, m_geometry.HorzMax());
    hb->setPageStep(std::max(1, m_geometry.ClientWidth()));
    hb->setSingleStep(std::max(1, m_geometry.HorzLineStep()));
    hb->setValue(std::max(0, m_geometry.HorzPos()));
    vb->setRange(0, m_geometry.VertMax());
    vb->setPageStep(std::max(1, m_geometry.ClientHeight()));
    vb->setSingleStep(std::max(1, m_geometry.VertLineStep()));
    vb->setValue(std::max(0, m_geometry.VertPos()));
    m_syncing = false;
}

void TPlanSheet::geometryChanged() {
    syncScrollBars();
    InvalidateView();
}

bool TPlanSheet::SetScale(double scale) { return applied(m_geometry.SetScale(scale)); }

bool TPlanSheet::applied(bool ok) {
    if (ok) {
        geometryChanged();
    }
    return ok;
}

bool TPlanSheet::SetSizeX(float value) { return applied(m_geometry.SetSizeX(value)); }
bool TPlanSheet::SetSizeY(float value) { return applied(m_geometry.SetSizeY(value)); }
bool TPlanSheet::SetPositiveX(float value) { return applied(m_geometry.SetPositiveX(value)); }
bool TPlanSheet::SetPositiveY(float value) { return applied(m_geometry.SetPositiveY(value)); }
bool TPlanSheet::SetGeometry(float sizeX, float sizeY, float positiveX, float positiveY) {
    return applied(m_geometry.SetGeometry(sizeX, sizeY, positiveX, positiveY));
}

bool TPlanSheet::ZoomIn() { return SetScale(double(Scale()) * 2.0); }
bool TPlanSheet::ZoomOut() { return SetScale(double(Scale()) / 2.0); }

bool TPlanSheet::ZoomAt(QPointF devicePos, bool in) {
    const QPointF world = m_geometry.DeviceToWorld(devicePos.x(), devicePos.y());
    if (!m_geometry.SetScale(double(Scale()) * (in ? 2.0 : 0.5))) {
        return false;
    }
    // The point under the pointer stays under it, as far as the sheet's
    // edges let the view go.
    const QPointF moved = m_geometry.WorldToDevice(world.x(), world.y());
    scrollBy(moved.x() - devicePos.x(), moved.y() - devicePos.y());
    return true;
}

void TPlanSheet::scrollBy(double dx, double dy) {
    // Positions stay within the sheet's pixel range (under 2^30), so the
    // sums cannot overflow.
    constexpr double kLimit = double(1 << 30);
    const auto to = [kLimit](int pos, double by) {
        return int(std::clamp(std::round(double(pos) + by), -kLimit, kLimit));
    };
    m_geometry.SetScrollPos(to(m_geometry.HorzPos(), dx), to(m_geometry.VertPos(), dy));
    geometryChanged();
}

void TPlanSheet::ScrollByNotches(double across, double up) {
    // Wheel up moves the view up (and left), as scroll bars do.
    scrollBy(-across * m_geometry.ClientWidth() / kWheelShare, -up * m_geometry.ClientHeight() / kWheelShare);
}

void TPlanSheet::CenterOn(float x, float y) {
    m_geometry.CenterOn(x, y);
    geometryChanged();
}

QPointF TPlanSheet::GetViewCenter() const { return m_geometry.GetViewCenter(); }

void TPlanSheet::SetView(const ViewRecord& view) {
    m_geometry.SetView(view);
    geometryChanged();
}

QSizeF TPlanSheet::ViewSizeMillimetres() const {
    const QSize px = FScrollBox->viewport()->size();
    const double mmPerPixel = 25.4 / m_geometry.Dpi();
    return {px.width() * mmPerPixel, px.height() * mmPerPixel};
}

ViewRecord TPlanSheet::GetView() const { return m_geometry.GetView(); }

void TPlanSheet::SetUnits(int factor) { m_geometry.SetUnits(factor); }

void TPlanSheet::ChangeUnits(int factor) {
    m_geometry.ChangeUnits(factor);
    geometryChanged();
}

void TPlanSheet::AddViewMenuItems(QMenu* menu) {
    menu->addAction(FacSizeXY);
    menu->addAction(FacScale);
    menu->addAction(FacMinidisplay);
}

void TPlanSheet::PostCenterView(int x, int y) {
    // The event queue takes ownership of posted events.
    QCoreApplication::postEvent(this, new TCenterViewEvent(x, y));
}

bool TPlanSheet::event(QEvent* event) {
    if (event->type() == CenterViewEventType) {
        auto* e = static_cast<TCenterViewEvent*>(event);
        CenterOn(float(e->X), float(e->Y));
        return true;
    }
    return QWidget::event(event);
}

void TPlanSheet::AskScale() {
    const double shown = double(UnitFactor()) * Scale();
    const std::optional<QString> text =
        ui().inputText(QStringLiteral("Масштаб"), QString(), formatFixed(shown, 3));
    if (!text) {
        return;
    }
    const std::optional<double> value = parseNumber(*text);
    if (!value) {
        return; // not a number: nothing happens
    }
    if (!SetScale(*value / UnitFactor())) {
        ui().warning(QStringLiteral("Масштаб %1 не подходит: он должен быть больше нуля, "
                                    "а лист при нём не может быть меньше точки экрана "
                                    "или больше допустимой области прокрутки.")
                         .arg(*text));
    }
}

void TPlanSheet::EditSizes() {
    TSizeDialog dialog(this);
    dialog.SetValues(SizeX(), SizeY(), PositiveX(), PositiveY());
    if (dialog.exec() == QDialog::Accepted) {
        const TSizeDialog::Values v = dialog.GetValues();
        SetGeometry(v.sizeX, v.sizeY, v.positiveX, v.positiveY);
    }
}

// --- panels ----------------------------------------------------------------

void TPlanSheet::ShowMiniDisplay() {
    FMiniDisplay->show();
    FMiniDisplay->raise();
}
void TPlanSheet::HideMiniDisplay() { FMiniDisplay->hide(); }
void TPlanSheet::ShowElementInfo() {
    FPrStatus->show();
    FPrStatus->raise();
}
void TPlanSheet::HideElementInfo() { FPrStatus->hide(); }
void TPlanSheet::SetElementInfo(const QString& text) {
    // Measurement texts end their lines with CR LF; a label wants LF only.
    QString shown = text;
    shown.remove(QChar('\r'));
    StatusLabel->setText(shown);
}
void TPlanSheet::ClearElementInfo() { StatusLabel->clear(); }
QString TPlanSheet::ElementInfo() const { return StatusLabel->text(); }

bool TPlanSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FMiniBox) {
        if (event->type() == QEvent::Paint) {
            paintMiniBox();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            miniBoxClicked(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        }
    } else if (watched == FPrStatus && (event->type() == QEvent::ShowToParent ||
                                         event->type() == QEvent::HideToParent)) {
        // Shown or hidden by anyone (its close button too): the view makes
        // room or takes it back.
        layoutChildren();
    } else if (watched == FScrollBox->viewport() && event->type() == QEvent::ContextMenu) {
        // Windows that own the sheet set their own pop-up menus on it.
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void TPlanSheet::paintMiniBox() {
    QPainter painter(FMiniBox);
    painter.fillRect(FMiniBox->rect(), Qt::white);
    if (!FMiniDisplay->isVisible() || !OnPSMiniPaint) {
        return;
    }
    m_miniTransform = m_geometry.MiniTransform(FMiniBox->width(), FMiniBox->height());
    m_miniValid = true;
    painter.setTransform(m_miniTransform);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(m_palette.AxisPen);
    painter.drawLine(QPointF(PositiveX() - SizeX(), 0.0), QPointF(PositiveX(), 0.0));
    painter.drawLine(QPointF(0.0, PositiveY() - SizeY()), QPointF(0.0, PositiveY()));
    OnPSMiniPaint(painter);
}

void TPlanSheet::miniBoxClicked(QPoint pos) {
    if (!m_miniValid || !m_rendered) {
        return;
    }
    bool invertible = false;
    const QTransform inverse = m_miniTransform.inverted(&invertible);
    if (!invertible) {
        return;
    }
    const QPointF world = inverse.map(QPointF(pos));
    CenterOn(float(world.x()), float(world.y()));
}

// --- pointer -----------------------------------------------------------------

QPointF TPlanSheet::TrackPosition(QPointF devicePos, Qt::KeyboardModifiers modifiers) {
    QPointF world = m_geometry.DeviceToWorld(devicePos.x(), devicePos.y());
    float x = float(world.x());
    float y = float(world.y());
    if (!(modifiers & Qt::ControlModifier) && RoundCoordinates) {
        x = m_geometry.SnapValue(x);
        y = m_geometry.SnapValue(y);
    }
    FLabelXPosition->setText(formatF(double(x) / UnitDivisor()));
    FLabelYPosition->setText(formatF(double(y) / UnitDivisor()));
    return {x, y};
}

void TPlanSheet::TrackPointer(TMouseKind kind, QPointF devicePos, Qt::MouseButton button,
                              TShiftState shift) {
    if (kind == TMouseKind::Move && !m_rendered) {
        return;
    }
    const QPointF p = TrackPosition(devicePos, shift.keys);
    const float x = float(p.x());
    const float y = float(p.y());
    switch (kind) {
    case TMouseKind::Down:
        m_pressed = true;
        if (OnPSMouseDown) OnPSMouseDown(FScrollBox, button, shift, x, y);
        break;
    case TMouseKind::Up:
        if (OnPSMouseUp) OnPSMouseUp(FScrollBox, button, shift, x, y);
        if (m_pressed && button == Qt::LeftButton && OnPSClick) {
            OnPSClick();
        }
        m_pressed = false;
        break;
    case TMouseKind::Move:
        if (OnPSMouseMove) OnPSMouseMove(FScrollBox, shift, x, y);
        break;
    }
}

// --- painting ----------------------------------------------------------------

void TPlanSheet::InvalidateView() {
    m_dirty = true;
    FScrollBox->viewport()->update();
    if (FMiniDisplay->isVisible()) {
        FMiniBox->update();
    }
}

void TPlanSheet::endFeedback() {
    if (m_feedback.isActive()) {
        m_feedback.end();
    }
}

void TPlanSheet::ShowViewImage() {
    endFeedback();
    m_screenImage = m_viewImage;
    FScrollBox->viewport()->update();
}

QPainter* TPlanSheet::ViewGraphics() {
    if (!m_rendered) {
        return nullptr;
    }
    if (!m_feedback.isActive()) {
        m_screenImage.detach();
        m_feedback.begin(&m_screenImage);
        m_feedback.setRenderHint(QPainter::Antialiasing, true);
        m_feedback.setTransform(m_geometry.WorldTransform());
    }
    FScrollBox->viewport()->update();
    return &m_feedback;
}

void TPlanSheet::paintViewport(QPainter& painter) {
    endFeedback();
    if (m_dirty || m_viewImage.size() != FScrollBox->viewport()->size()) {
        RenderView();
    }
    painter.drawImage(0, 0, m_screenImage);
}

void TPlanSheet::RenderView() {
    endFeedback();
    const QSize size = FScrollBox->viewport()->size();
    m_geometry.SetDpi(FScrollBox->viewport()->logicalDpiX());
    m_geometry.SetClientSize(size.width(), size.height());
    m_geometry.UpdateGridStep();
    const TWorldRect vis = m_geometry.VisibleRect();
    // Numbers far from the origin need a wider margin; the view then
    // narrows, and is rendered once more for its new size.
    if (!m_relayingOut) {
        const int wanted = leftMarginFor(vis);
        // Shrinking waits for a clear gain so that the margin does not
        // flicker as the view moves.
        if (wanted > m_leftMargin || wanted + 12 < m_leftMargin) {
            m_leftMargin = wanted;
            m_relayingOut = true;
            layoutChildren();
            RenderView();
            m_relayingOut = false;
            return;
        }
    }
    m_imageOrigin = QPointF(vis.L, vis.B);

    if (m_viewImage.size() != size || m_viewImage.isNull()) {
        m_viewImage = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    } else {
        // The screen's picture shares these pixels; they are about to be
        // painted over, so they need not be copied first.
        m_screenImage = QImage();
    }
    m_viewImage.fill(Qt::white);

    QPainter g(&m_viewImage);
    const QTransform world = m_geometry.WorldTransform();

    // Grid and axes in device pixels: hairlines on whole pixels stay crisp.
    const TGridLines lines = ComputeGridLines(vis, m_geometry.GridStep());
    const QPointF lt = world.map(QPointF(vis.L, vis.T));
    const QPointF rb = world.map(QPointF(vis.R, vis.B));
    const int x0 = pixelOf(lt.x());
    const int x1 = pixelOf(rb.x());
    const int y0 = pixelOf(lt.y());
    const int y1 = pixelOf(rb.y());
    const double k = m_geometry.K();
    const double ox = world.dx();
    const double oy = world.dy();
    // One-pixel solid fills are far cheaper than stroked hairlines, and a
    // fine grid at a small scale has a line every few pixels.
    const auto vertical = [&](const std::vector<double>& xs, const QPen& pen) {
        const QColor colour = pen.color();
        for (double x : xs) {
            g.fillRect(QRect(pixelOf(x * k + ox), y0, 1, y1 - y0 + 1), colour);
        }
    };
    const auto horizontal = [&](const std::vector<double>& ys, const QPen& pen) {
        const QColor colour = pen.color();
        for (double y : ys) {
            g.fillRect(QRect(x0, pixelOf(-y * k + oy), x1 - x0 + 1, 1), colour);
        }
    };
    if (vis.R >= vis.L && vis.T >= vis.B) {
        vertical(lines.fineX, m_palette.GridPen);
        horizontal(lines.fineY, m_palette.GridPen);
        vertical(lines.fifthX, m_palette.GridPen5);
        horizontal(lines.fifthY, m_palette.GridPen5);
        vertical(lines.tenthX, m_palette.GridPen10);
        horizontal(lines.tenthY, m_palette.GridPen10);
        if (lines.axisX) horizontal({0.0}, m_palette.AxisPen);
        if (lines.axisY) vertical({0.0}, m_palette.AxisPen);
    }

    renderRulers(vis, lines);
    m_rendered = true;
    m_dirty = false;

    if (OnPSPaint) {
        g.setTransform(world);
        g.setRenderHint(QPainter::Antialiasing, true);
        OnPSPaint(g);
    }
    g.end();
    // What is on screen is the new picture, with no feedback over it.
    m_screenImage = m_viewImage;
    FScrollBox->viewport()->update();
    FHorzRule->update();
    FVertRule->update();
}

int TPlanSheet::leftMarginFor(const TWorldRect& vis) const {
    if (!(vis.R >= vis.L && vis.T >= vis.B)) {
        return kOffset;
    }
    const QFontMetricsF readOut(FLabelXPosition->font(), FLabelXPosition);
    const QFontMetricsF ruler(m_palette.LabelFont, FVertRule);
    double widest = 0.0;
    // The pointer's read-out shows any place in the view; its extremes are
    // the widest (the sign counts).
    for (const double v : {vis.L, vis.R, vis.B, vis.T}) {
        widest = std::max(widest, readOut.horizontalAdvance(formatF(v / UnitDivisor())));
    }
    const double k = m_geometry.K();
    const double textHeight = ruler.height();
    for (const TRulerNumber& n : ComputeRulerNumbers(vis.B, vis.T, m_geometry.GridStep(), UnitDivisor(),
                                                     [&](const QString&) { return textHeight / k; })) {
        widest = std::max(widest, ruler.horizontalAdvance(n.text));
    }
    return std::max(kOffset, int(std::ceil(widest)) + 6);
}

void TPlanSheet::renderRulers(const TWorldRect& vis, const TGridLines& lines) {
    const QTransform world = m_geometry.WorldTransform();
    const double k = m_geometry.K();
    const double ox = world.dx();
    const double oy = world.dy();
    const QColor back = palette().color(QPalette::Window);
    const QFontMetricsF fm(m_palette.LabelFont, FHorzRule);
    const double textHeight = fm.height();
    const bool visible = vis.R >= vis.L && vis.T >= vis.B;

    // Horizontal ruler: the same x mapping as the view; y downward, pixels.
    {
        QPainter p(&clearedPicture(*FHorzRule, QSize(FHorzRule->width(), kRuler), back));
        p.setPen(m_palette.RulerPen);
        if (visible) {
            for (double x : lines.fifthX) {
                const int px = pixelOf(x * k + ox);
                p.drawLine(px, kRuler * 3 / 4, px, kRuler);
            }
            for (double x : lines.tenthX) {
                const int px = pixelOf(x * k + ox);
                p.drawLine(px, kRuler / 2, px, kRuler);
            }
            p.setFont(m_palette.LabelFont);
            const auto numbers = ComputeRulerNumbers(
                vis.L, vis.R, m_geometry.GridStep(), UnitDivisor(),
                [&](const QString& text) { return fm.horizontalAdvance(text) / k; });
            p.setPen(m_palette.TextBrush.color());
            for (const TRulerNumber& n : numbers) {
                const double left = (n.K - n.extent / 2.0) * k + ox;
                p.drawText(QPointF(left, fm.ascent()), n.text);
            }
            // The unit name, blue, centred under the "0".
            const QString unit = GetUnitName();
            const double wu = fm.horizontalAdvance(unit);
            // The ticks at the origin run through this place: keep the name legible.
            const QRectF box(ox - wu / 2.0 - 1.0, textHeight, wu + 2.0, textHeight);
            p.fillRect(box, back);
            p.setPen(m_palette.UnitBrush.color());
            p.drawText(QPointF(ox - wu / 2.0, textHeight + fm.ascent()), unit);
        }
    }

    // Vertical ruler: the same y mapping as the view; text upright.
    {
        QPainter p(&clearedPicture(*FVertRule, QSize(kRuler, FVertRule->height()), back));
        p.setPen(m_palette.RulerPen);
        if (visible) {
            for (double y : lines.fifthY) {
                const int py = pixelOf(-y * k + oy);
                p.drawLine(kRuler * 3 / 4, py, kRuler, py);
            }
            for (double y : lines.tenthY) {
                const int py = pixelOf(-y * k + oy);
                p.drawLine(kRuler / 2, py, kRuler, py);
            }
            p.setFont(m_palette.LabelFont);
            const auto numbers =
                ComputeRulerNumbers(vis.B, vis.T, m_geometry.GridStep(), UnitDivisor(),
                                    [&](const QString&) { return textHeight / k; });
            p.setPen(m_palette.TextBrush.color());
            for (const TRulerNumber& n : numbers) {
                // The text box stands on the height K: lower edge at K.
                const double bottom = -n.K * k + oy;
                p.drawText(QPointF(1.0, bottom - fm.descent()), n.text);
            }
        }
    }
}

} // namespace vk
