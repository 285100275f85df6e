#include "platform/Installation.h"

#include "platform/RegistryStore.h"

#include <QFileInfo>
#include <QLibraryInfo>

namespace Installation {

const QList<Component> &components()
{
    static const QList<Component> list = {
        {QStringLiteral("libctexts.so"), Kind::InProcess, Condition::Always,
         QStringLiteral("{6E1F3A52-0C41-4B7E-9A15-2D8C7F0B4A01}")},
        {QStringLiteral("ostrelle-encoder"), Kind::LocalServer, Condition::Always,
         QStringLiteral("{6E1F3A52-0C41-4B7E-9A15-2D8C7F0B4A02}")},
        {QStringLiteral("ostrelle-db"), Kind::LocalServer, Condition::Always,
         QStringLiteral("{6E1F3A52-0C41-4B7E-9A15-2D8C7F0B4A03}")},
    };
    return list;
}

const Component *findComponent(const QString &file)
{
    for (const Component &c : components()) {
        if (c.file == file)
            return &c;
    }
    return nullptr;
}

QList<VersionRow> versionTable(int major, int minor, int revision)
{
    const auto own = [&](const char *line, const char *file) {
        return VersionRow{QLatin1String(line), QLatin1String(file), Folder::Program, major, minor, revision, -1,
                          VersionRule::Exact,  Condition::Always};
    };
    return {
        own("Validate ostrelle (workstation)", "ostrelle"),
        own("Validate libctexts.so (texts)", "libctexts.so"),
        own("Validate ostrelle-encoder (virtual devices)", "ostrelle-encoder"),
        own("Validate ostrelle-db (database tool)", "ostrelle-db"),
        // The Qt the program was built against is the least it runs with.
        {QStringLiteral("Validate libQt6Network.so.6 (cameras)"), QStringLiteral("libQt6Network.so.6"), Folder::System,
         QT_VERSION_MAJOR, QT_VERSION_MINOR, 0, 0, VersionRule::Minimum, Condition::NetworkLibraries},
        {QStringLiteral("Validate libQt6Widgets.so.6 (windows)"), QStringLiteral("libQt6Widgets.so.6"), Folder::System,
         QT_VERSION_MAJOR, QT_VERSION_MINOR, 0, 0, VersionRule::Minimum, Condition::Always},
    };
}

QString systemDirectory()
{
    return QLibraryInfo::path(QLibraryInfo::LibrariesPath);
}

const QList<QString> &driverProcesses()
{
    // The virtual encoder and handheld unit run inside the card server: no driver process yet.
    static const QList<QString> none;
    return none;
}

int RegisterClass(RegistryStore &store, const Component &component, const QString &filePath)
{
    const QString key =
        QStringLiteral("CLSID\\") + component.classId +
        (component.kind == Kind::LocalServer ? QStringLiteral("\\LocalServer32") : QStringLiteral("\\InprocServer32"));
    return store.setValue(RegistryStore::Hive::ClassesRoot, key, QString(),
                          RegistryStore::Value::string(QFileInfo(filePath).absoluteFilePath()));
}

bool RegisterFile(const QString &filePath)
{
    const Component *component = findComponent(QFileInfo(filePath).fileName());
    if (!component)
        return false;
    RegistryStore store(RegistryStore::defaultPaths());
    return RegisterClass(store, *component, filePath) == 0;
}

} // namespace Installation
