#pragma once

#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/clsLog.h"
#include "settings/PrinterMargins.h"
#include "settings/clsLocalParams.h"
#include "texts/Texts.h"
#include "ui/Messages.h"
#include "ui/WindowCatalog.h"

#include <QString>

#include <bitset>
#include <memory>

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

    // Opens the start-up log beside the program, clearing the old one, and writes its header.
    void OpenStartupLog();
};
