#include "admin/WingStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"

#include <QList>

#include <optional>

namespace {

const QString kGuestDoors = QStringLiteral("G");
const QString kApartments = QStringLiteral("L");
constexpr int16_t kCodeMissing = -31078;
constexpr int16_t kNumberMissing = -31077;
constexpr int16_t kCodeInUse = -31076;
constexpr int16_t kNumberOverlaps = -31075;
constexpr int32_t kNoteInsertError = 4914;
constexpr int32_t kWingInsertError = 4915;
constexpr int32_t kNoteUpdateError = 4916;
constexpr int32_t kWingUpdateError = 4917;
constexpr int16_t kStateRenamingDoors = 2;

// The checks both saves share; nullopt when the wing may be written.
std::optional<SaveOutcome> checkWing(WingStore &store, const QString &oldCode, const WingStore::Wing &wing,
                                     int32_t errorCode)
{
    using Focus = SaveOutcome::Focus;
    if (wing.code.isEmpty())
        return SaveOutcome::refused(kCodeMissing, Focus::Code);
    if (wing.number.isEmpty())
        return SaveOutcome::refused(kNumberMissing, Focus::Number);
    if (wing.code != oldCode) {
        bool exists = false;
        if (const RecordResult read = store.codeExists(wing.code, exists); !read.ok())
            return SaveOutcome::failed(errorCode, read);
        if (exists)
            return SaveOutcome::refused(kCodeInUse, Focus::Code);
    }
    bool overlaps = false;
    if (const RecordResult read = store.prefixConflict(wing.number, oldCode, overlaps); !read.ok())
        return SaveOutcome::failed(errorCode, read);
    if (overlaps)
        return SaveOutcome::refused(kNumberOverlaps, Focus::Number);
    return std::nullopt;
}

} // namespace

RecordResult WingStore::load(const QString &code, Wing &wing)
{
    m_table.SelectTable(TableId::Wings);
    m_table.SetField(Field::wingCode, code);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    wing.code = m_table.GetField(Field::wingCode).toString();
    wing.number = WingNumberFromPrefixes(m_table.GetField(Field::doorIDPrefix1).toInt(),
                                         m_table.GetField(Field::doorIDPrefix2).toInt());
    wing.noteID = m_table.GetField(Field::noteID).toInt();
    wing.note = ReadNote(m_table, wing.noteID);
    return {};
}

RecordResult WingStore::codeExists(const QString &code, bool &exists)
{
    m_table.SelectTable(TableId::Wings);
    m_table.SetField(Field::wingCode, code);
    m_table.FindRecord();
    exists = m_table.Status() == RecordStatus::Ok;
    return exists || m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
}

RecordResult WingStore::prefixConflict(const WingNumber &number, const QString &except, bool &conflict)
{
    conflict = false;
    m_table.SelectTable(TableId::Wings);
    const QString p1 = QString(Field::doorIDPrefix1) + QStringLiteral(" = ?");
    const QString p2 = QString(Field::doorIDPrefix2) + QStringLiteral(" = ?");
    if (number.prefix2 >= 0) {
        m_table.OpenQuery(QStringLiteral("(") + p1 + QStringLiteral(" and ") + p2 + QStringLiteral(") or (") + p1 +
                              QStringLiteral(" and ") + p2 + QStringLiteral(")"),
                          QString());
        for (qint32 value : {number.prefix1, qint32(-1), number.prefix1, number.prefix2})
            m_table.AddParameter(value);
    } else {
        m_table.OpenQuery(p1, QString());
        m_table.AddParameter(number.prefix1);
    }
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        if (m_table.GetField(Field::wingCode).toString() != except)
            conflict = true;
    }
    const RecordResult read =
        m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult WingStore::hasGuestDoors(const WingNumber &number, bool &has)
{
    has = false;
    if (number.isEmpty())
        return {};
    m_doors.SelectTable(TableId::Doors);
    m_doors.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID +
                          QStringLiteral(" <= ? and ") + Field::doorCategory + QStringLiteral(" in(?,?)"),
                      QString());
    for (const QVariant &value : QVariantList{number.first, number.last, kGuestDoors, kApartments})
        m_doors.AddParameter(value);
    has = m_doors.Status() == RecordStatus::Ok;
    const RecordResult read = has || m_doors.Status() == RecordStatus::NoRecord
                                  ? RecordResult{}
                                  : RecordResult::of(m_doors, RecordResult::Step::Record);
    m_doors.CloseQuery();
    return read;
}

RecordResult WingStore::insert(Wing &wing)
{
    if (RecordResult note = InsertNote(m_table, wing.note, wing.noteID); !note.ok())
        return note;
    m_table.SelectTable(TableId::Wings);
    m_table.UseGivenKey();
    m_table.SetField(Field::wingCode, wing.code);
    m_table.SetField(Field::doorIDPrefix1, wing.number.prefix1);
    m_table.SetField(Field::doorIDPrefix2, wing.number.prefix2);
    m_table.SetField(Field::doorIDInterval, wing.number.rangeText);
    m_table.SetField(Field::noteID, wing.noteID);
    m_table.InsertRecord();
    const RecordResult inserted = result(RecordResult::Step::Record);
    if (!inserted.ok()) {
        DeleteNote(m_table, wing.noteID);
        wing.noteID = 0;
    }
    return inserted;
}

RecordResult WingStore::update(const QString &oldCode, Wing &wing)
{
    m_table.SelectTable(TableId::Wings);
    m_table.SetField(Field::wingCode, oldCode);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    if (RecordResult note = WriteNote(m_table, wing.noteID, wing.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::Wings);
    m_table.SetField(Field::wingCode, oldCode);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok) {
        m_table.SetField(Field::wingCode, wing.code);
        m_table.SetField(Field::doorIDPrefix1, wing.number.prefix1);
        m_table.SetField(Field::doorIDPrefix2, wing.number.prefix2);
        m_table.SetField(Field::doorIDInterval, wing.number.rangeText);
        m_table.SetField(Field::noteID, wing.noteID);
        m_table.UpdateRecord();
    }
    return result(RecordResult::Step::Record);
}

RecordResult WingStore::remove(const QString &code)
{
    Wing wing;
    if (RecordResult loaded = load(code, wing); !loaded.ok())
        return loaded;
    m_table.SelectTable(TableId::Wings);
    m_table.SetField(Field::wingCode, code);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok)
        m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    if (RecordResult note = DeleteNote(m_table, wing.noteID); !note.ok())
        return note;
    return renameDoors(wing.number, QString());
}

RecordResult WingStore::renameDoors(const WingNumber &number, const QString &code)
{
    if (number.isEmpty())
        return {};
    QList<qint32> doorIDs;
    m_doors.SelectTable(TableId::Doors);
    m_doors.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID +
                          QStringLiteral(" <= ? and ") + Field::doorCategory + QStringLiteral(" in(?,?)"),
                      Field::doorID);
    for (const QVariant &value : QVariantList{number.first, number.last, kGuestDoors, kApartments})
        m_doors.AddParameter(value);
    for (; m_doors.Status() == RecordStatus::Ok; m_doors.MoveNext())
        doorIDs << m_doors.GetField(Field::doorID).toInt();
    if (m_doors.Status() != RecordStatus::NoRecord) {
        const RecordResult failed = RecordResult::of(m_doors, RecordResult::Step::Record);
        m_doors.CloseQuery();
        return failed;
    }
    m_doors.CloseQuery();
    for (qint32 doorID : doorIDs) {
        m_doors.SelectTable(TableId::Doors);
        m_doors.SetField(Field::doorID, doorID);
        m_doors.FindRecord();
        if (m_doors.Status() == RecordStatus::Ok) {
            m_doors.SetField(Field::doorName,
                             code.isEmpty() ? QString::number(doorID) : WingDoorName(code, number, doorID));
            m_doors.UpdateRecord();
        }
        if (m_doors.Status() != RecordStatus::Ok)
            return RecordResult::of(m_doors, RecordResult::Step::Record);
    }
    return {};
}

SaveOutcome SaveNewWing(WingStore &store, WingStore::Wing &wing, BusySignal *busy)
{
    if (std::optional<SaveOutcome> refused = checkWing(store, QString(), wing, kWingInsertError))
        return *refused;
    if (const RecordResult inserted = store.insert(wing); !inserted.ok())
        return SaveOutcome::failed(inserted.failed == RecordResult::Step::Note ? kNoteInsertError : kWingInsertError,
                                   inserted);
    SetBusyState(busy, kStateRenamingDoors);
    const RecordResult renamed = store.renameDoors(wing.number, wing.code);
    SetBusyState(busy, 0);
    if (!renamed.ok())
        return SaveOutcome::failed(kWingInsertError, renamed);
    return {true};
}

SaveOutcome UpdateWing(WingStore &store, const QString &oldCode, WingStore::Wing &wing)
{
    if (std::optional<SaveOutcome> refused = checkWing(store, oldCode, wing, kWingUpdateError))
        return *refused;
    if (const RecordResult updated = store.update(oldCode, wing); !updated.ok())
        return SaveOutcome::failed(updated.failed == RecordResult::Step::Note ? kNoteUpdateError : kWingUpdateError,
                                   updated);
    return {true};
}
