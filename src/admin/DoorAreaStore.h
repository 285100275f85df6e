#pragma once

#include "admin/NoteRecords.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// The door areas and, when an area goes, its doors, free of widgets.
class DoorAreaStore
{
public:
    struct Area
    {
        qint32 doorGroupID = 0;
        QString name;
        qint32 noteID = 0;
        QString note;
    };

    explicit DoorAreaStore(RecordDatabase &db) : m_table(db), m_doors(db) {}

    RecordResult load(qint32 doorGroupID, Area &area);
    // Whether an area other than except (0: none) has the name.
    RecordResult nameTaken(const QString &name, qint32 except, bool &taken);
    // Inserts the note, then the row, and reads the new doorGroupID; a failed row takes its note with it.
    RecordResult insert(Area &area);
    RecordResult update(Area &area);
    // The doors of the area, in doorID order.
    RecordResult doorsOf(qint32 doorGroupID, QList<qint32> &doorIDs);
    // Deletes the area's doors with their notes; progress gets each door deleted and the count so far.
    RecordResult removeDoors(qint32 doorGroupID, const std::function<void(qint32 doorID, int done)> &progress = {});
    // Deletes the area row and its note.
    RecordResult remove(qint32 doorGroupID);

private:
    RecordResult result(RecordResult::Step step) const { return RecordResult::of(m_table, step); }

    RecordTable m_table;
    RecordTable m_doors;
};

// Saving a new area: a name no other area has, then the note and the row.
SaveOutcome SaveNewDoorArea(DoorAreaStore &store, DoorAreaStore::Area &area);
// Updating an area: its name may not be another area's.
SaveOutcome UpdateDoorArea(DoorAreaStore &store, DoorAreaStore::Area &area);
