#pragma once
// What a save replaces. A project file may be reached through symbolic links,
// may carry permissions and an owner the user gave it, or may not be a file
// at all; a save writes a new file beside the old one and moves it over, so
// it must look at the target first and carry over what the old file had.

#include <QString>

#include <sys/types.h>

namespace vk {

struct TSaveTarget {
    // The file the save replaces: the path with every symbolic link followed
    // (the link itself stays a link).
    QString Path;
    bool Exists = false;
    // Of the existing file, to be given to its replacement.
    mode_t Mode = 0;
    uid_t Owner = 0;
    gid_t Group = 0;
    // Why the save must not go on; empty when it may.
    QString Problem;
};

// Looks at `path` without changing anything.
[[nodiscard]] TSaveTarget ResolveSaveTarget(const QString& path);

// The temporary file name a save of `path` uses in its folder:
// ".NAME.<pid>-<8 hex digits>.tmp".
[[nodiscard]] QString TemporaryNameFor(const QString& path, qint64 pid, quint32 random);

// Removes the temporary files of saves of `path` whose process is gone
// (a save killed half-way leaves one, possibly as large as the project).
// Files of running processes, and anything not named like one, stay.
void RemoveStaleTemporaries(const QString& path);

} // namespace vk
