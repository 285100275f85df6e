#pragma once

#include "components/recordtable/RecordTable.h"

#include <QString>
#include <QtGlobal>

#include <array>

// The rows of the user register that the user dialog reads and writes, free of widgets. Every
// operation answers with the database's status and, on failure, its error text.

// The seven fields of a user, in the dialog's order.
enum UserField {
    UserAlphaID,
    UserSurname,
    UserFirstname,
    UserAddress1,
    UserAddress2,
    UserZipcode,
    UserCity,
    UserFieldCount
};
using UserValues = std::array<QString, UserFieldCount>;

struct UserStoreResult
{
    qint32 status = RecordStatus::Ok; // RecordStatus::NoRecord when the user is gone
    QString errorText;
    bool ok() const { return status == RecordStatus::Ok; }
};

// The first user of the rows with an identifier: one in use wins over removed ones.
struct IdentifierOwner
{
    qint32 userID = 0; // 0: nobody
    bool removed = false;
    QString alphaID;
    QString surname;
    QString firstname;
};

class UserDataStore
{
public:
    explicit UserDataStore(RecordDatabase &db) : m_users(db) {}

    UserStoreResult load(qint32 userID, UserValues &values);
    // Looks at every user but except.
    UserStoreResult findIdentifierOwner(const QString &alphaID, qint32 except, IdentifierOwner &owner);
    // An empty value is stored as none at all, as the list's search for empty fields expects.
    UserStoreResult insert(const UserValues &values, qint32 &userID);
    UserStoreResult update(qint32 userID, const UserValues &values);
    // Users are never deleted, only marked removed, since cards and events keep pointing at them.
    UserStoreResult setRemoved(qint32 userID, bool removed);

private:
    UserStoreResult result();
    void setValues(const UserValues &values);

    RecordTable m_users;
};
