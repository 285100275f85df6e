#pragma once

#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include <cstdint>

class QWidget;
class RecordTable;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The rules of the user register that the user list and the user dialog share, free of widgets.

// The search fields of the user list, entry 0..6 of its field list; any other entry is alphaID.
inline constexpr int UserSearchFieldCount = 7;
QString UserSearchField(int entry);

// The list's query for a search text in a field: users above the two built-in ones that are
// neither removed nor made by the program; an empty text also finds the users without the field.
struct UserListQuery
{
    QString where;
    QString orderBy;
    QVariantList parameters;
};
UserListQuery BuildUserListQuery(int entry, const QString &text);

// What became of one user the operator was asked to remove.
enum class RemoveOutcome {
    Removed,
    RemovedAll, // "yes to all": remove the following ones without asking
    Skipped,    // "no" of a question about one of several
    Cancelled,  // "no" about a single user, "cancel" about one of several
    Refused,    // an operator the logged-on operators may not remove (-31142)
    Failed      // the database refused (message shown)
};

// Removes a user: refuses operators without delete right on Operators, asks with the user's alphaID
// (buttons 17001 for a single user, 17008 for one of several; 0 asks nothing), marks the user
// removed, announces it and, for an operator, drops the operator's rows and note.
inline constexpr int16_t RemoveOneUser = 17001;
inline constexpr int16_t RemoveOneOfSeveral = 17008;
RemoveOutcome RemoveUser(ProgramServices &program, DatabaseServices &db, Session &session, qint32 userID,
                         const QString &alphaID, int16_t buttonsText, QWidget *parent = nullptr);

// The user's newest valid staff card (employee 260 or supervisor 261, valid or reissued, not yet
// expired at now). Status 0 with the card, RecordStatus::NoRecord without one, else the database's status.
struct StaffCard
{
    qint32 registrationNumber = 0;
    qint32 cardNameID = 0;
};
qint32 FindStaffCard(RecordTable &cards, qint32 userID, double now, StaffCard &card);
