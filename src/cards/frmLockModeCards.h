#pragma once

#include "cards/LockModeRules.h"
#include "cards/StaffCardDialog.h"

class QComboBox;
class QGroupBox;
class QRadioButton;

// The cards that put the locks of a room range into a mode: clearance, stand-open, blocking and
// locking. They are issued to a user for a number of days; each opens with a block of its own
// followed by the range.
class LockModeCardDialog : public StaffCardDialog
{
    Q_OBJECT
public:
    LockModeCardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                       FrameWindows &frameWindows, const StaffDialogKind &kind, QWidget *parent = nullptr);

protected:
    void keepRowsTogether();
    QList<qint32> shownTables() const override;
    // Some door of the range, unless the range is 0 to 0 (-31179).
    bool checkDoors() override;
    void addBlocks(CardsIntf &cards) override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;
    // The block the card opens with, as the inputs stand.
    virtual LockModeRules::Block modeBlock() = 0;
    // The card read back opens with this block; its values follow on the card server.
    virtual void showMode(qint32, CardsIntf &) {}
};

// Clearance cards (262): the range must hold guest rooms.
class frmClearanceCard : public LockModeCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmClearanceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                     FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    bool checkDoors() override;
    LockModeRules::Block modeBlock() override { return {0, 101, {}}; }
};

// Stand-open cards (263): until the next use, until midnight or for some hours.
class frmStandOpenCard : public LockModeCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmStandOpenCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                     FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addOwnRows() override;
    bool checkOwnInputs() override;
    LockModeRules::Block modeBlock() override;
    void showMode(qint32 block, CardsIntf &cards) override;

private:
    LockModeRules::StandOpen chosenMode() const;

    QGroupBox *m_fraStandOpenType = nullptr;
    QRadioButton *m_optNextUse = nullptr;
    QRadioButton *m_optUntilMidnight = nullptr;
    QRadioButton *m_optForHours = nullptr;
    QLineEdit *m_txtForHours = nullptr;
};

// Blocking cards (265): which cards the locks refuse, or that they accept them again.
class frmBlockingCard : public LockModeCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmBlockingCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addOwnRows() override;
    LockModeRules::Block modeBlock() override;
    void showMode(qint32 block, CardsIntf &cards) override;

private:
    QComboBox *m_cboBlock = nullptr;
};

// Locking cards (272).
class frmLockingCard : public LockModeCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmLockingCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    LockModeRules::Block modeBlock() override { return {0, 111, {}}; }
};
