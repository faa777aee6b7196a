#pragma once
// The project's own commands: its start point ("Начальная точка") and the
// orientation of the laying ("Ориентация"). Both hold absolute values, so
// that they apply whatever tile or pattern has been chosen since. The marks
// and colours of laid tiles name the tiles of one laying: once the tiles are
// cleared or laid anew, such a step does nothing and leaves the history when
// it is reached.

#include "commands/DocumentCommand.h"
#include "geometry/ViewOnlyStep.h"
#include "geometry/Types.h"
#include "model/Project.h"

#include <cstdint>
#include <vector>

namespace vk {

class TProject;

class TStartPointCommand : public TDocumentCommand {
public:
    // Project-local points; `before` may be unset.
    TStartPointCommand(TProject& project, FlaggedPoint before, FlaggedPoint after);

protected:
    void apply() override;
    void revert() override;

private:
    void set(const FlaggedPoint& point);

    TProject& m_project;
    FlaggedPoint m_before;
    FlaggedPoint m_after;
};

// Refused, like SetOrientation, while a fill runs: a window offers undo and
// redo only when the project is idle.
class TOrientationCommand : public TDocumentCommand {
public:
    TOrientationCommand(TProject& project, float before, float after);

protected:
    void apply() override;
    void revert() override;

private:
    TProject& m_project;
    float m_before;
    float m_after;
};

// A start point and an orientation chosen together ("Подобрать начальную
// точку"): one step, undone at once.
class TLayingStartCommand : public TDocumentCommand {
public:
    TLayingStartCommand(TProject& project, FlaggedPoint startBefore, float orientationBefore, FlaggedPoint startAfter,
                        float orientationAfter);

protected:
    void apply() override;
    void revert() override;

private:
    void set(const FlaggedPoint& start, float orientation);

    TProject& m_project;
    FlaggedPoint m_startBefore;
    float m_orientationBefore;
    FlaggedPoint m_startAfter;
    float m_orientationAfter;
};

// The marks and the remembered tiles as they were before and after a
// marking; changes nothing the project file keeps.
class TMarksCommand : public TDocumentCommand, public TViewOnlyStep {
public:
    TMarksCommand(TProject& project, const QString& text, TProject::TMarks before, TProject::TMarks after,
                  int mergeId = -1);
    [[nodiscard]] int id() const override { return m_mergeId; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    void apply() override;
    void revert() override;

private:
    TProject& m_project;
    TProject::TMarks m_before;
    TProject::TMarks m_after;
    int m_mergeId;
};

// "Изменить цвет": the tiles at `indices` (laying order) take `color`;
// undone, each gets its own colour back. Their cut pieces move between the
// colours' counts both ways.
class TRecolorCommand : public TDocumentCommand {
public:
    TRecolorCommand(TProject& project, std::vector<int> indices, std::vector<std::uint32_t> before,
                    std::uint32_t color);

protected:
    void apply() override;
    void revert() override;

private:
    [[nodiscard]] bool stale();

    TProject& m_project;
    std::uint64_t m_generation;
    std::vector<int> m_indices;
    std::vector<std::uint32_t> m_before;
    std::uint32_t m_color;
};

} // namespace vk
