#pragma once

#include "admin/NoteRecords.h"
#include "admin/OperatorRules.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <utility>

// The operators of the operator dialog and the operator list, free of widgets. A password goes
// to the password table, which keeps only its hash; it is never read back.
class OperatorStore
{
public:
    struct Operator
    {
        qint32 userID = 0;
        QString userName; // "ID - surname, first name"
        qint32 operatorTemplateID = 0;
        double expireTime = 0; // NoExpiry: never
        qint32 noteID = 0;
        QString note;
        bool hasPassword = false;
    };

    explicit OperatorStore(RecordDatabase &db) : m_db(db), m_table(db) {}

    // The stored operator; NoRecord when the user is no operator.
    RecordResult load(qint32 userID, Operator &op);
    // The user's name as the dialog shows it; NoRecord for a removed user.
    RecordResult userName(qint32 userID, QString &name);
    RecordResult templates(QList<std::pair<qint32, QString>> &templates);
    double now() { return m_table.ServerNow(); }
    // Writes the operator row, its note and, when given, the password, all or none.
    RecordResult write(Operator &op, bool stored, const QString *password);
    // Deletes the operator row, its note and its password.
    RecordResult remove(qint32 userID);

private:
    RecordDatabase &m_db;
    RecordTable m_table;
};

// What saving an operator came to, with the field to go to.
struct OperatorSave
{
    enum class Field { None, User, Template, Expiry, Password };
    SaveOutcome outcome;
    Field field = Field::None;
};
// Saving a new or a stored operator: a user who is not yet an operator, a template, an expiry
// still ahead of now, the password typed twice by the rules; then the row, note and password.
OperatorSave SaveOperator(OperatorStore &store, OperatorStore::Operator &op, bool stored, const QString &typed,
                          const QString &repeated, const PasswordRules &rules, double now);
