#include "cards/StaffRules.h"

#include "cards/GuestRules.h"
#include "core/OleDate.h"
#include "texts/LocaleFormat.h"

#include <QStringList>
#include <QTime>

namespace StaffRules {

namespace {

constexpr int kLongestWindow = 16;
constexpr int16_t kNoTime = -31194;
constexpr int16_t kTimeMissing = -31205;

double atHour(double day, int hour)
{
    return OleDate::wholeDay(day) + hour / 24.0;
}

} // namespace

std::optional<int> ParseHour(const QString &text, const QLocale &locale)
{
    const QString entry = text.simplified();
    if (entry.isEmpty())
        return std::nullopt;
    if (GuestRules::IsNumericEntry(entry) && entry.size() <= 2) {
        const int hour = entry.toInt();
        return hour < 24 ? std::optional<int>(hour) : std::nullopt;
    }
    const QStringList formats = {ShortTimeFormat(locale), locale.timeFormat(QLocale::ShortFormat),
                                 QStringLiteral("H:mm"), QStringLiteral("H:mm:ss")};
    for (const QString &format : formats) {
        const QTime time = locale.toTime(entry, format);
        if (time.isValid())
            return time.hour();
    }
    return std::nullopt;
}

QString HourText(int hour, const QLocale &locale)
{
    return locale.toString(QTime(hour % 24, 0), ShortTimeFormat(locale));
}

TimeWindow DailyWindow(const QString &fromText, const QString &toText)
{
    TimeWindow window;
    if (fromText.trimmed().isEmpty() && toText.trimmed().isEmpty())
        return window;
    const std::optional<int> from = ParseHour(fromText);
    const std::optional<int> to = ParseHour(toText);
    if (!from || !to) {
        window.focus = !from ? TimeWindow::From : TimeWindow::To;
        const QString &text = !from ? fromText : toText;
        window.error = text.trimmed().isEmpty() ? kTimeMissing : kNoTime;
        return window;
    }
    window.from = *from;
    window.to = *to == 0 ? 24 : *to;
    if (window.from == 0 && window.to == 24)
        return window;
    if (window.from > window.to)
        window.error = -31193;
    else if (window.to - window.from > kLongestWindow)
        window.error = -31204;
    return window;
}

TimeWindow OneShotWindow(const QString &fromText, const QString &toText, double now)
{
    TimeWindow window;
    const std::optional<int> from = ParseHour(fromText);
    const std::optional<int> to = ParseHour(toText);
    if (!from || !to) {
        window.focus = !from ? TimeWindow::From : TimeWindow::To;
        const QString &text = !from ? fromText : toText;
        window.error = text.trimmed().isEmpty() ? kTimeMissing : kNoTime;
        return window;
    }
    window.from = *from;
    window.to = *to;
    const bool sameDay = window.from < window.to;
    const int hours = sameDay ? window.to - window.from : 24 - window.from + window.to;
    if (hours > kLongestWindow) {
        window.error = -31203;
        return window;
    }
    window.expiry = atHour(now, window.to) + (sameDay ? 0 : 1);
    return window;
}

QString ExpiryText(double expiry, const QLocale &locale)
{
    return HourText(OleDate::toTime(expiry).hour(), locale) + QLatin1Char(' ') +
           OleDate::formatShortDate(expiry, locale);
}

double ExpiryAfterDays(double now, int days, int hour)
{
    return atHour(now, hour) + days;
}

std::optional<double> ParseExpiry(const QString &text, double now, int days, const QLocale &locale)
{
    const QString entry = text.simplified();
    if (entry.isEmpty())
        return std::nullopt;
    auto hourOf = [](double value) { return atHour(value, OleDate::toTime(value).hour()); };
    if (const std::optional<int> hour = ParseHour(entry, locale))
        return ExpiryAfterDays(now, days, *hour);
    if (const std::optional<double> value = GuestRules::ParseCheckOut(entry, locale))
        return hourOf(*value);
    // The box's own form: the time first.
    for (qsizetype blank = entry.indexOf(QLatin1Char(' ')); blank > 0;
         blank = entry.indexOf(QLatin1Char(' '), blank + 1)) {
        const std::optional<int> hour = ParseHour(entry.left(blank), locale);
        const std::optional<double> day = GuestRules::ParseCheckOut(entry.mid(blank + 1), locale);
        if (hour && day)
            return atHour(*day, *hour);
    }
    return std::nullopt;
}

QString DaysText(double now, double expiry)
{
    if (expiry < now)
        return QString();
    return QString::number(OleDate::daysBetween(now, expiry));
}

int16_t CheckExpiry(double now, double expiry, int32_t maxMinutes)
{
    const double minutes = (expiry - now) * 1440.0;
    if (minutes < 0)
        return -31173;
    // A thousandth of a minute absorbs the rounding of the day fractions.
    if (minutes > maxMinutes + 0.001)
        return -31225;
    return 0;
}

} // namespace StaffRules
