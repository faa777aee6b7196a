#pragma once
// The codec of the project file "*.mpp": a project's data to and from its
// compound file. It asks the user nothing; the project shows what goes
// wrong (TProject::LoadFromFile, SaveToFile) and asks for files (Save,
// SaveAs, SaveQuery, AskFileToOpen).

#include <QString>

namespace vk {

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
    [[nodiscard]] static QString Read(const TStorage& root, TProject& project, const QString& fileName,
                                      int& skippedKinds);
    // Writes `project` to `fileName`; the old file is replaced only when the
    // new one is complete. Why it failed, empty on success. `commentLost`:
    // some characters of the comment could not be written and became "?".
    [[nodiscard]] static QString Write(const TProject& project, const QString& fileName, bool& commentLost);

private:
    static void readProject(const TStorage& root, TProject& project, const QString& fileName, int& skippedKinds);
    static void readBorder(const TStorage& borders, TProject& project, int& skippedKinds);
    static void readTiles(const TStorage& tiles, TProject& project);
};

} // namespace vk
