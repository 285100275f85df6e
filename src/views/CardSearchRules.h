#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The checks and conversions of the card search dialog, apart from its controls.

// A date typed in a search field: the locale's short date (two- or four-digit year) or yyyy-MM-dd,
// as an OLE day; nullopt when the text is no date. Two-digit years before 70 are 20xx.
std::optional<double> parseSearchDate(const QString &text);
// The locale's short date format with a four-digit year ("M/d/yyyy").
QString searchDateFormat();
// The form the dialog shows a date in: the locale's short date with a four-digit year.
QString formatSearchDate(double ole);

// A shown card number: one to five hexadecimal digits; nullopt otherwise.
std::optional<qint32> parseCardNumber(const QString &text);

// What CardStatistics says about the cards of the chosen status group.
struct CardTotals
{
    qint64 cardCount = 0;
    double minIssueTime = 0; // earliest issue, empty ones counted as 1970-01-02
    double maxExpireTime = 0;
    bool haveRows = false;
};

struct SearchEstimate
{
    qint64 rows = 0;        // the cards the search is expected to list
    bool tooLarge = false;  // above the limit
    qint64 allowedDays = 0; // the date window that keeps the search at the limit
};

inline constexpr qint64 kSearchRowLimit = 50000;

// Cards spread evenly between the earliest issue and the latest expiry: the search's share is its
// date window (at most that whole span) over the span.
SearchEstimate estimateSearch(const CardTotals &totals, double windowDays);
