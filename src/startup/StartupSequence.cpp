#include "startup/StartupSequence.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/Connection.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "frame/frmMain.h"
#include "platform/FileVersion.h"
#include "platform/InstanceGuard.h"
#include "platform/OsVersion.h"
#include "session/Logon.h"
#include "session/Workstation.h"
#include "session/frmLogon.h"
#include "settings/clsSystemParams.h"
#include "startup/StartupRules.h"
#include "startup/frmCmdlineDialog.h"
#include "startup/frmSplash.h"
#include "texts/Texts.h"
#include "ui/DialogMessages.h"
#include "ui/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include <exception>
#include <new>

namespace {

// The libraries the camera routines need; the log names the files it looks for.
const char *const kNetworkLibraries[] = {
    "libQt6Network.so.6", // HTTP: the cameras' live pictures
    "libc.so.6",          // sockets and the ICMP echo
    "libresolv.so.2",     // host-name lookup of camera addresses
};

// The table objects the logon keeps open from start-up on; the first one's status tells whether
// the database is reachable.
using TableMember = std::unique_ptr<RecordTable> DatabaseServices::*;
const TableMember kTables[] = {
    &DatabaseServices::logonTable,
    &DatabaseServices::operatorsTable,
    &DatabaseServices::parametersTable,
    &DatabaseServices::clientsTable,
};

// The status the database component gives when it cannot reach its server: shown without an
// error number, like the RPC server being unavailable.
bool isServerUnavailable(qint32 status)
{
    return status == RecordStatus::NotConnected || status == RecordStatus::ConnectionLost;
}

// 1970-01-01 00:00 as an OLE date: the rights were never loaded.
constexpr double kRightsNeverLoaded = 25569.0;

// The run-time error numbers of C++ exceptions: "out of memory" keeps its classic number.
constexpr uint32_t kOutOfMemory = 7;
constexpr uint32_t kUnspecifiedFailure = 0x80004005;

QString hex(uint32_t number)
{
    return QString::number(number, 16).toUpper();
}

} // namespace

StartupEnvironment StartupEnvironment::forProgram(const QStringList &arguments, const QString &applicationPath)
{
    StartupEnvironment env;
    env.commandLine = arguments.mid(1).join(QLatin1Char(' '));
    env.arguments = arguments.mid(1);
    env.applicationPath = applicationPath;
    env.ctrlHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    return env;
}

StartupSequence::StartupSequence(Workstation &workstation, StartupEnvironment environment)
    : m_ws(workstation), m_env(std::move(environment))
{
    StartupEnvironment &e = m_env;
    if (e.computerName.isEmpty())
        e.computerName = LocalComputerName();
    if (e.instanceName.isEmpty())
        e.instanceName = InstanceGuard::defaultServerName();
    if (e.deviceDirectory.isEmpty())
        e.deviceDirectory = CardsIntf::defaultDeviceDirectory();
    if (e.programFile.isEmpty())
        e.programFile = QCoreApplication::applicationFilePath();
    if (!e.runProcess)
        e.runProcess = [](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.start(program, arguments);
            // Registration runs and the install script take moments; the check reads their result.
            if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
                return -1;
            return process.exitCode();
        };
    if (!e.startProcess)
        e.startProcess = [](const QString &program, const QStringList &arguments) {
            return QProcess::startDetached(program, arguments);
        };
    if (!e.restart)
        e.restart = [](const QString &program, const QStringList &arguments) {
            // The new start must not meet this instance: wait until this process has ended.
            QStringList shellArguments = {QStringLiteral("-c"),
                                          QStringLiteral("while kill -0 \"$0\" 2>/dev/null; do sleep 0.2; done; exec "
                                                         "\"$@\""),
                                          QString::number(QCoreApplication::applicationPid()), program};
            return QProcess::startDetached(QStringLiteral("/bin/sh"), shellArguments + arguments);
        };
    if (!e.showMessage)
        e.showMessage = [](const QString &text, DialogStyle style, const QString &title, const QStringList &buttons) {
            return ShowMessageDialog(text, style, title, buttons);
        };
    if (!e.editCommandLine)
        e.editCommandLine = [](QString &line) { return EditCommandLine(line); };
    if (!e.otherClientActive)
        e.otherClientActive = [marker = e.clientSemaphore.markerFile] { return IsOrlaClientActive(marker); };
    if (!e.starterActive)
        e.starterActive = [] { return IsOrlaStarterActive(); };
    if (!e.libraryPresent)
        e.libraryPresent = [](const QByteArray &soname) { return IsSystemLibraryPresent(soname); };
    if (!e.screen)
        e.screen = [] {
            const QScreen *screen = QGuiApplication::primaryScreen();
            return screen ? ScreenMetrics{screen->logicalDotsPerInch(), screen->depth()} : ScreenMetrics{};
        };
    if (!e.databaseChecks)
        e.databaseChecks = [](Workstation &ws) { return RunStartupDatabaseChecks(*ws.db.database); };
    if (!e.createMainFrame)
        e.createMainFrame = [](Workstation &ws) {
            return std::unique_ptr<QWidget>(
                new frmMain(ws.program, ws.db, ws.cardServers, ws.session, ws.facts, ws.frameWindows));
        };
    if (!e.promptLogon)
        e.promptLogon = [](Workstation &ws, QWidget *frame, const QString &password) {
            return RunLogonDialog(ws.program, ws.db, ws.cardServers, ws.session, 0, frame, password);
        };
}

StartupSequence::~StartupSequence() = default;

StartupResult StartupSequence::Run()
{
    try {
        m_result = runSteps() ? StartupResult::Completed : StartupResult::DuplicateInstance;
        return m_result;
    } catch (const Exit &exit) {
        if (exit.failed) {
            m_ws.program.StartupLog.Failed();
            showError(exit.message);
        }
        exitTail();
        m_result = exit.failed ? StartupResult::Failed : StartupResult::Ended;
    } catch (const std::bad_alloc &) {
        unexpectedError(kOutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception &error) {
        unexpectedError(kUnspecifiedFailure, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        unexpectedError(kUnspecifiedFailure, QStringLiteral("Unknown exception"));
    }
    return m_result;
}

bool StartupSequence::runSteps()
{
    openLogs();
    if (isDuplicateInstance())
        return false;
    readSettingsAndCommandLine();
    loadTexts();
    checkInstallation();
    connectComponents();
    checkDatabase();
    showMainFrameAndLogon();
    return true;
}

// --- Steps 1 to 3 ---

void StartupSequence::openLogs()
{
    // The application title, not a display name: Qt would append that to every window title.
    QCoreApplication::setApplicationName(QStringLiteral("Veltrix Ostrelle"));
    m_ws.program.ProgramPath = m_env.applicationPath;
    m_ws.program.texts.setProgramPath(m_ws.program.ProgramPath);
    m_ws.program.OpenStartupLog();
    // The client's version is the one its file carries, as for every file of the installation.
    const QStringList own = NormalizeVersion(ReadFileVersion(m_env.programFile)).split(QLatin1Char('.'));
    const bool embedded = own.value(0).toInt() > 0 || own.value(1).toInt() > 0;
    m_version[0] = embedded ? own.value(0).toInt() : OSTRELLE_VERSION_MAJOR;
    m_version[1] = embedded ? own.value(1).toInt() : OSTRELLE_VERSION_MINOR;
    m_version[2] = embedded ? own.value(2).toInt() : OSTRELLE_VERSION_PATCH;

    int32_t registryLog = 0;
    if (m_ws.program.registry.ReadLong(QStringLiteral("registry.log"), registryLog) && registryLog != 0)
        m_ws.program.registry.OpenRegistryLog(QDir(m_ws.program.ProgramPath).filePath(QStringLiteral("registry.log")));
}

bool StartupSequence::isDuplicateInstance()
{
    log(QStringLiteral("Check for duplicate instance"));
    m_guard = std::make_unique<InstanceGuard>(m_env.instanceName);
    if (m_guard->ActivatePreviousInstance()) {
        m_ws.program.StartupLog.Failed();
        m_guard.reset();
        return true;
    }
    m_guard->listen();
    QObject::connect(m_guard.get(), &InstanceGuard::activationRequested, m_guard.get(),
                     [this] { ActivateMainFrame(); });
    return false;
}

void StartupSequence::ActivateMainFrame()
{
    QWidget *frame = m_mainFrame.get();
    if (!frame)
        return; // still starting: the frame comes to the front by itself
    if (frame->isMinimized())
        frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
    frame->show();
    frame->raise();
    frame->activateWindow();
}

// --- Steps 4 to 7 ---

void StartupSequence::readSettingsAndCommandLine()
{
    m_ws.program.ProgramPath = m_env.applicationPath;
    log(QStringLiteral("Path is '") + m_ws.program.ProgramPath + QLatin1Char('\''));

    const auto yesNo = [](bool b) { return b ? QStringLiteral("Yes") : QStringLiteral("No"); };
    log(QStringLiteral("Can read from HKEY_LOCAL_MACHINE: "));
    append(yesNo(m_ws.program.registry.CanReadLocalMachine()));
    log(QStringLiteral("Can write to HKEY_LOCAL_MACHINE: "));
    append(yesNo(m_ws.program.registry.CanWriteLocalMachine()));
    log(QStringLiteral("Can read from HKEY_CURRENT_USER: "));
    append(yesNo(m_ws.program.registry.CanReadCurrentUser()));
    log(QStringLiteral("Can write to HKEY_CURRENT_USER: "));
    append(yesNo(m_ws.program.registry.CanWriteCurrentUser()));

    log(QStringLiteral("Read local parameters"));
    m_ws.program.LocalParams.ReadLocalParameters();

    log(QStringLiteral("Parse commandline parameters"));
    QString line = m_env.commandLine;
    if (m_env.ctrlHeld)
        m_env.editCommandLine(line);
    m_commandLine = ParseCommandLine(line);
    log(ParametersLogLine(line));
    applySwitches();
}

void StartupSequence::applySwitches()
{
    clsLocalParams &params = m_ws.program.LocalParams;
    for (const CommandLine::Switch &s : std::as_const(m_commandLine.switches)) {
        switch (s.letter.unicode()) {
        case 'O':
            params.setODBCSource(s.value);
            params.WriteLocalParameters();
            m_odbcSourceKnown = true;
            log(QStringLiteral("> ODBC Source set to '") + s.value + QLatin1Char('\''));
            break;
        case 'N':
            params.setServer(s.value);
            params.WriteLocalParameters();
            log(QStringLiteral("> Server set to '") + s.value + QLatin1Char('\''));
            break;
        case 'C':
            m_ws.program.ProgramPath = s.value;
            m_ws.program.texts.setProgramPath(s.value);
            log(QStringLiteral("> Path set to '") + s.value + QLatin1Char('\''));
            break;
        case 'X':
            m_ws.program.texts.setLibraryName(s.value);
            log(QStringLiteral("> Name of CTexts.dll is '") + s.value + QLatin1Char('\''));
            break;
        case 'D':
            m_ws.program.texts.setTextFileName(s.value);
            m_ws.program.texts.setTextFileMode(true);
            log(QStringLiteral("> Name of text resource file is '") + s.value + QLatin1Char('\''));
            break;
        case 'G':
            params.setSmartCardEncoderID(SwitchNumber(s.value));
            params.WriteLocalParameters();
            m_ws.session.SmartCardLogon = params.SmartCardEncoderID() > 0;
            break;
        case 'A':
            m_ws.facts.AutoUpdateUserCard = true;
            break;
        default:
            break; // the other switches are read where their step runs
        }
    }
}

// --- Steps 8 to 10 ---

void StartupSequence::loadTexts()
{
    log(QStringLiteral("Convert long path name to short path name (8.3)"));
    // Linux has no short names; the canonical absolute path is the one name that always works.
    QString shortPath = QFileInfo(m_ws.program.ProgramPath).canonicalFilePath();
    if (shortPath.isEmpty())
        fail(QStringLiteral("Failed when converting the program path name."));
    if (!shortPath.endsWith(QLatin1Char('/')))
        shortPath += QLatin1Char('/');
    m_ws.facts.ShortProgramPath = shortPath;
    log(QStringLiteral("Short path is '") + shortPath + QLatin1Char('\''));
    m_ws.facts.HelpFilePath = HelpViewer::folderBeside(shortPath);

    log(QStringLiteral("Load resource dll"));
    if (!m_ws.program.texts.LoadTextLibrary())
        fail(QStringLiteral("Failed to load the text resource dll (") + m_ws.program.texts.libraryName() +
             QLatin1Char(')'));
    if (m_ws.program.texts.textFileMode()) {
        log(QStringLiteral("Load resource text file"));
        if (!m_ws.program.texts.LoadTextFile())
            fail(QStringLiteral("Failed to load the text resource file (") + m_ws.program.texts.textFileName() +
                 QLatin1Char(')'));
    }
    if (m_commandLine.showHelp) {
        log(QStringLiteral("Show 'Command Line Parameters'"));
        m_env.showMessage(CommandLineHelpText(), DialogStyle::Information,
                          TextOr(-32766, QStringLiteral("Information")), {TextOr(17000, QStringLiteral("OK"))});
        throw Exit{false, QString()};
    }
}

// --- Steps 11 to 21 ---

void StartupSequence::checkInstallation()
{
    log(QStringLiteral("Check for other active Orla clients"));
    if (m_env.otherClientActive())
        fail(-31088);

    m_ws.facts.clientSemaphore.Create(m_env.clientSemaphore);
    m_ws.program.ComputerName = m_env.computerName.left(15);

    clsLocalParams &params = m_ws.program.LocalParams;
    if (!m_odbcSourceKnown) {
        log(QStringLiteral("Reading ODBC Source from registry"));
        m_odbcSourceKnown = !params.ODBCSource().isEmpty();
    }
    const bool localServer = IsLocalServer(params.Server(), m_ws.program.ComputerName);
    if (localServer && !m_odbcSourceKnown) {
        log(QStringLiteral("> No ODBC Source found in registry"));
        fail(-31100, {GetText(15011)});
    }
    log(params.Server().trimmed().isEmpty() ? QStringLiteral("Server is local")
                                            : QStringLiteral("Server: ") + params.Server());

    m_ws.facts.StarterActive = m_env.servicePlatform && m_env.starterActive();

    bool present = true;
    for (const char *library : kNetworkLibraries) {
        log(QStringLiteral("Checking '") + QLatin1String(library) + QLatin1Char('\''));
        const bool found = m_env.libraryPresent(QByteArray(library));
        append(found ? QStringLiteral("...OK") : QStringLiteral("...missing!"));
        present = present && found;
    }
    m_ws.facts.NetworkLibrariesPresent = present;

    log(QStringLiteral("Check if components are registered"));
    if (!CheckComponent())
        fail(-31189);

    checkScreen();
    StartDriverProcesses();
}

void StartupSequence::checkScreen()
{
    const ScreenMetrics screen = m_env.screen();
    log(QStringLiteral("Check fontsize"));
    if (qRound(screen.logicalDpi) != 96)
        fail(-31229);
    log(QStringLiteral("Check color depth"));
    if (screen.depth < 8)
        fail(-31136);
}

// --- Steps 22 to 25 ---

void StartupSequence::connectComponents()
{
    log(QStringLiteral("Launch splash screen"));
    m_splash = std::make_unique<frmSplash>();
    m_splash->ShowNow();
    m_ws.session.authority.setRightsTimeStamp(kRightsNeverLoaded);

    log(QStringLiteral("Create CardsIntf"));
    // The card server keeps its cards in the installation's database: the process's one
    // connection opens with it.
    m_ws.db.database = std::make_unique<RecordDatabase>();
    m_ws.db.database->setComputerName(m_ws.program.ComputerName);
    if (m_env.prepareDatabase)
        m_env.prepareDatabase(*m_ws.db.database);
    const clsLocalParams &params = m_ws.program.LocalParams;
    m_ws.db.database->open(
        !m_env.connectionString.isEmpty()
            ? m_env.connectionString
            : RecordDatabase::connectionStringFor(params.Server(), params.ODBCSource(), m_ws.program.ComputerName));
    m_ws.cardServers.firstCardsIntf =
        std::make_unique<CardsIntf>(*m_ws.db.database, CardsIntf::Setup{m_env.deviceDirectory});
    m_ws.cardServers.secondCardsIntf =
        std::make_unique<CardsIntf>(*m_ws.db.database, CardsIntf::Setup{m_env.deviceDirectory});
    log(QStringLiteral("Negotiate CardsIntf"));
    m_ws.cardServers.firstCardsIntf->Negotiate(m_ws.program.ComputerName);
    m_ws.cardServers.secondCardsIntf->Negotiate(m_ws.program.ComputerName);

    log(QStringLiteral("InitiateDBInterface()"));
    initiateDBInterface();

    if (m_commandLine.reloadTexts) {
        log(QStringLiteral("Reloading texts due to the passed parameter '/T'"));
        m_ws.db.clientsTable->ExecuteCommand(QStringLiteral("CMD: LoadTexts"));
        m_commandLine.reloadTexts = false;
    }
}

void StartupSequence::initiateDBInterface()
{
    bool first = true;
    for (TableMember member : kTables) {
        auto &table = m_ws.db.*member;
        table = std::make_unique<RecordTable>(*m_ws.db.database);
        // A new object reports a database without this program's schema; SetComputerName
        // would clear that, so its status is read before as well.
        if (first)
            checkDatabaseStatus(*table);
        table->SetComputerName(m_ws.program.ComputerName);
        if (first)
            checkDatabaseStatus(*table);
        first = false;
    }
    m_ws.db.operatorsTable->SelectTable(TableId::Operators);
}

void StartupSequence::checkDatabaseStatus(RecordTable &table)
{
    const qint32 status = table.Status();
    if (status == RecordStatus::Ok)
        return;
    if (isServerUnavailable(status))
        fail(-31176);
    fail(Messages::errorCodeText(4784, table.ErrorText(status)));
}

// --- Steps 26 to 33 ---

bool StartupSequence::readParameter(RecordTable &table, const QString &key, QString &value)
{
    table.SetField(Field::parameterID, key);
    table.FindRecord();
    if (table.Status() != RecordStatus::Ok)
        return false;
    value = table.GetField(Field::parameter).toString();
    return true;
}

void StartupSequence::checkDatabase()
{
    log(QStringLiteral("Read system parameters"));
    RecordTable &parameters = *m_ws.db.parametersTable;
    parameters.SelectTable(TableId::Parameters);
    checkDatabaseStatus(parameters);
    QString version;
    if (!readParameter(parameters, QStringLiteral("DATABASEVERSION"), version))
        fail(-31151);
    const int comparison = CompareVersion(version, 1, 14, 0, -1);
    if (comparison != 2 && comparison != 3)
        fail(-31150);
    QString language;
    if (!readParameter(parameters, QStringLiteral("TEXTLANGUAGE"), language))
        fail(-31151);
    m_ws.facts.TextLanguageMismatch = language != GetText(15000);

    log(QStringLiteral("Checking 'HHCtrl.ocx'..."));
    m_ws.facts.HelpAvailable = HelpViewer::isInstalled(m_ws.facts.ShortProgramPath);
    append(m_ws.facts.HelpAvailable ? QStringLiteral("OK") : QStringLiteral("not registered, online help disabled!"));

    if (m_commandLine.skipVersionCheck)
        log(QStringLiteral("Version check skipped (due to parameter '/s')"));
    else
        CheckComponentVersions();

    log(QStringLiteral("Check if client needs to be updated"));
    UpdateClient();

    log(QStringLiteral("Read more system parameters"));
    m_ws.db.SystemParams = std::make_unique<clsSystemParams>(*m_ws.db.database, m_ws.program.texts);
    if (!m_ws.db.SystemParams->ReadSystemParameters())
        fail(-31151);

    // The one-time rewrite of stored secrets; it has no message of its own when it fails.
    m_env.databaseChecks(m_ws);

    m_ws.session.applicationClosing = false;
    m_ws.program.printerMargins = LoadPrinterMargins(m_ws.program.registry);

    readClientID();
}

void StartupSequence::readClientID()
{
    log(QStringLiteral("Read clientID from database"));
    log(QStringLiteral("> Client name: ") + m_ws.program.ComputerName);
    RecordTable &clients = *m_ws.db.clientsTable;
    clients.SelectTable(TableId::Clients);
    clients.OpenQuery(Field::clientName + QStringLiteral(" = ?"), QString());
    clients.AddParameter(m_ws.program.ComputerName);
    if (clients.Status() == RecordStatus::Ok) {
        m_ws.facts.ClientID = clients.GetField(Field::clientID).toInt();
    } else {
        log(QStringLiteral("> ClientID not found. Inserting new clientID"));
        clients.SetField(Field::clientName, m_ws.program.ComputerName);
        clients.InsertRecord();
        const qint32 status = clients.Status();
        if (status == RecordStatus::Ok)
            m_ws.facts.ClientID = clients.GetField(Field::clientID).toInt();
        log(QStringLiteral("> Insert record returned 0x") + hex(uint32_t(status)));
    }
    log(QStringLiteral("> ClientID: ") + QString::number(m_ws.facts.ClientID));
    if (m_ws.facts.ClientID == 0)
        fail(-31087);
    clients.SetEncoderID(-1);
}

// --- Steps 34 to 36 ---

void StartupSequence::showMainFrameAndLogon()
{
    log(QStringLiteral("Load main frame and kill splash screen"));
    m_mainFrame = m_env.createMainFrame(m_ws);
    // Shown before the splash goes, so the program never has no window.
    m_mainFrame->show();
    m_splash.reset();
    ActivateMainFrame();
    QApplication::processEvents();

    log(QStringLiteral("Prompt Logon"));
    if (!m_commandLine.logonUser.isEmpty())
        m_ws.session.logon.lastUserID = m_commandLine.logonUser;
    m_env.promptLogon(m_ws, m_mainFrame.get(), m_commandLine.logonPassword);
    m_commandLine.logonPassword.clear();

    log(QStringLiteral("Startup completed"));
}

// --- The log, the failure exit and the error trap ---

void StartupSequence::log(const QString &line)
{
    m_ws.program.StartupLog.AddString(line);
}

void StartupSequence::append(const QString &text)
{
    m_ws.program.StartupLog.AddString(text, true);
}

void StartupSequence::fail(const QString &message)
{
    throw Exit{true, message};
}

void StartupSequence::fail(int16_t textNumber, const QVariantList &arguments)
{
    fail(FormatText(GetText(textNumber), arguments));
}

void StartupSequence::showError(const QString &message)
{
    // The splash window stays on top; it would hide the message.
    m_splash.reset();
    m_env.showMessage(message, DialogStyle::Error, TextOr(-32767, QStringLiteral("Error Message")),
                      {TextOr(17000, QStringLiteral("OK"))});
}

void StartupSequence::unexpectedError(uint32_t number, const QString &description)
{
    log(QStringLiteral("Unexpected Run-time Error: 0x") + hex(number));
    showError(
        TextOr(-31152,
               QStringLiteral("An unexpected error has occured that prevents the program from continuing execution.")) +
        QStringLiteral("\r\n\r\n(0x") + hex(number) + QStringLiteral(") : ") + description);
    exitTail();
    m_result = StartupResult::Failed;
}

void StartupSequence::exitTail()
{
    m_splash.reset();
    m_guard.reset();
    m_ws.cardServers.firstCardsIntf.reset();
    m_ws.cardServers.secondCardsIntf.reset();
    log(QStringLiteral("Closing log file"));
    m_ws.facts.clientSemaphore.Close();
}
