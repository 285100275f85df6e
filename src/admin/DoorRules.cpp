#include "admin/DoorRules.h"

namespace {

constexpr int16_t kNumberMissing = -29819;
constexpr int16_t kBadInterval = -29818;
constexpr int16_t kIntervalNumber = -29817;
constexpr int16_t kNumberedRoomsSingly = -29816;
constexpr int16_t kNameMissing = -29815;
constexpr int16_t kAreaMissing = -29814;
constexpr int16_t kRoomsMissing = -29813;

bool roomNumber(const QString &text, qint32 &number)
{
    bool ok = false;
    number = text.trimmed().toInt(&ok);
    return ok && number > 0;
}

} // namespace

const QList<DoorCategory> &DoorCategories()
{
    static const QList<DoorCategory> categories{
        {'G', 21001, false, true, false, false, false}, {'C', 21002, true, false, true, false, false},
        {'E', 21003, true, false, false, false, true},  {'V', 21004, true, false, false, true, false},
        {'N', 21005, true, false, false, false, true},  {'L', 21006, false, true, false, false, false},
        {'A', 21007, true, false, false, false, false}, {'Z', 21008, true, false, false, false, true},
        {'O', 21009, true, false, true, false, false},
    };
    return categories;
}

const DoorCategory *FindDoorCategory(const QString &code)
{
    if (code.size() != 1)
        return nullptr;
    for (const DoorCategory &category : DoorCategories()) {
        if (code.at(0) == QLatin1Char(category.code))
            return &category;
    }
    return nullptr;
}

DoorCheck CheckDoorEntry(const DoorEntry &entry)
{
    using F = DoorCheck::Field;
    const DoorCategory *category = FindDoorCategory(entry.category);
    if (entry.first <= 0)
        return {kNumberMissing, F::Number};
    if (entry.last < entry.first || entry.last - entry.first >= kMaxDoorsAtOnce)
        return {kBadInterval, F::Last};
    if (!category)
        return {kNumberMissing, F::Category};
    // A number from 100000 on is an entrance serving a range of rooms, never a room itself.
    if (entry.last >= kFirstDoorInterval && !category->interval)
        return {kIntervalNumber, F::Number};
    // A common or private room number belongs to one door.
    if (entry.last != entry.first && (category->commonRoom || category->privateRoom))
        return {kNumberedRoomsSingly, F::Last};
    if (category->named && entry.name.trimmed().isEmpty())
        return {kNameMissing, F::Name};
    if (entry.doorGroupID <= 0)
        return {kAreaMissing, F::Area};
    if (category->commonRoom && (entry.commonRoom < 1 || entry.commonRoom > 8))
        return {kNumberedRoomsSingly, F::CommonRoom};
    if (category->privateRoom && (entry.privateRoom < 1 || entry.privateRoom > 15))
        return {kNumberedRoomsSingly, F::PrivateRoom};
    if (category->interval) {
        qint32 start = 0;
        qint32 stop = 0;
        if (!roomNumber(entry.intervalStart, start) || !roomNumber(entry.intervalStop, stop) || start > stop ||
            stop >= kFirstDoorInterval)
            return {kRoomsMissing, F::Interval};
    }
    return {};
}

QString DoorNameFor(const DoorEntry &entry, qint32 doorID, const QList<WingRow> &wings)
{
    const DoorCategory *category = FindDoorCategory(entry.category);
    if (category && category->guestRoom) {
        for (const WingRow &wing : wings) {
            if (!wing.number.isEmpty() && doorID >= wing.number.first && doorID <= wing.number.last)
                return WingDoorName(wing.code, wing.number, doorID);
        }
        return QString::number(doorID);
    }
    const QString name = entry.name.trimmed();
    return entry.last == entry.first ? name : name + QLatin1Char(' ') + QString::number(doorID);
}
