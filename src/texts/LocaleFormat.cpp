#include "texts/LocaleFormat.h"

#include <QRegularExpression>

QString ShortTimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // The seconds go with the separator in front of them: "HH:mm:ss" -> "HH:mm".
    static const QRegularExpression seconds(QStringLiteral("[^Hhms]*s+"));
    format.remove(seconds);
    return format.trimmed();
}
