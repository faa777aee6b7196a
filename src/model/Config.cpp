#include "model/Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace vk {

namespace {
// Registry key "\SoftWare\VorkaloProject" -> organisation "SoftWare",
// application "VorkaloProject" of the native settings store.
QSettings settingsFor(const QString& key) {
    const QStringList parts = key.split(QChar('\\'), Qt::SkipEmptyParts);
    const QString organisation = parts.size() >= 2 ? parts.at(0) : QStringLiteral("SoftWare");
    const QString application = parts.isEmpty() ? QStringLiteral("VorkaloProject") : parts.last();
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
}

int readInt(QSettings& settings, const char* name, int fallback) {
    bool ok = false;
    const int value = settings.value(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
}
} // namespace

TGlobalConfig::TGlobalConfig() : RegistryKey(QStringLiteral("\\SoftWare\\VorkaloProject")) {}

void TGlobalConfig::SetDefaults() {
    DisplayUnits = 100;
    ProjectLinkTolerance = 50;
    TileLinkTolerance = 10;
}

void TGlobalConfig::Load(QSettings& settings) {
    const int units = readInt(settings, "DisplayUnits", DisplayUnits);
    if (units == 1 || units == 10 || units == 100) {
        DisplayUnits = units;
    }
    ProjectLinkTolerance = readInt(settings, "ProjectLinkTolerance", ProjectLinkTolerance);
    TileLinkTolerance = readInt(settings, "TileLinkTolerance", TileLinkTolerance);
}

void TGlobalConfig::Save(QSettings& settings) const {
    settings.setValue(QStringLiteral("DisplayUnits"), DisplayUnits);
    settings.setValue(QStringLiteral("ProjectLinkTolerance"), ProjectLinkTolerance);
    settings.setValue(QStringLiteral("TileLinkTolerance"), TileLinkTolerance);
    settings.sync();
}

void TGlobalConfig::Load() {
    QSettings settings = settingsFor(RegistryKey);
    Load(settings);
}

void TGlobalConfig::Save() const {
    QSettings settings = settingsFor(RegistryKey);
    Save(settings);
}

QSettings ProgramSettings() { return settingsFor(GlobalConfig().RegistryKey); }

TGlobalConfig& GlobalConfig() {
    static TGlobalConfig config = [] {
        TGlobalConfig c;
        c.SetDefaults();
        return c;
    }();
    return config;
}

int UnitsToRadioIndex(int displayUnits) {
    switch (displayUnits) {
    case 100: return 0;
    case 10: return 1;
    case 1: return 2;
    default: return -1;
    }
}

int RadioIndexToUnits(int index) {
    switch (index) {
    case 1: return 10;
    case 2: return 1;
    default: return 100;
    }
}

QString ProgramFolder() {
    if (QCoreApplication::instance() == nullptr) {
        return QDir::currentPath();
    }
    return QCoreApplication::applicationDirPath();
}

QString ProjectsFolder() { return ProgramFolder() + QStringLiteral("/Projects"); }
QString TexturesFolder() { return ProgramFolder() + QStringLiteral("/Textures"); }
QString DbFolder() { return ProgramFolder() + QStringLiteral("/DB"); }
QString HelpFolder() { return ProgramFolder() + QStringLiteral("/help"); }

void ForceFolder(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    QDir().mkpath(path);
}

QString GetProgramVersion() {
#ifdef VORKALO_VERSION
    const QString version = QStringLiteral(VORKALO_VERSION);
    if (version.count(QChar('.')) == 3) {
        return version;
    }
#endif
    return QStringLiteral("0.0.0.0");
}

QString ShortVersion(const QString& fullVersion) {
    QString text = fullVersion;
    for (int i = 0; i < 2; ++i) {
        const qsizetype dot = text.lastIndexOf(QChar('.'));
        if (dot >= 0) {
            text.truncate(dot);
        }
    }
    return text;
}

} // namespace vk
