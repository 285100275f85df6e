#pragma once

#include <QString>
#include <QtGlobal>

// A stored registration number is the shown number × 256 plus the copy index 0..255.
inline constexpr quint32 registrationCopyIndex(quint32 stored)
{
    return stored & 0xFFu;
}
inline constexpr quint32 registrationShownNumber(quint32 stored)
{
    return stored >> 8;
}

// The form people see: the stored value divided by 256 as exactly five upper-case hexadecimal
// digits with leading zeros; digits above the fifth are dropped (stored 0xA3F1FF → "0A3F1").
QString FormatRegistrationNumber(quint32 stored);
