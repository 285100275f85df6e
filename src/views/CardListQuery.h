#pragma once

#include <QString>
#include <QVariantList>

#include <bitset>

// The filters of the card list, as the search dialog and the frame's preset searches hand them over.
struct CardSearchFilters
{
    static constexpr int kValueCount = 18; // values of SetSearchFilters
    static constexpr int kKindCount = 25;  // cardNameID 256..280
    static constexpr qint32 kFirstKind = 256;

    QString alphaID;
    QString surname;
    QString firstname;
    qint32 statusGroup = 1; // 0 all, 1 current (1, 2, 3), 2 past (0, 4, 5)
    double issueFrom = 25570.0;
    double issueTo = 49675.0;
    double startFrom = 25570.0;
    double startTo = 49675.0;
    double expiryFrom = 25570.0;
    double expiryTo = 49675.0;
    qint32 registrationFrom = 0;
    qint32 registrationTo = 0x0FFFFFFF;
    QString issuedBy;
    qint32 doorID = 0;
    qint32 intervalStart = 0;
    qint32 intervalStop = 0;
    qint32 roomFrom = 0;
    qint32 roomTo = 9999;

    std::bitset<kKindCount> kinds;
    bool kindFilterActive = false;

    // Takes the 18 values in SetSearchFilters order; false (and nothing changed) for another count.
    bool setValues(const QVariantList &values);
    QVariantList values() const;

    bool hasKind(qint32 cardNameID) const;
    void setKind(qint32 cardNameID, bool on);
};

struct CardListQuery
{
    QString where;
    QVariantList parameters; // in "?" order
};

// The WHERE text of the card list over CardView and its parameters; every "to" date is bound as
// that day's 23:59:59.
CardListQuery buildCardListQuery(const CardSearchFilters &filters);
