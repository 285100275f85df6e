// Issuing through the real server and the virtual encoder: what reaches the card, what reaches the
// database, and what does not when something fails.
#include "ServerFixture.h"
#include "components/cardserver/CardServerStatus.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <optional>

namespace {

using namespace CardServerStatus;

CardImage decodeFile(const QString &path)
{
    CardImage image;
    EXPECT_EQ(CardImage::decode(readFile(path), image), 0) << path.toStdString();
    return image;
}

QStringList trayFiles(const VirtualDeviceFolder &folder)
{
    QDir tray(folder.trayPath());
    QStringList out;
    for (const QString &name : tray.entryList(QDir::Files, QDir::Name))
        out << tray.filePath(name);
    return out;
}

} // namespace

class IssuingTest : public ServerTest
{
protected:
    // The Cards row of a stored registration number as "field=value" texts; empty without the row.
    QStringList cardRow(qint32 stored)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Cards);
        t.SetField(QStringLiteral("registrationNumber"), stored);
        t.FindRecord();
        QStringList row;
        for (const char *f : {"userID", "cardNameID", "issueTime", "startTime", "expireTime", "status", "mainGuestRoom",
                              "issueOperatorID", "numberOfIdenticallyIssuedCards"}) {
            if (t.Status() == RecordStatus::Ok)
                row << QString::fromLatin1(f) + QLatin1Char('=') + t.GetField(QString::fromLatin1(f)).toString();
        }
        return row;
    }

    // Makes any insert into Cards fail, as a database that refuses writes would.
    void refuseCardRows()
    {
        if (isPostgres()) {
            exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE "
                                "EXCEPTION 'refused'; END $$"));
            exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON \"Cards\" FOR EACH ROW EXECUTE FUNCTION "
                                "refuse()"));
        } else {
            exec(QStringLiteral(
                "CREATE TRIGGER refuse BEFORE INSERT ON \"Cards\" BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        }
    }
};

TEST_P(IssuingTest, GuestCardIsStoredAndLoadsBackFieldByField)
{
    const double expire = now + 2.5;
    buildGuestCard(*cards, 101, expire, 1, {1});
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card, 101")), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);

    const qint32 reg = cards->GetRegistrationNumber();
    EXPECT_EQ(reg, 4096 * 256) << "the first number of the range, copy 0";
    EXPECT_EQ(cardRow(reg),
              QStringList({"userID=1", "cardNameID=256", "issueTime=45444.5", "startTime=45444.5",
                           "expireTime=" + QVariant(expire).toString(), "status=1", "mainGuestRoom=101",
                           "issueOperatorID=" + QString::number(operatorId), "numberOfIdenticallyIssuedCards=1"}));
    EXPECT_EQ(rowCount(TableId::CardImages), 1);
    // The room check of the guest dialog finds the card through its room.
    EXPECT_EQ(rowCount(TableId::DoorCardView, QStringLiteral("doorID = ? and expireTime > ?"), {101, now}), 1);
    EXPECT_EQ(rowCount(TableId::DoorCardView, QStringLiteral("doorID = ?"), {1}), 0) << "common rooms are no rooms";

    // What went onto the card loads from the database on another server object, as the card list does it
    // (reading a card takes the same path: ReadingTheCardInTheEncoder).
    CardsIntf second(db, CardsIntf::Setup{deviceDir()});
    ASSERT_EQ(second.Negotiate(QStringLiteral("WS1")), 0);
    ASSERT_EQ(second.LoadCard(reg), 0);
    EXPECT_EQ(second.GetStatus(), 0);
    const QStringList tray = trayFiles(encoderFolder());
    ASSERT_EQ(tray.size(), 1);
    EXPECT_TRUE(second.image() == decodeFile(tray.first()));
    // What the server adds to the dialog's fields, and one field of each type (the walk: staff card test).
    const std::pair<const char *, QVariant> fields[] = {
        {"registrationNumber", reg}, {"status", 1},          {"overrideNumber", 1},
        {"cardNameID", 256},         {"expireTime", expire}, {"familyFlag", QStringLiteral("1")},
    };
    for (const auto &[field, expected] : fields)
        EXPECT_EQ(second.GetCardField(QString::fromLatin1(field)).toString(), expected.toString()) << field;
    EXPECT_EQ(second.GetCardField(QStringLiteral("registrationNumber")).typeId(), QMetaType::Int);
    EXPECT_FALSE(second.GetCardField(QStringLiteral("joinerFlag")).isValid());
    CARD_STATUS_EQ(second.LoadCard(reg + 1), CardNotFound);
}

TEST_P(IssuingTest, IdenticalCopiesShareOneNumber)
{
    ASSERT_EQ(encodeGuestCard(102, now + 1, 3), 0);
    const qint32 number = cards->GetRegistrationNumber() / 256;
    EXPECT_EQ(cards->GetRegistrationNumber() % 256, 2) << "the last card made is copy 2";
    EXPECT_EQ(rowCount(TableId::Cards, QStringLiteral("numberOfIdenticallyIssuedCards = ?"), {3}), 3);
    QList<quint32> onCards;
    QList<qint32> overrides;
    for (const QString &file : trayFiles(encoderFolder())) {
        const CardImage card = decodeFile(file);
        onCards << card.registrationNumber().value_or(0);
        overrides << card.GetCardField(QStringLiteral("overrideNumber")).value_or(CardFieldValue()).integer;
    }
    std::sort(onCards.begin(), onCards.end());
    EXPECT_EQ(onCards, QList<quint32>({quint32(number * 256), quint32(number * 256 + 1), quint32(number * 256 + 2)}));
    // One occupancy, one step of the room's override number, carried by every copy.
    EXPECT_EQ(overrides, QList<qint32>({1, 1, 1}));

    ASSERT_EQ(encodeGuestCard(103, now + 1), 0);
    EXPECT_EQ(cards->GetRegistrationNumber(), (number + 1) * 256) << "the next card takes the next number";
}

TEST_P(IssuingTest, FailedWriteStoresNothing)
{
    const struct
    {
        const char *name;
        qint32 fault;
    } cases[] = {
        {"write error", WriteFailed},
        {"cancelled at the encoder", Cancelled},
        {"card taken out", NoCard},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(encoderFolder().setNextStatus(c.fault));
        CARD_STATUS_EQ(encodeGuestCard(101, now + 1), c.fault);
        EXPECT_EQ(rowCount(TableId::Cards), 0);
        EXPECT_EQ(rowCount(TableId::CardImages), 0);
        EXPECT_EQ(rowCount(TableId::CardDoors), 0);
        EXPECT_FALSE(encoderFolder().hasCard());
        EXPECT_TRUE(trayFiles(encoderFolder()).isEmpty());
        EXPECT_EQ(cards->IsReady(), 1);
    }
    ASSERT_EQ(encodeGuestCard(101, now + 1), 0);
    EXPECT_EQ(cards->GetRegistrationNumber(), 4096 * 256) << "failed writes use up no number";
}

TEST_P(IssuingTest, FaultInALaterCopyKeepsTheCopiesWritten)
{
    setEncoder(true);
    buildGuestCard(*cards, 101, now + 1, 3);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card, 101")), 0);
    VirtualDeviceFolder slot = encoderFolder();
    for (int copy = 0; copy < 3; ++copy) {
        if (copy == 2) {
            ASSERT_TRUE(slot.setNextStatus(WriteFailed));
        }
        ASSERT_TRUE(slot.insertCard(QByteArray()));
        if (copy == 2)
            break;
        // The copy is stored, then the encoder asks for a fresh card for the next one.
        ASSERT_TRUE(waitFor([&] { return rowCount(TableId::Cards) > copy; }));
        spin(20);
        CARD_STATUS_EQ(cards->GetStatus(), BusyNextCard);
    }
    CARD_STATUS_EQ(waitWhileBusy(*cards), WriteFailed);
    EXPECT_EQ(rowCount(TableId::Cards), 2);
    const qint32 number = 4096;
    EXPECT_EQ(cards->GetRegistrationNumber(), number * 256 + 1);
    EXPECT_TRUE(hasRow(TableId::Cards, QStringLiteral("registrationNumber"), number * 256 + 1));
    EXPECT_FALSE(hasRow(TableId::Cards, QStringLiteral("registrationNumber"), number * 256 + 2));
}

TEST_P(IssuingTest, DatabaseFailureBeforeTheWriteWritesNothing)
{
    refuseCardRows();
    CARD_STATUS_EQ(encodeGuestCard(101, now + 1), DatabaseError);
    EXPECT_TRUE(cards->GetStatusText(DatabaseError).contains(QStringLiteral("refused")))
        << cards->GetStatusText(DatabaseError).toStdString();
    EXPECT_FALSE(encoderFolder().hasCard());
    EXPECT_TRUE(trayFiles(encoderFolder()).isEmpty());
}

TEST_P(IssuingTest, EveryFaultPointLeavesTheRowTheCardNeeds)
{
    using Step = CardsIntf::IssueStep;
    enum class Slot { Empty, Out, Blank };
    const struct
    {
        const char *name;
        std::optional<Step> at; // where the connection drops, or the slot fails
        bool slotFails;         // the card cannot be written
        bool cardTaken;         // the card is gone before it can be erased
        qint32 status;
        std::optional<qint32> row; // Cards.status afterwards
        Slot slot;
    } cases[] = {
        {"no fault", {}, false, false, Ok, 1, Slot::Out},
        {"write fails after the commit", Step::Writing, true, false, WriteFailed, 9, Slot::Empty},
        {"drop before the rows", Step::Storing, false, false, DatabaseError, {}, Slot::Empty},
        {"drop at the commit before the write", Step::CommitNotYetIssued, false, false, DatabaseError, {}, Slot::Empty},
        {"drop after the write", Step::Written, false, false, CardErased, 9, Slot::Blank},
        {"drop at the commit after the write", Step::CommitIssued, false, false, CardErased, 9, Slot::Blank},
        {"drop after the write, card taken", Step::Written, false, true, NotConfirmed, 8, Slot::Empty},
    };
    VirtualDeviceFolder slot = encoderFolder();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        quint32 stored = 0;
        CardsIntf faulty(db, CardsIntf::Setup{deviceDir(), [&](Step step, quint32 number) {
                                                  stored = number;
                                                  if (step != c.at)
                                                      return;
                                                  if (c.slotFails) {
                                                      QDir().mkpath(slot.cardPath());
                                                      return;
                                                  }
                                                  if (c.cardTaken)
                                                      slot.removeCard();
                                                  db.dropConnection();
                                              }});
        ASSERT_EQ(faulty.Negotiate(QStringLiteral("WS1")), 0);
        ASSERT_EQ(faulty.SelectDevice(kEncoder), 0);
        buildGuestCard(faulty, 101, now + 1);
        ASSERT_EQ(faulty.EncodeCard(QStringLiteral("Guest card, 101")), 0);
        CARD_STATUS_EQ(waitWhileBusy(faulty), c.status);
        const QStringList row = cardRow(qint32(stored));
        EXPECT_EQ(row.filter(QStringLiteral("status=")),
                  c.row ? QStringList{QStringLiteral("status=%1").arg(*c.row)} : QStringList());
        // Only an issued card is found through its room.
        EXPECT_EQ(rowCount(TableId::CardDoors, QStringLiteral("registrationNumber = ?"), {qint32(stored)}),
                  c.row == 1 ? 1 : 0);
        EXPECT_EQ(trayFiles(slot).size(), c.slot == Slot::Out ? 1 : 0);
        EXPECT_EQ(slot.card(), c.slot == Slot::Blank ? std::optional<QByteArray>(QByteArray()) : std::nullopt);
        if (c.status == CardErased || c.status == NotConfirmed) {
            EXPECT_TRUE(faulty.GetStatusText(c.status)
                            .section(QLatin1Char('|'), 1)
                            .contains(QStringLiteral("Do not hand out this card")));
        }
        QDir(slot.cardPath()).removeRecursively();
        slot.removeCard();
        QDir(slot.trayPath()).removeRecursively();
    }
}

TEST_P(IssuingTest, ValidCardOfTheSameRoomInTheEncoder)
{
    const struct
    {
        const char *name;
        qint32 slotRoom;
        double slotExpire; // days from now
        qint32 rowStatus;
        qint32 newRoom;
        qint32 expected;
    } cases[] = {
        {"same room, still valid", 101, 1.5, 1, 101, ValidCardInEncoder},
        {"other room", 101, 1.5, 1, 102, Ok},
        {"same room, expired", 101, -0.01, 1, 101, Ok},
        {"same room, cancelled at the desk", 101, 1.5, 0, 101, Ok},
        {"same room, issue not confirmed", 101, 1.5, 8, 101, Ok},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(encodeGuestCard(c.slotRoom, now + c.slotExpire), 0);
        const qint32 slotReg = cards->GetRegistrationNumber();
        exec(QStringLiteral("UPDATE \"Cards\" SET \"status\" = %1 WHERE \"registrationNumber\" = %2")
                 .arg(c.rowStatus)
                 .arg(slotReg));
        VirtualDeviceFolder slot = encoderFolder();
        ASSERT_TRUE(slot.insertCard(readFile(trayFiles(slot).constLast())));
        CARD_STATUS_EQ(encodeGuestCard(c.newRoom, now + 3), c.expected);
        if (c.expected == ValidCardInEncoder) {
            EXPECT_DOUBLE_EQ(cards->GetCardExpireTime(), now + c.slotExpire);
            EXPECT_EQ(decodeFile(slot.cardPath()).registrationNumber(), quint32(slotReg)) << "the card is untouched";
            // The operator chose to go on: encoding again writes over the card.
            CARD_STATUS_EQ(encodeGuestCard(c.newRoom, now + c.slotExpire), Ok);
        }
        EXPECT_FALSE(slot.hasCard());
        QDir(slot.trayPath()).removeRecursively();
    }
}

// The encoder's own timing, with nothing stored that differs by engine.
using EncoderTimingTest = IssuingTest;

TEST_P(EncoderTimingTest, ManualModeWaitsForACard)
{
    using End = std::function<void(VirtualDeviceFolder &, CardsIntf &)>; // empty: nothing happens
    const struct
    {
        const char *name;
        End end;
        qint32 expected;
    } cases[] = {
        {"a card is inserted", [](auto &slot, auto &) { ASSERT_TRUE(slot.insertCard(QByteArray())); }, Ok},
        {"SetActive(0)", [](auto &, auto &server) { EXPECT_EQ(server.SetActive(0), 0); }, Cancelled},
        {"cancel at the encoder", [](auto &slot, auto &) { ASSERT_TRUE(slot.pressCancel()); }, Cancelled},
        {"no card in time", {}, NoCard},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        setEncoder(true, 0, 0, c.end ? 0 : 100);
        VirtualDeviceFolder slot = encoderFolder();
        ASSERT_TRUE(slot.removeCard());
        const int before = rowCount(TableId::Cards);
        buildGuestCard(*cards, 101, now + 1);
        ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card, 101")), 0);
        if (c.end) {
            spin(300);
            CARD_STATUS_EQ(cards->GetStatus(), Busy);
            EXPECT_EQ(cards->IsReady(), 0);
            c.end(slot, *cards);
        }
        CARD_STATUS_EQ(waitWhileBusy(*cards), c.expected);
        EXPECT_EQ(cards->IsReady(), 1);
        EXPECT_EQ(rowCount(TableId::Cards), before + (c.expected == Ok ? 1 : 0));
        if (c.expected != Ok) {
            // A card arriving after the end is left alone.
            ASSERT_TRUE(slot.insertCard(QByteArray()));
            spin(100);
            CARD_STATUS_EQ(cards->GetStatus(), c.expected);
            EXPECT_EQ(slot.card(), QByteArray());
        } else {
            // Manual mode leaves the written card in the slot for the operator.
            EXPECT_EQ(decodeFile(slot.cardPath()).registrationNumber(), quint32(cards->GetRegistrationNumber()));
        }
    }
}

TEST_P(IssuingTest, RegistrationNumbersStayInTheirRange)
{
    putParameter(QStringLiteral("REGNUM_FIRST"), QStringLiteral("10"));
    putParameter(QStringLiteral("REGNUM_LAST"), QStringLiteral("11"));
    ASSERT_EQ(encodeGuestCard(101, now + 1), 0);
    EXPECT_EQ(cards->GetRegistrationNumber(), 10 * 256);
    ASSERT_EQ(encodeGuestCard(102, now + 1), 0);
    EXPECT_EQ(cards->GetRegistrationNumber(), 11 * 256);

    CARD_STATUS_EQ(encodeGuestCard(103, now + 1), RangeExhausted);
    EXPECT_TRUE(cards->GetStatusText(RangeExhausted).startsWith(QStringLiteral("No registration numbers left|")));
    EXPECT_TRUE(cards->GetStatusText(RangeExhausted).contains(QStringLiteral("10 to 11")));
    EXPECT_FALSE(encoderFolder().hasCard()) << "nothing is written without a number";
    EXPECT_EQ(rowCount(TableId::Cards), 2);

    // A number never comes back, not even once housekeeping removed the highest cards.
    RecordTable t(db);
    t.SelectTable(TableId::Cards);
    t.SetField(QStringLiteral("registrationNumber"), 11 * 256);
    t.DeleteRecord();
    ASSERT_EQ(t.Status(), RecordStatus::Ok) << t.ErrorText(t.Status()).toStdString();
    CARD_STATUS_EQ(encodeGuestCard(103, now + 1), RangeExhausted);
    putParameter(QStringLiteral("REGNUM_LAST"), QStringLiteral("12"));
    ASSERT_EQ(encodeGuestCard(103, now + 1), 0);
    EXPECT_EQ(cards->GetRegistrationNumber(), 12 * 256);

    removeParameter(QStringLiteral("REGNUM_LAST"));
    CARD_STATUS_EQ(encodeGuestCard(103, now + 1), NoRange);
    putParameter(QStringLiteral("REGNUM_LAST"), QStringLiteral("9"));
    CARD_STATUS_EQ(encodeGuestCard(103, now + 1), NoRange);
}

TEST_P(EncoderTimingTest, BatchModeReportsEachCardBeforeItLeavesTheEncoder)
{
    setEncoder(false, 0, 150);
    // Without batch mode a card is done only once it is out of the encoder.
    buildGuestCard(*cards, 101, now + 1);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card, 101")), 0);
    bool sawEjecting = false;
    while (isBusy(cards->GetStatus())) {
        sawEjecting = sawEjecting || cards->GetStatus() == BusyEjecting;
        spin(1);
    }
    EXPECT_TRUE(sawEjecting);
    CARD_STATUS_EQ(cards->GetStatus(), Ok);
    EXPECT_EQ(cards->IsReady(), 1);

    ASSERT_EQ(cards->SetBatchMode(1), 0);
    for (qint32 room : {102, 103}) {
        buildGuestCard(*cards, room, now + 1);
        ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card")), 0);
        CARD_STATUS_EQ(waitWhileBusy(*cards), Ok);
        EXPECT_EQ(cards->IsReady(), 0) << "the card is still being ejected";
    }
    EXPECT_TRUE(waitFor([&] { return cards->IsReady() == 1; }));
    EXPECT_EQ(rowCount(TableId::Cards), 3);
    EXPECT_EQ(trayFiles(encoderFolder()).size(), 3);

    // Turning to the handheld unit while a card is still ejected finishes the eject at once.
    buildGuestCard(*cards, 101, now + 1);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card")), 0);
    CARD_STATUS_EQ(waitWhileBusy(*cards), Ok);
    ASSERT_EQ(cards->IsReady(), 0);
    ASSERT_EQ(cards->SelectDevice(kHandheld), 0);
    EXPECT_EQ(cards->IsReady(), 1);
    EXPECT_FALSE(encoderFolder().hasCard());
    EXPECT_EQ(trayFiles(encoderFolder()).size(), 4);
    EXPECT_EQ(cards->SetBatchMode(0), 0);
}

TEST_P(IssuingTest, OperatorCardLogon)
{
    qint32 user = -1;
    double expire = -1;
    CARD_STATUS_EQ(cards->LogonOperator(user, expire), NoCard);

    ASSERT_EQ(cards->NewCard(), 0);
    ASSERT_EQ(cards->BeginBlock(110), 0);
    ASSERT_EQ(cards->AddDoorRange(100, 0, 9999), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("cardNameID"), 270), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("userID"), operatorId), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("expireTime"), now + 30), 0);
    ASSERT_EQ(cards->SetCardField(QStringLiteral("mainGuestRoom"), qint16(0)), 0);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Operator card")), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    VirtualDeviceFolder slot = encoderFolder();
    const QByteArray operatorCard = readFile(trayFiles(slot).constLast());

    ASSERT_TRUE(slot.insertCard(operatorCard));
    EXPECT_EQ(cards->LogonOperator(user, expire), 0);
    EXPECT_EQ(user, operatorId);
    EXPECT_DOUBLE_EQ(expire, now + 30);

    now += 31;
    CARD_STATUS_EQ(cards->LogonOperator(user, expire), NotOperatorCard) << "expired";
    now -= 31;
    ASSERT_EQ(encodeGuestCard(101, now + 1), 0);
    ASSERT_TRUE(slot.insertCard(readFile(trayFiles(slot).constLast())));
    CARD_STATUS_EQ(cards->LogonOperator(user, expire), NotOperatorCard) << "a guest card";
}

INSTANTIATE_TEST_SUITE_P(Engines, IssuingTest, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, EncoderTimingTest, ::testing::Values("sqlite"));
