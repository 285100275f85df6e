#pragma once

#include "components/recordtable/RecordDatabase.h"

#include <QString>
#include <QtGlobal>

// Hands out card registration numbers (the shown number; the stored value is number × 256 + copy)
// inside REGNUM_FIRST..REGNUM_LAST. allocate() opens a transaction that holds the database's write
// lock (BEGIN IMMEDIATE on SQLite, the counter row FOR UPDATE on PostgreSQL) until commit() or
// rollback(): the caller stores its Cards rows inside it, so a number becomes visible together with
// its cards and two workstations on one database never get the same number.
//
// The number follows the RegistrationCounter row, which only grows (and is raised in the same
// transaction): a number is never issued twice, even after housekeeping removed its cards. Past
// REGNUM_LAST the range is used up until it is widened.
class RegistrationNumbers
{
public:
    enum class Result {
        Ok,
        NoRange,       // REGNUM_FIRST / REGNUM_LAST missing, not numbers, or not a usable range
        Exhausted,     // every number up to REGNUM_LAST has been issued
        DatabaseError, // errorText() has the engine's message
    };

    // The highest shown number whose stored values still fit a signed 32-bit number.
    static constexpr qint32 kHighestNumber = 0x7FFFFF;

    explicit RegistrationNumbers(RecordDatabase &db);
    ~RegistrationNumbers(); // rolls back an allocation that was not committed
    RegistrationNumbers(const RegistrationNumbers &) = delete;
    RegistrationNumbers &operator=(const RegistrationNumbers &) = delete;

    // Opens the transaction and finds the next free number. On anything but Ok the transaction is
    // rolled back already.
    Result allocate(qint32 &number);
    // A transaction for storing further copies of a number that is already allocated.
    bool begin();
    bool commit();
    void rollback();
    bool isOpen() const { return m_open; }

    // The range read by the last allocate().
    qint32 first() const { return m_first; }
    qint32 last() const { return m_last; }
    QString errorText() const { return m_error; }

private:
    bool beginLocked();
    bool readRange();
    Result fail(Result result, const QString &text);
    bool queryValue(const QString &sql, const QVariantList &binds, QVariant &value);

    RecordDatabase &m_db;
    bool m_open = false;
    qint32 m_first = 0;
    qint32 m_last = 0;
    QString m_error;
};
