#include "app/PartsWindow.h"

#include "model/PartCommands.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "ui/UserInterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QToolButton>
#include <QUndoStack>
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
        {A::acCheckHalves, "acCheckHalves", u"Проверить"_s,
         u"Проверить, что половинки покрывают плитку без наложений"_s, none, E::Part},
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
    for (A id : {A::acEditContour, A::acDelContour, A::acCheckHalves}) {
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
    connect(Action(A::acCheckHalves), &QAction::triggered, this, &TfrmParts::CheckRequested);
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

void TfrmParts::setEqualsBox(bool on) {
    const QSignalBlocker quiet(Action(TPartsAction::acSetEquals));
    Action(TPartsAction::acSetEquals)->setChecked(on);
    cbEquals->setChecked(on);
}

void TfrmParts::fillContours() {
    lbContours->clear();
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    lbContours->addItems(part->Contours.Names());
    lbContours->setCurrentRow(-1);
    setEqualsBox(part->Equals);
}

void TfrmParts::Refresh() {
    {
        const QSignalBlocker quiet(lbParts);
        lbParts->clear();
        lbParts->addItems(m_parts.Names());
        lbParts->setCurrentRow(m_parts.ItemIndex);
    }
    const QSignalBlocker quiet(lbContours);
    lbContours->clear();
    if (TPart* part = m_parts.CurrentItem()) {
        lbContours->addItems(part->Contours.NamesOnly());
        lbContours->setCurrentRow(part->Contours.ItemIndex);
        setEqualsBox(part->Equals);
    } else {
        setEqualsBox(false);
    }
    UpdateActions();
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

// Each change is a step of the part list's history; the editor, told by the
// history, shows its outcome here and on the sheet.

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
    m_parts.History().push(new TAddPartCommand(m_parts, *name));
}

void TfrmParts::acEditPartExecute() {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    const std::optional<QString> name = ui().inputText(u"Название половинок"_s, QString(), part->Name());
    if (!name || *name == part->Name()) {
        return;
    }
    m_parts.History().push(new TRenamePartCommand(m_parts, part->Handle(), part->Name(), *name));
}

void TfrmParts::acDelPartExecute() {
    TPart* part = m_parts.CurrentItem();
    if (part == nullptr) {
        return;
    }
    if (ui().confirm(u"Удалить набор половинок \"%1\"?"_s.arg(part->Name()), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    m_parts.History().push(new TDeletePartCommand(m_parts, part->Handle()));
}

void TfrmParts::acSetEqualsExecute(bool on) {
    TPart* part = m_parts.CurrentItem();
    if (part != nullptr && part->Equals != on) {
        m_parts.History().push(new TPartEqualsCommand(m_parts, part->Handle(), on));
    }
}

void TfrmParts::acEditContourExecute() {
    TPart* part = m_parts.CurrentItem();
    const int row = lbContours->currentRow();
    if (part == nullptr || row < 0 || row >= part->Contours.Count()) {
        return;
    }
    TContourAncestor* half = part->Contours.Items(row);
    const std::optional<QString> name = ui().inputText(u"Название половинки"_s, QString(), half->Name());
    if (!name || *name == half->Name()) {
        return;
    }
    m_parts.History().push(new TRenameContourCommand(m_parts, part->Handle(), half->Handle(), half->Name(), *name));
}

void TfrmParts::acDelContourExecute() {
    TPart* part = m_parts.CurrentItem();
    const int row = lbContours->currentRow();
    if (part == nullptr || row < 0 || row >= part->Contours.Count()) {
        return;
    }
    TContourAncestor* half = part->Contours.Items(row);
    const QString question = u"Удалить половинку \"%1\"?"_s.arg(half->Name());
    if (ui().confirm(question, TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    m_parts.History().push(new TDeleteContourCommand(m_parts, part->Handle(), half->Handle()));
}

} // namespace vk
