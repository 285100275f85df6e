#pragma once

#include "cards/CancelCardRules.h"
#include "cards/StaffCardDialog.h"

// Issues cancel cards (kind 269): the locks stop opening for a lost card. The card is named by
// its number, typed or chosen in the card list; its row in Cards is marked cancelled once the
// cancel card is written.
class frmCancelCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmCancelCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                  FrameWindows &frameWindows, QWidget *parent = nullptr);

    // The card to cancel, by its stored registration number (the card list hands it back).
    void RegistrationNumber(qint32 registrationNumber);

protected:
    void addOwnRows() override;
    QList<qint32> shownTables() const override;
    OwnExpiry ownExpiry(double &expiry) override;
    bool checkDoors() override { return true; }
    void addBlocks(CardsIntf &cards) override;
    void prepareIssue(CardIssue &issue) override;
    void afterCard() override;
    void inputsUnlocked() override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;

private:
    void cmdCardList_Click();

    QLineEdit *m_txtRegNumber = nullptr;
    QPushButton *m_cmdCardList = nullptr;
    CancelCardRules::Target m_target; // of the card being made
};
