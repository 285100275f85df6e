#include "admin/WingRules.h"

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

WingNumber WingNumberFromText(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > 2 || !isDigit(digits[0]) || (digits.size() == 2 && !isDigit(digits[1])))
        return {};
    const qint32 p1 = digits[0].digitValue();
    const qint32 p2 = digits.size() == 2 ? digits[1].digitValue() : -1;
    return WingNumberFromPrefixes(p1, p2);
}

WingNumber WingNumberFromPrefixes(qint32 prefix1, qint32 prefix2)
{
    if (prefix1 < 0 || prefix1 > 9 || prefix2 < -1 || prefix2 > 9)
        return {};
    WingNumber number;
    number.prefix1 = prefix1;
    number.prefix2 = prefix2;
    const QString head = WingNumberText(number);
    if (prefix2 < 0) {
        number.first = prefix1 * 10000;
        number.last = number.first + 9999;
        number.rangeText = head + QStringLiteral("0000 - ") + head + QStringLiteral("9999");
    } else {
        number.first = prefix1 * 10000 + prefix2 * 1000;
        number.last = number.first + 999;
        number.rangeText = head + QStringLiteral("000 - ") + head + QStringLiteral("999");
    }
    return number;
}

QString WingNumberText(const WingNumber &number)
{
    if (number.isEmpty())
        return QString();
    QString text = QString::number(number.prefix1);
    if (number.prefix2 >= 0)
        text += QString::number(number.prefix2);
    return text;
}

bool IsWingCodeLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

QString WingDoorName(const QString &wingCode, const WingNumber &number, qint32 doorID)
{
    return wingCode + QString::number(doorID - number.first);
}
