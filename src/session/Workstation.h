#pragma once

#include "data/Notify.h"
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

    // What the session asks of the main frame; the frame fills these when it loads.
    BusyIndicator *busyIndicator = nullptr;
    std::function<void()> setApplicationTitle;
    std::function<void()> setupMenus; // SetupMenus and SetupToolbar

    LogonState logon;
    Notify notify;
    Authority authority{*this};

    // Opens the start-up log beside the program, clearing the old one, and writes its header.
    void OpenStartupLog();
};
