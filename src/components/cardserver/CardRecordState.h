#pragma once

#include <QtGlobal>

// Cards.status as the card-encoding server writes it (docs/card-server.md, "Card records"). The
// rows of a card are committed before the card is written, so a crash or a lost database never
// leaves a written card without its record; what became of the write is told by the status.
namespace CardRecordState {
inline constexpr qint32 Cancelled = 0;
inline constexpr qint32 Valid = 1;
inline constexpr qint32 NotYetValid = 2;
inline constexpr qint32 Reissued = 3;
// Committed before the write and not marked since: the card may be out there. Shown as "not
// confirmed" and cancellable; never counted as a valid card.
inline constexpr qint32 NotYetIssued = 8;
// The write failed, or the card was erased again: no such card exists.
inline constexpr qint32 NeverIssued = 9;

// A card that opens its doors: issued and neither cancelled nor replaced.
inline constexpr bool countsAsValid(qint32 status)
{
    return status == Valid || status == NotYetValid || status == Reissued;
}
} // namespace CardRecordState
