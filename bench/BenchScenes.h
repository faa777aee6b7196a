#pragma once
// The sites the fill is measured on.
//   "yard":  20 x 20 m, corners rounded with 2 m, 200 x 100 mm pavers in
//            running bond (about 20 thousand tiles).
//   "plaza": 100 x 50 m with a round hole of 10 m in the middle, the same
//            pavers in herringbone turned by 30 degrees (about 250 thousand
//            tiles); `scale` stretches the site (0.5: half, 2: double size).
// The paver has one cut, across its middle, into two equal halves.

#include "scene/Scene.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>
#include <cstdlib>

namespace vk::bench {

inline QJsonArray pt(double x, double y) { return QJsonArray{x, y}; }
inline QJsonObject seg(double x0, double y0, double x1, double y1) {
    return QJsonObject{{"segment", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
}
inline QJsonObject arc(double cx, double cy, double sx, double sy, double sweep) {
    return QJsonObject{{"arc", QJsonObject{{"centre", pt(cx, cy)}, {"start", pt(sx, sy)}, {"sweep", sweep}}}};
}

inline QJsonObject paver() {
    const QJsonArray outline{seg(0, 0, 200, 0), seg(200, 0, 200, 100), seg(200, 100, 0, 100), seg(0, 100, 0, 0)};
    const QJsonObject half{{"name", "Половинка"},
                           {"equals", true},
                           {"cuts", QJsonArray{seg(100, 0, 100, 100)}},
                           {"halves", QJsonArray{QJsonObject{{"name", "левая"}, {"rect", QJsonArray{pt(-1, -1), pt(101, 101)}}},
                                                 QJsonObject{{"name", "правая"}, {"rect", QJsonArray{pt(99, -1), pt(201, 101)}}}}}};
    return QJsonObject{{"name", "Брусчатка 200x100"}, {"thickness", 60}, {"outline", outline}, {"parts", QJsonArray{half}}};
}

inline QJsonObject yard() {
    const double s = 20000;
    const double r = 2000;
    const QJsonArray border{seg(r, 0, s - r, 0),         arc(s - r, r, s - r, 0, 90),
                            seg(s, r, s, s - r),         arc(s - r, s - r, s, s - r, 90),
                            seg(s - r, s, r, s),         arc(r, s - r, r, s, 90),
                            seg(0, s - r, 0, r),         arc(r, r, 0, r, 90)};
    const QJsonObject pattern{
        {"name", "Ложковая перевязка"},
        {"placements", QJsonArray{QJsonObject{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(0, 0)}, {"rotation", 0}}}},
        {"handPoints", QJsonArray{pt(200, 0), pt(100, 100)}}};
    return QJsonObject{{"tile", paver()}, {"pattern", pattern}, {"border", border}, {"start", pt(10010, 10010)}};
}

inline QJsonObject plaza(double scale = 1.0) {
    const double w = 100000 * scale;
    const double h = 50000 * scale;
    const double r = 5000 * scale;
    const QJsonArray border{seg(0, 0, w, 0),       seg(w, 0, w, h),
                            seg(w, h, 0, h),       seg(0, h, 0, 0),
                            arc(w / 2, h / 2, w / 2 + r, h / 2, 180), arc(w / 2, h / 2, w / 2 - r, h / 2, 180)};
    const QJsonObject pattern{
        {"name", "Ёлочка"},
        {"placements",
         QJsonArray{QJsonObject{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(0, 0)}, {"rotation", 0}},
                    QJsonObject{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(100, 100)}, {"rotation", 90}}}},
        {"handPoints", QJsonArray{pt(100, 100), pt(-200, 200)}}};
    return QJsonObject{{"tile", paver()},
                       {"pattern", pattern},
                       {"border", border},
                       {"start", pt(w * 0.3, h * 0.4)},
                       {"orientation", 30}};
}

// The scenes are fixed: one that does not load is a broken benchmark, not
// a figure.
inline void LoadOrAbort(const QJsonObject& scene, TProject& project) {
    const QString problem = LoadScene(scene, project);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
        std::abort();
    }
}

} // namespace vk::bench
