#include "ServerFixture.h"

#include "components/cardserver/CardServerStatus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

std::string hexStatus(qint32 status)
{
    return QStringLiteral("0x%1").arg(quint32(status), 8, 16, QLatin1Char('0')).toStdString();
}

bool ServerTest::isPostgres() const
{
    return QString::fromLatin1(GetParam()) == QStringLiteral("postgresql");
}

void ServerTest::SetUp()
{
    m_database.create(isPostgres(), db, QStringLiteral("WS1"), [this] { return now; });
    if (HasFatalFailure() || IsSkipped())
        return;
    ASSERT_TRUE(m_devices.isValid());

    putParameter(QStringLiteral("REGNUM_FIRST"), QStringLiteral("4096"));
    putParameter(QStringLiteral("REGNUM_LAST"), QStringLiteral("8191"));
    putParameter(QStringLiteral("SYSTEM_STARTDATE"), QStringLiteral("45000"));
    putParameter(QStringLiteral("EVENT_STOREREADOUT"), QStringLiteral("1"));
    for (qint32 room : {101, 102, 103})
        addDoor(room, QStringLiteral("Room %1").arg(room));
    addDoor(1, QStringLiteral("Pool"), QStringLiteral("O"));
    addDevice(kEncoder, 0, QStringLiteral("encoder"));
    addDevice(kHandheld, 2, QStringLiteral("handheld"));

    operatorId = addOperator(QStringLiteral("DESK"), 300, QStringLiteral("desk"));
    RecordTable t(db);
    t.Logon(QStringLiteral("DESK"), QStringLiteral("desk"));
    ASSERT_EQ(t.Status(), RecordStatus::Ok) << t.ErrorText(t.Status()).toStdString();

    cards = std::make_unique<CardsIntf>(db, CardsIntf::Setup{m_devices.path()});
    ASSERT_EQ(cards->Negotiate(QStringLiteral("WS1")), 0);
    ASSERT_EQ(cards->SelectDevice(kEncoder), 0);
    setEncoder(false);
    VirtualDeviceFolder hh = handheldFolder();
    ASSERT_TRUE(hh.create(VirtualDeviceFolder::Kind::Handheld));
    VirtualDeviceFolder::Settings s = hh.settings();
    s.readMs = s.setupMs = s.pollMs = 0;
    ASSERT_TRUE(hh.writeSettings(s));
}

void ServerTest::TearDown()
{
    cards.reset();
    db.close();
    m_database.drop();
}

qint32 waitWhileBusy(CardsIntf &cards, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (CardServerStatus::isBusy(cards.GetStatus())) {
        if (clock.elapsed() > timeoutMs) {
            ADD_FAILURE() << "still busy after " << timeoutMs << " ms: " << hexStatus(cards.GetStatus());
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return cards.GetStatus();
}

void spin(int iterations)
{
    for (int i = 0; i < iterations; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void buildGuestCard(CardsIntf &cards, qint32 room, double expireTime, qint32 copies, QList<qint32> commonRooms)
{
    ASSERT_EQ(cards.NewCard(), 0);
    ASSERT_EQ(cards.BeginBlock(97), 0);
    ASSERT_EQ(cards.AddDoorRange(100, room, room), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("mainGuestRoom"), qint32(room)), 0);
    ASSERT_EQ(cards.BeginBlock(98), 0);
    for (qint32 common : commonRooms)
        ASSERT_EQ(cards.AddDoorRange(100, common, common), 0);
    ASSERT_EQ(cards.SetImageOptionA(0), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("cardNameID"), qint32(256)), 0);
    ASSERT_EQ(cards.SetImageOptionB(0), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("userID"), qint32(1)), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("issueTime"), 45444.5), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("startTime"), 45444.5), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("expireTime"), expireTime), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("batteryWarningFlag"), qint16(0)), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("track2"), QString()), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("numCards"), copies), 0);
    ASSERT_EQ(cards.SetCardField(QStringLiteral("familyFlag"), QStringLiteral("1")), 0);
}

qint32 ServerTest::encodeGuestCard(qint32 room, double expireTime, qint32 copies)
{
    buildGuestCard(*cards, room, expireTime, copies);
    const qint32 started = cards->EncodeCard(QStringLiteral("Guest card, %1").arg(room));
    if (started != 0)
        return started;
    return waitWhileBusy(*cards);
}

VirtualDeviceFolder ServerTest::encoderFolder() const
{
    return VirtualDeviceFolder(m_devices.filePath(QStringLiteral("encoder")));
}

VirtualDeviceFolder ServerTest::handheldFolder() const
{
    return VirtualDeviceFolder(m_devices.filePath(QStringLiteral("handheld")));
}

void ServerTest::setEncoder(bool manual, int writeMs, int ejectMs, int cardWaitMs)
{
    VirtualDeviceFolder f = encoderFolder();
    VirtualDeviceFolder::Settings s = f.settings();
    s.manual = manual;
    s.writeMs = writeMs;
    s.ejectMs = ejectMs;
    s.readMs = 0;
    s.pollMs = 0;
    s.cardWaitMs = cardWaitMs;
    ASSERT_TRUE(f.writeSettings(s));
}

void ServerTest::cancelCard(qint32 registrationNumber)
{
    RecordTable t(db);
    t.SelectTable(TableId::Cards);
    t.SetField(QStringLiteral("registrationNumber"), registrationNumber);
    t.FindRecord();
    t.SetField(QStringLiteral("status"), 0);
    t.UpdateRecord();
    ASSERT_EQ(t.Status(), RecordStatus::Ok) << t.ErrorText(t.Status()).toStdString();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ServerTest::exec(const QString &sql)
{
    QSqlQuery q(db.sqlDatabase());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}
