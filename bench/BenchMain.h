#pragma once
// The main of a benchmark program: offscreen unless a platform is named,
// one application object of the kind the benchmarks need, then every
// benchmark.

#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

namespace vk::bench {

template <typename TApplication>
int RunBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace vk::bench
