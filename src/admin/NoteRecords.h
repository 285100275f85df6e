#pragma once

#include "components/recordtable/RecordTable.h"

#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include <cstdint>

// The description notes that wings and door areas own, and the result every master-data store
// hands back: the database's status and error text, and which step failed.
struct RecordResult
{
    enum class Step { None, Note, Record };
    qint32 status = RecordStatus::Ok; // RecordStatus::NoRecord when the record is gone
    QString errorText;
    Step failed = Step::None;
    bool ok() const { return status == RecordStatus::Ok; }
    static RecordResult of(const RecordTable &table, Step step);
};

// The note's text; empty without one.
QString ReadNote(RecordTable &table, qint32 noteID);
// A new note; noteID 0 for an empty text, which needs no note.
RecordResult InsertNote(RecordTable &table, const QString &text, qint32 &noteID);
// Brings the note in line with the text: inserted, rewritten or deleted (noteID becomes 0).
RecordResult WriteNote(RecordTable &table, qint32 &noteID, const QString &text);
// Deletes a note; a note already gone is no failure.
RecordResult DeleteNote(RecordTable &table, qint32 noteID);

// What saving a record from a dialog came to: saved, or the message to show and where to put
// the focus (a text number, or an error code with the database's error text).
struct SaveOutcome
{
    enum class Focus { None, Code, Number, Name, Address };
    bool saved = false;
    int16_t message = 0;
    int32_t errorCode = 0;
    QString errorText;
    Focus focus = Focus::None;
    QVariantList arguments; // for the message's %s markers
    static SaveOutcome refused(int16_t message, Focus focus) { return {false, message, 0, {}, focus, {}}; }
    static SaveOutcome failed(int32_t code, const RecordResult &result);
};
