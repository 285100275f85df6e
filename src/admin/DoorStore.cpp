#include "admin/DoorStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include <optional>

namespace {

constexpr int16_t kDoorExists = -29812;
constexpr int16_t kCommonRoomTaken = -29811;
constexpr int16_t kPrivateRoomTaken = -29810;
constexpr int32_t kInsertError = 4608;
constexpr int32_t kUpdateError = 4609;
constexpr QLatin1String kGuestRoom("G");
constexpr QLatin1String kApartment("L");
constexpr int kStatusValid = 1;
constexpr int kStatusNotYetValid = 2;
constexpr int kStatusReissued = 3;

RecordResult endQuery(RecordTable &table)
{
    const RecordResult read =
        table.Status() == RecordStatus::NoRecord ? RecordResult{} : RecordResult::of(table, RecordResult::Step::Record);
    table.CloseQuery();
    return read;
}

std::optional<DoorSave> refuse(int16_t message, DoorCheck::Field field, QVariantList arguments = {})
{
    DoorSave save;
    save.outcome = SaveOutcome::refused(message, SaveOutcome::Focus::None);
    save.outcome.arguments = std::move(arguments);
    save.field = field;
    return save;
}

std::optional<DoorSave> checkStored(DoorStore &store, const DoorEntry &entry, qint32 except, int32_t errorCode)
{
    if (const DoorCheck check = CheckDoorEntry(entry); check.message != 0)
        return refuse(check.message, check.field);
    const auto failed = [errorCode](const RecordResult &r) { return DoorSave{SaveOutcome::failed(errorCode, r)}; };
    if (except == 0) {
        qint32 stored = 0;
        if (RecordResult read = store.firstStored(entry.first, entry.last, stored); !read.ok())
            return failed(read);
        if (stored != 0)
            return refuse(kDoorExists, DoorCheck::Field::Number, {stored});
    }
    const DoorCategory *category = FindDoorCategory(entry.category);
    if (category->commonRoom || category->privateRoom) {
        const bool common = category->commonRoom;
        const qint32 number = common ? entry.commonRoom : entry.privateRoom;
        qint32 holder = 0;
        QString name;
        const RecordResult read =
            store.numberHolder(common ? Field::commonRoom : Field::privateRoom, number, except, holder, name);
        if (!read.ok())
            return failed(read);
        if (holder != 0)
            return refuse(common ? kCommonRoomTaken : kPrivateRoomTaken,
                          common ? DoorCheck::Field::CommonRoom : DoorCheck::Field::PrivateRoom, {number, name});
    }
    return std::nullopt;
}

} // namespace

RecordResult DoorStore::load(qint32 doorID, Door &door)
{
    m_table.SelectTable(TableId::Doors);
    m_table.SetField(Field::doorID, doorID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    DoorEntry &e = door.entry;
    e.first = e.last = doorID;
    e.category = m_table.GetField(Field::doorCategory).toString();
    e.name = m_table.GetField(Field::doorName).toString();
    e.doorGroupID = m_table.GetField(Field::doorGroupID).toInt();
    e.commonRoom = m_table.GetField(Field::commonRoom).toInt();
    e.privateRoom = m_table.GetField(Field::privateRoom).toInt();
    e.intervalStart = m_table.GetField(Field::roomIntervalStart).toString();
    e.intervalStop = m_table.GetField(Field::roomIntervalStop).toString();
    e.overrideIncrement = m_table.GetField(Field::overrideIncrement).toInt();
    door.lastOverrideNumber = m_table.GetField(Field::lastOverrideNumber).toInt();
    door.noteID = m_table.GetField(Field::noteID).toInt();
    door.note = ReadNote(m_table, door.noteID);
    return {};
}

RecordResult DoorStore::areas(QList<std::pair<qint32, QString>> &areas)
{
    areas.clear();
    m_table.SelectTable(TableId::DoorGroups);
    m_table.OpenQuery(QString(Field::doorGroupID) + QStringLiteral(" > ?"), Field::doorGroupName);
    m_table.AddParameter(0);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        areas.append({m_table.GetField(Field::doorGroupID).toInt(), m_table.GetField(Field::doorGroupName).toString()});
    return endQuery(m_table);
}

RecordResult DoorStore::wings(QList<WingRow> &wings)
{
    wings.clear();
    m_table.SelectTable(TableId::Wings);
    m_table.OpenQuery(QString(Field::doorIDPrefix1) + QStringLiteral(" >= ?"), Field::wingCode);
    m_table.AddParameter(0);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        wings.append({m_table.GetField(Field::wingCode).toString(),
                      WingNumberFromPrefixes(m_table.GetField(Field::doorIDPrefix1).toInt(),
                                             m_table.GetField(Field::doorIDPrefix2).toInt())});
    }
    return endQuery(m_table);
}

RecordResult DoorStore::firstStored(qint32 first, qint32 last, qint32 &doorID)
{
    doorID = 0;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID + QStringLiteral(" <= ?"),
                      Field::doorID);
    m_table.AddParameter(first);
    m_table.AddParameter(last);
    if (m_table.Status() == RecordStatus::Ok)
        doorID = m_table.GetField(Field::doorID).toInt();
    return endQuery(m_table);
}

RecordResult DoorStore::numberHolder(const QString &field, qint32 number, qint32 except, qint32 &doorID, QString &name)
{
    doorID = 0;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(field + QStringLiteral(" = ? and ") + Field::doorID + QStringLiteral(" <> ?"), Field::doorID);
    m_table.AddParameter(number);
    m_table.AddParameter(except);
    if (m_table.Status() == RecordStatus::Ok) {
        doorID = m_table.GetField(Field::doorID).toInt();
        name = m_table.GetField(Field::doorName).toString();
    }
    return endQuery(m_table);
}

void DoorStore::setFields(const DoorEntry &entry, qint32 doorID, const QList<WingRow> &wings)
{
    const DoorCategory *category = FindDoorCategory(entry.category);
    m_table.SetField(Field::doorName, DoorNameFor(entry, doorID, wings));
    m_table.SetField(Field::doorGroupID, entry.doorGroupID);
    m_table.SetField(Field::doorCategory, entry.category);
    // Only the fields the category uses hold values; the others are cleared.
    m_table.SetField(Field::trueRoom, category->guestRoom ? QVariant(doorID) : QVariant());
    m_table.SetField(Field::commonRoom, category->commonRoom ? entry.commonRoom : 0);
    m_table.SetField(Field::privateRoom, category->privateRoom ? entry.privateRoom : 0);
    m_table.SetField(Field::roomIntervalStart, category->interval ? entry.intervalStart.trimmed() : QString());
    m_table.SetField(Field::roomIntervalStop, category->interval ? entry.intervalStop.trimmed() : QString());
    m_table.SetField(Field::overrideIncrement, entry.overrideIncrement);
}

RecordResult DoorStore::insert(const DoorEntry &entry, const QString &note)
{
    QList<WingRow> wingRows;
    if (RecordResult read = wings(wingRows); !read.ok())
        return read;
    RecordDatabase::Transaction transaction(m_db);
    for (qint32 doorID = entry.first; doorID <= entry.last; ++doorID) {
        qint32 noteID = 0;
        if (RecordResult inserted = InsertNote(m_table, note, noteID); !inserted.ok())
            return inserted;
        m_table.SelectTable(TableId::Doors);
        m_table.UseGivenKey();
        m_table.SetField(Field::doorID, doorID);
        setFields(entry, doorID, wingRows);
        m_table.SetField(Field::noteID, noteID);
        m_table.InsertRecord();
        if (m_table.Status() != RecordStatus::Ok)
            return RecordResult::of(m_table, RecordResult::Step::Record);
    }
    if (transaction.active() && !transaction.commit())
        return {RecordStatus::SqlError, m_db.errorText(), RecordResult::Step::Record};
    return {};
}

RecordResult DoorStore::update(Door &door)
{
    QList<WingRow> wingRows;
    if (RecordResult read = wings(wingRows); !read.ok())
        return read;
    if (RecordResult note = WriteNote(m_table, door.noteID, door.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::Doors);
    m_table.SetField(Field::doorID, door.entry.first);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    setFields(door.entry, door.entry.first, wingRows);
    m_table.SetField(Field::noteID, door.noteID);
    m_table.UpdateRecord();
    return RecordResult::of(m_table, RecordResult::Step::Record);
}

RecordResult DoorStore::hasValidCards(qint32 doorID, bool &has)
{
    const double now = m_table.ServerNow();
    m_table.SelectTable(TableId::DoorCardView);
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" = ? and ") + Field::expireTime +
                          QStringLiteral(" > ? and ") + Field::status + QStringLiteral(" in(?,?,?)"),
                      QString());
    for (const QVariant &value : QVariantList{doorID, now, kStatusValid, kStatusNotYetValid, kStatusReissued})
        m_table.AddParameter(value);
    has = m_table.Status() == RecordStatus::Ok;
    return endQuery(m_table);
}

RecordResult DoorStore::remove(qint32 doorID)
{
    m_table.SelectTable(TableId::Doors);
    m_table.SetField(Field::doorID, doorID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    const qint32 noteID = m_table.GetField(Field::noteID).toInt();
    m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    // The lock serial numbers belong to the door; without key they all go.
    m_table.SelectTable(TableId::DoorDevices);
    m_table.SetKeyField(Field::doorID);
    m_table.SetField(Field::doorID, doorID);
    m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok && m_table.Status() != RecordStatus::NoRecord)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    return DeleteNote(m_table, noteID);
}

DoorSave SaveNewDoors(DoorStore &store, const DoorEntry &entry, const QString &note)
{
    if (std::optional<DoorSave> refused = checkStored(store, entry, 0, kInsertError))
        return *refused;
    if (const RecordResult inserted = store.insert(entry, note); !inserted.ok())
        return {SaveOutcome::failed(kInsertError, inserted)};
    return {SaveOutcome{true}};
}

DoorSave UpdateDoor(DoorStore &store, DoorStore::Door &door)
{
    door.entry.last = door.entry.first;
    if (std::optional<DoorSave> refused = checkStored(store, door.entry, door.entry.first, kUpdateError))
        return *refused;
    if (const RecordResult updated = store.update(door); !updated.ok())
        return {SaveOutcome::failed(kUpdateError, updated)};
    return {SaveOutcome{true}};
}
