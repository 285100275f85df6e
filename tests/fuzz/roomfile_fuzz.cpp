// libFuzzer target for the override import: the room-file parser takes any bytes without crashing,
// gives nothing from a file without a whole record, and every room it keeps is one whole, used
// record with digit-only numbers; the step typed for the doors, read from the same bytes as digits,
// is its decimal value from 0 to 15 and nothing otherwise.
#include "FuzzCheck.h"
#include "cards/RoomOverrides.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool digitsOnly(const QString &text, qsizetype length)
{
    if (text.size() != length)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

// Digits from the bytes, mostly zeros so that long runs of leading zeros come up.
void checkStep(const uint8_t *data, size_t size)
{
    QString digits;
    for (size_t i = 0; i < size && i < 40; ++i)
        digits += QLatin1Char(char('0' + (data[i] < 128 ? 0 : data[i] % 10)));
    if (digits.isEmpty())
        return;
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == u'0')
        ++first;
    const QString significant = digits.mid(first);
    const std::optional<int> step = OverrideStep(digits);
    if (significant.size() > 2 || significant.toInt() > 15)
        check(!step.has_value());
    else
        check(step == significant.toInt());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStep(data, size);
    const QByteArrayView file(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QList<RoomOverride>> rooms = ParseRoomFile(file);
    const qsizetype records = size > 150 ? qsizetype(size - 150) / 25 : 0;
    check(rooms.has_value() == (records > 0));
    if (!rooms)
        return 0;
    check(rooms->size() <= records);
    for (const RoomOverride &room : *rooms) {
        check(digitsOnly(room.room, 4));
        check(digitsOnly(room.door, 5));
        check(room.overrideNumber >= 0 && room.overrideNumber <= 255);
        check(OverrideAfterOffset(room.overrideNumber, kOverrideOffsetCount - 1) <= 255);
    }
    return 0;
}
