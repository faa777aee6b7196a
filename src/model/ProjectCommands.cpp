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

TMarksCommand::TMarksCommand(TProject& project, const QString& text, TProject::TMarks before,
                             TProject::TMarks after, int mergeId)
    : TDocumentCommand(project, text), m_project(project), m_before(std::move(before)),
      m_after(std::move(after)), m_mergeId(mergeId) {}

bool TMarksCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TMarksCommand*>(other);
    if (next == nullptr || next->m_before.Generation != m_after.Generation) {
        return false;
    }
    m_after = next->m_after;
    return true;
}

void TMarksCommand::apply() {
    if (!m_project.RestoreMarks(m_after)) {
        setObsolete(true);
    }
}

void TMarksCommand::revert() {
    if (!m_project.RestoreMarks(m_before)) {
        setObsolete(true);
    }
}

TRecolorCommand::TRecolorCommand(TProject& project, std::vector<int> indices, std::vector<std::uint32_t> before,
                                 std::uint32_t color)
    : TDocumentCommand(project, QStringLiteral("Изменение цвета")), m_project(project),
      m_generation(project.TilesGeneration()), m_indices(std::move(indices)), m_before(std::move(before)),
      m_color(color) {}

bool TRecolorCommand::stale() {
    if (m_generation == m_project.TilesGeneration()) {
        return false;
    }
    setObsolete(true);
    return true;
}

void TRecolorCommand::apply() {
    if (!stale()) {
        m_project.RecolorTiles(m_indices, std::vector<std::uint32_t>(m_indices.size(), m_color));
    }
}

void TRecolorCommand::revert() {
    if (!stale()) {
        m_project.RecolorTiles(m_indices, m_before);
    }
}

} // namespace vk
