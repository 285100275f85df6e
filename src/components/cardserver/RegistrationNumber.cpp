#include "components/cardserver/RegistrationNumber.h"

QString FormatRegistrationNumber(quint32 stored)
{
    const quint32 shown = registrationShownNumber(stored) & 0xFFFFFu;
    return QStringLiteral("%1").arg(shown, 5, 16, QLatin1Char('0')).toUpper();
}
