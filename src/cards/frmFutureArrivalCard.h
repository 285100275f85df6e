#pragma once

#include "cards/frmGuestCard.h"

// Issues future-arrival cards (kind 259): a guest card made in advance, valid from the check-in
// to the check-out; nights count from the check-in. Group check-in and the retry question are
// the guest card's.
class frmFutureArrivalCard : public frmGuestCard
{
    Q_OBJECT
public:
    static constexpr int kWindowNumber = 34;
    static constexpr qint32 kErrorCode = 4240;

    frmFutureArrivalCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                         QWidget *parent = nullptr);

    qint32 cardNameID() const override;
    // There is no joiner mode.
    void setJoiner(bool) override {}

protected:
    double nightsFrom() override;
    bool validateExpiry(double now, double &startTime, double &expireTime) override;
    void addRoomBlock(CardsIntf &cards, qint32 room, bool joiner, const QList<qint32> &connected) override;
    void showCard(const CardReadBack &card) override;
    void clearFields() override;

private:
    QLabel *m_lblCheckIn;
    QLineEdit *m_txtCheckIn;
    double m_checkIn = 0; // as validated for the run
};
