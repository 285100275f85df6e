// Range estimates: the list filters send every field's range, most of them spanning all values;
// SQLite's planner cannot tell them from a narrow one unless the component says how much each keeps.
#include "DatabaseFixture.h"
#include "components/recordtable/RangeEstimates.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr double kEndOfDay = 0.999988425925926;
constexpr double kEarliest = 25570.0;            // an empty "from" date
constexpr double kLatest = NoExpiry + kEndOfDay; // an empty "to" date
constexpr qint32 kAllNumbers = 0x0FFFFFFF;
constexpr double kFirstEvent = 45000.0;
constexpr int kEvents = 4000; // one every 3 hours: 500 days
constexpr int kCards = 3000;  // one every 4 hours
constexpr double kEventStep = 0.125;
constexpr double kLastEvent = kFirstEvent + (kEvents - 1) * kEventStep;

const ColumnDef *field(qint32 tableId, const char *name)
{
    return tableDef(tableId)->column(QString::fromLatin1(name));
}

// The filters of the event list and the card list as their windows build them.
const QString kEventList = QStringLiteral("registrationNumber >= ? and registrationNumber <= ? and eventTime >= ? and "
                                          "eventTime <= ? and readoutTime >= ? and readoutTime <= ?");
const QString kCardList = QStringLiteral(
    "issueTime >= ? and issueTime <= ? and startTime >= ? and startTime <= ? and expireTime >= ? and expireTime <= ? "
    "and registrationNumber >= ? and registrationNumber <= ? and mainGuestRoom >= ? and mainGuestRoom <= ? and %1 "
    "and cardNameID in(256,257,258,260,268)");

struct ListCase
{
    const char *name;
    qint32 tableId;
    QString where;
    QVariantList parameters;
    bool estimated; // SQLite: the statement carries estimates
};

QList<ListCase> listCases()
{
    const double last = kFirstEvent + 400;
    const qint32 events = TableId::EventView, cards = TableId::CardView;
    const auto sql = [](const char *where) { return QString::fromLatin1(where); };
    const QVariantList allCards = {kEarliest, kLatest, kEarliest, kLatest, kEarliest, kLatest, 0, kAllNumbers, 0, 9999};
    QVariantList lastMonth = allCards;
    lastMonth[0] = last - 30;
    lastMonth[1] = last + kEndOfDay;
    // clang-format off
    return {
        {"event list, five days", events, kEventList + sql(" and cardNameID in(256,257,260)"),
         {0, kAllNumbers, last - 5, last + kEndOfDay, kEarliest, kLatest}, true},
        {"event list, one card's copies", events, kEventList,
         {7 * 256, 7 * 256 + 255, kEarliest, kLatest, kEarliest, kLatest}, true},
        {"event list, one kind over all time", events, kEventList + sql(" and cardNameID in(268)"),
         {0, kAllNumbers, kEarliest, kLatest, kEarliest, kLatest}, true},
        {"window after the last event", events, kEventList, {0, kAllNumbers, 50000.0, 50010.0, kEarliest, kLatest},
         true},
        {"reversed window", events, kEventList, {0, kAllNumbers, last, last - 5, kEarliest, kLatest}, true},
        {"strict bounds on stored values", events, sql("eventTime > ? and eventTime < ?"),
         {kFirstEvent + 10 * kEventStep, kFirstEvent + 20 * kEventStep}, true},
        {"written numbers", events, sql("eventTime >= 45010.25 and eventTime <= 45020 and registrationNumber >= 0"),
         {}, true},
        {"a NULL bound", events, sql("eventTime >= ? and registrationNumber <= ?"), {QVariant(), kAllNumbers}, true},
        {"door and window", events, sql("doorID = ? and eventTime >= ? and eventTime <= ?"), {2, last - 30, last},
         true},
        {"or at the top", events, sql("eventTime >= ? or registrationNumber <= ?"), {last, 3 * 256}, false},
        {"negated and nested", events,
         sql("not eventTime >= ? and (registrationNumber >= ? and registrationNumber <= ?)"), {last, 0, 2304}, false},
        {"value followed by more", events, sql("eventTime >= ? - 1 and doorID = 1"), {last}, false},
        {"card list, valid cards", cards, kCardList.arg(sql("status in(1,2,3)")), allCards, true},
        {"card list, issued in 30 days", cards, kCardList.arg(sql("status >= 0 and status <= 5")), lastMonth, true},
    };
    // clang-format on
}

} // namespace

TEST(RangeSources, ViewFieldsNameTheirBaseColumn)
{
    const struct
    {
        qint32 tableId;
        const char *field, *table, *column;
        bool indexed;
    } cases[] = {
        {TableId::EventView, "eventTime", "Events", "eventTime", true},
        {TableId::EventView, "registrationNumber", "Events", "registrationNumber", true},
        {TableId::EventView, "repeatFlag", "Events", "repeatFlag", false},
        {TableId::EventView, "issueOperatorAlphaID", "Users", "alphaID", true},
        {TableId::CardView, "doorID", "Cards", "mainGuestRoom", true},
        {TableId::CardView, "registrationNumber", "Cards", "registrationNumber", true}, // the key
        {TableId::CardView, "status", "Cards", "status", true},
        {TableId::CardView, "cardNameID", "Cards", "cardNameID", false}, // second in its index
        {TableId::RoomView, "issueTime", "Cards", "issueTime", true},    // c, not the subquery's c2
        {TableId::DoorCardView, "doorID", "CardDoors", "doorID", true},
        {TableId::UserView, "deleted", "Users", "deleted", false}, // a view over one table, no aliases
        {TableId::CardStatistics, "cardCount", "", "", false},     // computed
        {TableId::Events, "readoutTime", "Events", "readoutTime", true},
    };
    for (const auto &c : cases) {
        const ColumnDef *col = field(c.tableId, c.field);
        ASSERT_NE(col, nullptr) << c.field;
        EXPECT_EQ(col->sourceTable, QString::fromLatin1(c.table)) << c.field;
        EXPECT_EQ(col->sourceColumn, QString::fromLatin1(c.column)) << c.field;
        EXPECT_EQ(col->sourceIndexed, c.indexed) << c.field;
    }
}

TEST(RangeShares, EvenlySpreadValuesBetweenTheExtremes)
{
    const ColumnDef *eventTime = field(TableId::EventView, "eventTime");
    const ColumnDef *regNumber = field(TableId::EventView, "registrationNumber");
    const ColumnDef *repeat = field(TableId::EventView, "repeatFlag");
    const ColumnDef *room = field(TableId::CardView, "mainGuestRoom");
    const ColumnDef *roomAlias = field(TableId::CardView, "doorID");
    const RangeEstimates::Extremes extremes{{QStringLiteral("Events.eventTime"), {100.0, 200.0}},
                                            {QStringLiteral("Events.registrationNumber"), {5.0, 5.0}},
                                            {QStringLiteral("Events.repeatFlag"), {0.0, 1.0}},
                                            {QStringLiteral("Cards.mainGuestRoom"), {0.0, 1000.0}}};
    const double none = RangeEstimates::NoEstimate;
    const struct
    {
        const char *name;
        QList<RangeTerm> terms;
        QVariantList parameters;
        QList<double> expected;
    } cases[] = {
        {"both bounds: the first carries the window",
         {{0, eventTime, true, 0, 0}, {4, eventTime, false, 1, 0}},
         {150.0, 160.0},
         {0.1, 1.0}},
        {"a range wider than the values",
         {{0, eventTime, true, 0, 0}, {4, eventTime, false, 1, 0}},
         {0.0, 1e6},
         {1, 1}},
        {"lower bound alone", {{0, eventTime, true, 0, 0}}, {175.0}, {0.25}},
        {"upper bound alone, a written number", {{0, eventTime, false, -1, 110.0}}, {}, {0.1}},
        {"beyond the values", {{0, eventTime, true, 0, 0}}, {250.0}, {0}},
        {"reversed", {{0, eventTime, true, 0, 0}, {4, eventTime, false, 1, 0}}, {160.0, 150.0}, {0, 1}},
        {"the tightest of several bounds",
         {{0, eventTime, true, 0, 0}, {4, eventTime, true, 1, 0}, {8, eventTime, false, 2, 0}},
         {120.0, 140.0, 190.0},
         {0.5, 1, 1}},
        {"a NULL value leaves the column unestimated",
         {{0, eventTime, true, 0, 0}, {4, eventTime, false, 1, 0}},
         {QVariant(), 160.0},
         {none, none}},
        {"a text value likewise", {{0, eventTime, true, 0, 0}}, {QStringLiteral("x")}, {none}},
        {"equal extremes", {{0, regNumber, true, 0, 0}}, {1}, {none}},
        {"an unindexed column", {{0, repeat, true, 0, 0}}, {1}, {none}},
        {"no extremes known", {{0, field(TableId::EventView, "readoutTime"), true, 0, 0}}, {1.0}, {none}},
        {"two fields over one column are one range",
         {{0, room, true, 0, 0}, {4, roomAlias, false, 1, 0}},
         {100, 300},
         {0.2, 1}},
    };
    for (const auto &c : cases) {
        const QList<double> got = RangeEstimates::shares(c.terms, c.parameters, extremes);
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (int i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got.at(i), c.expected.at(i), 1e-12) << c.name << ", term " << i;
    }
}

class RangeTest : public DatabaseTest
{
protected:
    // Events over 500 days, cards over 500 days (most of them expired, as in a hotel's history),
    // and rows with NULL in every filtered column.
    void seed()
    {
        RecordDatabase::Transaction transaction(db);
        QSqlQuery q(db.sqlDatabase());
        ASSERT_TRUE(q.prepare(QStringLiteral(
            R"(INSERT INTO "Events" ("doorID", "readoutTime", "eventTime", "eventCode", "registrationNumber",)"
            R"( "cardNameID", "userID") VALUES (?, ?, ?, 1, ?, ?, NULL))")));
        for (int i = 0; i < kEvents; ++i) {
            const double at = kFirstEvent + i * kEventStep;
            const QVariantList row{1 + i % 3, std::floor(at) + 1, at, (i % 60) * 256 + i % 3,
                                   i % 40 == 0 ? 268 : 256 + i % 5};
            for (const QVariant &v : row)
                q.addBindValue(v);
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        ASSERT_TRUE(q.exec(QStringLiteral(
            R"(INSERT INTO "Events" ("doorID", "readoutTime", "eventTime", "registrationNumber", "cardNameID") VALUES)"
            R"( (NULL, NULL, NULL, NULL, NULL), (2, NULL, 45300, NULL, 256), (2, 45301, NULL, 300, NULL))")));
        ASSERT_TRUE(q.prepare(QStringLiteral(
            R"(INSERT INTO "Cards" ("registrationNumber", "cardNameID", "issueTime", "startTime", "expireTime",)"
            R"( "status", "mainGuestRoom") VALUES (?, ?, ?, ?, ?, ?, ?))")));
        for (int i = 0; i < kCards; ++i) {
            const double issued = kFirstEvent + i / 6.0;
            // About 1 in 30 cards valid, most expired, a few of each other status; 22 kinds.
            const int status = i % 30 < 3 ? 1 + i % 30 : i % 30 == 3 ? 0 : i % 30 == 4 ? 5 : 4;
            const QVariantList row{(i + 1) * 256, 256 + (i / 30) % 22,          issued, issued, issued + 3,
                                   status,        i % 7 == 0 ? 0 : 100 + i % 50};
            for (const QVariant &v : row)
                q.addBindValue(v);
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        ASSERT_TRUE(q.exec(QStringLiteral(
            R"(INSERT INTO "Cards" ("registrationNumber", "cardNameID", "issueTime", "status", "mainGuestRoom"))"
            R"( VALUES (1, NULL, NULL, 1, NULL), (2, 256, 45300, 1, 101))")));
        ASSERT_TRUE(transaction.commit());
    }

    // The key of every row the component's query returns, and of the same filter run as written.
    std::pair<QList<qint32>, QList<qint32>> rowsBothWays(const ListCase &c)
    {
        const QString key = tableDef(c.tableId)->keyField();
        QList<qint32> estimated, plain;
        RecordTable t(db);
        t.SelectTable(c.tableId);
        t.OpenQuery(c.where, QString());
        for (const QVariant &p : c.parameters)
            t.AddParameter(p);
        while (t.Status() == RecordStatus::Ok) {
            estimated << t.GetField(key).toInt();
            t.MoveNext();
        }
        EXPECT_STATUS(t, RecordStatus::NoRecord) << c.name;
        // The same statement without the estimates.
        static const QRegularExpression estimate(QStringLiteral(R"re(likelihood\(([^,()]*), [0-9.]+\))re"));
        QString plainSql = t.querySql(c.where, QString(), c.parameters);
        plainSql.replace(estimate, QStringLiteral("\\1"));
        EXPECT_FALSE(plainSql.contains(QStringLiteral("likelihood"))) << plainSql.toStdString();
        QSqlQuery q(db.sqlDatabase());
        EXPECT_TRUE(q.prepare(plainSql)) << c.name;
        for (const QVariant &p : c.parameters)
            q.addBindValue(p);
        EXPECT_TRUE(q.exec()) << c.name << ": " << q.lastError().text().toStdString();
        while (q.next())
            plain << q.value(key).toInt();
        std::sort(estimated.begin(), estimated.end());
        std::sort(plain.begin(), plain.end());
        return {estimated, plain};
    }
};

TEST_P(RangeTest, EstimatedQueriesReturnTheRowsOfThePlainOnes)
{
    seed();
    if (!isPostgres()) {
        // SQLite keeps a text that is no number as it is: such a value is no number to estimate with.
        QSqlQuery q(db.sqlDatabase());
        ASSERT_TRUE(q.exec(QStringLiteral(R"(INSERT INTO "Cards" ("registrationNumber", "issueTime", "status",)"
                                          R"( "cardNameID") VALUES (3, 'soon', 2, 256))")));
    }
    RecordTable t(db);
    for (const ListCase &c : listCases()) {
        t.SelectTable(c.tableId);
        const QString sql = t.querySql(c.where, QString(), c.parameters);
        EXPECT_EQ(sql.contains(QStringLiteral("likelihood(")), c.estimated && !isPostgres())
            << c.name << ": " << sql.toStdString();
        const auto [estimated, plain] = rowsBothWays(c);
        EXPECT_EQ(estimated, plain) << c.name;
        if (!c.parameters.isEmpty()) {
            EXPECT_FALSE(t.querySql(c.where, QString()).contains(QStringLiteral("likelihood(")))
                << c.name << ": without its values the statement is estimated nowhere";
        }
    }
    // The five-day window's share of the stored event times, with the window's other bound left at 1.
    t.SelectTable(TableId::EventView);
    const double last = kFirstEvent + 400;
    const QString sql = t.querySql(QStringLiteral("eventTime >= ? and eventTime <= ?"), QString(), {last - 5, last});
    if (!isPostgres()) {
        EXPECT_TRUE(sql.contains(
            QStringLiteral("likelihood(\"eventTime\" >= ?, %1) AND likelihood(\"eventTime\" <= ?, 1.000000000)")
                .arg(QString::number(5 / (kLastEvent - kFirstEvent), 'f', 9))))
            << sql.toStdString();
    }
}

TEST_P(RangeTest, TheNarrowRangeLeadsThePlan)
{
    if (isPostgres())
        GTEST_SKIP() << "PostgreSQL plans with its own value statistics";
    seed();
    const QString expected[] = {QStringLiteral("eventTime>?"), QStringLiteral("ix_Events_registrationNumber"),
                                QStringLiteral("ix_Events_cardNameID_eventTime"),
                                QStringLiteral("ix_Cards_status_cardNameID"), QStringLiteral("ix_Cards_issueTime")};
    const char *names[] = {"event list, five days", "event list, one card's copies",
                           "event list, one kind over all time", "card list, valid cards",
                           "card list, issued in 30 days"};
    // Before statistics exist and after the housekeeping gathered them.
    for (const bool analyzed : {false, true}) {
        if (analyzed) {
            QSqlQuery q(db.sqlDatabase());
            ASSERT_TRUE(q.exec(QStringLiteral("ANALYZE")));
        }
        RecordTable t(db);
        for (const ListCase &c : listCases()) {
            const auto at = std::find(std::begin(names), std::end(names), std::string_view(c.name));
            if (at == std::end(names))
                continue;
            t.SelectTable(c.tableId);
            QString sql = t.querySql(c.where, QString(), c.parameters);
            for (const QVariant &p : c.parameters)
                sql.replace(sql.indexOf(QLatin1Char('?')), 1, QString::number(p.toDouble(), 'g', 17));
            QSqlQuery plan(db.sqlDatabase());
            ASSERT_TRUE(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
                << plan.lastError().text().toStdString();
            QString driving;
            while (plan.next() && driving.isEmpty()) {
                const QString detail = plan.value(3).toString();
                if (detail.contains(QStringLiteral(" e ")) || detail.contains(QStringLiteral(" c ")) ||
                    detail.endsWith(QStringLiteral(" e")) || detail.endsWith(QStringLiteral(" c")))
                    driving = detail;
            }
            EXPECT_TRUE(driving.contains(expected[at - std::begin(names)]))
                << c.name << (analyzed ? " (analyzed)" : "") << ": " << driving.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RangeTest, ::testing::Values("sqlite", "postgresql"));
