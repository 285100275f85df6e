#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdint>

// The rules of the cards that put a lock into a mode (clearance, stand-open, blocking, locking,
// privacy, power-down) that need no window: their blocks and the numbers typed for them.
namespace LockModeRules {

// The block a card opens with and the values that follow it.
struct Block
{
    int16_t error = 0; // message text number; 0 when the input is good
    qint32 type = 0;
    QList<qint32> values;
};

enum class StandOpen { NextUse, UntilMidnight, ForHours };
// Stand-open until the next use, until midnight, or for 1 to 63 hours (-31185 otherwise).
Block StandOpenBlock(StandOpen mode, const QString &hours);

// What the blocking card's list offers: the text shown and the value the lock is given.
struct BlockingKind
{
    int16_t text;
    qint32 value;
};
QList<BlockingKind> BlockingKinds();

// The range 0 to 0 is passed to the card as it stands: no door is looked up for it.
bool SkipsDoorCheck(qint32 from, qint32 to);

// The power-down card's range: From is required (-31207); To empty means From.
struct RoomRange
{
    int16_t error = 0;
    qint32 from = 0;
    qint32 to = 0;
};
RoomRange PowerDownRange(const QString &from, const QString &to);
// Days the lock runs on without power, 1 to 10 (-31212 for 0 or more); the block counts hours.
Block PowerDownBlock(const QString &days);

} // namespace LockModeRules
