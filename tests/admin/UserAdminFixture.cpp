#include "UserAdminFixture.h"

#include "admin/frmUserList.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "session/Logon.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QTest>

void UserAdminTest::TearDown()
{
    SessionTest::TearDown();
}

void UserAdminTest::logOn(qint32 usersRights, qint32 operatorsRights)
{
    deskID = addOperator(QStringLiteral("desk"), 300, QStringLiteral("pw"));
    addRight(300, Authority::TableRightsBase + TableId::Users, usersRights);
    addRight(300, Authority::TableRightsBase + TableId::Operators, operatorsRights);
    ws->authority.setRightsTimeStamp(25569.0);
    ASSERT_EQ(RunLogonCommand(*ws, 0, QStringLiteral("desk"), QStringLiteral("pw")), LogonOutcome::LoggedOn);
    messages->clear();
}

qint32 UserAdminTest::addRow(const UserRow &row)
{
    RecordTable t(db);
    t.SelectTable(TableId::Users);
    if (row.givenID != 0) {
        t.UseGivenKey();
        t.SetField(QStringLiteral("userID"), row.givenID);
    }
    t.SetField(QStringLiteral("alphaID"), row.alphaID);
    t.SetField(QStringLiteral("surname"), row.surname);
    t.SetField(QStringLiteral("firstname"), row.firstname);
    t.SetField(QStringLiteral("city"), row.city);
    t.SetField(QStringLiteral("deleted"), row.deleted);
    t.SetField(QStringLiteral("doNotShow"), row.doNotShow);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return t.GetField(QStringLiteral("userID")).toInt();
}

QVariant UserAdminTest::userField(qint32 userID, const QString &field)
{
    RecordTable t(db);
    t.SelectTable(TableId::Users);
    t.SetField(QStringLiteral("userID"), userID);
    t.FindRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return t.GetField(field);
}

bool UserAdminTest::hasRow(qint32 tableId, const QString &keyField, const QVariant &key)
{
    RecordTable t(db);
    t.SelectTable(tableId);
    t.SetField(keyField, key);
    t.FindRecord();
    return t.Status() == RecordStatus::Ok;
}

QList<qint32> listedUsers(frmUserList &list)
{
    auto *grid = list.findChild<RecordGrid *>(QStringLiteral("tlvUsers"));
    QList<qint32> ids;
    if (!grid)
        return ids;
    RecordGridModel *model = grid->gridModel();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    for (int row = 0; row < model->rowCount(); ++row)
        ids << model->rawValue(row, QStringLiteral("userID")).toInt();
    return ids;
}

void settleSearch(frmUserList &list)
{
    list.setSearchDelay(0);
    for (int i = 0; i < 100 && list.searchPending(); ++i)
        QTest::qWait(1);
    EXPECT_FALSE(list.searchPending());
}

NotificationLog::NotificationLog(Notify &notify) : m_notify(notify)
{
    m_notify.SubscribeUsers(this, Notify::handleOf(this));
    m_notify.SubscribeOperators(&m_operators, Notify::handleOf(&m_operators));
}

NotificationLog::~NotificationLog()
{
    m_notify.UnsubscribeUsers(Notify::handleOf(this));
    m_notify.UnsubscribeOperators(Notify::handleOf(&m_operators));
}
