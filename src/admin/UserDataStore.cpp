#include "admin/UserDataStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include <QVariant>

namespace {

const QLatin1String kFields[UserFieldCount] = {Field::alphaID,  Field::surname, Field::firstname, Field::address1,
                                               Field::address2, Field::zipcode, Field::city};

} // namespace

UserStoreResult UserDataStore::result()
{
    const qint32 status = m_users.Status();
    return {status, status == RecordStatus::Ok ? QString() : m_users.ErrorText(status)};
}

void UserDataStore::setValues(const UserValues &values)
{
    for (int i = 0; i < UserFieldCount; ++i)
        m_users.SetField(kFields[i], values[i].isEmpty() ? QVariant() : QVariant(values[i]));
}

UserStoreResult UserDataStore::load(qint32 userID, UserValues &values)
{
    m_users.SelectTable(TableId::Users);
    m_users.SetField(Field::userID, userID);
    m_users.FindRecord();
    if (m_users.Status() == RecordStatus::Ok) {
        for (int i = 0; i < UserFieldCount; ++i)
            values[i] = m_users.GetField(kFields[i]).toString();
    }
    return result();
}

UserStoreResult UserDataStore::findIdentifierOwner(const QString &alphaID, qint32 except, IdentifierOwner &owner)
{
    owner = IdentifierOwner{};
    m_users.SelectTable(TableId::Users);
    m_users.OpenQuery(QString(Field::alphaID) + QStringLiteral(" = ?"), Field::userID);
    m_users.AddParameter(alphaID);
    for (; m_users.Status() == RecordStatus::Ok; m_users.MoveNext()) {
        const qint32 userID = m_users.GetField(Field::userID).toInt();
        const bool removed = m_users.GetField(Field::deleted).toInt() != 0;
        if (userID == except || (owner.userID != 0 && (removed || !owner.removed)))
            continue;
        owner = {userID, removed, m_users.GetField(Field::alphaID).toString(),
                 m_users.GetField(Field::surname).toString(), m_users.GetField(Field::firstname).toString()};
    }
    UserStoreResult found = m_users.Status() == RecordStatus::NoRecord ? UserStoreResult{} : result();
    m_users.CloseQuery();
    return found;
}

UserStoreResult UserDataStore::insert(const UserValues &values, qint32 &userID)
{
    m_users.SelectTable(TableId::Users);
    setValues(values);
    m_users.InsertRecord();
    userID = m_users.Status() == RecordStatus::Ok ? m_users.GetField(Field::userID).toInt() : 0;
    return result();
}

UserStoreResult UserDataStore::update(qint32 userID, const UserValues &values)
{
    m_users.SelectTable(TableId::Users);
    m_users.SetField(Field::userID, userID);
    m_users.FindRecord();
    if (m_users.Status() == RecordStatus::Ok) {
        setValues(values);
        m_users.UpdateRecord();
    }
    return result();
}

UserStoreResult UserDataStore::setRemoved(qint32 userID, bool removed)
{
    m_users.SelectTable(TableId::Users);
    m_users.SetField(Field::userID, userID);
    m_users.FindRecord();
    if (m_users.Status() == RecordStatus::Ok) {
        m_users.SetField(Field::deleted, removed ? 1 : 0);
        m_users.UpdateRecord();
    }
    return result();
}
