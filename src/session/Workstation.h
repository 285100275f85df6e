#pragma once

#include "data/Notify.h"
#include "platform/ClientSupport.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/clsLog.h"
#include "session/Authority.h"
#include "session/LogonState.h"
#include "settings/PrinterMargins.h"
#include "settings/clsLocalParams.h"
#include "texts/Texts.h"
#include "ui/Messages.h"
#include "ui/WindowCatalog.h"

#include <QString>

#include <bitset>
#include <functional>
#include <memory>

class BusyIndicator;
class FrameHost;
class QWidget;
class CardsIntf;
class RecordDatabase;
class RecordTable;
class clsSystemParams;

// The process-wide state of one running workstation, created in main and handed to every
// window that needs it; tests build their own.
class Workstation
{
public:
    struct Setup
    {
        QString programPath;           // where the program, its text library and its logs are
        RegistryStore::Paths registry; // the two hive files
        std::unique_ptr<Messages> messages;
    };

    explicit Workstation(Setup setup);
    ~Workstation();
    Workstation(const Workstation &) = delete;
    Workstation &operator=(const Workstation &) = delete;

    QString ProgramPath;
    QString ComputerName;

    clsLog StartupLog;
    clsLog RegistryLog;
    RegistryStore registryStore;
    Registry registry;
    clsLocalParams LocalParams;
    TextResources texts;
    std::unique_ptr<Messages> messages;
    WindowCatalog windows;
    PrinterMargins printerMargins{};

    bool applicationClosing = false;
    bool cardOperationInProgress = false;
    bool receiptPrinting = false;
    std::bitset<128> openDialogs;

    // The database and the card server, created by start-up; empty until then.
    std::unique_ptr<RecordDatabase> database;
    std::unique_ptr<RecordTable> logonTable;      // Logon, LogonPassword, LoggedOff, CurrentOperatorID
    std::unique_ptr<RecordTable> operatorsTable;  // table 32
    std::unique_ptr<RecordTable> parametersTable; // table 208
    std::unique_ptr<clsSystemParams> SystemParams;
    std::unique_ptr<CardsIntf> firstCardsIntf;  // issues cards
    std::unique_ptr<CardsIntf> secondCardsIntf; // asks for the operator card at logon
    bool SmartCardLogon = false;                // /G

    // The other much-used tables, one object each; start-up creates these 18 and the three above.
    std::unique_ptr<RecordTable> clientsTable; // table 368: this workstation's row, LoadTexts
    std::unique_ptr<RecordTable> usersTable;
    std::unique_ptr<RecordTable> doorsTable;
    std::unique_ptr<RecordTable> doorGroupsTable;
    std::unique_ptr<RecordTable> wingsTable;
    std::unique_ptr<RecordTable> cardsTable;
    std::unique_ptr<RecordTable> cardNamesTable;
    std::unique_ptr<RecordTable> cardDoorsTable;
    std::unique_ptr<RecordTable> devicesTable;
    std::unique_ptr<RecordTable> doorDevicesTable;
    std::unique_ptr<RecordTable> eventsTable;
    std::unique_ptr<RecordTable> eventNamesTable;
    std::unique_ptr<RecordTable> readoutsTable;
    std::unique_ptr<RecordTable> notesTable;
    std::unique_ptr<RecordTable> operatorTemplatesTable;
    std::unique_ptr<RecordTable> templateRightsTable;
    std::unique_ptr<RecordTable> passwordsTable;
    std::unique_ptr<RecordTable> camerasTable;

    // What start-up found; read by the later steps, the frame and the logon.
    QString ShortProgramPath; // canonical form of ProgramPath, ending in "/"
    QString HelpFilePath;     // the help pages' folder
    int32_t ClientID = 0;
    bool NetworkLibrariesPresent = false;
    bool StarterActive = false;
    bool HelpAvailable = false;
    bool TextLanguageMismatch = false;
    bool AutoUpdateUserCard = false; // /A
    ClientSemaphore clientSemaphore; // held from start-up until the frame unloads

    // What the session asks of the main frame; the frame fills these when it loads.
    BusyIndicator *busyIndicator = nullptr;
    std::function<void()> setApplicationTitle;
    std::function<void()> setupMenus; // SetupMenus and SetupToolbar
    // The main frame while it is loaded: windows open each other's windows through it.
    FrameHost *frameHost = nullptr;

    LogonState logon;
    Notify notify;
    Authority authority{*this};

    // Opens the start-up log beside the program, clearing the old one, and writes its header.
    void OpenStartupLog();
};
