#include "admin/NoteRecords.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

RecordResult RecordResult::of(const RecordTable &table, Step step)
{
    const qint32 status = table.Status();
    if (status == RecordStatus::Ok)
        return {};
    return {status, table.ErrorText(status), step};
}

QString ReadNote(RecordTable &table, qint32 noteID)
{
    if (noteID == 0)
        return QString();
    table.SelectTable(TableId::Notes);
    table.SetField(Field::noteID, noteID);
    table.FindRecord();
    return table.Status() == RecordStatus::Ok ? table.GetField(Field::noteText).toString() : QString();
}

RecordResult InsertNote(RecordTable &table, const QString &text, qint32 &noteID)
{
    noteID = 0;
    if (text.isEmpty())
        return {};
    table.SelectTable(TableId::Notes);
    table.SetField(Field::noteText, text);
    table.InsertRecord();
    if (table.Status() == RecordStatus::Ok)
        noteID = table.GetField(Field::noteID).toInt();
    return RecordResult::of(table, RecordResult::Step::Note);
}

RecordResult WriteNote(RecordTable &table, qint32 &noteID, const QString &text)
{
    if (noteID == 0)
        return InsertNote(table, text, noteID);
    if (text.isEmpty()) {
        const RecordResult deleted = DeleteNote(table, noteID);
        if (deleted.ok())
            noteID = 0;
        return deleted;
    }
    table.SelectTable(TableId::Notes);
    table.SetField(Field::noteID, noteID);
    table.FindRecord();
    if (table.Status() == RecordStatus::NoRecord)
        return InsertNote(table, text, noteID); // deleted elsewhere: the text still needs a home
    if (table.Status() == RecordStatus::Ok) {
        table.SetField(Field::noteText, text);
        table.UpdateRecord();
    }
    return RecordResult::of(table, RecordResult::Step::Note);
}

RecordResult DeleteNote(RecordTable &table, qint32 noteID)
{
    if (noteID == 0)
        return {};
    table.SelectTable(TableId::Notes);
    table.SetField(Field::noteID, noteID);
    table.DeleteRecord();
    if (table.Status() == RecordStatus::NoRecord)
        return {};
    return RecordResult::of(table, RecordResult::Step::Note);
}

SaveOutcome SaveOutcome::failed(int32_t code, const RecordResult &result)
{
    constexpr int16_t kRecordGone = -31227;
    if (result.status == RecordStatus::NoRecord && result.failed == RecordResult::Step::Record)
        return refused(kRecordGone, Focus::None);
    return {false, 0, code, result.errorText, Focus::None, {}};
}
