#pragma once

#include "cards/frmStaffCards.h"

// Issues privacy cards (264): one guest room, typed as on the service card, for a number of days;
// issued to a name when names are issued to, else to nobody in particular.
class frmPrivacyCard : public frmServiceCard
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmPrivacyCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    QList<qint32> shownTables() const override;
    void addBlocks(CardsIntf &cards) override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;
    // A room removed while chosen is looked up again at issue.
    void doorsChanged(qint32 first, qint32 last, bool removed) override;
};
