#pragma once
// The project's own commands: its start point ("Начальная точка") and the
// orientation of the laying ("Ориентация"). Both hold absolute values, so
// that they apply whatever tile or pattern has been chosen since.

#include "commands/DocumentCommand.h"
#include "geometry/Types.h"

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

} // namespace vk
