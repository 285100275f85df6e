#pragma once

#include "SessionFixture.h"
#include "session/NotifyInterfaces.h"

#include <QList>
#include <QString>

class frmUserList;

// A test installation with an operator logged on whose template holds the given rights on Users
// (16) and Operators (32).
class UserAdminTest : public SessionTest
{
protected:
    // Logs on "desk" (template 300) with these rights; the operator is a user of the register too.
    void logOn(qint32 usersRights, qint32 operatorsRights = 0);
    // A stored field of a user, read back from the database.
    QVariant userField(qint32 userID, const QString &field);
};

// The userIDs the list shows, in its order.
QList<qint32> listedUsers(frmUserList &list);
// Lets the list's delayed search run.
void settleSearch(frmUserList &list);

// Records the users and operators notifications it receives.
class NotificationLog : public clsIUsers
{
public:
    explicit NotificationLog(Notify &notify);
    ~NotificationLog() override;

    void Add(int32_t id, int16_t) override { entries << QStringLiteral("add %1").arg(id); }
    void Update(int32_t id) override { entries << QStringLiteral("update %1").arg(id); }
    void Remove(int32_t id) override { entries << QStringLiteral("remove %1").arg(id); }
    void Refresh() override { entries << QStringLiteral("refresh"); }

    QStringList entries; // users and operators alike; the operators' are prefixed "operator "

private:
    class Operators : public clsIOperators
    {
    public:
        explicit Operators(QStringList &entries) : m_entries(entries) {}
        void Add(int32_t id) override { m_entries << QStringLiteral("operator add %1").arg(id); }
        void Update(int32_t id) override { m_entries << QStringLiteral("operator update %1").arg(id); }
        void Remove(int32_t id) override { m_entries << QStringLiteral("operator remove %1").arg(id); }
        void Refresh() override { m_entries << QStringLiteral("operator refresh"); }

    private:
        QStringList &m_entries;
    };
    Notify &m_notify;
    Operators m_operators{entries};
};
