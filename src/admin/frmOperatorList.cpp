#include "admin/frmOperatorList.h"

#include "admin/MasterDataRemoval.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "ui/FrameHost.h"

frmOperatorList::frmOperatorList(ProgramServices &program, DatabaseServices &db, Session &session,
                                 FrameWindows &frameWindows, QWidget *parent)
    : MasterDataList({"frmOperatorList",
                      "tlvOperators",
                      6,
                      TableId::Operators,
                      TableId::OperatorView,
                      29050,
                      {29051, 29052, 29053, 29054, 29055, 29503},
                      QStringLiteral("alphaID,surname,firstname,operatorTemplateName,expireTime,noteText,userID"),
                      QStringLiteral("tlvOperatorsCol"),
                      true,
                      -1,
                      "userID"},
                     program, db, session, frameWindows, parent)
{
    setDateColumn(Field::expireTime);
    m_session.notify.SubscribeOperators(this, Notify::handleOf(this));
    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    runSearch();
}

frmOperatorList::~frmOperatorList()
{
    m_session.notify.UnsubscribeOperators(Notify::handleOf(this));
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
}

MasterDataList::Query frmOperatorList::query(const QString &searchText) const
{
    return {QString(Field::alphaID) + QStringLiteral(" like ?"), Field::alphaID, {searchText + QLatin1Char('%')}};
}

void frmOperatorList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::OperatorData,
              [](OperatorDataWindow &window) { window.NewRecord(); });
}

void frmOperatorList::removeRows(const QList<int> &rows)
{
    QList<OperatorRow> operators;
    for (int row : rows)
        operators.append({rowValue(row, Field::userID).toInt(), rowValue(row, Field::alphaID).toString()});
    const RemovalContext context{*m_db.database,      *m_program.messages,  m_session.notify,
                                 m_session.authority, m_session.frame.busy, this};
    RemoveOperators(context, operators, m_session.logon.CurrentOperatorID);
}

void frmOperatorList::openRow(int row)
{
    const qint32 userID = rowValue(row, Field::userID).toInt();
    OpenChild(m_frameWindows.frameHost, WindowKinds::OperatorData,
              [userID](OperatorDataWindow &window) { window.setOperatorUserID(userID); });
}
