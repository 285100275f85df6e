#pragma once

#include "cards/RoomCardRules.h"
#include "cards/frmGuestCard.h"

// Issues suite cards (kind 258): one card for a main room and the neighbouring rooms ticked in
// the two suite lists, with the guest card's nights, check-out, issue-to and common rooms.
class frmSuiteCard : public frmGuestCard
{
    Q_OBJECT
public:
    static constexpr int kWindowNumber = 35;
    static constexpr qint32 kErrorCode = 4256;

    frmSuiteCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                 QWidget *parent = nullptr);

    qint32 cardNameID() const override;
    // There is no joiner mode.
    void setJoiner(bool) override {}

    // The doorIDs of the left and right lists, and of the rooms ticked in either.
    QList<qint32> leftRooms() const;
    QList<qint32> rightRooms() const;
    QList<qint32> tickedSuiteRooms() const;

    // clsIDoors: the suite lists follow door changes as the common rooms do, keeping their ticks.
    void AddRange(int32_t firstDoorID, int32_t lastDoorID) override;
    void Update(int32_t doorID, int32_t second) override;
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override;
    void Refresh() override;

protected:
    void mainRoomChanged(qint32 room) override;
    void showRoomRanges(const CardReadBack &card, const QList<QPair<qint32, GuestRules::RoomRange>> &ranges) override;
    void cmdMakeCard_Click() override;
    void clearFields() override;

private:
    static QList<qint32> doorsOf(const QListWidget *list, bool tickedOnly);
    void fillSuiteLists(qint32 room);
    void refreshSuiteLists();
    void fillList(QListWidget *list, const QList<RoomCardRules::SuiteRoom> &rooms);
    void suiteList_Click(QListWidgetItem *item);
    bool validateSuite(qint32 &room, double &expireTime);
    void runSuiteIssue(qint32 room, double expireTime);

    QLabel *m_lblSuiteLeft;
    QListWidget *m_lvwSuiteLeft;
    QLabel *m_lblSuiteRight;
    QListWidget *m_lvwSuiteRight;
};
