#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The override numbers a previous system left in its room file, and the arithmetic of carrying
// them over. Only Qt Core, so the fuzzer builds it on its own.

// One room of the room file: the door number and room number as their digits, the lock's last
// accepted override number.
struct RoomOverride
{
    QString door;
    QString room;
    int overrideNumber = 0;
    bool operator==(const RoomOverride &) const = default;
};

// The rooms of a room file in file order: a 150-byte header, then 25-byte records; a record counts
// only with status byte 0 and all-digit room (offset 0, 4 bytes) and door (offset 20, 5 bytes)
// fields; its override number is the byte at offset 10. nullopt when the file holds no whole
// record, which leaves what was loaded before as it was.
std::optional<QList<RoomOverride>> ParseRoomFile(QByteArrayView file);

// The number a lock accepts after an imported number moved on by the offset (0..15), kept in a
// byte as the lock keeps it.
int OverrideAfterOffset(int overrideNumber, int offset);

// The offsets the import offers, and the one it starts with.
inline constexpr int kOverrideOffsetCount = 16;
inline constexpr int kDefaultOverrideOffset = 10;

// The step typed for every door's override number: its value for 0..15 (leading zeros allowed),
// nullopt for anything larger. The text must be digits only and not empty.
std::optional<int> OverrideStep(const QString &digits);

// Operator templates 300 to 999 may write imported numbers to the doors.
bool TemplateMaySaveOverrides(qint32 operatorTemplateID);
