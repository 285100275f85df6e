#include "views/CardSearchQuery.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"

#include <algorithm>
#include <optional>

namespace {

constexpr qint32 kNoRegistrationLimit = 0x0FFFFFFF;

template <typename T> void orderPair(std::optional<T> &from, std::optional<T> &to)
{
    if (from && to && *from > *to)
        std::swap(from, to);
}

std::optional<qint32> number(const QString &text)
{
    bool ok = false;
    const qint32 n = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(n) : std::nullopt;
}

} // namespace

CardSearchCheck CheckCardSearch(const CardSearchEntry &entry)
{
    CardSearchCheck check;
    std::optional<double> days[CardSearchEntry::DateCount];
    for (int i = 0; i < CardSearchEntry::DateCount; ++i) {
        if (entry.dates[size_t(i)].trimmed().isEmpty())
            continue;
        days[i] = parseSearchDate(entry.dates[size_t(i)]);
        if (!days[i]) {
            check.problem = CardSearchCheck::Problem::BadDate;
            check.badDate = i;
            return check;
        }
    }
    double from[3];
    double to[3];
    for (int pair = 0; pair < 3; ++pair) {
        orderPair(days[2 * pair], days[2 * pair + 1]);
        from[pair] = days[2 * pair].value_or(OleDate::kEarliestSearchDay);
        to[pair] = days[2 * pair + 1].value_or(NoExpiry);
    }
    std::optional<qint32> regFrom = parseCardNumber(entry.registrationFrom);
    std::optional<qint32> regTo = parseCardNumber(entry.registrationTo);
    orderPair(regFrom, regTo);
    std::optional<qint32> roomFrom = number(entry.roomFrom);
    std::optional<qint32> roomTo = number(entry.roomTo);
    orderPair(roomFrom, roomTo);
    if (entry.doorRequired && entry.doorID == 0) {
        check.problem = CardSearchCheck::Problem::NoDoor;
        return check;
    }

    CardSearchFilters &f = check.filters;
    f.alphaID = entry.alphaID;
    f.surname = entry.surname;
    f.firstname = entry.firstname;
    f.statusGroup = entry.statusGroup;
    f.issueFrom = from[0];
    f.issueTo = to[0];
    f.startFrom = from[1];
    f.startTo = to[1];
    f.expiryFrom = from[2];
    f.expiryTo = to[2];
    f.registrationFrom = regFrom ? *regFrom * 256 : 0;
    f.registrationTo = regTo ? *regTo * 256 + 255 : kNoRegistrationLimit;
    f.issuedBy = entry.issuedBy;
    f.doorID = entry.doorID;
    f.intervalStart = entry.intervalStart;
    f.intervalStop = entry.intervalStop;
    f.roomFrom = roomFrom.value_or(0);
    f.roomTo = roomTo.value_or(entry.defaultRoomTo);
    return check;
}

CardTotals ReadCardTotals(RecordDatabase &db, qint32 statusGroup)
{
    RecordTable stats(db);
    stats.SelectTable(TableId::CardStatistics);
    stats.OpenQuery(statusGroup == 1 ? QStringLiteral("cardStatus in(1,2,3,8)")
                                     : QStringLiteral("cardStatus in(0,4,5)"),
                    QString());
    CardTotals totals;
    for (; stats.Status() == RecordStatus::Ok; stats.MoveNext()) {
        const QVariant first = stats.GetField(Field::minIssueTime);
        const double minIssue = first.isNull() ? OleDate::kEarliestSearchDay : first.toDouble();
        const double maxExpire = stats.GetField(Field::maxExpireTime).toDouble();
        totals.minIssueTime = totals.haveRows ? std::min(totals.minIssueTime, minIssue) : minIssue;
        totals.maxExpireTime = totals.haveRows ? std::max(totals.maxExpireTime, maxExpire) : maxExpire;
        totals.cardCount += stats.GetField(Field::cardCount).toLongLong();
        totals.haveRows = true;
    }
    return totals;
}

SearchEstimate EstimateCardSearch(RecordDatabase &db, const CardSearchFilters &f)
{
    // The narrowest of the three date windows, each to the end of its last day.
    const double window =
        std::min({f.issueTo + OleDate::kEndOfDay - f.issueFrom, f.startTo + OleDate::kEndOfDay - f.startFrom,
                  f.expiryTo + OleDate::kEndOfDay - f.expiryFrom});
    return estimateSearch(ReadCardTotals(db, f.statusGroup), window);
}
