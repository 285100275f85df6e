#include "ToolTest.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/BulkFill.h"
#include "ostrelle-db/DbTool.h"
#include "ostrelle-db/DemoHotel.h"

#include <QHash>
#include <QSet>

#include <cmath>

namespace {

// 2024-05-01 12:00, so the history does not depend on the day the test runs.
constexpr double kEnd = 45413.5;

const QStringList kCardFields = QStringLiteral("registrationNumber,cardNameID,issueTime,startTime,expireTime,status,"
                                               "cancelTime,mainGuestRoom,userID,numberOfIdenticallyIssuedCards")
                                    .split(QLatin1Char(','));
const QStringList kEventFields = {"registrationNumber", "cardNameID", "eventTime", "readoutTime", "doorID",
                                  "eventCode",          "userID"};

class FillTest : public ToolTest
{
protected:
    FillResult fill(qint64 cards, qint64 events, quint32 seed = 7)
    {
        FillOptions options;
        options.cards = cards;
        options.events = events;
        options.years = 2;
        options.endTime = kEnd;
        options.seed = seed;
        options.rowsPerCommit = 400; // several commits even for small fills
        FillResult result;
        QString error;
        EXPECT_TRUE(FillDatabase(db(), options, result, error)) << error.toStdString();
        return result;
    }

    qint32 rowCount(qint32 tableId, const QString &where, const QVariantList &parameters)
    {
        RecordTable table(db());
        table.SelectTable(tableId);
        table.OpenQuery(where, QString());
        for (const QVariant &p : parameters)
            table.AddParameter(p);
        return table.RowCount();
    }

    QList<QVariantList> cards()
    {
        return QueryRows(db(), TableId::Cards, QStringLiteral("registrationNumber >= ?"), {0}, kCardFields,
                         QStringLiteral("registrationNumber"));
    }
};

TEST_P(FillTest, CardsFollowTheRulesOfTheSystem)
{
    createDemo();
    fill(1500, 0);
    const auto rooms =
        QueryRows(db(), TableId::Doors, QStringLiteral("doorCategory in(?,?)"), {"G", "L"}, {QStringLiteral("doorID")});
    QSet<int> roomIds;
    for (const QVariantList &r : rooms)
        roomIds.insert(r[0].toInt());
    const QSet<int> roomKinds{256, 257, 258, 259, 264, 267};
    QHash<int, int> byKind;
    int afternoon = 0, night = 0;
    for (const QVariantList &c : cards()) {
        const int number = c[0].toInt();
        const int kind = c[1].toInt();
        const double issue = c[2].toDouble(), start = c[3].toDouble(), expire = c[4].toDouble();
        ++byKind[kind];
        EXPECT_TRUE(kind >= 256 && kind <= 280) << kind;
        EXPECT_GE(issue, kEnd - 2 * 365.2425 - 1) << number;
        EXPECT_LE(issue, kEnd + 0.01) << number;
        EXPECT_GT(expire, start) << number;
        EXPECT_GE(start, issue - 1e-6) << number;
        // Copies 0 .. n-1 of one number.
        EXPECT_LT(number % 256, c[9].toInt()) << number;
        if (roomKinds.contains(kind)) {
            EXPECT_TRUE(roomIds.contains(c[7].toInt())) << "card " << number << " room " << c[7].toInt();
        } else {
            EXPECT_EQ(c[7].toInt(), 0) << number;
        }
        // Only a cancelled card has a cancel time, at or after its issue.
        EXPECT_EQ(c[5].toInt() == 0, !c[6].isNull()) << number;
        if (!c[6].isNull()) {
            EXPECT_GE(c[6].toDouble(), issue) << number;
        }
        const double hour = std::fmod(issue, 1.0) * 24;
        afternoon += hour >= 12 && hour < 20;
        night += hour < 8;
    }
    EXPECT_GT(byKind.value(256), 1500 / 2) << "guest cards are most of a hotel's cards";
    EXPECT_GT(byKind.value(257), 0);
    EXPECT_GT(byKind.value(260) + byKind.value(261) + byKind.value(273) + byKind.value(274) + byKind.value(276), 0);
    EXPECT_GT(afternoon, 3 * night) << "front desks are busiest when guests arrive";
}

TEST_P(FillTest, EventsHappenAtDoorsWithCardsThatExisted)
{
    createDemo();
    const FillResult result = fill(800, 4000);
    EXPECT_EQ(result.events, 4000);
    QHash<int, QVariantList> byNumber;
    for (const QVariantList &c : cards())
        byNumber.insert(c[0].toInt(), c);
    const auto doors = QueryRows(db(), TableId::Doors, QStringLiteral("doorID >= ?"), {0}, {QStringLiteral("doorID")});
    QSet<int> doorIds;
    for (const QVariantList &d : doors)
        doorIds.insert(d[0].toInt());

    int withCard = 0, accepted = 0;
    const auto events = QueryRows(db(), TableId::EventView, QStringLiteral("eventTime >= ?"), {0.0}, kEventFields);
    ASSERT_EQ(events.size(), 4000);
    for (const QVariantList &e : events) {
        const int number = e[0].toInt();
        const double eventTime = e[2].toDouble();
        EXPECT_GE(e[3].toDouble(), eventTime) << "read out before it happened";
        EXPECT_LE(e[3].toDouble(), kEnd);
        EXPECT_GE(eventTime, kEnd - 2 * 365.2425 - 1);
        EXPECT_TRUE(doorIds.contains(e[4].toInt())) << e[4].toInt();
        accepted += e[5].toInt() == 1;
        if (number == 0)
            continue;
        ++withCard;
        ASSERT_TRUE(byNumber.contains(number)) << number;
        const QVariantList &card = byNumber[number];
        EXPECT_EQ(e[1], card[1]) << "kind of card " << number;
        EXPECT_EQ(e[6], card[8]) << "holder of card " << number;
        EXPECT_GE(eventTime, card[2].toDouble()) << "card used before it was issued";
        if (e[5].toInt() == 1) {
            EXPECT_LE(eventTime, card[4].toDouble()) << "expired card accepted";
        }
    }
    EXPECT_GT(withCard, 4000 * 3 / 4);
    EXPECT_GT(accepted, 4000 / 2);

    // The read-out list finds each read-out's events by door and read-out time.
    const auto readouts =
        QueryRows(db(), TableId::ReadoutView, QStringLiteral("readoutTime > ?"), {0},
                  {QStringLiteral("doorID"), QStringLiteral("readoutTime")}, QStringLiteral("readoutTime desc"));
    ASSERT_FALSE(readouts.isEmpty());
    EXPECT_EQ(readouts.size(), result.readouts);
    for (const QVariantList &r : readouts.mid(0, 5)) {
        EXPECT_GT(rowCount(TableId::EventView, QStringLiteral("doorID = ? and readoutTime = ?"), {r[0], r[1]}), 0);
    }
}

TEST_P(FillTest, SecondFillContinuesTheCardNumbers)
{
    createDemo();
    fill(300, 100, 1);
    const auto first = cards();
    EXPECT_EQ(fill(300, 100, 2).cards, 300);
    const auto all = cards();
    ASSERT_EQ(all.size(), 600);
    // The card list sees every one of them.
    EXPECT_EQ(rowCount(TableId::CardView, QStringLiteral("registrationNumber >= ?"), {0}), 600);
    EXPECT_GT(all[300][0].toInt() / 256, first.last()[0].toInt() / 256);
    EXPECT_EQ(rowCount(TableId::EventView, QStringLiteral("eventTime >= ?"), {0.0}), 200);
}

TEST_P(FillTest, ChangeTimesMoveAndKeepMovingAfterAFill)
{
    createDemo();
    RecordTable table(db());
    const double cardsBefore = table.TableChangeTime(TableId::Cards);
    const double eventsBefore = table.TableChangeTime(TableId::Events);
    fill(200, 200);
    const double cardsAfter = table.TableChangeTime(TableId::Cards);
    EXPECT_GT(cardsAfter, cardsBefore);
    EXPECT_GT(table.TableChangeTime(TableId::Events), eventsBefore);

    // Cancelling a card afterwards is still noticed by other workstations.
    const int number = cards().first()[0].toInt();
    table.SelectTable(TableId::Cards);
    table.SetField(QStringLiteral("registrationNumber"), number);
    table.FindRecord();
    ASSERT_EQ(table.Status(), RecordStatus::Ok);
    table.SetField(QStringLiteral("status"), 0);
    table.UpdateRecord();
    ASSERT_EQ(table.Status(), RecordStatus::Ok) << table.ErrorText(table.Status()).toStdString();
    EXPECT_GT(table.TableChangeTime(TableId::Cards), cardsAfter);
}

TEST_P(FillTest, RefusesWithoutRoomsOrCardNumbers)
{
    create();
    QString error;
    FillOptions options;
    options.cards = 10;
    options.events = 10;
    FillResult result;
    EXPECT_FALSE(FillDatabase(db(), options, result, error));
    EXPECT_TRUE(error.contains(QStringLiteral("demo"))) << error.toStdString();

    ASSERT_TRUE(DemoHotel::seed(db(), error)) << error.toStdString();
    RecordTable table(db());
    table.SelectTable(TableId::Parameters);
    table.SetField(QStringLiteral("parameterID"), QStringLiteral("REGNUM_LAST"));
    table.FindRecord();
    table.SetField(QStringLiteral("parameter"), QStringLiteral("5"));
    table.UpdateRecord();
    ASSERT_EQ(table.Status(), RecordStatus::Ok);
    EXPECT_FALSE(FillDatabase(db(), options, result, error));
    EXPECT_TRUE(error.contains(QStringLiteral("REGNUM_LAST"))) << error.toStdString();
    EXPECT_TRUE(cards().isEmpty());
}

OSTRELLE_ON_EVERY_ENGINE(FillTest);

TEST(FillSeed, SameOptionsGiveTheSameHistory)
{
    const auto texts = LoadShippedTexts();
    QList<QList<QVariantList>> histories;
    for (int run = 0; run < 2; ++run) {
        ToolDatabase test(false);
        ASSERT_FALSE(HasFatalFailure());
        QString error;
        ASSERT_TRUE(DbTool::createDemo(test.db, *texts, FillOptions{}, error)) << error.toStdString();
        FillOptions options;
        options.cards = 400;
        options.events = 400;
        options.endTime = kEnd;
        options.seed = 99;
        FillResult result;
        ASSERT_TRUE(FillDatabase(test.db, options, result, error)) << error.toStdString();
        histories << QueryRows(test.db, TableId::Cards, QStringLiteral("registrationNumber >= ?"), {0}, kCardFields,
                               QStringLiteral("registrationNumber"))
                  << QueryRows(test.db, TableId::EventView, QStringLiteral("eventTime >= ?"), {0.0}, kEventFields,
                               QStringLiteral("eventTime"));
    }
    EXPECT_EQ(histories[0], histories[2]);
    EXPECT_EQ(histories[1], histories[3]);
}

} // namespace
