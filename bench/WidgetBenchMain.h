#pragma once
// The main of a benchmark program that needs widgets: offscreen unless a
// platform is named, one application object, then every benchmark.

#include <QApplication>
#include <benchmark/benchmark.h>

namespace vk::bench {

inline int RunWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace vk::bench
