#include "app/PartsWindow.h"

#include "model/Parts.h"
#include "model/Tile.h"
#include "ui/UserInterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace vk {

using namespace Qt::StringLiterals;

namespace {

QToolButton* buttonFor(QWidget* parent, QAction* action) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TfrmParts::TfrmParts(QWidget* parent, TTile& tile, TPartList& parts)
    : QDockWidget(u"Половинки"_s, parent), m_tile(tile), m_parts(parts) {
    setObjectName(u"frmParts"_s);
    SetHelpContextOf(*this, HelpContext);
    setFeatures(QDockWidget::DockWidgetClosable);

    using A = TPartsAction;
    using E = TEnable;
    const QList<QKeySequence> none;
    const TActionRow<A, E> rows[] = {
        {A::acAddPart, "acAddPart", u"Добавить"_s, u"Добавить разделение на половинки"_s, none, E::Always},
        {A::acEditPart, "acEditPart", u"Редактировать"_s, u"Изменить название разделения"_s, none, E::Part},
        {A::acDelPart, "acDelPart", u"Удалить"_s, u"Удалить разделение на половинки"_s, none, E::Part},
        {A::acSetEquals, "acSetEquals", u"Взаимозаменяемые"_s,
         u"Отметить, если одну половинку можно использовать вместо другой"_s, none, E::Part, TActionKind::Check},
        {A::acEditContour, "acEditContour", u"Редактировать"_s, u"Изменить название половинки"_s, none, E::Contour},
        {A::acDelContour, "acDelContour", u"Удалить"_s, u"Удалить половинку"_s, none, E::Contour},
    };
    m_actions.Add(this, rows);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    lbParts = new QListWidget(left);
    lbParts->setObjectName(u"lbParts"_s);
    leftLayout->addWidget(lbParts);
    auto* partButtons = new QHBoxLayout;
    for (A id : {A::acAddPart, A::acEditPart, A::acDelPart}) {
        partButtons->addWidget(buttonFor(left, Action(id)));
    }
    leftLayout->addLayout(partButtons);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    lbContours = new QListWidget(right);
    lbContours->setObjectName(u"lbContours"_s);
    rightLayout->addWidget(lbContours);
    cbEquals = new QCheckBox(Action(A::acSetEquals)->text(), right);
    cbEquals->setObjectName(u"cbEquals"_s);
    cbEquals->setToolTip(Action(A::acSetEquals)->toolTip());
    rightLayout->addWidget(cbEquals);
    auto* contourButtons = new QHBoxLayout;
    for (A id : {A::acEditContour, A::acDelContour}) {
        contourButtons->addWidget(buttonFor(right, Action(id)));
    }
    rightLayout->addLayout(contourButtons);
    setWidget(splitter);

    // The check box and its command follow each other.
    connect(cbEquals, &QCheckBox::clicked, this, [this] { Action(TPartsAction::acSetEquals)->trigger(); });
    connect(Action(A::acSetEquals), &QAction::toggled, cbEquals, &QCheckBox::setChecked);
    connect(Action(A::acSetEquals), &QAction::enabledChanged, cbEquals, &QWidget::setEnabled);
    connect(Action(A::acSetEquals), &QAction::triggered, this, &TfrmParts::acSetEqualsExecute);
    connect(Action(A::acAddPart), &QAction::triggered, this, &TfrmParts::acAddPartExecute);
    connect(Action(A::acEditPart), &QAction::triggered, this, &TfrmParts::acEditPartExecute);
    connect(Action(A::acDelPart), &QAction::triggered, this, &TfrmParts::acDelPartExecute);
    connect(Action(A::acEditContour), &QAction::triggered, this, &TfrmParts::acEditContourExecute);
    connect(Action(A::acDelContour), &QAction::triggered, this, &TfrmParts::acDelContourExecute);
    connect(lbParts, &QListWidget::itemClicked, this, [this] { SelectPart(lbParts->currentRow()); });
    connect(lbContours, &QListWidget::itemClicked, this, [this] { SelectContour(lbContours->currentRow()); });

    lbParts->addItems(m_parts.Names());
    m_parts.ItemIndex = -1;
    RunWhenIdle(this, [this] { UpdateActions(); });
    UpdateActions();
}

bool TfrmParts::IsEnabled(TEnable rule) const {
    switch (rule) {
    case TEnable::Always:
        return true;
    case TEnable::Part:
        return m_parts.CurrentItem() != nullptr;
    case TEnable::Contour:
        return m_parts.CurrentItem() != nullptr && lbContours->currentRow() >= 0;
    }
    return false;
}

void TfrmParts::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    emit Closed();
}

void TfrmParts::fillContours() {
    lbContours->clear();
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    lbContours->addItems(part->Contours.Names());
    lbContours->setCurrentRow(-1);
    const QSignalBlocker quiet(Action(TPartsAction::acSetEquals));
    Action(TPartsAction::acSetEquals)->setChecked(part->Equals);
    cbEquals->setChecked(part->Equals);
}

void TfrmParts::SelectPart(int row) {
    if (row < 0 || row >= m_parts.Count()) {
        return;
    }
    lbParts->setCurrentRow(row);
    m_parts.ItemIndex = row;
    fillContours();
    UpdateActions();
    emit HalvesChanged();
}

void TfrmParts::SelectContour(int row) {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    lbContours->setCurrentRow(row);
    part->Contours.ItemIndex = row;
    UpdateActions();
    emit HalvesChanged();
}

void TfrmParts::acAddPartExecute() {
    const std::optional<QString> name = ui().inputText(u"Название половинок"_s, QString(), u"Безымянная"_s);
    if (!name) {
        return;
    }
    for (int i = 0; i < lbParts->count(); ++i) {
        if (lbParts->item(i)->text().compare(*name, Qt::CaseInsensitive) == 0) {
            ui().information(u"Набор половинок \"%1\" уже существует"_s.arg(*name));
            return;
        }
    }
    if (TPart* current = m_parts.CurrentItem()) {
        current->Contours.ItemIndex = -1;
    }
    auto part = std::make_unique<TPart>(&m_tile);
    part->SetName(*name);
    part->AttachToTile(&m_tile);
    TPart* added = m_parts.Add(std::move(part));
    added->Contours.ItemIndex = -1;
    lbParts->addItem(*name);
    lbParts->setCurrentRow(lbParts->count() - 1);
    m_parts.ItemIndex = lbParts->count() - 1;
    lbContours->clear();
    {
        const QSignalBlocker quiet(Action(TPartsAction::acSetEquals));
        Action(TPartsAction::acSetEquals)->setChecked(false);
    }
    cbEquals->setChecked(false);
    UpdateActions();
    emit HalvesChanged();
}

void TfrmParts::acEditPartExecute() {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    const std::optional<QString> name = ui().inputText(u"Название половинок"_s, QString(), part->Name());
    if (!name) {
        return;
    }
    part->SetName(*name);
    lbParts->item(m_parts.ItemIndex)->setText(*name);
    emit HalvesChanged();
}

void TfrmParts::acDelPartExecute() {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    if (ui().confirm(u"Удалить набор половинок \"%1\"?"_s.arg(part->Name()), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    const int row = m_parts.ItemIndex;
    m_parts.Delete(row);
    delete lbParts->takeItem(row);
    if (lbParts->currentRow() < 0 && lbParts->count() > 0) {
        lbParts->setCurrentRow(lbParts->count() - 1);
    }
    m_parts.ItemIndex = lbParts->count() > 0 ? lbParts->currentRow() : -1;
    fillContours();
    UpdateActions();
    emit HalvesChanged();
}

void TfrmParts::acSetEqualsExecute(bool on) {
    if (TPart* part = m_parts.CurrentItem()) {
        part->Equals = on;
    }
}

void TfrmParts::acEditContourExecute() {
    TPart* part = m_parts.CurrentItem();
    const int row = lbContours->currentRow();
    if (part == nullptr || row < 0 || row >= part->Contours.Count()) {
        return;
    }
    const std::optional<QString> name =
        ui().inputText(u"Название половинки"_s, QString(), part->Contours.Items(row)->Name());
    if (!name) {
        return;
    }
    part->Contours.Items(row)->SetName(*name);
    lbContours->item(row)->setText(*name);
    emit HalvesChanged();
}

void TfrmParts::acDelContourExecute() {
    TPart* part = m_parts.CurrentItem();
    const int row = lbContours->currentRow();
    if (part == nullptr || row < 0 || row >= part->Contours.Count()) {
        return;
    }
    const QString question = u"Удалить половинку \"%1\"?"_s.arg(part->Contours.Items(row)->Name());
    if (ui().confirm(question, TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    part->Contours.Delete(row);
    delete lbContours->takeItem(row);
    if (lbContours->currentRow() < 0 && lbContours->count() > 0) {
        lbContours->setCurrentRow(lbContours->count() - 1);
    }
    part->Contours.ItemIndex = lbContours->currentRow();
    UpdateActions();
    emit HalvesChanged();
}

void TfrmParts::ContourAdded() {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr || part->Contours.Count() == 0) {
        return;
    }
    lbContours->addItem(part->Contours.Items(part->Contours.Count() - 1)->Name());
    emit HalvesChanged();
}

} // namespace vk
