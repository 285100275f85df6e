// Reading cards, choosing devices and the handheld unit, through the real server.
#include "ServerFixture.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Readout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

using namespace CardServerStatus;

QByteArray newestTrayCard(const VirtualDeviceFolder &folder)
{
    return readFile(folder.newestEjected());
}

} // namespace

class DeviceTest : public ServerTest
{
protected:
    // A read-out of door 101 and the pool, with card and non-card events.
    Readout sampleReadout(quint32 reg, double readoutTime)
    {
        const ReadoutEvent opened{readoutTime - 0.5, 1, true, reg, 256, 1, false};
        const ReadoutEvent again{readoutTime - 0.25, 1, true, reg, 256, 1, true};
        const ReadoutEvent battery{readoutTime - 0.75, 40, false, 0, 0, 0, false};
        Readout r;
        r.sources = {{ReadoutSource::kLock, readoutTime, 101, {opened, again, battery}},
                     {ReadoutSource::kLock, readoutTime + 0.01, 1, {opened}}};
        return r;
    }
};

// What the devices do, not what is stored: one engine is enough.
using DeviceOnlyTest = DeviceTest;

TEST_P(DeviceOnlyTest, ReadingTheCardInTheEncoder)
{
    ASSERT_EQ(encodeGuestCard(101, now + 1), 0);
    const QByteArray valid = newestTrayCard(encoderFolder());
    ASSERT_FALSE(valid.isEmpty());
    CardImage foreign;
    foreign.BeginBlock(97);
    foreign.AddDoorRange(100, 101, 101);
    foreign.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int32(256));
    foreign.setInstallationId(0x12345678);
    QByteArray foreignBytes;
    ASSERT_EQ(foreign.encode(foreignBytes), 0);

    const struct
    {
        const char *name;
        QByteArray card;
        qint32 expected;
    } cases[] = {
        {"a card of this installation", valid, CardRead},
        {"a blank card", QByteArray(), BlankCardRead},
        {"a card of another installation", foreignBytes, ForeignCardRead},
        {"a card taken out half written", valid.left(valid.size() - 10), CardFormatStatus::Truncated},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(encoderFolder().insertCard(c.card));
        ASSERT_EQ(cards->ReadCard(QStringLiteral("Insert the card to verify")), 0);
        CARD_STATUS_EQ(waitWhileBusy(*cards), c.expected);
        const QVariant kind = cards->GetCardField(QStringLiteral("cardNameID"));
        EXPECT_EQ(kind.isValid(), c.expected == CardRead) << "only a card of ours has a kind to show";
        const QString text = cards->GetStatusText(c.expected);
        EXPECT_EQ(text.count(QLatin1Char('|')), 1) << text.toStdString();
    }
}

TEST_P(DeviceOnlyTest, ReadingWaitsForACard)
{
    ASSERT_TRUE(encoderFolder().removeCard());
    ASSERT_EQ(cards->ReadCard(QStringLiteral("Insert the card to verify")), 0);
    spin(200);
    CARD_STATUS_EQ(cards->GetStatus(), BusyReading);
    EXPECT_EQ(cards->EncodeCard(QStringLiteral("second job")), DeviceBusy);
    CARD_STATUS_EQ(cards->GetStatus(), BusyReading) << "a refused call leaves the running job's status";
    ASSERT_TRUE(encoderFolder().insertCard(QByteArray()));
    CARD_STATUS_EQ(waitWhileBusy(*cards), BlankCardRead);
}

TEST_P(DeviceOnlyTest, OperationsNeedTheRightDevice)
{
    addDevice(3, 5, QStringLiteral("pms"));
    using Op = std::function<qint32(CardsIntf &)>;
    const Op encode = [](CardsIntf &c) { return c.EncodeCard(QStringLiteral("Guest card, 101")); };
    const Op check = [](CardsIntf &c) { return c.CheckEncoder(); };
    const struct
    {
        const char *name;
        qint32 device;
        qint32 selectStatus;
        Op op;
        qint32 expected;
    } cases[] = {
        {"no encoder set up", 0, NoEncoder, encode, NoEncoder},
        {"unknown device", 99, NoEncoder, encode, NoEncoder},
        {"device type without a driver", 3, NoEncoder, check, NoEncoder},
        {"encoding on the handheld unit", kHandheld, Ok, encode, NoEncoder},
        {"reading a card on the handheld unit", kHandheld, Ok, [](CardsIntf &c) { return c.ReadCard(QString()); },
         NoEncoder},
        {"programming the encoder", kEncoder, Ok, [](CardsIntf &c) { return c.SetupDevice(16124); }, NotHandheld},
        {"reading events from the encoder", kEncoder, Ok, [](CardsIntf &c) { return c.ReadDevice(QString()); },
         NotHandheld},
        {"checking the encoder", kEncoder, Ok, check, Ok},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CARD_STATUS_EQ(cards->SelectDevice(c.device), c.selectStatus);
        CARD_STATUS_EQ(cards->GetStatus(), c.selectStatus);
        buildGuestCard(*cards, 101, now + 1);
        CARD_STATUS_EQ(c.op(*cards), c.expected);
        CARD_STATUS_EQ(cards->GetStatus(), c.expected);
        EXPECT_EQ(cards->IsReady(), 1);
    }
    EXPECT_EQ(rowCount(TableId::Cards), 0);
    // A status nobody knows still gets both forms, with its number.
    EXPECT_EQ(cards->GetStatusText(0x67890099).section(QLatin1Char('|'), 0, 0), QStringLiteral("Error 0x67890099"));
    EXPECT_TRUE(cards->GetStatusText(RecordStatus::SqlError).startsWith(QStringLiteral("Database error|")));
}

TEST_P(DeviceOnlyTest, StoppedDevicesAreNotReady)
{
    EXPECT_EQ(cards->QueryDevice(kEncoder), 0);
    EXPECT_EQ(cards->QueryDevice(kHandheld), 0);
    CARD_STATUS_EQ(cards->QueryDevice(42), NoEncoder);
    EXPECT_EQ(cards->StopDevice(kEncoder), 0);
    CARD_STATUS_EQ(cards->QueryDevice(kEncoder), DeviceNotReady);
    CARD_STATUS_EQ(cards->SelectDevice(kEncoder), DeviceNotReady);
    CARD_STATUS_EQ(encodeGuestCard(101, now + 1), DeviceNotReady);
    EXPECT_EQ(cards->StartDevice(kEncoder), 0);
    EXPECT_EQ(cards->QueryDevice(kEncoder), 0);
    EXPECT_EQ(cards->SelectDevice(kEncoder), 0);
    EXPECT_EQ(encodeGuestCard(101, now + 1), 0);

    // The status window stops a device on another server object than the one issuing cards.
    CardsIntf monitor(db, CardsIntf::Setup{deviceDir()});
    EXPECT_EQ(monitor.StopDevice(kEncoder), 0);
    CARD_STATUS_EQ(cards->CheckEncoder(), DeviceNotReady);
    CARD_STATUS_EQ(encodeGuestCard(101, now + 1), DeviceNotReady);
    EXPECT_EQ(monitor.StartDevice(kEncoder), 0);
    EXPECT_EQ(cards->QueryDevice(kEncoder), 0);

    // A device whose folder went away does not answer until it is started again.
    addDevice(4, 0, QStringLiteral("second"));
    ASSERT_EQ(cards->SelectDevice(4), 0);
    ASSERT_TRUE(
        QDir(VirtualDeviceFolder(QDir(deviceDir()).filePath(QStringLiteral("second"))).path()).removeRecursively());
    CARD_STATUS_EQ(cards->QueryDevice(4), DeviceNotReady);
    CARD_STATUS_EQ(cards->CheckEncoder(), DeviceNotReady);
    EXPECT_EQ(cards->StartDevice(4), 0);
    EXPECT_EQ(cards->CheckEncoder(), 0);
}

TEST_P(DeviceTest, ProgrammingTheHandheldUnit)
{
    ASSERT_EQ(encodeGuestCard(102, now + 3), 0);
    const qint32 cancelled = cards->GetRegistrationNumber();
    ASSERT_EQ(encodeGuestCard(103, now + 3), 0);
    ASSERT_NO_FATAL_FAILURE(cancelCard(cancelled));

    ASSERT_EQ(cards->SelectDevice(kHandheld), 0);
    ASSERT_EQ(cards->SetupDevice(16124), 0);
    EXPECT_EQ(cards->GetStatus(), Busy) << "the client polls while the status is 0x67890004";
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    const QString setup = QString::fromUtf8(handheldFolder().setup());
    EXPECT_TRUE(setup.startsWith(QStringLiteral("OSTRELLE HANDHELD SETUP 1\n"))) << setup.toStdString();
    EXPECT_TRUE(setup.contains(QStringLiteral("\nDOOR 101 G 0 Room 101\n"))) << setup.toStdString();
    EXPECT_TRUE(setup.contains(QStringLiteral("\nDOOR 102 G 1 Room 102\n"))) << "the override number of the room";
    const QString hex = QStringLiteral("%1").arg(quint32(cancelled), 8, 16, QLatin1Char('0')).toUpper();
    EXPECT_TRUE(setup.contains(QStringLiteral("\nCANCELLED %1 ").arg(hex))) << setup.toStdString();
    EXPECT_EQ(setup.count(QStringLiteral("CANCELLED")), 1) << "only the cancelled card";
    EXPECT_TRUE(setup.endsWith(QStringLiteral("END\n")));

    ASSERT_TRUE(handheldFolder().setNextStatus(SetupFailed));
    ASSERT_EQ(cards->SetupDevice(16124), 0);
    CARD_STATUS_EQ(waitWhileBusy(*cards), SetupFailed);
}

TEST_P(DeviceTest, ReadOutsReachTheEventLists)
{
    ASSERT_EQ(encodeGuestCard(101, now + 1), 0);
    const quint32 reg = quint32(cards->GetRegistrationNumber());
    ASSERT_EQ(cards->SelectDevice(kHandheld), 0);
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    CARD_STATUS_EQ(waitWhileBusy(*cards), NoReadout);

    const Readout sample = sampleReadout(reg, now - 1);
    VirtualDeviceFolder unit = handheldFolder();
    ASSERT_TRUE(unit.addReadout(writeReadout(sample)));
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    EXPECT_EQ(cards->GetStatus(), BusyReading);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    const ReadoutParseResult parsed = parseReadout(cards->GetReadData().toUtf8());
    ASSERT_EQ(parsed.status, 0) << parsed.reason.toStdString();
    EXPECT_EQ(parsed.readout, sample);
    EXPECT_TRUE(unit.pendingReadouts().isEmpty()) << "a read unit is empty";

    EXPECT_EQ(rowCount(TableId::ReadoutView), 2);
    EXPECT_EQ(rowCount(TableId::EventView), 4);
    RecordTable events(db);
    events.SelectTable(TableId::EventView);
    events.OpenQuery(QStringLiteral("doorID = ? and readoutTime = ?"), QStringLiteral("eventTime"));
    events.AddParameter(101);
    events.AddParameter(now - 1);
    ASSERT_EQ(events.Status(), RecordStatus::Ok);
    EXPECT_EQ(events.RowCount(), 3);
    EXPECT_EQ(events.GetField(QStringLiteral("eventCode")).toInt(), 40) << "the battery event comes first";
    EXPECT_EQ(events.GetField(QStringLiteral("registrationNumber")).toInt(), 0);
    EXPECT_TRUE(events.GetField(QStringLiteral("cardNameID")).isNull());
    events.MoveNext();
    EXPECT_EQ(events.GetField(QStringLiteral("registrationNumber")).toInt(), qint32(reg));
    EXPECT_EQ(events.GetField(QStringLiteral("doorName")).toString(), QStringLiteral("Room 101"));
    EXPECT_EQ(events.GetField(QStringLiteral("issueOperatorAlphaID")).toString(), QStringLiteral("DESK"));
    EXPECT_EQ(events.GetField(QStringLiteral("repeatFlag")).toInt(), 0);
    events.MoveNext();
    EXPECT_EQ(events.GetField(QStringLiteral("repeatFlag")).toInt(), 1);

    // The same read-out handed over again is not stored twice.
    ASSERT_TRUE(unit.addReadout(writeReadout(sample)));
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    EXPECT_EQ(rowCount(TableId::EventView), 4);

    // Without EVENT_STOREREADOUT the read-out is only handed to the caller.
    putParameter(QStringLiteral("EVENT_STOREREADOUT"), QStringLiteral("0"));
    ASSERT_TRUE(unit.addReadout(writeReadout(sampleReadout(reg, now - 2))));
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    EXPECT_FALSE(cards->GetReadData().isEmpty());
    EXPECT_EQ(rowCount(TableId::ReadoutView), 2);
}

TEST_P(DeviceTest, BrokenReadOutStaysOnTheUnit)
{
    ASSERT_EQ(cards->SelectDevice(kHandheld), 0);
    VirtualDeviceFolder unit = handheldFolder();
    QString good, broken;
    ASSERT_TRUE(unit.addReadout(writeReadout(sampleReadout(4096 * 256, now - 1)), &good));
    ASSERT_TRUE(unit.addReadout(QByteArray("this is no read-out\n"), &broken));
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    const qint32 status = waitWhileBusy(*cards);
    EXPECT_TRUE(status == CardFormatStatus::ReadoutInvalid || status == CardFormatStatus::ReadoutBadVersion ||
                status == CardFormatStatus::ReadoutTruncated)
        << hexStatus(status);
    EXPECT_TRUE(cards->GetStatusText(status).contains(QFileInfo(broken).fileName()))
        << cards->GetStatusText(status).toStdString();
    EXPECT_EQ(unit.pendingReadouts(), QStringList({good, broken}));
    EXPECT_EQ(rowCount(TableId::ReadoutView), 0) << "nothing of a read that failed is stored";
}

TEST_P(DeviceTest, StoredStaffCardWalksLikeTheStaffDialogReadsIt)
{
    ASSERT_EQ(cards->NewCard(), 0);
    ASSERT_EQ(cards->BeginBlock(100), 0);
    for (qint32 v : {0, 8, 18})
        ASSERT_EQ(cards->AddBlockValue(v), 0);
    ASSERT_EQ(cards->AddDoorRange(100, 101, 199), 0);
    ASSERT_EQ(cards->BeginBlock(98), 0);
    ASSERT_EQ(cards->AddDoorRange(100, 1, 1), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("cardNameID"), 260), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("userID"), 7), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("expireTime"), now + 30), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("numCards"), qint16(1)), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("mainGuestRoom"), qint16(0)), 0);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Employee card")), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    EXPECT_EQ(rowCount(TableId::CardDoors), 0) << "a staff card occupies no room";

    CardsIntf viewer(db, CardsIntf::Setup{deviceDir()});
    ASSERT_EQ(viewer.Negotiate(QStringLiteral("WS1")), 0);
    ASSERT_EQ(viewer.LoadCard(cards->GetRegistrationNumber()), 0);
    qint32 kind = 0, type = 0, first = 0, last = 0;
    ASSERT_EQ(viewer.GetNextRange(kind, type, first, last), 0);
    EXPECT_EQ(QList<qint32>({type, first, last}), QList<qint32>({100, 101, 199}));
    EXPECT_EQ(viewer.GetNextValue(), 0);
    EXPECT_EQ(viewer.GetNextValue(), 8);
    EXPECT_EQ(viewer.GetNextValue(), 18);
    EXPECT_EQ(viewer.GetStatus(), 0);
    viewer.GetNextValue();
    EXPECT_NE(viewer.GetStatus(), 0) << "the block has three values";
    ASSERT_EQ(viewer.GetNextRange(kind, type, first, last), 0);
    EXPECT_EQ(QList<qint32>({type, first, last}), QList<qint32>({98, 1, 1}));
    EXPECT_NE(viewer.GetNextRange(kind, type, first, last), 0);
    EXPECT_NE(viewer.GetStatus(), 0) << "the walk's end shows in GetStatus";
    EXPECT_EQ(viewer.GetCardField(QStringLiteral("userID")).toInt(), 7);
}

TEST(CardServerStatusTest, TextsSplitInTwoAndOnlyBusyStatusesKeepTheClientPolling)
{
    // The client splits a text at its one bar; a status without one gets a generic text from the server.
    for (qint32 s = 0x67890000; s <= 0x678900FF; ++s) {
        const QStringList parts = CardServerStatus::text(s).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        ASSERT_TRUE(parts.size() == 2 || (parts.isEmpty() && !isBusy(s))) << hexStatus(s);
    }
    EXPECT_EQ(CardServerStatus::text(Ok).split(QLatin1Char('|'), Qt::SkipEmptyParts).size(), 2);
    for (qint32 s : {0x67890004, 0x6789000D, 0x6789000E, 0x67890026, 0x67890037, 0x67890038})
        EXPECT_TRUE(isBusy(s)) << hexStatus(s);
    for (qint32 s : {0, 0x67890027, 0x67890007, 0x6789004B, 0x6789002C, 0x6789002D})
        EXPECT_FALSE(isBusy(s)) << hexStatus(s);
}

INSTANTIATE_TEST_SUITE_P(Engines, DeviceTest, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, DeviceOnlyTest, ::testing::Values("sqlite"));
