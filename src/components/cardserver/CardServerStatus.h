#pragma once

#include <QString>
#include <QtGlobal>

// Status values of the card-encoding server (docs/card-server.md). The client knows the busy,
// card-read, cancelled, no-encoder and valid-card values by number; the others are ours and reach
// the operator through GetStatusText. The card-image and read-out statuses (CardFormatStatus) and
// the database's (RecordStatus) are passed on unchanged.
namespace CardServerStatus {
inline constexpr qint32 Ok = 0;
// Busy: the caller keeps polling.
inline constexpr qint32 Busy = 0x67890004;         // waiting for a card, a device or the previous card
inline constexpr qint32 BusyNextCard = 0x6789000D; // encoding: waiting for the next card of the copies
inline constexpr qint32 BusyEjecting = 0x6789000E; // encoding: the written card is being ejected
inline constexpr qint32 BusyReading = 0x67890026;  // reading a card or a handheld unit
inline constexpr qint32 BusyWriting = 0x67890037;  // encoding: writing the card
inline constexpr qint32 BusyStoring = 0x67890038;  // encoding: checking and storing the written card
// Outcomes the client tells apart.
inline constexpr qint32 NoEncoder = 0x67890007;          // no device with that number, or not an encoder
inline constexpr qint32 CardRead = 0x6789002C;           // a card of this installation was read
inline constexpr qint32 BlankCardRead = 0x6789002D;      // a blank card was read
inline constexpr qint32 ForeignCardRead = 0x6789002E;    // a card of another installation was read
inline constexpr qint32 Cancelled = 0x67890027;          // cancelled at the encoder or by SetActive(0)
inline constexpr qint32 ValidCardInEncoder = 0x6789004B; // the slot holds a valid card of the room
// Errors of our own.
inline constexpr qint32 NoCard = 0x6789000B;           // no card came in time
inline constexpr qint32 WriteFailed = 0x67890012;      // the card could not be written
inline constexpr qint32 NotOperatorCard = 0x67890014;  // LogonOperator: no valid operator card of that user
inline constexpr qint32 DeviceNotReady = 0x67890029;   // the device's folder is missing or it was stopped
inline constexpr qint32 RangeExhausted = 0x67890039;   // every registration number of the range is in use
inline constexpr qint32 NotHandheld = 0x6789003A;      // a handheld operation on another kind of device
inline constexpr qint32 NotStored = 0x6789003F;        // the card was written but could not be stored
inline constexpr qint32 SetupFailed = 0x6789004D;      // the handheld unit could not be programmed
inline constexpr qint32 DeviceBusy = 0x6789004E;       // another operation runs on this server object
inline constexpr qint32 ImageIncomplete = 0x67890050;  // EncodeCard without a card kind or with bad copies
inline constexpr qint32 NoRange = 0x67890051;          // REGNUM_FIRST / REGNUM_LAST missing or empty
inline constexpr qint32 NoReadout = 0x67890052;        // the handheld unit holds no read-out
inline constexpr qint32 DatabaseError = 0x67890053;    // the database failed before the card was written
inline constexpr qint32 ReadoutNotStored = 0x67890054; // the read-out was read but could not be stored
inline constexpr qint32 CardNotFound = 0x67890019;     // LoadCard: no stored image with that number
// The card was written but its record could not be completed: erased again, or left as it is.
inline constexpr qint32 CardErased = 0x67890055;
inline constexpr qint32 NotConfirmed = 0x67890056;
// Numbers the client knows but this server never gives: it counts 0x6789002F as a card read and
// shows the others by their text alone. No meaning of ours is attached to them.
inline constexpr qint32 CardReadReserved = 0x6789002F;
inline constexpr qint32 Reserved67890011 = 0x67890011;
inline constexpr qint32 Reserved67890030 = 0x67890030; // the cancel card answers it with -31149
inline constexpr qint32 Reserved67900037 = 0x67900037;
inline constexpr qint32 Reserved6790003A = 0x6790003A;
inline constexpr qint32 Reserved6790005F = 0x6790005F;

// True while an operation runs: the statuses the client polls on.
bool isBusy(qint32 status);
// "short|long" text of the server's own statuses above; an empty string for any other status.
QString text(qint32 status);
} // namespace CardServerStatus
