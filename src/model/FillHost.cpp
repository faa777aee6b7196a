// The headless stand-ins for the window a project lives in.

#include "model/FillHost.h"

#include "model/Config.h"
#include "model/Project.h"
#include "model/TileLibrary.h"

#include <vector>

namespace vk {

THeadlessScale::THeadlessScale() {
    const int units = GlobalConfig().DisplayUnits;
    m_unitFactor = (units == 1 || units == 10 || units == 100) ? units : 100;
}

namespace {
std::optional<std::int32_t> byName(const std::vector<TLibraryEntry>& entries, const QString& name) {
    for (const TLibraryEntry& entry : entries) {
        if (QString::compare(entry.Name, name, Qt::CaseInsensitive) == 0) {
            return entry.ID;
        }
    }
    return std::nullopt;
}
} // namespace

std::optional<std::int32_t> TPickByName::PickTile(const TPickRequest&) {
    TTileLibrary* library = TileDB();
    return library != nullptr ? byName(library->ListTiles(), m_tile) : std::nullopt;
}

std::optional<std::int32_t> TPickByName::PickPattern(const TPickRequest&, std::int32_t tileId, const TTile&) {
    TTileLibrary* library = TileDB();
    return library != nullptr ? byName(library->ListPatterns(tileId), m_pattern) : std::nullopt;
}

bool TStepQueue::DeliverOne(TProject& project) {
    if (m_steps.empty()) {
        return false;
    }
    const std::uint64_t run = m_steps.front();
    m_steps.pop_front();
    project.HandleLayStep(run);
    return true;
}

int TStepQueue::RunUntilIdle(TProject& project) {
    int delivered = 0;
    while (DeliverOne(project)) {
        ++delivered;
    }
    return delivered;
}

} // namespace vk
