#pragma once

#include "admin/NoteRecords.h"
#include "admin/WingRules.h"

#include <QString>
#include <QtGlobal>

class BusySignal;

// The wing rows and the names of the guest doors in a wing, free of widgets.
class WingStore
{
public:
    struct Wing
    {
        QString code;
        WingNumber number;
        qint32 noteID = 0;
        QString note;
    };

    explicit WingStore(RecordDatabase &db) : m_table(db), m_doors(db) {}

    RecordResult load(const QString &code, Wing &wing);
    RecordResult codeExists(const QString &code, bool &exists);
    // Whether another wing's rooms overlap the number's: for two digits a wing with the same two
    // digits or with the first digit alone, for one digit any wing starting with that digit.
    // The wing named except (its code before an edit) is not another wing.
    RecordResult prefixConflict(const WingNumber &number, const QString &except, bool &conflict);
    // Whether guest doors (G, L) lie in the number's range.
    RecordResult hasGuestDoors(const WingNumber &number, bool &has);
    // Inserts the note, then the row; a failed row takes its note with it.
    RecordResult insert(Wing &wing);
    // Rewrites the wing stored under oldCode, code included; door names stay as they are.
    RecordResult update(const QString &oldCode, Wing &wing);
    // Removes the row and its note and names the guest doors of its range by their numbers.
    RecordResult remove(const QString &code);
    // Names every guest door in the number's range after the wing, or by its plain number for an
    // empty code.
    RecordResult renameDoors(const WingNumber &number, const QString &code);

private:
    RecordResult result(RecordResult::Step step) const { return RecordResult::of(m_table, step); }

    RecordTable m_table;
    RecordTable m_doors;
};

// Saving a new wing: code and number given, code unused, no overlap with another wing; then the
// note and the row, and the guest doors of the range named after the wing.
// The renaming shows its busy state on busy.
SaveOutcome SaveNewWing(WingStore &store, WingStore::Wing &wing, BusySignal *busy = nullptr);
// Updating the wing stored under oldCode: a changed code must be unused and the number may not
// overlap another wing's; door names stay as they are.
SaveOutcome UpdateWing(WingStore &store, const QString &oldCode, WingStore::Wing &wing);
