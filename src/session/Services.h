#pragma once

#include "platform/ClientSupport.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/clsLog.h"
#include "session/Authority.h"
#include "session/LogonState.h"
#include "session/Notify.h"
#include "settings/PrinterMargins.h"
#include "settings/clsLocalParams.h"
#include "texts/Messages.h"
#include "texts/Texts.h"

#include <QString>

#include <bitset>
#include <functional>
#include <memory>

class BusySignal;
class CardsIntf;
class QWidget;
class RecordDatabase;
class RecordTable;
class clsSystemParams;

// The narrow services of one running workstation. The composition root (Workstation) owns one of
// each; a window or rule gets the ones it uses.

// The program on this computer: where it runs, its logs, the registry and its settings, the texts
// and the message boxes.
struct ProgramServices
{
    ProgramServices(QString programPath, const RegistryStore::Paths &hives, std::unique_ptr<Messages> messageBoxes);
    ~ProgramServices();
    ProgramServices(const ProgramServices &) = delete;
    ProgramServices &operator=(const ProgramServices &) = delete;

    QString ProgramPath;
    QString ComputerName;
    clsLog StartupLog;
    clsLog RegistryLog;
    RegistryStore registryStore;
    Registry registry;
    clsLocalParams LocalParams;
    TextResources texts;
    std::unique_ptr<Messages> messages;
    PrinterMargins printerMargins{};

    // Opens the start-up log beside the program, clearing the old one, and writes its header.
    void OpenStartupLog();
};

// The database and the table objects the logon keeps open, created by start-up; empty until then.
struct DatabaseServices
{
    DatabaseServices();
    ~DatabaseServices();
    DatabaseServices(const DatabaseServices &) = delete;
    DatabaseServices &operator=(const DatabaseServices &) = delete;

    std::unique_ptr<RecordDatabase> database;
    std::unique_ptr<RecordTable> logonTable;      // Logon, LogonPassword, LoggedOff, CurrentOperatorID
    std::unique_ptr<RecordTable> operatorsTable;  // table 32
    std::unique_ptr<RecordTable> parametersTable; // table 208
    std::unique_ptr<RecordTable> clientsTable;    // table 368: this workstation's row
    std::unique_ptr<clsSystemParams> SystemParams;
};

// The card servers, created by start-up; empty until then.
struct CardServers
{
    CardServers();
    ~CardServers();
    CardServers(const CardServers &) = delete;
    CardServers &operator=(const CardServers &) = delete;

    std::unique_ptr<CardsIntf> firstCardsIntf;  // issues cards
    std::unique_ptr<CardsIntf> secondCardsIntf; // asks for the operator card at logon
    // Opens the encoder selection, which stores the choice; the program fills it.
    std::function<void(QWidget *parent)> chooseEncoder;
    void ChooseEncoder(QWidget *parent) const
    {
        if (chooseEncoder)
            chooseEncoder(parent);
    }
};

// What the session asks of the main frame and the windows around it; the program fills these.
struct FrameHooks
{
    BusySignal *busy = nullptr;
    std::function<void()> setApplicationTitle;
    std::function<void()> setupMenus; // SetupMenus and SetupToolbar
    // The open user lists read their table again (a user was made outside them).
    std::function<void()> refreshUserLists;
};

// Who works at this workstation and what runs now.
struct Session
{
    Session(ProgramServices &program, DatabaseServices &db) : authority(program, db, logon, frame) {}
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    FrameHooks frame;
    bool applicationClosing = false;
    bool cardOperationInProgress = false;
    bool receiptPrinting = false;
    std::bitset<128> openDialogs;
    bool SmartCardLogon = false; // /G
    LogonState logon;
    Notify notify;
    Authority authority;
};

// What start-up found; read by the later steps, the frame and the logon.
struct StartupFacts
{
    QString ShortProgramPath; // canonical form of ProgramPath, ending in "/"
    QString HelpFilePath;     // the help pages' folder
    int32_t ClientID = 0;
    bool NetworkLibrariesPresent = false;
    bool StarterActive = false;
    bool HelpAvailable = false;
    bool TextLanguageMismatch = false;
    bool AutoUpdateUserCard = false; // /A
    ClientSemaphore clientSemaphore; // held from start-up until the frame unloads
};
