#pragma once

#include <QString>
#include <QVariantList>

#include <array>
#include <bitset>

// The event list's filters as its search dialog leaves them: registration numbers in the stored
// form, days as whole OLE days (an upper day is bound as 23:59:59 of that day).
struct EventSearchFilters
{
    static constexpr qint32 kFirstKind = 256;
    static constexpr int kKindCount = 25;         // cardNameID 256 to 280
    static constexpr double kEmptyFrom = 25570.0; // 1970-01-02
    static constexpr double kEmptyTo = 49675.0;   // 2036-01-01
    static constexpr qint32 kNoDoor = -1;

    qint32 registrationFrom = 0;
    qint32 registrationTo = 0x0FFFFFFF;
    double eventFrom = kEmptyFrom;
    double eventTo = kEmptyTo;
    double readoutFrom = kEmptyFrom;
    double readoutTo = kEmptyTo;
    QString alphaID;
    QString surname;
    QString firstname;
    qint32 doorID = kNoDoor;
    std::bitset<kKindCount> kinds;
    bool kindFilterActive = false;

    void setKind(qint32 kind, bool on);
    bool hasKind(qint32 kind) const;
};

struct ListQuery
{
    QString where;
    QVariantList parameters; // in "?" order
    QString orderBy;
};

// The event list's WHERE text over EventView and its parameters.
ListQuery buildEventListQuery(const EventSearchFilters &filters);

// Without a door and with other than exactly one card kind, a search may span at most 5 days of
// events: anything wider would read a large part of the event table.
inline constexpr double kMaxEventSearchDays = 5.0;
bool isEventSearchTooWide(bool doorChosen, int tickedKinds, double eventFrom, double eventTo);

// What the operator typed into the event search, before it is checked.
struct EventSearchEntry
{
    enum Date { EventFrom, EventTo, ReadoutFrom, ReadoutTo, DateCount };
    QString registrationFrom; // shown card numbers, hexadecimal
    QString registrationTo;
    std::array<QString, DateCount> dates;
    QString alphaID;
    QString surname;
    QString firstname;
    qint32 doorID = EventSearchFilters::kNoDoor;
    QList<qint32> tickedKinds;
};

struct EventSearchCheck
{
    enum class Problem { None, BadDate, TooWide };
    Problem problem = Problem::None;
    int badDate = -1; // EventSearchEntry::Date of the first date that is no date
    EventSearchFilters filters;
};

// Dates must be empty or dates; empty fields take the open bounds; card numbers become the range of
// their copies; a search without a door over other than one kind may span at most 5 event days.
EventSearchCheck checkEventSearch(const EventSearchEntry &entry);

// The stored read-outs, newest first, and the events of one read-out in time order.
ListQuery buildReadoutListQuery();
ListQuery buildReadoutEventsQuery(qint32 doorID, double readoutTime);
