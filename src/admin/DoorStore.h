#pragma once

#include "admin/DoorRules.h"
#include "admin/NoteRecords.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <utility>

// The doors of the door dialog and the door list, free of widgets.
class DoorStore
{
public:
    struct Door
    {
        DoorEntry entry; // first == last
        qint32 lastOverrideNumber = 0;
        qint32 noteID = 0;
        QString note;
    };

    explicit DoorStore(RecordDatabase &db) : m_db(db), m_table(db) {}

    RecordResult load(qint32 doorID, Door &door);
    // The door areas by name.
    RecordResult areas(QList<std::pair<qint32, QString>> &areas);
    RecordResult wings(QList<WingRow> &wings);
    // The first stored door from first to last; 0 for none.
    RecordResult firstStored(qint32 first, qint32 last, qint32 &doorID);
    // The door other than except that holds the common-room or private-room number; 0 for none.
    RecordResult numberHolder(const QString &field, qint32 number, qint32 except, qint32 &doorID, QString &name);
    // Inserts every door of the entry, each with a note of its own, all or none.
    RecordResult insert(const DoorEntry &entry, const QString &note);
    RecordResult update(Door &door);
    // Whether a card that has not expired and is not cancelled opens the door.
    RecordResult hasValidCards(qint32 doorID, bool &has);
    // Deletes the door with its lock serial numbers and its note.
    RecordResult remove(qint32 doorID);

private:
    void setFields(const DoorEntry &entry, qint32 doorID, const QList<WingRow> &wings);

    RecordDatabase &m_db;
    RecordTable m_table;
};

// What saving a door came to, with the field to go to.
struct DoorSave
{
    SaveOutcome outcome;
    DoorCheck::Field field = DoorCheck::Field::None;
};
// Saving new doors: the entry's checks, numbers not yet stored, a common or private room number
// no other door holds; then every door of the entry.
DoorSave SaveNewDoors(DoorStore &store, const DoorEntry &entry, const QString &note);
// Updating a stored door: the same checks but for its own number.
DoorSave UpdateDoor(DoorStore &store, DoorStore::Door &door);
