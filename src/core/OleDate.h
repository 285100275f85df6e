#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// The no-expiry date (2036-01-01) is the database component's NoExpiry.
//
// Times are OLE automation dates everywhere: days since 1899-12-30 with the wall-clock time of day
// as the fraction. The fraction is wall-clock time, not elapsed time, so a day across a daylight
// saving change is still exactly 1.0 long.
namespace OleDate {

// Added to a day to reach 23:59:59 of that day; an upper bound typed as a day is widened by this.
inline constexpr double kEndOfDay = 0.999988425925926;
// 1970-01-02, the earliest date a search takes when its "from" is left empty.
inline constexpr double kEarliestSearchDay = 25570.0;

double fromDate(const QDate &date);
double fromDateTime(const QDate &date, const QTime &time);
// The wall-clock date and time of dateTime in its own time zone setting.
double fromDateTime(const QDateTime &dateTime);

// Both round to the millisecond; a fraction that rounds to a whole day becomes the next midnight.
QDateTime toDateTime(double ole);
QDateTime toDateTime(double ole, const QTimeZone &zone);
QDate toDate(double ole);
QTime toTime(double ole);

// Whole-day math.
double wholeDay(double ole);
double endOfDay(double day);
int daysBetween(double from, double to);

QString formatShortDate(double ole, const QLocale &locale = QLocale());
// Time of day without seconds.
QString formatShortTime(double ole, const QLocale &locale = QLocale());

} // namespace OleDate
