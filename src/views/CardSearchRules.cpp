#include "views/CardSearchRules.h"

#include "core/OleDate.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

QString searchDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

std::optional<double> parseSearchDate(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale locale;
    QDate date = locale.toDate(t, searchDateFormat());
    if (date.isValid() && date.year() < 1000)
        date = QDate(); // two digits read as a four-digit year
    if (!date.isValid()) {
        date = locale.toDate(t, QLocale::ShortFormat);
        if (date.isValid() && date.year() < 1970)
            date = date.addYears(100);
    }
    if (!date.isValid())
        date = QDate::fromString(t, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return OleDate::fromDate(date);
}

QString formatSearchDate(double ole)
{
    return QLocale().toString(OleDate::toDate(ole), searchDateFormat());
}

std::optional<qint32> parseCardNumber(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,5}$"));
    const QString t = text.trimmed();
    if (!hex.match(t).hasMatch())
        return std::nullopt;
    return t.toInt(nullptr, 16);
}

SearchEstimate estimateSearch(const CardTotals &totals, double windowDays)
{
    SearchEstimate e;
    if (!totals.haveRows)
        return e;
    const double span = totals.maxExpireTime - totals.minIssueTime;
    if (span <= 0) {
        e.rows = totals.cardCount;
    } else {
        const double window = std::clamp(windowDays, 0.0, span);
        e.rows = qint64(double(totals.cardCount) * window / span);
    }
    e.tooLarge = e.rows > kSearchRowLimit;
    if (totals.cardCount > 0)
        e.allowedDays = qint64(std::max(span, 0.0) * double(kSearchRowLimit) / double(totals.cardCount));
    return e;
}
