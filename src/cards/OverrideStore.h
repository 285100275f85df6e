#pragma once

#include "cards/RoomOverrides.h"
#include "components/recordtable/RecordTable.h"

#include <QString>
#include <QtGlobal>

// Writes override numbers and steps to the doors, free of widgets. Failures come back as the
// database's status and error text.
class OverrideStore
{
public:
    struct Result
    {
        qint32 status = RecordStatus::Ok;
        QString errorText;
        bool ok() const { return status == RecordStatus::Ok; }
    };
    enum class RowOutcome { Saved, DoorNotFound, UpdateFailed };

    explicit OverrideStore(RecordDatabase &db) : m_doors(db) {}

    // Stores the imported number moved on by the offset at the door with the row's door number
    // and room number; a door whose room number differs is not touched.
    RowOutcome saveRow(const RoomOverride &row, int offset);
    // The template of an operator (Operators.operatorTemplateID).
    Result operatorTemplate(qint32 userID, qint32 &operatorTemplateID);
    // Sets the step of every door (0..15) through the one free statement the server accepts.
    Result setIncrement(int step);

private:
    Result result();

    RecordTable m_doors;
};
