#pragma once

#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include <cstdint>

// The password and rights rules of the operator dialog, free of widgets and the database.

// What the system parameters ask of a password: its least length (4 to 8, as for PINs) and
// whether an operator must have one (without one the operator logs on with the operator card).
struct PasswordRules
{
    int minLength = 4;
    bool mandatory = false;
};
PasswordRules PasswordRulesOf(int32_t pinMinLength, bool pinMandatory);

// The password typed twice. Both left empty keep a stored password (change false).
struct PasswordCheck
{
    int16_t message = 0;
    QVariantList arguments;
    bool change = false;
};
PasswordCheck CheckPassword(const QString &typed, const QString &repeated, const PasswordRules &rules,
                            bool hasPassword);

// What the operator may do in the dialog and the list, from the rights bits (read 1, write 2,
// edit 4, delete 8) on operators (32) and passwords (960).
struct OperatorRights
{
    bool save = false;     // a new operator
    bool update = false;   // a stored operator
    bool password = false; // type a password: write for the first one, edit for a stored one
    bool remove = false;   // the operator, and with it the stored password
};
OperatorRights OperatorRightsOf(qint32 operators, qint32 passwords, bool stored, bool hasPassword);
