#pragma once
// vorkalo-cli export SCENE.json|PROJECT.mpp [--db DIR] [--pdf F] [--svg F] [--dxf F] [--scale 1:N] [--no-report]

#include <QStringList>
#include <QTextStream>

namespace vkcli {

int exportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace vkcli
