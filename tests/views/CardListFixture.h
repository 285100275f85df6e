#pragma once

#include "SessionFixture.h"
#include "TestEncoder.h"

#include <QSet>

class frmCardList;

// A test installation with an operator who may read cards, doors, door areas and lock events, issue a few kinds
// and open stored cards, logged on at WS1; cards are stored through RecordTable or issued on the
// virtual encoder.
class CardListTest : public SessionTest
{
protected:
    void SetUp() override;

    struct Card
    {
        qint32 number; // stored registration number
        QString surname;
        qint32 kind = 256;
        qint32 status = 1;
        double expireTime = 45450.0;
        qint32 room = 101;
        QList<qint32> rooms = {};
        double issueTime = 45400.0;
    };
    void storeCard(const Card &card);
    // A card written by the virtual encoder and stored by the card server; its stored number.
    qint32 issueCard(qint32 kind);

    // The stored numbers the list shows.
    static QSet<qint32> shown(frmCardList &list);

    static const QList<qint32> kIssuableKinds;

    TestEncoder m_encoder; // installed by the first issueCard
};
