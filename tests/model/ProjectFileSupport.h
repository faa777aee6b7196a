#pragma once
// A tile library in a temporary folder holding the starter tiles, and
// projects laid with them: what the project file tests save and open.

#include "FillTestSupport.h"

#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "compound/CompoundFile.h"
#include "model/Counting.h"
#include "model/Parts.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <memory>

namespace vk::test {

inline const QString kStarterTile = QStringLiteral("Брусчатка 200×100×60");

// The starter library, written once per test program.
class TStarterDb {
public:
    static TTileDB& get() {
        static TStarterDb instance;
        return *instance.m_db;
    }

private:
    TStarterDb() {
        QFile file(QStringLiteral(STARTER_DESCRIPTION));
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "no starter description at " << STARTER_DESCRIPTION;
        }
        m_db = std::make_unique<TTileDB>(m_dir.file("DB"));
        WriteStarterLibrary(ReadStarterDescription(file.readAll()), *m_db);
    }
    TTempDir m_dir;
    std::unique_ptr<TTileDB> m_db;
};

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

inline QByteArray pngBytes(QColor colour) {
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(colour);
    image.setPixelColor(3, 4, Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Recolours a laid tile as the colouring commands do: its counted half
// moves with it.
inline void recolour(TProject& project, TTileContainer& tile, std::uint32_t colour) {
    const TPartList* parts = project.TileParts();
    TTileList& list = project.LaidTiles();
    RemoveHalf(list.Group(tile)->Counters, tile.PartID, tile.ContourID, 1);
    list.SetColor(tile, colour);
    AddHalf(list.Group(tile)->Counters, tile.PartID, tile.ContourID, 1, parts->ContourName(tile.PartID, tile.ContourID),
            parts->PartName(tile.PartID), parts->PartEquals(tile.PartID));
}

// A yard with a curved side, a round bed (a hole) and a dashed marking
// line, paved with starter pavers in running bond, turned by 30 degrees.
inline QJsonObject yardScene(const QString& pattern = QStringLiteral("Вперевязку")) {
    QJsonArray border{segment(0, 0, 2000, 0), segment(2000, 0, 2000, 1000), arc(1000, 1000, 2000, 1000, 180),
                      segment(0, 1000, 0, 0), segment(100, 100, 400, 100, 2)};
    for (const QJsonValue& v : circle(1000, 600, 200)) {
        border.append(v);
    }
    return QJsonObject{{"tile", QJsonObject{{"library", kStarterTile}}},
                       {"pattern", QJsonObject{{"library", pattern}}},
                       {"border", border},
                       {"start", pt(35, 20)},
                       {"orientation", 30}};
}

} // namespace vk::test
