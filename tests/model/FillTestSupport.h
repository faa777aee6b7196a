#pragma once
// Small scenes for the project suites: a project driven by a step queue,
// and scene fragments written as JSON.

#include "geometry/Tolerance.h"
#include "model/Config.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "support/SceneJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <memory>

namespace vk::test {

inline QJsonObject arc(double cx, double cy, double sx, double sy, double sweep) {
    return QJsonObject{{"arc", QJsonObject{{"centre", pt(cx, cy)}, {"start", pt(sx, sy)}, {"sweep", sweep}}}};
}

inline QJsonArray circle(double cx, double cy, double r) {
    return QJsonArray{arc(cx, cy, cx + r, cy, 180), arc(cx, cy, cx - r, cy, 180)};
}

inline QJsonArray join(std::initializer_list<QJsonArray> lists) {
    QJsonArray all;
    for (const QJsonArray& list : lists) {
        for (const QJsonValue& v : list) {
            all.append(v);
        }
    }
    return all;
}

// A w x h tile with its local origin at its lower left corner.
inline QJsonObject rectTile(double w, double h, QJsonArray parts = {}) {
    return QJsonObject{{"name", "Плитка"}, {"outline", rect(0, 0, w, h)}, {"parts", parts}};
}

// A project with a queue standing in for the main window.
class TFillRig {
public:
    TFillRig() : project(std::make_unique<TProject>(&queue)) {}

    // Loads the scene; fails the test on a problem.
    void load(const QJsonObject& scene) {
        const QString problem = LoadScene(scene, *project);
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
    // Fill, then every posted step until the run ends.
    bool fill() {
        const bool started = project->Fill();
        queue.RunUntilIdle(*project);
        return started;
    }

    TStepQueue queue;
    std::unique_ptr<TProject> project;
};

inline QJsonObject squareScene() {
    return QJsonObject{{"tile", rectTile(100, 100)},
                       {"pattern", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)})},
                       {"border", rect(0, 0, 1000, 1000)},
                       {"start", pt(50, 50)}};
}

} // namespace vk::test
