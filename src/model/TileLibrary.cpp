#include "model/TileLibrary.h"

namespace vk {

namespace {
TTileLibrary* g_library = nullptr;
}

TTileLibrary* TileDB() { return g_library; }
void SetTileDB(TTileLibrary* library) { g_library = library; }

} // namespace vk
