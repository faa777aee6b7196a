#include "library/TileDB.h"

#include "geometry/UserInterface.h"
#include "library/LibraryStore.h"
#include "model/Config.h"

namespace vk {

TTileDB::TTileDB(QString folder) : m_folder(folder.isEmpty() ? DbFolder() : std::move(folder)) {
    ForceFolder(m_folder);
    try {
        m_store = std::make_unique<TLibraryStore>(m_folder);
    } catch (const TLibraryError& e) {
        m_error = e.Text();
        ui().error(m_error);
    }
}

TTileDB::~TTileDB() = default;

bool TTileDB::CheckAvailable() {
    if (m_store) {
        return true;
    }
    ui().error(QStringLiteral("Библиотека плиток недоступна.\n") + m_error);
    return false;
}

} // namespace vk
