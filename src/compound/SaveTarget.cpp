#include "compound/SaveTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace vk {

namespace {

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// As the kernel allows: a longer chain is taken for a loop.
constexpr int kMaxLinks = 40;

} // namespace

TSaveTarget ResolveSaveTarget(const QString& path) {
    TSaveTarget target;
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0;; ++hop) {
        const QByteArray native = QFile::encodeName(current);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0) {
            if (errno == ENOENT) {
                target.Path = current; // a new file, or the one a dangling link names
                return target;
            }
            target.Path = current;
            target.Problem = systemError(errno);
            return target;
        }
        if (!S_ISLNK(st.st_mode)) {
            target.Path = current;
            break;
        }
        if (hop >= kMaxLinks) {
            target.Path = current;
            target.Problem = systemError(ELOOP);
            return target;
        }
        QByteArray named(qsizetype(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(native.constData(), named.data(), size_t(named.size()));
        if (length <= 0 || length >= named.size()) {
            target.Path = current;
            target.Problem = systemError(length < 0 ? errno : EINVAL);
            return target;
        }
        named.truncate(length);
        // A relative link is read from the folder it is in.
        current = QDir::cleanPath(QFileInfo(current).absoluteDir().absoluteFilePath(QFile::decodeName(named)));
    }

    const QByteArray native = QFile::encodeName(target.Path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        target.Problem = systemError(errno);
        return target;
    }
    target.Exists = true;
    target.Mode = st.st_mode;
    target.Owner = st.st_uid;
    target.Group = st.st_gid;
    if (S_ISDIR(st.st_mode)) {
        target.Problem = QStringLiteral("это папка, а не файл");
    } else if (!S_ISREG(st.st_mode)) {
        target.Problem = QStringLiteral("это не обычный файл (канал, устройство или сокет)");
    } else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        // Checked by the bits: a user who may write anything would replace it.
        target.Problem = QStringLiteral("файл только для чтения");
    } else if (::access(native.constData(), W_OK) != 0) {
        target.Problem = errno == EACCES ? QStringLiteral("нет права на запись в файл") : systemError(errno);
    }
    return target;
}

QString TemporaryNameFor(const QString& path, qint64 pid, quint32 random) {
    const QFileInfo info(path);
    return info.absoluteDir().filePath(
        QStringLiteral(".%1.%2-%3.tmp").arg(info.fileName()).arg(pid).arg(random, 8, 16, QChar('0')));
}

void RemoveStaleTemporaries(const QString& path) {
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    const QString prefix = QStringLiteral(".") + info.fileName() + QStringLiteral(".");
    static const QRegularExpression tail(QStringLiteral("^(\\d{1,10})-[0-9a-f]{8}\\.tmp$"));
    const QStringList names =
        folder.entryList({prefix + QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix)) {
            continue; // the name filter ignores letter case
        }
        const QRegularExpressionMatch match = tail.match(name.mid(prefix.size()));
        if (!match.hasMatch()) {
            continue;
        }
        const qint64 pid = match.captured(1).toLongLong();
        if (pid <= 0 || pid == qint64(::getpid()) || pid > qint64(std::numeric_limits<pid_t>::max())) {
            continue;
        }
        // Gone only when the system says there is no such process; a process
        // of another user (EPERM) is alive.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) {
            continue;
        }
        const QString file = folder.filePath(name);
        struct stat st {};
        if (::lstat(QFile::encodeName(file).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            QFile::remove(file);
        }
    }
}

} // namespace vk
