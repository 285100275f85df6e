#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>

// The cancel card's rules that need no window: the card number as typed, the copies it stands
// for, and the expiry the cancel card takes over.
namespace CancelCardRules {

// A card number as people see it: 1 to 8 hexadecimal digits. Numbers whose copies lie beyond
// the positive 32-bit registration numbers are refused too; nullopt for -31181.
std::optional<quint32> ParseCardNumber(const QString &text);

// The stored registration numbers of the card's copies: the low 8 bits number the copies.
struct CopyRange
{
    quint32 first = 0;
    quint32 last = 0;
};
CopyRange CopiesOf(quint32 number);

// What the cancel card carries: the expiry and the block value (the stored number of the card it
// cancels, or the first copy's number when no card row was found).
struct Target
{
    double expiry = 0;
    quint32 value = 0;
    bool found = false; // a card row exists, and is marked cancelled once the card is written
};
// The latest-expiring copy found, or none: then the card does not expire.
Target TargetOf(quint32 number, std::optional<std::pair<quint32, double>> latestCopy);

// -31159 for a card expired already, -31225 beyond the operator's maximum (minutes), else 0. A
// card that never expires is bounded by nothing.
int16_t CheckExpiry(double now, double expiry, int32_t maxMinutes);

} // namespace CancelCardRules
