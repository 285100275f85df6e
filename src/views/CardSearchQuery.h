#pragma once

#include "ui/CardSearchFilters.h"
#include "views/CardSearchRules.h"

#include <QString>
#include <QtGlobal>

#include <array>

class RecordDatabase;

// The card search dialog's work apart from its controls: the check of what the operator typed and
// the statistics query that refuses a search listing too many cards.

// The search dialog's fields as typed.
struct CardSearchEntry
{
    enum Date { IssueFrom, IssueTo, StartFrom, StartTo, ExpiryFrom, ExpiryTo, DateCount };

    QString alphaID;
    QString surname;
    QString firstname;
    QString issuedBy;
    qint32 statusGroup = 1;
    std::array<QString, DateCount> dates;
    QString registrationFrom; // shown card numbers, hexadecimal
    QString registrationTo;
    QString roomFrom;
    QString roomTo;
    qint32 doorID = 0;
    qint32 intervalStart = 0;
    qint32 intervalStop = 0;
    bool doorRequired = false; // door access
    qint32 defaultRoomTo = 9999;
};

struct CardSearchCheck
{
    enum class Problem { None, BadDate, NoDoor };
    Problem problem = Problem::None;
    int badDate = -1; // the first field (CardSearchEntry::Date) that holds no date
    // The filters without kinds; empty bounds are open, a pair typed the wrong way round is swapped.
    CardSearchFilters filters;
};

CardSearchCheck CheckCardSearch(const CardSearchEntry &entry);

// The cards of the status group (1 current, any other past) as the statistics count them, and what
// a search with these filters would list.
CardTotals ReadCardTotals(RecordDatabase &db, qint32 statusGroup);
SearchEstimate EstimateCardSearch(RecordDatabase &db, const CardSearchFilters &filters);
