#pragma once

#include "frame/FrameCommands.h"
#include "frame/MenuRules.h"
#include "platform/MessageDialog.h"
#include "ui/BusyIndicator.h"
#include "ui/FrameHost.h"
#include "ui/PopupMenu.h"

#include <QHash>
#include <QMainWindow>
#include <QMap>

#include <functional>
#include <memory>

class HelpViewer;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;
struct StartupFacts;
struct FrameWindows;
class frmNavWindow;

// The workstation's one top-level window: a multiple-document frame with the menu bar, toolbar,
// status bar, context menu and navigation window. Every command starts here; which commands are
// shown, greyed or hidden follows the logged-on operators' rights.
class frmMain : public QMainWindow, public BusySignal, public FrameHost
{
    Q_OBJECT
public:
    frmMain(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
            StartupFacts &facts, FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmMain() override;

    void SetApplicationTitle();
    void OpenDeviceSetup();
    void SetupMenus();
    void SetupToolbar();
    void SetBusyState(int16_t state, int16_t percent = -1) override;
    void SetBusyPointer(bool busy) override { ::SetBusyPointer(busy); }
    bool BusyPointerShown() const override { return ::BusyPointerShown(); }

    // Runs the command of a context-menu or navigation key; an unknown key does nothing.
    void RunCommand(const QString &key);
    // Runs a command as its menu item does.
    void runCommand(const FrameCommands::Command &command);
    // Shows the "H0" context menu at a screen position and runs the chosen command.
    void showContextMenu(const QPoint &globalPos);

    // FrameHost: the window of a kind as a child of the frame, brought forward when it is open, else
    // created through the window catalog.
    FrameChild *openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare) override;
    // The open child window of a kind, or null.
    QWidget *childWindow(const QString &kind) const;

    QMdiArea *mdiArea() const { return m_mdi; }
    frmNavWindow *navWindow() const { return m_nav; }
    const PopupMenu &contextMenu() const { return m_popup; }
    PopupMenu &contextMenu() { return m_popup; }
    HelpViewer *helpViewer() const { return m_help.get(); }
    Availability availabilityOf(const FrameCommands::Command &command) const;

    // Seams: the wait between two polls of the card server (250 ms; tests use 0), and the input box.
    void setPollInterval(int milliseconds) { m_pollInterval = milliseconds; }
    using InputBoxFn = std::function<bool(const InputBoxRequest &request, QString &text)>;
    void setInputBox(InputBoxFn inputBox) { m_inputBox = std::move(inputBox); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void BuildContextMenu();
    RuleContext ruleContext() const;
    QAction *action(const QString &name) const;
    void updateWindowMenu();
    void showNavWindow();
    void load();
    void unload();
    bool childWindowsClosed();
    void activateChild(QWidget *child);

    // Commands (frmMainCommands.cpp)
    void showNotAvailable();
    FrameChild *createChild(const QString &kind);
    void showChild(const QString &kind, FrameChild *child, bool created);
    void openCommandWindow(const FrameCommands::Command &command);
    void openModal(const QString &kind);
    void openList(const FrameCommands::Command &command);
    // The open card list, or a new one held in created; nullptr when it may not open now.
    CardListWindow *availableList(std::unique_ptr<FrameChild> &created);
    // The card list after the card search (in the preset) was left with OK and its filters handed to
    // the list: an open list is brought forward, a new one shown; nullptr when unavailable or cancelled.
    CardListWindow *searchFirst(CardSearchPreset preset);
    void openDoorAccess();
    void openExpiringCards();
    void increaseOverride();
    void showHelp(bool search);
    void showAbout();
    void logOn();
    void logOff();
    bool askInput(const InputBoxRequest &request, QString &text);
    void toggleToolbar();
    void toggleStatusBar();

    // Card server work (frmMainDevices.cpp)
    void setupHandheld();
    void verifyCard();
    int32_t pollCardServer(const std::function<bool(int32_t status)> &busy);
    void showCardServerError(int32_t status, int32_t errorCode, std::initializer_list<int32_t> withoutCode);
    void showCardRead();
    void unloadAfterPoll();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    StartupFacts &m_facts;
    FrameWindows &m_frameWindows;
    BusySignal *m_previousBusy = nullptr; // the pointer-only signal the frame stands in for
    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLabel *m_statusPanel = nullptr;
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_windowListActions;
    frmNavWindow *m_nav = nullptr;
    QHash<QString, QAction *> m_actions;     // menu items by name
    QHash<QString, QAction *> m_toolActions; // toolbar buttons by key
    QMap<FrameCommands::Menu, QMenu *> m_menus;
    PopupMenu m_popup;
    std::unique_ptr<HelpViewer> m_help;
    InputBoxFn m_inputBox;
    int m_pollInterval = 250;
    int m_polls = 0;          // card-server polls running in nested event loops
    bool m_unloading = false; // the close goes on without asking again
    bool m_unloaded = false;
};
