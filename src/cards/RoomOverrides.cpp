#include "cards/RoomOverrides.h"

namespace {

constexpr qsizetype kHeaderSize = 150;
constexpr qsizetype kRecordSize = 25;
constexpr qsizetype kStatusOffset = 4;
constexpr qsizetype kOverrideOffset = 10;
constexpr qsizetype kDoorOffset = 20;
constexpr qsizetype kRoomDigits = 4;
constexpr qsizetype kDoorDigits = 5;
constexpr int kLargestStep = 15;

// The field as text when every byte is an ASCII digit, else nullopt.
std::optional<QString> digitsAt(QByteArrayView record, qsizetype offset, qsizetype length)
{
    const QByteArrayView field = record.sliced(offset, length);
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return QString::fromLatin1(field);
}

} // namespace

std::optional<QList<RoomOverride>> ParseRoomFile(QByteArrayView file)
{
    const qsizetype records = file.size() > kHeaderSize ? (file.size() - kHeaderSize) / kRecordSize : 0;
    if (records < 1)
        return std::nullopt;
    QList<RoomOverride> rooms;
    for (qsizetype i = 0; i < records; ++i) {
        const QByteArrayView record = file.sliced(kHeaderSize + i * kRecordSize, kRecordSize);
        if (record[kStatusOffset] != 0)
            continue;
        const std::optional<QString> room = digitsAt(record, 0, kRoomDigits);
        const std::optional<QString> door = digitsAt(record, kDoorOffset, kDoorDigits);
        if (!room || !door)
            continue;
        rooms.append({*door, *room, int(quint8(record[kOverrideOffset]))});
    }
    return rooms;
}

int OverrideAfterOffset(int overrideNumber, int offset)
{
    return (overrideNumber + offset) & 0xff;
}

std::optional<int> OverrideStep(const QString &digits)
{
    // Leading zeros change nothing; any more digits than two is a number far beyond the steps.
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    const QStringView significant = QStringView(digits).sliced(first);
    bool ok = false;
    const int value = significant.size() <= 2 ? significant.toInt(&ok) : -1;
    if (!ok || value < 0 || value > kLargestStep)
        return std::nullopt;
    return value;
}

bool TemplateMaySaveOverrides(qint32 operatorTemplateID)
{
    return operatorTemplateID >= 300 && operatorTemplateID <= 999;
}
