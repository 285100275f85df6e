#include "CardListFixture.h"

#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/frmCardList.h"

#include <QCoreApplication>

const QList<qint32> CardListTest::kIssuableKinds = {256, 258, 260, 262, 266, 278};

void CardListTest::SetUp()
{
    SessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    QList<Right> rights;
    for (qint32 table : {0, 16, 48, 64, 384})
        rights.append({Authority::TableRightsBase + table, Authority::Read});
    for (qint32 kind : kIssuableKinds)
        rights.append({Authority::CardKindBase + kind, 0, 1440});
    rights.append({Authority::FunctionBase + 10, 1});
    rights.append({Authority::FunctionBase + 6, 1}); // read the handheld unit
    logOnDesk(rights);
}

void CardListTest::storeCard(const Card &c)
{
    const qint32 user = addUser(QStringLiteral("U%1").arg(c.number, 0, 16), c.surname, QStringLiteral("F"));
    addCard({.registrationNumber = c.number,
             .userID = user,
             .cardNameID = c.kind,
             .status = c.status,
             .mainGuestRoom = c.room,
             .rooms = c.rooms,
             .issueTime = c.issueTime,
             .expireTime = c.expireTime});
}

qint32 CardListTest::issueCard(qint32 kind)
{
    if (!ws->cardServers.firstCardsIntf) {
        m_encoder.install(db);
        if (HasFatalFailure())
            return 0;
        ws->cardServers.firstCardsIntf = m_encoder.cardServer(*ws->db.database, ws->program.ComputerName);
    }
    CardsIntf &c = *ws->cardServers.firstCardsIntf;
    c.SelectDevice(m_encoder.deviceID());
    c.NewCard();
    c.SetCardField(QStringLiteral("cardNameID"), kind);
    c.SetCardField(QStringLiteral("userID"), 1);
    c.SetCardField(QStringLiteral("issueTime"), now);
    c.SetCardField(QStringLiteral("startTime"), now);
    c.SetCardField(QStringLiteral("expireTime"), now + 2);
    c.SetCardField(QStringLiteral("numCards"), 1);
    c.EncodeCard(QStringLiteral("test card"));
    while (CardServerStatus::isBusy(c.GetStatus()) || !c.IsReady())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(c.GetStatus(), 0) << c.GetStatusText(c.GetStatus()).toStdString();
    return c.GetRegistrationNumber();
}

QSet<qint32> CardListTest::shown(frmCardList &list)
{
    RecordGridModel *model = list.grid().gridModel();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    QSet<qint32> out;
    for (int row = 0; row < model->rowsRead(); ++row)
        out << model->rawValue(row, QStringLiteral("registrationNumber")).toInt();
    return out;
}
