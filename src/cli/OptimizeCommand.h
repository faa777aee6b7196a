#pragma once
// vorkalo-cli optimize: the start point and orientation with the fewest
// tiles to buy.

#include <QStringList>
#include <QTextStream>

namespace vkcli {

// The exit code: as `fill`'s.
int Optimize(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace vkcli
