#include "RecordingWindow.h"
#include "ScriptedMessages.h"
#include "SessionFixture.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "session/UserCreation.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QObject>
#include <QSqlQuery>
#include <QTimer>

#include <vector>

namespace {

constexpr double kSecond = 1.0 / 86400.0;

struct StoredUser
{
    bool found = false;
    QString alphaID, surname, firstname;
    QVariant userGroupID;
    int doNotShow = -1, deleted = -1;
};

class UserCreationTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Users 1 and 2 are built in, as in every installation, so 1 means failure only.
        addUser(QStringLiteral("ADMIN"));
        addUser(QStringLiteral("SERVICE"));
    }

    // The wait between tries moves the pinned server clock on, as the real second would.
    UserCreationWait clockWait()
    {
        return [this](int ms) {
            waits.push_back(ms);
            busyDuringWait.push_back(QApplication::overrideCursor() &&
                                     QApplication::overrideCursor()->shape() == Qt::WaitCursor);
            now += ms / 1000.0 * kSecond;
        };
    }

    qint32 create(const QString &surname = QStringLiteral("Berger"), const QString &firstname = QStringLiteral("Anna"))
    {
        return CreateUserFromName(ws->program, ws->db, ws->session, surname, firstname, nullptr, clockWait());
    }

    StoredUser stored(qint32 userID)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Users);
        t.SetField(QStringLiteral("userID"), userID);
        t.FindRecord();
        StoredUser user;
        if (t.Status() != RecordStatus::Ok)
            return user;
        user.found = true;
        user.alphaID = t.GetField(QStringLiteral("alphaID")).toString();
        user.surname = t.GetField(QStringLiteral("surname")).toString();
        user.firstname = t.GetField(QStringLiteral("firstname")).toString();
        user.userGroupID = t.GetField(QStringLiteral("userGroupID"));
        user.doNotShow = t.GetField(QStringLiteral("doNotShow")).toInt();
        user.deleted = t.GetField(QStringLiteral("deleted")).toInt();
        return user;
    }

    std::vector<int> waits;
    std::vector<bool> busyDuringWait;
};

TEST(UserIdentifier, IsTheServerTimeAsYearMonthDayHourMinuteSecondFollowedById)
{
    struct Case
    {
        QDate date;
        QTime time;
        const char *expected;
    };
    const Case cases[] = {
        {{2024, 6, 1}, {12, 0, 0}, "240601120000ID"},   {{2009, 12, 31}, {23, 59, 59}, "091231235959ID"},
        {{2030, 1, 2}, {3, 4, 5}, "300102030405ID"},    {{2024, 6, 1}, {0, 0, 0}, "240601000000ID"},
        {{2024, 3, 31}, {2, 30, 15}, "240331023015ID"}, // inside the local daylight saving gap
        {{2024, 10, 27}, {2, 30, 0}, "241027023000ID"}, // the hour that repeats
    };
    for (const Case &c : cases) {
        EXPECT_EQ(UserIdentifierFromTime(OleDate::fromDateTime(c.date, c.time)).toStdString(), c.expected)
            << c.date.toString(Qt::ISODate).toStdString() << ' ' << c.time.toString().toStdString();
    }
}

TEST_P(UserCreationTest, StoresAHiddenRemovedUserUnderTheServerTimeIdentifier)
{
    const qint32 userID = create(QStringLiteral("Berger"), QStringLiteral("Anna"));
    ASSERT_GT(userID, 2);
    const StoredUser user = stored(userID);
    ASSERT_TRUE(user.found);
    EXPECT_EQ(user.alphaID, QStringLiteral("240601120000ID"));
    EXPECT_EQ(user.surname, QStringLiteral("Berger"));
    EXPECT_EQ(user.firstname, QStringLiteral("Anna"));
    EXPECT_EQ(user.userGroupID.metaType(), QMetaType::fromType<qint16>());
    EXPECT_EQ(user.userGroupID.toInt(), 0);
    EXPECT_EQ(user.doNotShow, 1);
    EXPECT_EQ(user.deleted, 1);
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass stays after the run";
}

TEST_P(UserCreationTest, ATakenIdentifierIsTriedAgainASecondLaterAtMostThreeTimes)
{
    struct Case
    {
        const char *name;
        std::vector<QString> active;  // identifiers of users in the register
        std::vector<QString> removed; // identifiers of removed users
        const char *expected;
        size_t waits;
    };
    const std::vector<Case> cases = {
        {"one taken", {"240601120000ID"}, {}, "240601120001ID", 1},
        {"taken by a removed user", {}, {"240601120000ID"}, "240601120001ID", 1},
        {"two taken", {"240601120000ID", "240601120001ID"}, {}, "240601120002ID", 2},
        {"three taken: the last anyway", {"240601120000ID", "240601120001ID"}, {"240601120002ID"}, "240601120002ID", 2},
        {"a later one taken does not matter", {"240601120001ID"}, {}, "240601120000ID", 0},
    };
    const double start = now;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db.sqlDatabase().transaction());
        QSqlQuery(db.sqlDatabase()).exec(QStringLiteral(R"(DELETE FROM "Users" WHERE "userID" > 2)"));
        ASSERT_TRUE(db.sqlDatabase().commit());
        now = start;
        waits.clear();
        busyDuringWait.clear();
        for (const QString &id : c.active)
            addUser(id);
        for (const QString &id : c.removed)
            addUser({.alphaID = id, .deleted = 1});

        const qint32 userID = create();
        ASSERT_GT(userID, 2);
        EXPECT_EQ(stored(userID).alphaID.toStdString(), c.expected);
        EXPECT_EQ(waits.size(), c.waits);
        for (size_t i = 0; i < waits.size(); ++i) {
            EXPECT_EQ(waits[i], 1000);
            EXPECT_TRUE(busyDuringWait[i]) << "no hourglass during wait " << i;
        }
    }
}

TEST_P(UserCreationTest, AFailedInsertShowsItsErrorCodeAndAnswersOne)
{
    // Every identifier unique, removed users included, so the third taken identifier cannot be stored.
    QSqlQuery q(db.sqlDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral(R"(CREATE UNIQUE INDEX "testAllAlphaIDs" ON "Users" ("alphaID"))")));
    for (const char *id : {"240601120000ID", "240601120001ID", "240601120002ID"})
        addUser(QString::fromLatin1(id));
    const int before = rowCount(TableId::Users);
    RecordingUserList list;
    ws->session.notify.setOpenWindows([&list] { return QList<QObject *>{&list}; });
    messages->expect(-31230);

    EXPECT_EQ(create(), 1);
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_TRUE(messages->shown()[0].text.startsWith(GetText(-31230) + QStringLiteral("IEC-11B0\r\n\r\n")))
        << messages->shown()[0].text.toStdString();
    EXPECT_EQ(rowCount(TableId::Users), before);
    EXPECT_EQ(waits.size(), 2u);
    EXPECT_EQ(list.count(QStringLiteral("RefreshTableList")), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_P(UserCreationTest, AnOpenUserListRefreshesItsRowsAndOtherListsDoNot)
{
    RecordingWindow cards; // a card list
    RecordingUserList first;
    RecordingUserList second;
    ws->session.notify.setOpenWindows([&] { return QList<QObject *>{&cards, &first, &second}; });
    ASSERT_GT(create(), 2);
    EXPECT_EQ(first.count(QStringLiteral("RefreshTableList")), 1);
    EXPECT_EQ(second.count(QStringLiteral("RefreshTableList")), 1);
    EXPECT_EQ(cards.count(QStringLiteral("RefreshTableList")), 0);
    ws->session.notify.setOpenWindows(nullptr);
}

TEST_P(UserCreationTest, TheProgramWaitsASecondOfServerTimeBeforeTheNextTry)
{
    // The clock follows real time here, so only the real wait can move it to the next second.
    QElapsedTimer elapsed;
    elapsed.start();
    const double start = now;
    ws->db.database->setClock([&] { return start + double(elapsed.elapsed()) / 1000.0 * kSecond; });
    addUser(QStringLiteral("240601120000ID"));
    bool eventsRan = false;
    QTimer::singleShot(100, qApp, [&eventsRan] { eventsRan = true; });

    const qint32 userID =
        CreateUserFromName(ws->program, ws->db, ws->session, QStringLiteral("Berger"), QStringLiteral("Anna"), nullptr);
    EXPECT_EQ(stored(userID).alphaID, QStringLiteral("240601120001ID"));
    EXPECT_TRUE(eventsRan);
    EXPECT_GE(elapsed.elapsed(), 1000);
    EXPECT_LT(elapsed.elapsed(), 2000) << "waited more than once";
}

INSTANTIATE_TEST_SUITE_P(Engines, UserCreationTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
