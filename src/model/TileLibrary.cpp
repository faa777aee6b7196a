#include "model/TileLibrary.h"

#include "geometry/ShapeDocument.h"
#include "ui/UserInterface.h"

namespace vk {

namespace {
TTileLibrary* g_library = nullptr;
}

TTileLibrary* TileDB() { return g_library; }

bool SaveQueryFor(T_TnC_Ancestor& document, const QString& what,
                  const std::function<bool(TTileLibrary&)>& store, const ViewRecord& view) {
    TTileLibrary* library = TileDB();
    if (!document.Modified) {
        if (library != nullptr) {
            library->StoreView(document.ID, view);
        }
        return true;
    }
    const QString question = what + QStringLiteral(" \"%1\"?").arg(document.Name());
    switch (ui().confirm(question, TButtons::YesNoCancel)) {
    case TAnswer::Yes:
        if (library == nullptr || !store(*library)) {
            return false;
        }
        document.SetModified(false);
        library->StoreView(document.ID, view);
        return true;
    case TAnswer::No:
        return true;
    default:
        return false;
    }
}
void SetTileDB(TTileLibrary* library) { g_library = library; }

} // namespace vk
