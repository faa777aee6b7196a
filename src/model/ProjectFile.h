#pragma once
// The codec of the project file "*.mpp": a project's data to and from its
// compound file. It asks the user nothing; the project shows what goes
// wrong (TProject::LoadFromFile, SaveToFile) and asks for files (Save,
// SaveAs, SaveQuery, AskFileToOpen).

#include <QString>

namespace vk {

class TProgress;
class TProject;
class TStorage;
class TTileList;

class TProjectFile {
public:
    // Reads the file's root storage into `project`, which starts from
    // nothing: tile and pattern from the library by identifier, the
    // border, the texture and the laid tiles as stored. The text of the
    // error that broke the reading off, empty when none; what was read up
    // to it stays. Border records of an unknown kind are skipped and counted
    // in `skippedKinds`.
    // `progress` (may be none) hears of the laid tiles read, on a scale of
    // kProgressTotal, from kProgressFileRead on; when it asks to stop, the
    // reading stops there and `stopped` is set.
    [[nodiscard]] static QString Read(const TStorage& root, TProject& project, const QString& fileName,
                                      int& skippedKinds, TProgress* progress = nullptr, bool* stopped = nullptr);
    // Writes `project` to `fileName`; the old file is replaced only when the
    // new one is complete. Why it failed, empty on success. `commentLost`:
    // some characters of the comment could not be written and became "?".
    // `progress` (may be none) hears how far, on a scale of kProgressTotal.
    [[nodiscard]] static QString Write(const TProject& project, const QString& fileName, bool& commentLost,
                                       TProgress* progress = nullptr);

    // The scale of the progress reported; reading the file's bytes takes
    // the part before kProgressFileRead.
    static constexpr qint64 kProgressTotal = 1000;
    static constexpr qint64 kProgressFileRead = 500;

private:
    static void readProject(const TStorage& root, TProject& project, const QString& fileName, int& skippedKinds);
    static void readBorder(const TStorage& borders, TProject& project, int& skippedKinds);
    static void readTiles(const TStorage& tiles, TProject& project, TProgress* progress);
};

} // namespace vk
