#pragma once

#include "cards/StaffCardDialog.h"

class QComboBox;

// The staff card dialogs: each states only how it differs from the shared part.

// Issues employee cards (kind 260): a room range, a daily time window, days and expiry.
class frmEmployeeCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmEmployeeCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, QWidget *parent = nullptr);
};

// Supervisor cards (261): as the employee card, and a private room in a block of its own.
class frmSupervisorCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmSupervisorCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                      FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addOwnRows() override;
    std::pair<int, int> defaultHours() override;
    qint32 firstBlockValue() const override { return 1; }
    void addFurtherBlocks(CardsIntf &cards) override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;
    void doorsChanged(qint32 first, qint32 last, bool removed) override;

private:
    void addPrivateRoom(const StaffCardStore::Door &door);
    QComboBox *m_cboStaffPrivate = nullptr;
};

// Common area cards (274): one common room instead of a room range.
class frmCommonAreaCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmCommonAreaCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                      FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addOwnRows() override;
    std::pair<int, int> defaultHours() override;
    bool checkDoors() override;
    void addBlocks(CardsIntf &cards) override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;
    void doorsChanged(qint32, qint32, bool) override { fillCommonRooms(); }

private:
    void fillCommonRooms();
    QComboBox *m_cboCommonRooms = nullptr;
    qint32 m_door = 0; // the chosen common room's door, found at issue
};

// Maintenance cards (276): one time window, which may pass midnight and ends the card.
class frmMaintenanceCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmMaintenanceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                       FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    std::pair<int, int> defaultHours() override;
};

// Service cards (273): one room, typed with its wing code, a time window as the maintenance card
// and an optional name the card is issued to instead of a user.
class frmServiceCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmServiceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   FrameWindows &frameWindows, QWidget *parent = nullptr);

    void CheckRoomList() override;

protected:
    // A dialog for one room of the same entry, with its own kind and message for a room not found.
    frmServiceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   FrameWindows &frameWindows, const StaffDialogKind &kind, int16_t roomNotFound, QWidget *parent);
    void addOwnRows() override;
    std::pair<int, int> defaultHours() override;
    bool checkOwnInputs() override;
    bool checkDoors() override { return true; }
    void addBlocks(CardsIntf &cards) override;
    qint32 cardUser() override;
    void clearOwnFields() override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The room of a card read back, with its wing code.
    void showRoom(qint32 room);

    qint32 m_room = 0;
    bool m_roomResolved = false;

private:
    bool resolveRoom();
    bool resolveIssueTo();

    const int16_t m_roomNotFound;
    QLineEdit *m_txtRoomNumber = nullptr;
    QLabel *m_lblIssueTo = nullptr;
    QLineEdit *m_txtIssueToName = nullptr;
    bool m_issueToResolved = false;
    qint32 m_issueToUser = 0;
};
