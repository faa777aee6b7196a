// vorkalo-cli: the headless tool.

#include "model/Config.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

namespace {

const char* const kUsage =
    "Использование: vorkalo-cli КОМАНДА [ПАРАМЕТРЫ]\n"
    "\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n";

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorkalo-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const QString& command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << kUsage;
        return 0;
    }
    if (command == QLatin1String("--version")) {
        out << "vorkalo-cli " << vk::GetProgramVersion() << '\n';
        return 0;
    }
    err << "vorkalo-cli: неизвестная команда \"" << command << "\"\n" << kUsage;
    return 2;
}
