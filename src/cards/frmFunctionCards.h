#pragma once

#include "cards/StaffCardDialog.h"

class QRadioButton;

// The function card (kinds 271, 277, 278, 279): one dialog for four lock functions chosen with
// SetFunction. Function 0 covers every room; function 2 also says what the lock clears.
class frmFunctionCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmFunctionCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, QWidget *parent = nullptr);

    qint32 cardNameID() const override;
    int HelpContextID() const override;
    // Empties the rooms, days and user and switches the dialog to the function (0 to 3).
    void SetFunction(int function) override;
    int function() const { return m_function; }
    void CheckRoomList() override;

protected:
    void addOwnRows() override;
    QList<qint32> shownTables() const override;
    QString dialogTitle() const override;
    bool checkDoors() override;
    void addBlocks(CardsIntf &cards) override;
    void inputsUnlocked() override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;

private:
    void showAllRooms();

    int m_function = 0;
    QGroupBox *m_fraClear = nullptr;
    QRadioButton *m_optClear[3] = {};
};

// Cards that name no rooms of their own and never expire: the user is all the operator chooses.
class FixedValidityCard : public StaffCardDialog
{
    Q_OBJECT
public:
    using StaffCardDialog::StaffCardDialog;

protected:
    QList<qint32> shownTables() const override;
    OwnExpiry ownExpiry(double &expiry) override;
    bool checkDoors() override { return true; }
    void inputsUnlocked() override;
    void showCard(const CardReadBack &card) override;
    // The validity boxes read "unlimited" and "never".
    void showNoExpiry();
};

// System ID cards (275): the locks take over the system's identity.
class frmSystemIDCard : public FixedValidityCard
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmSystemIDCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addBlocks(CardsIntf &cards) override;
};

// Emergency cards (268): two identical cards in one run, with one receipt naming both.
class frmEmergencyCard : public FixedValidityCard
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmEmergencyCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                     FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    void addBlocks(CardsIntf &cards) override;
    bool batchMode() const override { return true; }
    void prepareIssue(CardIssue &issue) override;
    bool anotherCard() override;
    qint32 receiptFirstNumber() const override { return m_first; }

private:
    int m_pass = 0;
    qint32 m_first = -1;
};
