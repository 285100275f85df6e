#pragma once

#include "components/recordtable/RecordTable.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Writes seed rows through the database component, so they are stored exactly as the program
// stores them (passwords hashed, keys numbered, change times stamped). The first failure sticks:
// later calls do nothing, and error() names the table and the component's status and text.
class RowWriter
{
public:
    using Fields = QList<QPair<QString, QVariant>>;

    explicit RowWriter(RecordDatabase &db);

    // Inserts one row. With givenKey the key among the fields is kept; otherwise the component
    // assigns one, readable with lastKey().
    bool insert(qint32 tableId, const Fields &fields, bool givenKey = false);
    // The key of the row inserted last (its first key column).
    qint32 lastKey() const { return m_lastKey; }
    // Sets the fields of the row whose key field has the key value; a missing row is a failure.
    bool update(qint32 tableId, const QString &keyField, const QVariant &key, const Fields &fields);
    // Whether a row with field = value exists in the table.
    bool exists(qint32 tableId, const QString &field, const QVariant &value);

    bool ok() const { return m_status == RecordStatus::Ok; }
    qint32 status() const { return m_status; }
    QString error() const { return m_error; }

private:
    bool check(const QString &what);

    RecordTable m_table;
    qint32 m_status = RecordStatus::Ok;
    qint32 m_lastKey = 0;
    QString m_error;
};

// "status 0x<status in hexadecimal>: <text>", the form every failure of the tool is reported in.
QString StatusMessage(qint32 status, const QString &text);
