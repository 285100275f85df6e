// libFuzzer target for the room-file parser: no crash on any bytes, nothing from a file without a
// whole record, and every room it keeps is one whole, used record with digit-only numbers.
#include "cards/RoomOverrides.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
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
