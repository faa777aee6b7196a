#pragma once
// Runs vorkalo-cli (or a helper program) the way the command-line suites
// need: under a fixed locale, so numbers and messages compare as written.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vk::test {

// What a finished program left behind; code is -1 when it crashed or hung.
struct TResult {
    int code = -1;
    QString out;
    QString err;
};

enum class TDisplay {
    Inherited,
    None, // the program must find its own way without a display
};

inline TResult runProgram(const QString& program, const QStringList& args, TDisplay display = TDisplay::Inherited) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (display == TDisplay::None) {
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    }
    process.setProcessEnvironment(env);
    process.start(program, args);
    // Only a bound for a hung run; a sound one ends in seconds.
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

#ifdef VORKALO_CLI_PATH
inline TResult run(const QStringList& args, TDisplay display = TDisplay::Inherited) {
    return runProgram(QStringLiteral(VORKALO_CLI_PATH), args, display);
}
#endif

} // namespace vk::test
