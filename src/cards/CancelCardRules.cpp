#include "cards/CancelCardRules.h"

#include "cards/StaffRules.h"
#include "components/recordtable/TableDefs.h"

#include <QRegularExpression>

namespace CancelCardRules {

namespace {
constexpr quint32 kCopies = 256;
constexpr quint32 kLargestNumber = 0x7FFFFF; // times 256 still a positive 32-bit registration number
} // namespace

std::optional<quint32> ParseCardNumber(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
    if (!hex.match(text).hasMatch())
        return std::nullopt;
    const quint32 number = text.toUInt(nullptr, 16);
    if (number > kLargestNumber)
        return std::nullopt;
    return number;
}

CopyRange CopiesOf(quint32 number)
{
    return {number * kCopies, number * kCopies + kCopies - 1};
}

Target TargetOf(quint32 number, std::optional<std::pair<quint32, double>> latestCopy)
{
    if (!latestCopy)
        return {NoExpiry, CopiesOf(number).first, false};
    return {latestCopy->second, latestCopy->first, true};
}

int16_t CheckExpiry(double now, double expiry, int32_t maxMinutes)
{
    if (expiry < now)
        return -31159;
    if (expiry == NoExpiry)
        return 0;
    return StaffRules::CheckExpiry(now, expiry, maxMinutes);
}

} // namespace CancelCardRules
