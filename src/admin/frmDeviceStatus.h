#pragma once

#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QWidget>

class QPushButton;
class QTimer;
class QTreeWidget;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// One row per device with what it reports now, read again every few seconds while the window is
// open. Encoders and handheld units are asked through the second card server, which does not
// issue cards; Start and Stop need the edit right on devices.
class frmDeviceStatus : public QWidget, public FrameChild, public clsIDevices
{
    Q_OBJECT

public:
    static constexpr int RefreshMs = 3000;

    frmDeviceStatus(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    QWidget *parent = nullptr);
    ~frmDeviceStatus() override;

    // Reads the devices and asks each for its state.
    void RefreshStatus();

    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override { return 1211; }

    // clsIDevices: the rows follow the device records.
    void Add(int32_t) override { RefreshStatus(); }
    void Update(int32_t) override { RefreshStatus(); }
    void Remove(int32_t) override { RefreshStatus(); }
    void Refresh() override { RefreshStatus(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void startOrStop(bool start);
    void updateButtons();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    QTreeWidget *m_lvwDevices;
    QPushButton *m_cmdStart;
    QPushButton *m_cmdStop;
    QPushButton *m_cmdRefresh;
    QPushButton *m_cmdClose;
    QTimer *m_tmrRefresh;
};
