#pragma once

#include "session/Services.h"
#include "ui/BusyIndicator.h"
#include "ui/WindowCatalog.h"

#include <QString>

#include <functional>
#include <memory>

class QWidget;

// How frame children open each other by kind; window code alone reaches it.
struct FrameWindows
{
    WindowCatalog windows;
    // Opens a child window of the frame by kind, or brings an open one forward; arguments run
    // before it shows. nullptr when it did not open (the frame or the window said why).
    std::function<QWidget *(const QString &kind, const std::function<void(QWidget *)> &arguments)> openWindow;
    // openWindow, or nullptr while there is no frame.
    QWidget *openChildWindow(const QString &kind, const std::function<void(QWidget *)> &arguments = {})
    {
        return openWindow ? openWindow(kind, arguments) : nullptr;
    }
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
