#pragma once

#include <QList>
#include <QString>

class RegistryStore;

// The installation's own files as the start-up checks them: which are registered in the classes
// section of the machine hive, which versions they must have, which processes drive the devices.
// docs/installation.md maps them onto the installation's component list and version table.
namespace Installation {

enum class Kind {
    LocalServer, // a program: registers itself when started with " /RegServer"
    InProcess,   // a library: registered by the registration tool
};

enum class Condition { Always, NetworkLibraries, SmartCardLogon };

struct Component
{
    QString file;
    Kind kind;
    Condition condition;
    QString classId; // the main class the component registers
};

// In the order they are checked and registered.
const QList<Component> &components();
const Component *findComponent(const QString &file);

enum class VersionRule { Exact, Minimum };
enum class Folder { Program, System };

struct VersionRow
{
    QString logLine;
    QString file;
    Folder folder;
    int major, minor, build, revision; // -1 as revision: any
    VersionRule rule;
    Condition condition;
};

// The rows for a client of the given version: our own files must be of exactly that version.
QList<VersionRow> versionTable(int major, int minor, int revision);

// Where the system's shared libraries lie: the folder of the Qt libraries the program uses.
QString systemDirectory();

// The device driver processes the client starts where no starter service runs them.
const QList<QString> &driverProcesses();

// The registration tool's name beside the program ("RegSvr32 /c /s").
inline constexpr char kRegistrationTool[] = "ostrelle-regsvr";
// The script that installs an update copied to SETUP/ and the list of its files.
inline constexpr char kInstallScript[] = "quiet.sh";
inline constexpr char kSetupList[] = "Setup.lst";

// Writes the class entry of a component ("CLSID\{id}\LocalServer32" or "...\InprocServer32",
// default value = the file's absolute path) into the classes section of the machine hive.
// 0, or the store's errno.
int RegisterClass(RegistryStore &store, const Component &component, const QString &filePath);
// The same for the component named like the file, in the machine hive of this computer: what
// " /RegServer" and the registration tool do. False for a file that is no component.
bool RegisterFile(const QString &filePath);

} // namespace Installation
