#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// The field rules of the staff cards that need no window: the daily time window, the number of
// days and the expiry linked to it, and the expiry's bounds.
namespace StaffRules {

// Only the hour of a time counts; nullopt when the text is no time.
std::optional<int> ParseHour(const QString &text, const QLocale &locale = QLocale());
// The hour in the locale time format without seconds; 24 and beyond wrap past midnight.
QString HourText(int hour, const QLocale &locale = QLocale());

struct TimeWindow
{
    enum Box { From, To };
    int16_t error = 0; // message text number; 0 when the window is good
    Box focus = From;
    int from = 0;
    int to = 24;
    double expiry = 0; // the window-bound cards only: the end of the window
};

// Employee style: both boxes empty give the whole day; a To of 0 is midnight at the end of the
// day; From after To, or more than 16 hours, are refused.
TimeWindow DailyWindow(const QString &from, const QString &to);
// Maintenance style: both hours required; a window may pass midnight and ends today or tomorrow
// at To, at most 16 hours long.
TimeWindow OneShotWindow(const QString &from, const QString &to, double now);

// The expiry as the box shows it: the hour without minutes, a blank, the short date.
QString ExpiryText(double expiry, const QLocale &locale = QLocale());
// The date of now + days at the hour.
double ExpiryAfterDays(double now, int days, int hour);
// A typed expiry: a time and a date in either order, a date alone (midnight), or a time alone
// (that hour, days after today). Minutes are dropped. nullopt when it is no date.
std::optional<double> ParseExpiry(const QString &text, double now, int days, const QLocale &locale = QLocale());
// The days box for an expiry: the whole days from now, "" when it lies in the past.
QString DaysText(double now, double expiry);
// -31173 for an expiry in the past, -31225 beyond the operator's maximum (minutes), else 0.
int16_t CheckExpiry(double now, double expiry, int32_t maxMinutes);

} // namespace StaffRules
