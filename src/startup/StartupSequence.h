#pragma once

#include "platform/ClientSupport.h"
#include "platform/MessageDialog.h"
#include "startup/CommandLine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class InstanceGuard;
class QWidget;
class RecordDatabase;
class RecordTable;
class Workstation;
class frmSplash;

struct ScreenMetrics
{
    double logicalDpi = 0;
    int depth = 0; // bits per pixel
};

// What the start-up takes from outside: the program's arguments and the answers of the platform
// and of the later windows. An empty function or text takes the program's own; tests replace
// what they need and run the whole sequence in-process.
struct StartupEnvironment
{
    QString commandLine;     // as typed, without the program's name
    QStringList arguments;   // the same, as the program received them (for a restart)
    QString programFile;     // empty: this program's file; its embedded version is the client's
    QString applicationPath; // the program's folder
    bool ctrlHeld = false;   // the Ctrl key was down when the program started

    QString computerName;                   // empty: LocalComputerName()
    QString instanceName;                   // empty: InstanceGuard::defaultServerName()
    ClientSemaphore::Names clientSemaphore; // the semaphore and its marker
    QString deviceDirectory;                // empty: CardsIntf::defaultDeviceDirectory()
    // The system runs services (the NT family; Linux too), so the starter service is asked.
    bool servicePlatform = true;

    MessageDialogFn showMessage;                            // every start-up message box
    std::function<bool(QString &)> editCommandLine;         // frmCmdlineDialog
    std::function<bool()> otherClientActive;                // IsOrlaClientActive
    std::function<bool()> starterActive;                    // IsOrlaStarterActive
    std::function<bool(const QByteArray &)> libraryPresent; // IsSystemLibraryPresent
    std::function<ScreenMetrics()> screen;                  // the primary screen
    std::function<void(RecordDatabase &)> prepareDatabase;  // before it connects (tests pin the clock)
    std::function<int32_t(Workstation &)> databaseChecks;   // RunStartupDatabaseChecks
    // The database: empty takes the one the workstation settings name.
    QString connectionString;
    // Runs a program of the installation to its end (registration runs, the install script);
    // its exit code, or -1 when it could not run.
    std::function<int(const QString &program, const QStringList &arguments)> runProcess;
    std::function<bool(const QString &program, const QStringList &arguments)> startProcess; // not waited for
    // Starts the program again with these arguments once this process has ended.
    std::function<bool(const QString &program, const QStringList &arguments)> restart;
    std::function<std::unique_ptr<QWidget>(Workstation &)> createMainFrame; // frmMain
    // Opens the logon dialog in its start-up mode; the frame is its parent.
    std::function<bool(Workstation &, QWidget *mainFrame, const QString &passwordPreset)> promptLogon;

    // The program's own start: arguments as main received them, Ctrl state at this moment.
    static StartupEnvironment forProgram(const QStringList &arguments, const QString &applicationPath);
};

enum class StartupResult {
    Completed,         // the main frame is shown and the logon was answered
    DuplicateInstance, // the running instance was asked to come to the front
    Ended,             // an orderly end (/?)
    Failed             // the failure exit or an unexpected error
};

// The entry procedure: from process start to a logged-on operator in front of the main frame,
// in a fixed order of steps, each announced in the start-up log before it runs. Every failure
// takes one exit: "...FAILED", a message box, the card server released, "Closing log file",
// the client semaphore closed.
class StartupSequence
{
public:
    StartupSequence(Workstation &workstation, StartupEnvironment environment);
    ~StartupSequence();
    StartupSequence(const StartupSequence &) = delete;
    StartupSequence &operator=(const StartupSequence &) = delete;

    StartupResult Run();
    // What the process returns when it ends now: 0, or 1 after a failure.
    int exitCode() const { return m_result == StartupResult::Failed ? 1 : 0; }

    const CommandLine &commandLine() const { return m_commandLine; }
    QWidget *mainFrame() const { return m_mainFrame.get(); }
    InstanceGuard *instanceGuard() const { return m_guard.get(); }

    // A later instance asked: restore the main frame when minimised and bring it to the front.
    void ActivateMainFrame();

private:
    struct Exit
    {
        bool failed;
        QString message;
    };

    bool runSteps();
    void openLogs();
    bool isDuplicateInstance();
    void readSettingsAndCommandLine();
    void applySwitches();
    void loadTexts();
    void checkInstallation();
    void checkScreen();
    // The installation (StartupInstallation.cpp).
    bool CheckComponent();
    bool RegisterComponent(const QString &file, bool localServer, bool withLine);
    bool isRegisteredHere(const QString &classId, bool localServer, bool &registered);
    bool skippedForNetwork(int condition) const;
    void StartDriverProcesses();
    void StopDriverProcesses();
    void CheckComponentVersions();
    void UpdateClient();
    [[noreturn]] void endWithMessage(int16_t textNumber);
    void connectComponents();
    void initiateDBInterface();
    void checkDatabase();
    void readClientID();
    void showMainFrameAndLogon();

    void log(const QString &line);
    void append(const QString &text);
    [[noreturn]] void fail(const QString &message);
    [[noreturn]] void fail(int16_t textNumber, const QVariantList &arguments = {});
    void checkDatabaseStatus(RecordTable &table);
    bool readParameter(RecordTable &table, const QString &key, QString &value);

    void showError(const QString &message);
    void unexpectedError(uint32_t number, const QString &description);
    void exitTail();

    Workstation &m_ws;
    StartupEnvironment m_env;
    CommandLine m_commandLine;
    bool m_odbcSourceKnown = false;
    int m_version[3] = {}; // the client's own: major, minor, revision
    std::unique_ptr<InstanceGuard> m_guard;
    std::unique_ptr<frmSplash> m_splash;
    std::unique_ptr<QWidget> m_mainFrame;
    StartupResult m_result = StartupResult::Failed;
};
