#include "admin/DoorAreaStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include <optional>
#include <utility>

namespace {

constexpr int16_t kNameMissing = -31209;
constexpr int16_t kNameInUse = -31192;
constexpr int32_t kNoteInsertError = 4290;
constexpr int32_t kAreaInsertError = 4291;
constexpr int32_t kNoteUpdateError = 4292;
constexpr int32_t kAreaUpdateError = 4293;

std::optional<SaveOutcome> checkName(DoorAreaStore &store, const DoorAreaStore::Area &area, int32_t errorCode)
{
    if (area.name.isEmpty())
        return SaveOutcome::refused(kNameMissing, SaveOutcome::Focus::Name);
    bool taken = false;
    if (const RecordResult read = store.nameTaken(area.name, area.doorGroupID, taken); !read.ok())
        return SaveOutcome::failed(errorCode, read);
    if (taken)
        return SaveOutcome::refused(kNameInUse, SaveOutcome::Focus::Name);
    return std::nullopt;
}

} // namespace

RecordResult DoorAreaStore::load(qint32 doorGroupID, Area &area)
{
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupID, doorGroupID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    area.doorGroupID = doorGroupID;
    area.name = m_table.GetField(Field::doorGroupName).toString();
    area.noteID = m_table.GetField(Field::noteID).toInt();
    area.note = ReadNote(m_table, area.noteID);
    return {};
}

RecordResult DoorAreaStore::nameTaken(const QString &name, qint32 except, bool &taken)
{
    taken = false;
    m_table.SelectTable(TableId::DoorGroups);
    m_table.OpenQuery(QString(Field::doorGroupName) + QStringLiteral(" = ?"), QString());
    m_table.AddParameter(name);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        if (m_table.GetField(Field::doorGroupID).toInt() != except)
            taken = true;
    }
    const RecordResult read =
        m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult DoorAreaStore::insert(Area &area)
{
    if (RecordResult note = InsertNote(m_table, area.note, area.noteID); !note.ok())
        return note;
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupName, area.name);
    m_table.SetField(Field::noteID, area.noteID);
    m_table.InsertRecord();
    const RecordResult inserted = result(RecordResult::Step::Record);
    if (inserted.ok()) {
        area.doorGroupID = m_table.GetField(Field::doorGroupID).toInt();
    } else {
        DeleteNote(m_table, area.noteID);
        area.noteID = 0;
    }
    return inserted;
}

RecordResult DoorAreaStore::update(Area &area)
{
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupID, area.doorGroupID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    if (RecordResult note = WriteNote(m_table, area.noteID, area.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupID, area.doorGroupID);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok) {
        m_table.SetField(Field::doorGroupName, area.name);
        m_table.SetField(Field::noteID, area.noteID);
        m_table.UpdateRecord();
    }
    return result(RecordResult::Step::Record);
}

RecordResult DoorAreaStore::doorsOf(qint32 doorGroupID, QList<qint32> &doorIDs)
{
    doorIDs.clear();
    m_doors.SelectTable(TableId::Doors);
    m_doors.OpenQuery(QString(Field::doorGroupID) + QStringLiteral(" = ?"), Field::doorID);
    m_doors.AddParameter(doorGroupID);
    for (; m_doors.Status() == RecordStatus::Ok; m_doors.MoveNext())
        doorIDs << m_doors.GetField(Field::doorID).toInt();
    const RecordResult read = m_doors.Status() == RecordStatus::NoRecord
                                  ? RecordResult{}
                                  : RecordResult::of(m_doors, RecordResult::Step::Record);
    m_doors.CloseQuery();
    return read;
}

RecordResult DoorAreaStore::removeDoors(qint32 doorGroupID, const std::function<void(qint32, int)> &progress)
{
    QList<qint32> doorIDs;
    if (RecordResult read = doorsOf(doorGroupID, doorIDs); !read.ok())
        return read;
    int removed = 0;
    for (qint32 doorID : std::as_const(doorIDs)) {
        m_doors.SelectTable(TableId::Doors);
        m_doors.SetField(Field::doorID, doorID);
        m_doors.FindRecord();
        if (m_doors.Status() == RecordStatus::NoRecord)
            continue; // removed meanwhile at another workstation
        if (m_doors.Status() != RecordStatus::Ok)
            return RecordResult::of(m_doors, RecordResult::Step::Record);
        const qint32 noteID = m_doors.GetField(Field::noteID).toInt();
        m_doors.DeleteRecord();
        if (m_doors.Status() != RecordStatus::Ok)
            return RecordResult::of(m_doors, RecordResult::Step::Record);
        if (RecordResult note = DeleteNote(m_doors, noteID); !note.ok())
            return note;
        if (progress)
            progress(doorID, ++removed);
    }
    return {};
}

RecordResult DoorAreaStore::remove(qint32 doorGroupID)
{
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupID, doorGroupID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    const qint32 noteID = m_table.GetField(Field::noteID).toInt();
    m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    return DeleteNote(m_table, noteID);
}

SaveOutcome SaveNewDoorArea(DoorAreaStore &store, DoorAreaStore::Area &area)
{
    area.doorGroupID = 0;
    if (std::optional<SaveOutcome> refused = checkName(store, area, kAreaInsertError))
        return *refused;
    if (const RecordResult inserted = store.insert(area); !inserted.ok())
        return SaveOutcome::failed(inserted.failed == RecordResult::Step::Note ? kNoteInsertError : kAreaInsertError,
                                   inserted);
    return {true};
}

SaveOutcome UpdateDoorArea(DoorAreaStore &store, DoorAreaStore::Area &area)
{
    if (std::optional<SaveOutcome> refused = checkName(store, area, kAreaUpdateError))
        return *refused;
    if (const RecordResult updated = store.update(area); !updated.ok())
        return SaveOutcome::failed(updated.failed == RecordResult::Step::Note ? kNoteUpdateError : kAreaUpdateError,
                                   updated);
    return {true};
}
