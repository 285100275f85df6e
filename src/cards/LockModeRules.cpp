#include "cards/LockModeRules.h"

namespace LockModeRules {

namespace {

constexpr qint32 kStandOpenUntil = 102;
constexpr qint32 kStandOpenNextUse = 103;
constexpr qint32 kUntilMidnight = 192;
constexpr int kMostHours = 63;
constexpr int16_t kBadHours = -31185;
constexpr qint32 kPowerDownBlock = 107;
constexpr int kMostDays = 10;
constexpr int16_t kBadDays = -31212;
constexpr int16_t kNoRoom = -31207;

} // namespace

Block StandOpenBlock(StandOpen mode, const QString &hours)
{
    switch (mode) {
    case StandOpen::NextUse:
        return {0, kStandOpenNextUse, {}};
    case StandOpen::UntilMidnight:
        return {0, kStandOpenUntil, {kUntilMidnight}};
    case StandOpen::ForHours:
        break;
    }
    bool ok = false;
    const int count = hours.trimmed().toInt(&ok);
    if (!ok || count < 1 || count > kMostHours)
        return {kBadHours, 0, {}};
    return {0, kStandOpenUntil, {count}};
}

QList<BlockingKind> BlockingKinds()
{
    return {{21310, 2}, {21311, 1}, {21312, 4}, {21313, 8}};
}

bool SkipsDoorCheck(qint32 from, qint32 to)
{
    return from == 0 && to == 0;
}

RoomRange PowerDownRange(const QString &from, const QString &to)
{
    if (from.trimmed().isEmpty())
        return {kNoRoom, 0, 0};
    const qint32 first = from.trimmed().toInt();
    return {0, first, to.trimmed().isEmpty() ? first : to.trimmed().toInt()};
}

Block PowerDownBlock(const QString &days)
{
    // Only 0 and more than ten are refused; the box takes digits only, so no day count is negative.
    const int count = days.trimmed().toInt();
    if (count == 0 || count > kMostDays)
        return {kBadDays, 0, {}};
    return {0, kPowerDownBlock, {count * 24}};
}

} // namespace LockModeRules
