#include "model/Materials.h"

#include "geometry/NumberFormat.h"
#include "geometry/Tolerance.h"
#include "model/Config.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/Tile.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

// Halves of the part as the tile's cuts define them now; 0 when the part is
// not among them.
int halvesOf(const TPartList* parts, std::int32_t partId) {
    if (parts == nullptr) {
        return 0;
    }
    for (int i = 0; i < parts->Count(); ++i) {
        if (parts->Items(i)->ID == partId) {
            return parts->Items(i)->Contours.Count();
        }
    }
    return 0;
}

int ceilDiv(int a, int b) { return (a + b - 1) / b; }

// Tiles cut for the pieces of one part. Interchangeable halves: any tile
// gives as many pieces as it has halves. Distinct halves: a tile gives one
// of each, so the most-needed half decides.
int tilesForPart(const TPartCounter& counter, const TPartList* parts) {
    int tiles = 0;
    if (counter.Count > 0) {
        // A part no longer among the tile's cuts: one tile per piece, never
        // too few.
        tiles += ceilDiv(counter.Count, std::max(1, halvesOf(parts, counter.ID)));
    }
    if (counter.SubCounters) {
        int most = 0;
        for (int h = 0; h < counter.SubCounters->Count(); ++h) {
            most = std::max(most, counter.SubCounters->Items(h).Count);
        }
        tiles += most;
    }
    return tiles;
}

void finish(TMaterialsLine& line, double wastePercent, int pack, double tileArea) {
    line.Tiles = line.Whole + line.ForHalves;
    line.WithWaste = TilesWithWaste(line.Tiles, wastePercent);
    line.AreaM2 = line.WithWaste * tileArea;
    if (pack > 0) {
        line.Packs = ceilDiv(line.WithWaste, pack);
    }
}

} // namespace

int TilesWithWaste(int tiles, double wastePercent) {
    const double exact = double(tiles) * (100.0 + wastePercent) / 100.0;
    const double nearest = std::round(exact);
    return int(nearlyEqualRel(exact, nearest, 1e-12) ? nearest : std::ceil(exact));
}

TMaterials ComputeMaterials(const TProject& project, double wastePercent, int pack) {
    TMaterials m;
    m.WastePercent = wastePercent;
    m.Pack = std::max(0, pack);
    if (TTile* tile = project.Tile()) {
        // Good to about seven digits after float storage: kept to a hundredth
        // of a square millimetre, so that 0.01 m² does not read 0.0099999998.
        const double area = std::abs(double(tile->Area(float(GlobalConfig().TileLinkTolerance))));
        m.TileAreaM2 = std::round(area * 1e8) / 1e8;
    }
    const TPartList* parts = project.TileParts();
    const TColorController& groups = project.LaidTiles().ColorGroups();
    TMaterialsLine& total = m.Total;
    if (m.Pack > 0) {
        total.Packs = 0;
    }
    for (int g = 0; g < groups.Count(); ++g) {
        const TColorListContainer& group = groups.Items(g);
        TMaterialsLine line;
        line.Argb = group.Color;
        line.Whole = group.WholeCount();
        for (int p = 0; p < group.Counters.Count(); ++p) {
            line.ForHalves += tilesForPart(group.Counters.Items(p), parts);
        }
        finish(line, wastePercent, m.Pack, m.TileAreaM2);
        total.Whole += line.Whole;
        total.ForHalves += line.ForHalves;
        total.Tiles += line.Tiles;
        total.WithWaste += line.WithWaste;
        if (line.Packs) {
            *total.Packs += *line.Packs;
        }
        m.Colours.push_back(line);
    }
    total.AreaM2 = total.WithWaste * m.TileAreaM2;
    return m;
}

QStringList MaterialsHeadings() {
    return {QStringLiteral("Цвет"),         QStringLiteral("Целых"),     QStringLiteral("На половинки"),
            QStringLiteral("Всего плиток"), QStringLiteral("С запасом"), QStringLiteral("Площадь, кв.м."),
            QStringLiteral("Упаковок")};
}

QStringList MaterialsRow(const TMaterialsLine& line, bool total) {
    return {total ? QStringLiteral("Итого") : QStringLiteral("#%1").arg(line.Argb, 8, 16, QLatin1Char('0')),
            QString::number(line.Whole),
            QString::number(line.ForHalves),
            QString::number(line.Tiles),
            QString::number(line.WithWaste),
            formatF(line.AreaM2),
            line.Packs ? QString::number(*line.Packs) : QString()};
}

QString MaterialsText(const TMaterials& materials, QChar separator) {
    QString text = MaterialsHeadings().join(separator) + QLatin1Char('\n');
    for (const TMaterialsLine& line : materials.Colours) {
        text += MaterialsRow(line, false).join(separator) + QLatin1Char('\n');
    }
    return text + MaterialsRow(materials.Total, true).join(separator) + QLatin1Char('\n');
}

QByteArray MaterialsCsv(const TMaterials& materials) {
    return QByteArray("\xEF\xBB\xBF") + MaterialsText(materials, QLatin1Char(';')).toUtf8();
}

QString SaveMaterialsCsv(const TMaterials& materials, const QString& fileName) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Не удалось записать файл \"%1\": %2").arg(fileName, file.errorString());
    }
    file.write(MaterialsCsv(materials));
    if (!file.commit()) {
        return QStringLiteral("Не удалось записать файл \"%1\": %2").arg(fileName, file.errorString());
    }
    return {};
}

} // namespace vk
