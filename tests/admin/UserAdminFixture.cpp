#include "UserAdminFixture.h"

#include "admin/frmUserList.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QTest>

void UserAdminTest::logOn(qint32 usersRights, qint32 operatorsRights)
{
    logOnDesk({{Authority::TableRightsBase + TableId::Users, usersRights},
               {Authority::TableRightsBase + TableId::Operators, operatorsRights}});
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
