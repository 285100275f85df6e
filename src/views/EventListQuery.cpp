#include "views/EventListQuery.h"

#include "components/recordtable/FieldNames.h"
#include "ui/grid/Filter.h"
#include "views/CardSearchRules.h"

void EventSearchFilters::setKind(qint32 kind, bool on)
{
    if (kind >= kFirstKind && kind < kFirstKind + kKindCount)
        kinds.set(static_cast<size_t>(kind - kFirstKind), on);
}

bool EventSearchFilters::hasKind(qint32 kind) const
{
    return kind >= kFirstKind && kind < kFirstKind + kKindCount && kinds.test(static_cast<size_t>(kind - kFirstKind));
}

ListQuery buildEventListQuery(const EventSearchFilters &f)
{
    FilterBuilder b;
    b.range(Field::registrationNumber, f.registrationFrom, f.registrationTo)
        .dayRange(Field::eventTime, f.eventFrom, f.eventTo)
        .dayRange(Field::readoutTime, f.readoutFrom, f.readoutTo)
        .like(Field::alphaID, f.alphaID)
        .like(Field::surname, f.surname)
        .like(Field::firstname, f.firstname);
    if (f.doorID != EventSearchFilters::kNoDoor)
        b.equal(Field::doorID, f.doorID);
    if (f.kindFilterActive) {
        QList<qint32> kinds;
        for (int i = 0; i < EventSearchFilters::kKindCount; ++i)
            if (f.kinds.test(static_cast<size_t>(i)))
                kinds << EventSearchFilters::kFirstKind + i;
        b.inNumbers(Field::cardNameID, kinds);
    }
    return {b.where(), b.values(), QString()};
}

bool isEventSearchTooWide(bool doorChosen, int tickedKinds, double eventFrom, double eventTo)
{
    return !doorChosen && tickedKinds != 1 && eventTo - eventFrom > kMaxEventSearchDays;
}

EventSearchCheck checkEventSearch(const EventSearchEntry &entry)
{
    EventSearchCheck check;
    EventSearchFilters &f = check.filters;
    double *const dates[] = {&f.eventFrom, &f.eventTo, &f.readoutFrom, &f.readoutTo};
    for (int i = 0; i < EventSearchEntry::DateCount; ++i) {
        const QString &text = entry.dates.at(size_t(i));
        if (text.trimmed().isEmpty())
            continue;
        const std::optional<double> day = parseSearchDate(text);
        if (!day) {
            check.problem = EventSearchCheck::Problem::BadDate;
            check.badDate = i;
            return check;
        }
        *dates[i] = *day;
    }
    // A shown card number stands for all its copies: number x 256 to number x 256 + 255.
    if (const std::optional<qint32> from = parseCardNumber(entry.registrationFrom))
        f.registrationFrom = *from * 256;
    if (const std::optional<qint32> to = parseCardNumber(entry.registrationTo))
        f.registrationTo = *to * 256 + 255;
    f.alphaID = entry.alphaID;
    f.surname = entry.surname;
    f.firstname = entry.firstname;
    f.doorID = entry.doorID;
    for (qint32 kind : entry.tickedKinds)
        f.setKind(kind, true);
    f.kindFilterActive = !entry.tickedKinds.isEmpty();
    if (isEventSearchTooWide(entry.doorID != EventSearchFilters::kNoDoor, int(entry.tickedKinds.size()), f.eventFrom,
                             f.eventTo))
        check.problem = EventSearchCheck::Problem::TooWide;
    return check;
}

ListQuery buildReadoutListQuery()
{
    FilterBuilder b;
    b.compare(Field::readoutTime, FilterBuilder::Compare::Greater, QVariant::fromValue<qint16>(0));
    return {b.where(), b.values(), OrderBy(Field::readoutTime, true)};
}

ListQuery buildReadoutEventsQuery(qint32 doorID, double readoutTime)
{
    FilterBuilder b;
    b.equal(Field::doorID, doorID).equal(Field::readoutTime, readoutTime);
    return {b.where(), b.values(), Field::eventTime};
}
