// The commands on documents and the history that judges the modified flag:
// handles that outlive the objects they named, steps that merge, and
// changes outside the history that keep a document modified.

#include "commands/ElementCommands.h"
#include "commands/ElementEdit.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "model/Project.h"
#include "model/ProjectCommands.h"

#include <QByteArray>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <bit>

using namespace vk;

namespace {

// What a document is made of, byte for byte: each element's record and
// handle, and the base point.
struct TState {
    std::vector<QByteArray> Elements;
    QByteArray Base;
    bool operator==(const TState&) const = default;
};

QByteArray bytesOf(const FlaggedPoint& p) {
    return QByteArray(reinterpret_cast<const char*>(&p), sizeof p);
}

TState stateOf(const T_TnC_Ancestor& doc) {
    TState s;
    for (int i = 0; i < doc.Elements().Count(); ++i) {
        const TGraphicPrimitive* e = doc.Elements().Items(i);
        QByteArray record = QByteArray::number(e->GetKind()) + ':' + QByteArray::number(e->GetVersion()) +
                            ':' + QByteArray::number(e->LineStyle) + ':' + QByteArray::number(e->Handle()) + ':';
        record += QByteArray(reinterpret_cast<const char*>(e->Data()), e->GetDataSize());
        s.Elements.push_back(record);
    }
    s.Base = bytesOf(doc.BasePoint);
    return s;
}

std::unique_ptr<TGraphicPrimitive> segment(T_TnC_Ancestor& doc, TPointF a, TPointF b) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({a.X, a.Y, 1});
    s->SetFinish({b.X, b.Y, 1});
    return s;
}

// A document of three segments, drawn by commands from an unset base point.
class Commands : public ::testing::Test {
public:
    void SetUp() override {
        connect();
        add({0, 0}, {1000, 0});
        add({1000, 0}, {1000, 1000});
        add({1000, 1000}, {0, 0});
        doc.SetModified(false);
    }
    void connect() {
        QObject::connect(&doc, &T_TnC_Ancestor::Changed, [this] { ++changes; });
    }
    void add(TPointF a, TPointF b) {
        const FlaggedPoint before = doc.BasePoint;
        if (!doc.BasePoint.isSet()) {
            doc.SetBasePoint(100, 200);
        }
        history().push(new TAddElementCommand(doc, doc.Elements(), segment(doc, a, b), before,
                                              QStringLiteral("Отрезок")));
    }
    void drag(int index, float dx) {
        TGraphicPrimitive& e = *doc.Elements().Items(index);
        TElementEdit edit(doc, doc.Elements(), e);
        auto& line = static_cast<TLinePrimitive&>(e);
        line.SetFinish({line.Finish().X + dx, line.Finish().Y, 1});
        edit.Commit(QStringLiteral("Перемещение"), ciDrag);
    }
    void remove(std::vector<int> indexes) {
        std::vector<std::uint32_t> handles;
        for (int i : indexes) handles.push_back(doc.Elements().Items(i)->Handle());
        history().push(new TDeleteElementsCommand(doc, doc.Elements(), handles, QStringLiteral("Удаление элемента")));
    }
    QUndoStack& history() { return doc.History(); }

    T_TnC_Ancestor doc;
    int changes = 0;
};

} // namespace

TEST_F(Commands, EveryStepUndoesAndRedoesToTheSameBytes) {
    const struct {
        const char* name;
        std::function<void(Commands&)> act;
    } cases[] = {
        {"add", [](Commands& t) { t.add({0, 0}, {-500, 0}); }},
        {"drag", [](Commands& t) { t.drag(1, 250); }},
        {"delete the middle", [](Commands& t) { t.remove({1}); }},
        {"delete first and last", [](Commands& t) { t.remove({2, 0}); }},
        {"delete all", [](Commands& t) { t.remove({0, 1, 2}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TState before = stateOf(doc);
        c.act(*this);
        const TState after = stateOf(doc);
        EXPECT_NE(after, before);
        history().undo();
        EXPECT_EQ(stateOf(doc), before);
        history().redo();
        EXPECT_EQ(stateOf(doc), after);
        history().undo();
    }
}

TEST_F(Commands, DeletingTheLastElementTakesTheBasePointAndUndoBringsItBack) {
    remove({0, 1, 2});
    EXPECT_FALSE(doc.BasePoint.isSet());
    history().undo();
    EXPECT_EQ(doc.BasePoint.X, 100.0f);
    // Undoing the first element's drawing forgets the base point it set.
    history().undo();
    history().undo();
    history().undo();
    EXPECT_EQ(doc.Elements().Count(), 0);
    EXPECT_FALSE(doc.BasePoint.isSet());
}

TEST_F(Commands, AnEditUndoneAfterItsElementWasDeletedAndRestoredStillFindsIt) {
    const TState original = stateOf(doc);
    drag(1, 300);
    const TState dragged = stateOf(doc);
    remove({1});
    history().undo(); // the element is back, a new object under its old handle
    EXPECT_EQ(stateOf(doc), dragged);
    history().undo();
    EXPECT_EQ(stateOf(doc), original);
    history().redo();
    EXPECT_EQ(stateOf(doc), dragged);
}

TEST_F(Commands, ARestoredElementTakesNewEdits) {
    remove({0});
    history().undo();
    const TState restored = stateOf(doc);
    drag(0, 400);
    EXPECT_EQ(history().count(), 4) << "the deletion undone is gone, the drag is a step";
    EXPECT_NE(stateOf(doc), restored);
    history().undo();
    EXPECT_EQ(stateOf(doc), restored);
}

TEST_F(Commands, ConsecutiveDragsOfOneElementAreOneStep) {
    const TState before = stateOf(doc);
    const int steps = history().count();
    drag(0, 10);
    drag(0, 20);
    drag(0, 30);
    EXPECT_EQ(history().count(), steps + 1);
    drag(1, 5);
    EXPECT_EQ(history().count(), steps + 2) << "another element is another step";
    history().undo();
    history().undo();
    EXPECT_EQ(stateOf(doc), before);
}

TEST_F(Commands, AnEditThatChangesNothingIsNoStepAndLeavesTheFlag) {
    const int steps = history().count();
    {
        TElementEdit edit(doc, doc.Elements(), *doc.Elements().Items(0));
        EXPECT_FALSE(edit.Commit(QStringLiteral("Свойства элемента")));
    }
    {
        // Dropped without a commit: whatever the editor marked is forgotten.
        TElementEdit edit(doc, doc.Elements(), *doc.Elements().Items(0));
        doc.SetModified(true);
    }
    EXPECT_EQ(history().count(), steps);
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, UndoingBackToTheSavedStateClearsModified) {
    drag(0, 100);
    EXPECT_TRUE(doc.Modified);
    history().undo();
    EXPECT_FALSE(doc.Modified);
    history().undo();
    EXPECT_TRUE(doc.Modified) << "before the save differs from the file too";
    history().redo();
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, DragRightAfterASaveDoesNotMergeIntoTheSavedStep) {
    drag(0, 100);
    doc.SetModified(false);
    drag(0, 100);
    EXPECT_TRUE(doc.Modified);
    history().undo();
    EXPECT_FALSE(doc.Modified) << "the drag made after the save is a step of its own";
}

TEST_F(Commands, AChangeOutsideTheHistoryKeepsModifiedUntilTheNextSave) {
    drag(0, 100);
    doc.SetModified(true); // a fill, another tile: nothing the history can undo
    history().undo();
    EXPECT_TRUE(doc.Modified);
    doc.SetModified(false);
    history().redo();
    history().undo();
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, MeasuringAModifiedBorderDoesNotPinTheModifiedFlag) {
    drag(0, 100);
    // The area and the outline are traced on copies that belong to the
    // document; they used to mark it modified like a change of its own.
    (void)doc.Area(1.0f);
    (void)TElementList::BuildPath(1.0f, doc, true);
    history().undo();
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, EachStepIsAnnouncedAndMeasuringIsNot) {
    changes = 0;
    drag(0, 100);
    EXPECT_GE(changes, 1);
    changes = 0;
    history().undo();
    EXPECT_GE(changes, 1);
    changes = 0;
    (void)doc.Area(1.0f);
    EXPECT_EQ(changes, 0);
}

TEST(ProjectCommands, StartPointAndOrientationUndoToTheirValuesBefore) {
    TProject project;
    const FlaggedPoint unset = project.StartPoint();
    ASSERT_FALSE(unset.isSet());
    project.History().push(new TStartPointCommand(project, unset, FlaggedPoint{500, 600, 1}));
    EXPECT_EQ(project.StartPoint(), (FlaggedPoint{500, 600, 1}));
    EXPECT_EQ(project.History().undoText(), QStringLiteral("Начальная точка"));
    project.History().push(new TOrientationCommand(project, project.Orientation(), 30.0f));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(project.Orientation()), std::bit_cast<std::uint32_t>(30.0f));
    EXPECT_EQ(project.History().undoText(), QStringLiteral("Ориентация"));
    EXPECT_TRUE(project.Modified);

    project.History().undo();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(project.Orientation()), std::bit_cast<std::uint32_t>(0.0f));
    project.History().undo();
    EXPECT_EQ(project.StartPoint(), unset);
    EXPECT_FALSE(project.Modified);
    project.History().redo();
    EXPECT_EQ(project.StartPoint(), (FlaggedPoint{500, 600, 1}));
}
