#include "app/WorkTile.h"

#include "app/CollageEditor.h"
#include "app/HelpViewer.h"
#include "app/Icons.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/Matrix.h"
#include "model/Config.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"
#include "sheet/FloatEdit.h"
#include "sheet/PlanSheet.h"
#include "sheet/PointEditor.h"
#include "sheet/TilePlacementEditor.h"
#include "ui/SheetPalette.h"
#include "ui/UserInterface.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vk {

using namespace Qt::StringLiterals;

namespace {

constexpr ViewRecord kDefaultView{600.0f, 600.0f, 300.0f, 300.0f, 1.0f, 0.0f, 0.0f};

QToolButton* smallButton(QWidget* parent, QAction* action) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

} // namespace

TfrmWorkTile::TfrmWorkTile(TfrmCollageEditor& editor) : QDialog(&editor), m_editor(editor) {
    setObjectName(u"frmWorkTile"_s);
    setWindowTitle(u"Добавить плитку в узор"_s);
    SetHelpContextOf(*this, HelpContext);
    setModal(false);
    resize(900, 600);

    TilePlanSheet = new TPlanSheet(this);
    TilePlanSheet->setObjectName(u"TilePlanSheet"_s);
    TilePlanSheet->SetGeometry(kDefaultView.SizeX, kDefaultView.SizeY, kDefaultView.PositiveX, kDefaultView.PositiveY);
    TilePlanSheet->SetScale(kDefaultView.Scale);
    TilePlanSheet->RoundCoordinates = true;
    TilePlanSheet->SetUnits(GlobalConfig().DisplayUnits);

    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    TilePlacement = new TTilePlacementEditor(panel);
    TilePlacement->setObjectName(u"TilePlacement"_s);
    column->addWidget(TilePlacement);
    btAddTile = new QPushButton(u"Добавить в узор"_s, panel);
    btAddTile->setObjectName(u"btAddTile"_s);
    btAddTile->setAutoDefault(false);
    column->addWidget(btAddTile);

    auto* zoomIn = new QAction(MakeIcon(u"acScaleUp"_s), u"Увеличить"_s, this);
    auto* zoomOut = new QAction(MakeIcon(u"acScaleDown"_s), u"Уменьшить"_s, this);
    auto* scale = new QAction(MakeIcon(u"acAskScale"_s), u"Масштаб"_s, this);
    acMinidisplay = new QAction(MakeIcon(u"acMinidisplay"_s), u"Мини-дисплей"_s, this);
    acMinidisplay->setCheckable(true);
    auto* buttons = new QHBoxLayout;
    for (QAction* action : {zoomIn, zoomOut, scale, acMinidisplay}) {
        buttons->addWidget(smallButton(panel, action));
    }
    buttons->addStretch();
    column->addLayout(buttons);
    column->addStretch();
    btHelp = new QPushButton(u"Помощь"_s, panel);
    btHelp->setAutoDefault(false);
    column->addWidget(btHelp);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(TilePlanSheet, 1);
    layout->addWidget(panel);

    acClearHandPoint = new QAction(u"Сбросить точку на плитке"_s, this);
    acClearHandPoint->setObjectName(u"acClearHandPoint"_s);
    acClearHandPoint->setToolTip(u"Сбросить точку на плитке"_s);
    auto* popup = new QMenu(this);
    popup->setObjectName(u"TilePopup"_s);
    popup->addAction(acClearHandPoint);
    popup->addSeparator();
    TilePlanSheet->AddViewMenuItems(popup);
    TilePlanSheet->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TilePlanSheet, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(TilePlanSheet->mapToGlobal(at)); });

    connect(btAddTile, &QPushButton::clicked, this, &TfrmWorkTile::AddPlacement);
    connect(btHelp, &QPushButton::clicked, this, [] { ShowHelp(HelpContext); });
    connect(acClearHandPoint, &QAction::triggered, this, &TfrmWorkTile::ClearHandPoint);
    connect(zoomIn, &QAction::triggered, this, [this] { TilePlanSheet->ZoomIn(); });
    connect(zoomOut, &QAction::triggered, this, [this] { TilePlanSheet->ZoomOut(); });
    connect(scale, &QAction::triggered, this, [this] { TilePlanSheet->FacScale->trigger(); });
    connect(acMinidisplay, &QAction::toggled, this, [this](bool down) {
        if (down) {
            TilePlanSheet->ShowMiniDisplay();
        } else {
            TilePlanSheet->HideMiniDisplay();
        }
    });
    TilePlanSheet->OnPSMiniButtonClick = [this] { acMinidisplay->setChecked(false); };
    TilePlanSheet->OnPSPaint = [this](QPainter& g) { paintTile(g); };
    TilePlanSheet->OnPSMiniPaint = [this](QPainter& g) {
        m_editor.WorkTile().DrawElements(g, *TilePlanSheet, &TilePlanSheet->Palette().BlackPen);
    };
    TilePlanSheet->OnPSMouseDown = [this](QObject*, Qt::MouseButton button, TShiftState, float x, float y) {
        TileMouseDown(button, x, y);
    };
    TilePlacement->OnOrientChanged = [this] { OrientChanged(); };
    TilePlacement->TP->OnPointChanged = [this] { TilePointChanged(); };
    TilePlacement->PP->OnPointChanged = [this] { PatternPointChanged(); };
}

TfrmWorkTile::~TfrmWorkTile() {
    TilePlanSheet->OnPSPaint = nullptr;
    TilePlanSheet->OnPSMiniPaint = nullptr;
    TilePlanSheet->OnPSMouseDown = nullptr;
}

void TfrmWorkTile::TileMouseDown(Qt::MouseButton button, float x, float y) {
    if (button != Qt::LeftButton) {
        return;
    }
    m_editor.MarkTilePointAt(x, y);
    TilePlacement->TP->SetPoint({x, y});
    TilePlanSheet->InvalidateView();
}

void TfrmWorkTile::OrientChanged() {
    m_editor.SetPlaceAngle(float(TilePlacement->TileAngle->Value()));
    const FlaggedPoint marked = m_editor.MarkedTilePoint();
    if (marked.isSet()) {
        const TPointF v = RotatePoint(marked.point(), m_editor.PlaceAngle(), {0.0f, 0.0f});
        TilePlacement->TP->SetPoint(m_editor.WorkTile().ToWorld(v));
    }
    TilePlanSheet->InvalidateView();
}

void TfrmWorkTile::TilePointChanged() {
    const TPointF p = TilePlacement->TP->Point();
    m_editor.MarkTilePointAt(p.X, p.Y);
    TilePlanSheet->InvalidateView();
}

void TfrmWorkTile::PatternPointChanged() {
    const TPointF p = TilePlacement->PP->Point();
    m_editor.MarkPlaceAt(p.X, p.Y);
}

void TfrmWorkTile::ClearHandPoint() {
    m_editor.ClearMarkedTilePoint();
    TilePlacement->TP->SetPoint(m_editor.WorkTile().BasePoint.point());
    TilePlanSheet->InvalidateView();
}

void TfrmWorkTile::AddPlacement() {
    if (!m_editor.MarkedPlace().isSet()) {
        ui().warning(u"На узоре не обозначено место плитки"_s);
        return;
    }
    const bool filledIn = !m_editor.MarkedTilePoint().isSet();
    if (filledIn) {
        m_editor.MarkTilePointAt(m_editor.WorkTile().BasePoint.X, m_editor.WorkTile().BasePoint.Y);
    }
    m_editor.AddPlacement(m_editor.MarkedTilePoint());
    if (filledIn) {
        m_editor.ClearMarkedTilePoint();
    }
    TilePlanSheet->InvalidateView();
}

void TfrmWorkTile::paintTile(QPainter& g) {
    TTile& tile = m_editor.WorkTile();
    const FlaggedPoint marked = m_editor.MarkedTilePoint();
    if (marked.isSet()) {
        const TPointF v = RotatePoint(marked.point(), m_editor.PlaceAngle(), {0.0f, 0.0f});
        DrawPlusMarker(g, *TilePlanSheet, v, &TilePlanSheet->Palette().BluePen, tile);
    }
    tile.Draw(g, *TilePlanSheet, true, &TilePlanSheet->Palette().BlackRoundPen);
    if (m_firstPaint) {
        m_firstPaint = false;
        QTimer::singleShot(0, this, [this] { restoreView(); });
    }
}

void TfrmWorkTile::restoreView() {
    TTileLibrary* library = TileDB();
    if (library == nullptr || m_editor.WorkTile().ID == -1) {
        return;
    }
    ViewRecord stored;
    stored.Scale = -1.0f;
    library->LoadView(m_editor.WorkTile().ID, stored);
    if (stored.Scale == -1.0f) {
        return;
    }
    // The tile editor's last view, at half its scale.
    ViewRecord view = stored;
    view.Scale = stored.Scale / 2.0f;
    TilePlanSheet->SetView(view);
}

void TfrmWorkTile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        TilePlanSheet->PostCenterView(0, 0);
    }
}

void TfrmWorkTile::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

} // namespace vk
