#include "model/FillLimits.h"

#include "geometry/ElementList.h"
#include "geometry/ShapePath.h"
#include "ui/UserInterface.h"
#include "model/Config.h"
#include "model/Project.h"
#include "model/Tile.h"

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

constexpr std::uint8_t kSolid = 1u << 0;

QString formatG(double value) { return QString::number(value, 'g', 3); }

} // namespace

double EstimatedTileCount(TProject& project) {
    TTile* tile = project.Tile();
    if (tile == nullptr || project.Elements().Count() == 0) {
        return 0.0;
    }
    const double site = std::abs(double(project.Area(float(GlobalConfig().ProjectLinkTolerance))));
    const double one = std::abs(double(tile->Area(float(GlobalConfig().TileLinkTolerance))));
    if (!(one > 0.0) || !std::isfinite(site)) {
        return 0.0;
    }
    return site / one;
}

float FillScale(const TSheetScale& scale) { return 10.0f / float(std::max(1, scale.UnitFactor())); }

double FillRegionTolerance(const TSheetScale& scale) {
    return 25.4 / (scale.LogicalDpi() * double(FillScale(scale)));
}

QString TileFillProblem(TTile& tile, double tolerance) {
    if (tile.Elements().CountOfStyles(kSolid) == 0) {
        return QStringLiteral("У плитки \"%1\" нет контура").arg(tile.Name());
    }
    const bool wasModified = tile.Modified;
    const QRectF bounds =
        TElementList::BuildPath(float(GlobalConfig().TileLinkTolerance), tile, false).Bounds();
    tile.Modified = wasModified;
    if (std::min(bounds.width(), bounds.height()) < tolerance) {
        return QStringLiteral("Плитка \"%1\" (%2 × %3 мм) меньше допуска укладки %4 мм "
                              "(одна точка экрана при масштабе заполнения): уложить ее нельзя.")
            .arg(tile.Name(), formatG(bounds.width()), formatG(bounds.height()), formatG(tolerance));
    }
    return {};
}

QString LargeFillQuestion(double count) {
    return QStringLiteral("Будет уложено около %1 плиток. Продолжить?").arg(QString::number(std::round(count), 'f', 0));
}

// --- the project's checks before a fill ------------------------------------------------

bool TProject::CheckFillBounds() {
    if (m_tile) {
        const QString problem = TileFillProblem(*m_tile, FillRegionTolerance(SheetScale()));
        if (!problem.isEmpty()) {
            ui().warning(problem);
            return false;
        }
    }
    const double count = EstimatedTileCount(*this);
    return count <= m_tilesToAskAbove ||
           ui().confirm(LargeFillQuestion(count), TButtons::YesNo) == TAnswer::Yes;
}

} // namespace vk
