#include "library/TileDB.h"

#include "model/Config.h"

namespace vk {

TTileDB::TTileDB(QString folder) : m_folder(folder.isEmpty() ? DbFolder() : std::move(folder)) {
    ForceFolder(m_folder);
}

} // namespace vk
