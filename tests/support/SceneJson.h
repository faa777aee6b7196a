#pragma once
// Scene files as the command-line tool reads them, built piece by piece,
// and written next to a test's other files.

#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vk::test {

inline QJsonArray pt(double x, double y) { return QJsonArray{x, y}; }

inline QJsonObject segment(double x0, double y0, double x1, double y1, int style = 0) {
    QJsonObject o{{"segment", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
    if (style != 0) {
        o["style"] = style;
    }
    return o;
}

// Counter-clockwise rectangle.
inline QJsonArray rect(double x0, double y0, double x1, double y1) {
    return QJsonArray{segment(x0, y0, x1, y0), segment(x1, y0, x1, y1), segment(x1, y1, x0, y1),
                      segment(x0, y1, x0, y0)};
}
inline QJsonArray square(double size) { return rect(0, 0, size, size); }

// A 200 x 100 paver's part that splits it into a left and a right half.
inline QJsonObject leftAndRightHalves(bool equals, const QJsonArray& cuts = QJsonArray{segment(100, 0, 100, 100)}) {
    return QJsonObject{{"name", "Половинка"},
                       {"equals", equals},
                       {"cuts", cuts},
                       {"halves", QJsonArray{QJsonObject{{"name", "левая"}, {"rect", QJsonArray{pt(-1, -1), pt(101, 101)}}},
                                             QJsonObject{{"name", "правая"}, {"rect", QJsonArray{pt(99, -1), pt(201, 101)}}}}}};
}

inline QJsonObject placement(double tx, double ty, double px, double py, double rotation) {
    return QJsonObject{{"tilePoint", pt(tx, ty)}, {"patternPoint", pt(px, py)}, {"rotation", rotation}};
}

// One placement at the pattern's origin, repeated by the hand points.
inline QJsonObject simplePattern(QJsonArray handPoints, const char* name = "Узор") {
    return QJsonObject{{"name", name}, {"placements", QJsonArray{placement(0, 0, 0, 0, 0)}}, {"handPoints", handPoints}};
}

inline QJsonObject sceneOf(const QJsonObject& tile, const QJsonObject& pattern, const QJsonValue& border,
                           const QJsonArray& start) {
    return QJsonObject{{"tile", tile}, {"pattern", pattern}, {"border", border}, {"start", start}};
}

inline QString write(const TTempDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.file(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return path;
}
inline QString write(const TTempDir& dir, const QString& name, const QJsonObject& scene) {
    return write(dir, name, QJsonDocument(scene).toJson());
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace vk::test
