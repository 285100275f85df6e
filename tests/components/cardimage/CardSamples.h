#pragma once

#include "components/cardserver/CardImage.h"
#include "components/cardserver/Readout.h"

// Card images and read-outs as the dialogs and the handheld unit make them; shared by the tests
// and the fuzzers' seed corpus.
namespace CardSamples {

// An OLE date made the way a read-out time is read: whole days plus seconds / 86400.
constexpr double oleAt(int day, int hour, int minute, int second = 0)
{
    return day + (hour * 3600 + minute * 60 + second) / 86400.0;
}
inline constexpr int kMay2 = 45414;                          // 2024-05-02
inline constexpr double kIssue = oleAt(kMay2, 18, 0);        // 2024-05-02 18:00
inline constexpr double kCheckOut = oleAt(kMay2 + 3, 11, 0); // 2024-05-05 11:00
inline constexpr double kNoExpiry = 49675.0;                 // 2036-01-01 00:00
inline constexpr quint32 kInstallation = 0x5EED1234u;

// Room 1204 with common rooms 1 and 3, two identical cards, registration 0A3F1 copy 1.
CardImage guestCard();
// Door range 100..250, time window 6..22 and common room 1.
CardImage employeeCard();
// A power-down card: one block with a value and one room, no user.
CardImage powerDownCard();
// A future-arrival card: block 99 with the arrival date.
CardImage futureArrivalCard();
// Every image above, encoded.
QList<QByteArray> encodedSamples();

// Two lock read-outs and the unit's own log, with card and card-less events.
Readout sampleReadout();

} // namespace CardSamples
