#pragma once
// The main of a benchmark program that needs widgets: offscreen unless a
// platform is named, one application object, then every benchmark.

#include "BenchMain.h"

#include <QApplication>

namespace vk::bench {

inline int RunWidgetBenchmarks(int argc, char** argv) { return RunBenchmarks<QApplication>(argc, argv); }

} // namespace vk::bench
