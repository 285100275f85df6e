#include "core/OleDate.h"

#include "texts/LocaleFormat.h"

#include <cmath>

namespace OleDate {
namespace {
constexpr qint64 kMsecsPerDay = 86400000;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

// Splits into whole days since the epoch and milliseconds into the day. Before the epoch the
// fraction still counts forward from midnight: -1.25 is 1899-12-29 06:00.
void split(double ole, qint64 &days, qint64 &msecs)
{
    double whole = std::trunc(ole);
    msecs = std::llround(std::fabs(ole - whole) * kMsecsPerDay);
    if (msecs >= kMsecsPerDay) {
        msecs -= kMsecsPerDay;
        whole += ole < 0 ? -1.0 : 1.0;
    }
    days = static_cast<qint64>(whole);
}
} // namespace

double fromDate(const QDate &date)
{
    return static_cast<double>(epoch().daysTo(date));
}

double fromDateTime(const QDate &date, const QTime &time)
{
    const double days = fromDate(date);
    const double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / kMsecsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

double fromDateTime(const QDateTime &dateTime)
{
    return fromDateTime(dateTime.date(), dateTime.time());
}

QDate toDate(double ole)
{
    qint64 days = 0;
    qint64 msecs = 0;
    split(ole, days, msecs);
    return epoch().addDays(days);
}

QTime toTime(double ole)
{
    qint64 days = 0;
    qint64 msecs = 0;
    split(ole, days, msecs);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs));
}

QDateTime toDateTime(double ole)
{
    return QDateTime(toDate(ole), toTime(ole));
}

QDateTime toDateTime(double ole, const QTimeZone &zone)
{
    return QDateTime(toDate(ole), toTime(ole), zone);
}

double wholeDay(double ole)
{
    return fromDate(toDate(ole));
}

double endOfDay(double day)
{
    const double whole = wholeDay(day);
    return whole < 0 ? whole - kEndOfDay : whole + kEndOfDay;
}

int daysBetween(double from, double to)
{
    return static_cast<int>(toDate(from).daysTo(toDate(to)));
}

QString formatShortDate(double ole, const QLocale &locale)
{
    return locale.toString(toDate(ole), QLocale::ShortFormat);
}

QString formatShortTime(double ole, const QLocale &locale)
{
    return locale.toString(toTime(ole), ShortTimeFormat(locale));
}

} // namespace OleDate
