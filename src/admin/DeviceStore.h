#pragma once

#include "admin/DeviceRules.h"
#include "admin/NoteRecords.h"

#include <QtGlobal>

#include <cstdint>

// The device rows and their notes, free of widgets.
class DeviceStore
{
public:
    explicit DeviceStore(RecordDatabase &db) : m_table(db) {}

    RecordResult load(qint32 deviceID, DeviceEntry &entry);
    // Whether a device other than except (0: none) has the name, ignoring case: the names are
    // what the encoder selection lists.
    RecordResult nameTaken(const QString &name, qint32 except, bool &taken);
    RecordResult idTaken(qint32 deviceID, bool &taken);
    // Inserts the note, then the row: under address + 1000 when an address is given, else under
    // the key the database assigns, which is read back. A failed row takes its note with it.
    RecordResult insert(DeviceEntry &entry);
    // Rewrites everything but the key and the address, which the key was made from.
    RecordResult update(DeviceEntry &entry);
    // The doors whose lock configuration names the device.
    RecordResult doorCount(qint32 deviceID, int &doors);
    // Deletes the row and its note.
    RecordResult remove(qint32 deviceID);

private:
    RecordResult result(RecordResult::Step step) const { return RecordResult::of(m_table, step); }
    void setFields(const DeviceEntry &entry);

    RecordTable m_table;
};

// The message of a rule the entry breaks and the field to go back to; 0 when none.
int16_t DeviceProblemMessage(DeviceProblem problem, SaveOutcome::Focus &focus);
// Saving a new device: the rules, a name no other device has, a free deviceID; then the note and
// the row.
SaveOutcome SaveNewDevice(DeviceStore &store, DeviceEntry &entry);
// Updating a stored device: the rules and a name no other device has.
SaveOutcome UpdateDevice(DeviceStore &store, DeviceEntry &entry);
