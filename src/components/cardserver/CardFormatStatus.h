#pragma once

#include <QString>
#include <QtGlobal>

// Status values of the card-image and read-out formats. 0x67890019 is the components' shared
// "no more" status; the 0x679002xx values are the formats' own (docs/card-format.md lists their
// texts). The card-encoding server passes them on unchanged.
namespace CardFormatStatus {
inline constexpr qint32 Ok = 0;
inline constexpr qint32 NoMore = 0x67890019;            // the walk has no further range or value
inline constexpr qint32 Blank = 0x67900201;             // no bytes at all: a blank card
inline constexpr qint32 Truncated = 0x67900202;         // fewer bytes than the header declares
inline constexpr qint32 TooLarge = 0x67900203;          // beyond the largest image a card holds
inline constexpr qint32 NotCardImage = 0x67900204;      // the bytes do not start with the magic
inline constexpr qint32 BadVersion = 0x67900205;        // a format version this code does not read
inline constexpr qint32 BadChecksum = 0x67900206;       // the CRC does not match the bytes
inline constexpr qint32 BadLength = 0x67900207;         // declared length below the minimum or below the bytes given
inline constexpr qint32 BadCount = 0x67900208;          // block or field counts do not fit the image length
inline constexpr qint32 BadContent = 0x67900209;        // a value no encoder writes (type, name, text, date, range)
inline constexpr qint32 NoBlock = 0x6790020A;           // block value or door range before the first BeginBlock
inline constexpr qint32 InvalidArgument = 0x6790020B;   // builder argument out of range, or a field of the wrong type
inline constexpr qint32 ReadoutInvalid = 0x67900210;    // a read-out line that breaks the format
inline constexpr qint32 ReadoutTruncated = 0x67900211;  // the read-out ends before its END line
inline constexpr qint32 ReadoutTooLarge = 0x67900212;   // a read-out beyond the size, source or event limits
inline constexpr qint32 ReadoutBadVersion = 0x67900213; // a read-out format version this code does not read
} // namespace CardFormatStatus

// "short|long" text of one of the statuses above; an empty string for any other status.
QString CardFormatStatusText(qint32 status);
