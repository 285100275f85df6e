#pragma once

#include "cards/LockModeRules.h"
#include "cards/StaffCardDialog.h"

// Issues power-down cards (267): one card per guest room of a range, telling each lock how many
// days it runs on without power. No user; the run offers a failed room again, skips it or stops.
class frmPowerDownCard : public StaffCardDialog
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmPowerDownCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                     FrameWindows &frameWindows, QWidget *parent = nullptr);

protected:
    QList<qint32> shownTables() const override { return {}; }
    bool issueOwnRun() override;
    void showOwnBlock(qint32 block, qint32 first, qint32 last) override;

private:
    // The guest rooms of the range, -31232 when it has none.
    bool findRooms(const LockModeRules::RoomRange &range);
    void runRooms(const LockModeRules::RoomRange &range, qint32 hours);
};
