#pragma once
// The program's configuration: one object, created by the main window at
// start and read wherever a tolerance or the display unit is needed.

#include <QSettings>
#include <QString>

namespace vk {

class TGlobalConfig {
public:
    TGlobalConfig();

    // Where the values live. QSettings stands in for the registry key.
    QString RegistryKey;
    // Two ends of site border elements closer than this count as joined (mm).
    int ProjectLinkTolerance = 0;
    // 100 metres, 10 centimetres, 1 millimetre.
    int DisplayUnits = 0;
    // Two ends of tile outline elements closer than this count as joined (mm).
    int TileLinkTolerance = 0;

    void SetDefaults();

    // Values that are missing or unusable keep what the object holds.
    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    // The same against the settings store named by RegistryKey.
    void Load();
    void Save() const;
};

// The settings store named by the configuration's RegistryKey, where windows
// also remember their own inputs.
[[nodiscard]] QSettings ProgramSettings();

// The configuration of the running program (created on first use with its
// defaults). The main window loads it at start.
[[nodiscard]] TGlobalConfig& GlobalConfig();

// Radio index of the unit group ("м", "см", "мм") and back.
[[nodiscard]] int UnitsToRadioIndex(int displayUnits); // -1 for unknown values
[[nodiscard]] int RadioIndexToUnits(int index);

// Folders beside the executable. Paths use "/" and end without a separator.
[[nodiscard]] QString ProgramFolder();
[[nodiscard]] QString ProjectsFolder();
[[nodiscard]] QString TexturesFolder();
[[nodiscard]] QString DbFolder();
[[nodiscard]] QString HelpFolder();

// Creates a folder and any missing parents; failures are not reported.
void ForceFolder(const QString& path);

// The full version compiled in, "major.minor.patch.build"; "0.0.0.0" if none.
[[nodiscard]] QString GetProgramVersion();
// The version cut before its last two dots: 1.2.3.4 gives 1.2.
[[nodiscard]] QString ShortVersion(const QString& fullVersion);

} // namespace vk
