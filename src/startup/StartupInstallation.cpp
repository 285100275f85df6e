// The installation's checks at start-up: component registration, driver processes, component
// versions and the client update (docs/installation.md).
#include "components/recordtable/Connection.h"
#include "components/recordtable/RecordTable.h"
#include "platform/ClientSupport.h"
#include "platform/FileVersion.h"
#include "platform/Installation.h"
#include "session/Workstation.h"
#include "startup/StartupRules.h"
#include "startup/StartupSequence.h"
#include "startup/frmSplash.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>

using Installation::Condition;

namespace {

const QString kDbServerKey = QStringLiteral("Software\\Veltrix\\DBServer\\Settings");
const QString kClientKey = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings");

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

// The hourglass while the update copies; restored however the copying ends.
struct BusyPointer
{
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { restore(); }
    void restore()
    {
        if (on)
            QApplication::restoreOverrideCursor();
        on = false;
    }
    bool on = true;
};

} // namespace

bool StartupSequence::skippedForNetwork(int condition) const
{
    return Condition(condition) == Condition::NetworkLibraries && !m_ws.facts.NetworkLibrariesPresent;
}

bool StartupSequence::isRegisteredHere(const QString &classId, bool localServer, bool &registered)
{
    QString directory;
    registered = m_ws.program.registry.RegisteredServerDirectory(classId, directory, localServer);
    // The long and the short form of the program path, in any letter case.
    const QString dir = withoutTrailingSlash(directory).toUpper();
    return registered && (dir == withoutTrailingSlash(m_ws.program.ProgramPath).toUpper() ||
                          dir == withoutTrailingSlash(m_ws.facts.ShortProgramPath).toUpper());
}

bool StartupSequence::CheckComponent()
{
    if (m_commandLine.skipRegistrationCheck) {
        log(QStringLiteral("> Skip checking components due to the parameter '/I'"));
        return true;
    }
    const auto skipLine = [](const QString &file) {
        return QStringLiteral("> Skipping '") + file + QStringLiteral("' because libresolv.so.2, libc.so.6 or ") +
               QStringLiteral("libQt6Network.so.6 are missing");
    };
    const auto applies = [this](const Installation::Component &c) {
        return c.condition != Condition::SmartCardLogon || m_ws.session.SmartCardLogon;
    };
    if (m_commandLine.registerComponents) {
        log(QStringLiteral("> Registering the components before checking them due to the parameter '/R'"));
        for (const Installation::Component &c : Installation::components()) {
            if (skippedForNetwork(int(c.condition)))
                log(skipLine(c.file));
            else if (applies(c) && !RegisterComponent(c.file, c.kind == Installation::Kind::LocalServer, true))
                return false;
        }
    }
    for (const Installation::Component &c : Installation::components()) {
        if (skippedForNetwork(int(c.condition))) {
            log(skipLine(c.file));
            continue;
        }
        if (!applies(c))
            continue;
        const bool local = c.kind == Installation::Kind::LocalServer;
        log(QStringLiteral("> ") + c.file);
        bool registered = false;
        if (isRegisteredHere(c.classId, local, registered)) {
            append(QStringLiteral("...OK"));
            continue;
        }
        append((registered ? QStringLiteral("...wrong component registered. Registering ")
                           : QStringLiteral("...not registered. Registering ")) +
               c.file);
        if (!RegisterComponent(c.file, local, false) || !isRegisteredHere(c.classId, local, registered))
            return false;
    }
    m_ws.program.registry.WriteString(QStringLiteral("LatestInstall"),
                                      withoutTrailingSlash(m_ws.facts.ShortProgramPath), kDbServerKey);
    return true;
}

bool StartupSequence::RegisterComponent(const QString &file, bool localServer, bool withLine)
{
    if (withLine)
        log(QStringLiteral("> Registering ") + file);
    if (m_ws.facts.StarterActive) {
        // The starter service owns registration.
        append(QStringLiteral(" [Note: Veltrix Starter service is running]"));
        return false;
    }
    const QString path = m_ws.facts.ShortProgramPath + file;
    if (localServer) {
        QFile server(path);
        if (!server.open(QIODevice::ReadOnly)) {
            append(QStringLiteral(" [Note: '") + file + QStringLiteral("' is missing]"));
            return false;
        }
        m_env.runProcess(path, {QStringLiteral("/RegServer")});
        return true;
    }
    m_env.runProcess(m_ws.facts.ShortProgramPath + QLatin1String(Installation::kRegistrationTool),
                     {QStringLiteral("/c"), QStringLiteral("/s"), path});
    return true;
}

void StartupSequence::StartDriverProcesses()
{
    // Where services run, the starter service runs the drivers; a local server needs none.
    if (m_env.servicePlatform || IsLocalServer(m_ws.program.LocalParams.Server(), m_ws.program.ComputerName))
        return;
    for (const QString &driver : Installation::driverProcesses()) {
        log(QStringLiteral("Checking '") + driver + QLatin1Char('\''));
        if (IsProcessRunning(driver)) {
            append(QStringLiteral("...already running"));
        } else {
            append(QStringLiteral("...not running --> Executing '") + driver + QLatin1Char('\''));
            m_env.startProcess(m_ws.facts.ShortProgramPath + driver, {});
        }
    }
}

void StartupSequence::StopDriverProcesses()
{
    if (m_env.servicePlatform || IsLocalServer(m_ws.program.LocalParams.Server(), m_ws.program.ComputerName))
        return;
    for (const QString &driver : Installation::driverProcesses()) {
        log(QStringLiteral("Terminating '") + driver + QLatin1Char('\''));
        append(TerminateProcessByName(driver) ? QStringLiteral("...terminated") : QStringLiteral("...not running"));
    }
}

void StartupSequence::CheckComponentVersions()
{
    RecordTable &parameters = *m_ws.db.parametersTable;
    for (const Installation::VersionRow &row : Installation::versionTable(m_version[0], m_version[1], m_version[2])) {
        if (skippedForNetwork(int(row.condition)))
            continue;
        log(row.logLine);
        const QString folder = row.folder == Installation::Folder::Program
                                   ? m_ws.facts.ShortProgramPath
                                   : Installation::systemDirectory() + QLatin1Char('/');
        const int comparison =
            CompareVersion(parameters.FileVersion(folder + row.file), row.major, row.minor, row.build, row.revision);
        if (comparison == 0)
            fail(-31144, {row.file});
        if (row.rule == Installation::VersionRule::Exact && comparison != 2)
            fail(-31096, {row.file});
        if (row.rule == Installation::VersionRule::Minimum && comparison == 1)
            fail(-31183, {row.file});
    }
}

void StartupSequence::endWithMessage(int16_t textNumber)
{
    showError(GetText(textNumber));
    throw Exit{false, QString()};
}

void StartupSequence::UpdateClient()
{
    if (m_commandLine.skipClientUpdate) {
        log(QStringLiteral("Auto-update skipped due to '/U' switch"));
        return;
    }
    if (IsLocalServer(m_ws.program.LocalParams.Server(), m_ws.program.ComputerName)) {
        log(QStringLiteral("Local server -> no need to update client"));
        return;
    }
    RecordTable &clients = *m_ws.db.clientsTable;
    const QString requiredText = clients.ServerRegistryValue(kClientKey + QStringLiteral("\\Version"));
    if (clients.Status() == RecordStatus::NoRecord) {
        // Nothing was published on this server: no client to compare with.
        log(QStringLiteral("> The server holds no client version"));
        return;
    }
    const int beta = BetaNumber(requiredText);
    const QString required = NormalizeVersion(requiredText);
    log(QStringLiteral("Required version: ") + required);
    const int comparison = CompareVersion(required, m_version[0], m_version[1], m_version[2], 0);
    if (comparison == 1 || (comparison == 2 && beta != 0))
        fail(-31116);
    if (comparison != 3)
        return;

    m_splash.reset();
    const int answer = m_env.showMessage(FormatText(GetText(-32502), {required}), DialogStyle::Question,
                                         GetText(-32768), GetText(17001).split(QLatin1Char('|')));
    if (answer != 0)
        throw Exit{false, QString()}; // the client does not start without the update
    if (m_env.servicePlatform && clients.InstallCheck(m_ws.facts.ShortProgramPath) != 0)
        endWithMessage(-31145);

    BusyPointer busy;
    log(QStringLiteral("Delete previous setup files (if any)"));
    QDir setup(m_ws.facts.ShortProgramPath + QStringLiteral("SETUP"));
    if (setup.exists()) {
        const QStringList old = setup.entryList(QDir::Files | QDir::Hidden);
        for (const QString &file : old) {
            if (!setup.remove(file))
                endWithMessage(-31135);
        }
    } else if (!QDir().mkpath(setup.path())) {
        endWithMessage(-31129);
    }

    log(QStringLiteral("Copy setup files from server"));
    QString source = clients.ServerRegistryValue(kDbServerKey + QStringLiteral("\\LatestInstall"));
    if (!source.endsWith(QLatin1Char('/')) && !source.endsWith(QLatin1Char('\\')))
        source += QLatin1Char('/');
    source += QStringLiteral("UPDATE/");
    const QString destination = setup.path() + QLatin1Char('/');
    const auto copy = [&](const QString &file) {
        log(QStringLiteral("> ") + file);
        // A listed name stays inside SETUP/.
        if (file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')) || file == QLatin1String("..") ||
            file == QLatin1String("."))
            fail(-31117);
        clients.CopyServerFile(source + file, destination + file);
        if (clients.Status() != RecordStatus::Ok)
            fail(-31117);
    };
    const QString setupList = QLatin1String(Installation::kSetupList);
    copy(setupList);
    QFile list(destination + setupList);
    const QStringList files = list.open(QIODevice::ReadOnly) ? SetupListEntries(list.readAll()) : QStringList();
    if (files.isEmpty())
        endWithMessage(-31091);
    for (const QString &file : files)
        copy(file);
    busy.restore();

    log(QStringLiteral("Terminate active encoder components"));
    StopDriverProcesses();
    log(QStringLiteral("Installing new client"));
    const QString script = m_ws.facts.ShortProgramPath + QLatin1String(Installation::kInstallScript);
    if (m_env.runProcess(script, {m_ws.facts.ShortProgramPath}) != 0)
        fail(-31117);
    m_env.restart(m_env.programFile, m_env.arguments);
    throw Exit{false, QString()};
}
