#pragma once

#include <QString>
#include <QtGlobal>

#include <bitset>
#include <optional>

// The filters of the card list, as the search dialog and the frame's preset searches hand them over.
struct CardSearchFilters
{
    static constexpr int kKindCount = 25; // cardNameID 256..280
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

    // The card kinds listed; without an active kind filter every kind is.
    std::bitset<kKindCount> kinds;
    bool kindFilterActive = false;

    bool hasKind(qint32 cardNameID) const
    {
        const qint32 i = cardNameID - kFirstKind;
        return i >= 0 && i < kKindCount && kinds.test(size_t(i));
    }
    void setKind(qint32 cardNameID, bool on)
    {
        const qint32 i = cardNameID - kFirstKind;
        if (i >= 0 && i < kKindCount)
            kinds.set(size_t(i), on);
    }
    bool operator==(const CardSearchFilters &) const = default;
};

// How the search dialog opens: as the operator left it, or for door access (a door must be chosen;
// every staff kind ticked, the other fields cleared).
enum class CardSearchPreset { None, DoorAccess };

struct CardSearchRequest
{
    // The filters shown (kinds ticked as far as the operator may issue them; without an active kind
    // filter every kind he may issue); nullopt shows the dialog's own defaults.
    std::optional<CardSearchFilters> start;
    CardSearchPreset preset = CardSearchPreset::None;
};
