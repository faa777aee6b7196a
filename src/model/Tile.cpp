#include "model/Tile.h"

#include "ui/DrawingSheet.h"
#include "model/TileLibrary.h"

namespace vk {

TTile::TTile(TNameChange onNameChange) : T_TnC_Ancestor(std::move(onNameChange)) {
    SetName(QStringLiteral("Безымянная"));
    Modified = false;
}

void TTile::SetThickness(float value) {
    if (value != m_thickness) {
        m_thickness = value;
        SetModified(true);
    }
}

void TTile::Assign(const T_TnC_Ancestor& source) {
    T_TnC_Ancestor::Assign(source);
    if (const auto* tile = dynamic_cast<const TTile*>(&source)) {
        SetThickness(tile->Thickness());
    }
}

void TTile::DrawOutline(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) {
    for (int i = 0; i < Elements().Count(); ++i) {
        Elements().Items(i)->Draw(graphics, sheet, pen);
    }
}

void TTile::Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) {
    if (Current() != nullptr) {
        Current()->DrawHandles(graphics, sheet, pen);
    }
    DrawOutline(graphics, sheet, pen);
    T_TnC_Ancestor::Draw(graphics, sheet, showBasePoint, pen);
}

TPointF TTile::ElementAveragePoint() const {
    const int n = Elements().Count();
    if (n == 0) {
        return {};
    }
    double x = 0;
    double y = 0;
    for (int i = 0; i < n; ++i) {
        const TPointF p = Elements().Items(i)->GetStartPoint();
        x += p.X;
        y += p.Y;
    }
    return {float(x / n), float(y / n)};
}

bool TTile::LoadFromLibrary(int id, ViewRecord& view) {
    TTileLibrary* library = TileDB();
    if (library == nullptr) {
        return false;
    }
    library->LoadTile(id, *this, view);
    SetModified(false);
    return ID == id;
}

bool TTile::SaveQuery(const ViewRecord& view) {
    return SaveQueryFor(*this, QStringLiteral("Сохранить плитку"),
                        [this](TTileLibrary& library) { return library.StoreTile(*this); }, view);
}

} // namespace vk
