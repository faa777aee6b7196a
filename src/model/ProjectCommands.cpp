#include "model/ProjectCommands.h"

#include "geometry/GraphicPrimitive.h"
#include "model/Project.h"

namespace vk {

TStartPointCommand::TStartPointCommand(TProject& project, FlaggedPoint before, FlaggedPoint after)
    : TDocumentCommand(project, QStringLiteral("Начальная точка")), m_project(project),
      m_before(before), m_after(after) {}

void TStartPointCommand::apply() { set(m_after); }

void TStartPointCommand::revert() { set(m_before); }

void TStartPointCommand::set(const FlaggedPoint& point) {
    if (auto* start = dynamic_cast<TPointPrimitive*>(&m_project.StartPointElement())) {
        start->SetPoint(point);
    }
}

TOrientationCommand::TOrientationCommand(TProject& project, float before, float after)
    : TDocumentCommand(project, QStringLiteral("Ориентация")), m_project(project), m_before(before),
      m_after(after) {}

void TOrientationCommand::apply() { m_project.SetOrientation(m_after); }

void TOrientationCommand::revert() { m_project.SetOrientation(m_before); }

TLayingStartCommand::TLayingStartCommand(TProject& project, FlaggedPoint startBefore, float orientationBefore,
                                         FlaggedPoint startAfter, float orientationAfter)
    : TDocumentCommand(project, QStringLiteral("Начальная точка и ориентация")), m_project(project),
      m_startBefore(startBefore), m_orientationBefore(orientationBefore), m_startAfter(startAfter),
      m_orientationAfter(orientationAfter) {}

void TLayingStartCommand::apply() { set(m_startAfter, m_orientationAfter); }

void TLayingStartCommand::revert() { set(m_startBefore, m_orientationBefore); }

void TLayingStartCommand::set(const FlaggedPoint& start, float orientation) {
    m_project.SetOrientation(orientation);
    if (auto* point = dynamic_cast<TPointPrimitive*>(&m_project.StartPointElement())) {
        point->SetPoint(start);
    }
}

} // namespace vk
