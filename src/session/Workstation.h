#pragma once

#include "session/Services.h"
#include "ui/BusyIndicator.h"
#include "ui/WindowCatalog.h"

#include <QString>

#include <functional>
#include <memory>

class FrameHost;

// How frame children open each other by kind; window code alone reaches it.
struct FrameWindows
{
    WindowCatalog windows;
    // The main frame while it is loaded: windows open each other's windows through it.
    FrameHost *frameHost = nullptr;
};

// The composition root of one running workstation, created in main and filled by start-up; it
// owns the services and hands each window the ones it uses. Tests build their own.
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

    ProgramServices program;
    DatabaseServices db;
    CardServers cardServers;
    Session session;
    StartupFacts facts;
    FrameWindows frameWindows;

private:
    BusyCursor m_busyCursor; // the busy signal until the frame takes it over
};
