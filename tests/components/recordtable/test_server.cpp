// Server services: change times across connections, the clock, housekeeping, texts, schema
// versions, lost connections and ODBC.
#include "DatabaseFixture.h"
#include "components/recordtable/RegistrationNumbers.h"

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <cmath>

class ServerTest : public DatabaseTest
{
protected:
    // A database of an older schema version beside the fixture's: a schema of its own on the server.
    void createOld(RecordDatabase &old, int version)
    {
        old.setClock([this] { return now; });
        if (isPostgres()) {
            const QString schema = QStringLiteral("from_version_%1").arg(version);
            ASSERT_TRUE(QSqlQuery(db.sqlDatabase()).exec(QStringLiteral("CREATE SCHEMA ") + schema));
            QUrl url(connectionString());
            url.setQuery(QStringLiteral("options=-csearch_path%3D") + schema);
            ASSERT_TRUE(old.open(url.toString())) << old.errorText().toStdString();
        } else {
            ASSERT_TRUE(old.open(QStringLiteral("sqlite:") + m_oldDir.filePath(QStringLiteral("v%1.db").arg(version))));
        }
        ASSERT_TRUE(old.createSchema(version)) << old.errorText().toStdString();
    }

private:
    QTemporaryDir m_oldDir;
};

TEST_P(ServerTest, AnotherWorkstationsChangeMovesTheChangeTime)
{
    putParameter(QStringLiteral("OPENMODE"), QStringLiteral("1"));
    putParameter(QStringLiteral("ALERTOP"), QStringLiteral("1"));
    RecordTable &t = *rt;
    const double before = t.TableChangeTime(TableId::Parameters);
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_GT(before, 0);
    const double doorsBefore = t.TableChangeTime(TableId::Doors);
    // A find left open on this connection, as a dialog keeps its current row, must not hide the change.
    RecordTable held(db);
    held.SelectTable(TableId::Parameters);
    held.SetField(QStringLiteral("parameterID"), QStringLiteral("ALERTOP"));
    held.FindRecord();
    ASSERT_STATUS(held, RecordStatus::Ok);

    auto second = openSecond();
    RecordTable other(*second);
    other.SelectTable(TableId::Parameters);
    other.SetField(QStringLiteral("parameterID"), QStringLiteral("OPENMODE"));
    other.FindRecord();
    other.SetField(QStringLiteral("parameter"), QStringLiteral("2"));
    other.UpdateRecord();
    ASSERT_STATUS(other, RecordStatus::Ok);

    EXPECT_GT(t.TableChangeTime(TableId::Parameters), before);
    EXPECT_EQ(t.TableChangeTime(TableId::Doors), doorsBefore);
    EXPECT_EQ(parameterValue(QStringLiteral("OPENMODE")), QStringLiteral("2"));
    EXPECT_EQ(held.GetField(QStringLiteral("parameter")).toString(), QStringLiteral("1")) << "the found row stays";
    held.MoveNext();
    EXPECT_STATUS(held, RecordStatus::NoRecord);

    // A list view changes with the tables behind it.
    const double cardsView = t.TableChangeTime(TableId::CardView);
    addUser(QStringLiteral("NEW"));
    EXPECT_GT(t.TableChangeTime(TableId::CardView), cardsView);
    t.TableChangeTime(4711);
    EXPECT_STATUS(t, RecordStatus::InvalidTable);
}

TEST_P(ServerTest, ServerNowIsTheServersLocalTime)
{
    RecordTable &t = *rt;
    EXPECT_DOUBLE_EQ(t.ServerNow(), now);
    db.setClock({});
    const QDateTime local = QDateTime::currentDateTime();
    const double ole = QDate(1899, 12, 30).daysTo(local.date()) + local.time().msecsSinceStartOfDay() / 86400000.0;
    EXPECT_NEAR(t.ServerNow(), ole, 1.0 / 1440) << "the test server runs on this machine";
    EXPECT_STATUS(t, RecordStatus::Ok);
}

TEST_P(ServerTest, HousekeepingPurgesAndStampsTheParameters)
{
    using P = std::pair<const char *, const char *>;
    for (const auto &[key, value] :
         {P{"PURGELIMITEVENTS", "10"}, P{"PURGELIMITGUESTCARDS", "30"}, P{"REGNUM_FIRST", "1"}, P{"REGNUM_LAST", "100"},
          P{"LASTCATHTIME", "0"}, P{"TEMP_NUMEVENTS", "0"}, P{"TEMP_NUMCARDS", "0"}, P{"TEMP_NUMDELETEDCARDS", "0"},
          P{"TEMP_MAXREGNUM", "0"}, P{"TEMP_NUMFREEREGNUMS", "0"}})
        putParameter(QString::fromLatin1(key), QString::fromLatin1(value));
    RecordTable t(db);
    t.SelectTable(TableId::Events);
    for (double age : {20.0, 11.0, 9.0, 1.0}) {
        t.SetField(QStringLiteral("eventTime"), now - age);
        t.InsertRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }
    for (const auto &[regNo, kind, ended] :
         {std::tuple{256, 256, 40.0}, std::tuple{257, 256, 5.0}, std::tuple{512, 260, 400.0}})
        ASSERT_NO_FATAL_FAILURE(addCard({.registrationNumber = regNo, .cardNameID = kind, .expireTime = now - ended}));

    // Numbers up to 50 were handed out once, though only 1 and 2 still have cards.
    ASSERT_TRUE(
        QSqlQuery(db.sqlDatabase()).exec(QStringLiteral(R"(UPDATE "RegistrationCounter" SET "lastNumber" = 50)")));
    rt->ExecuteCommand(QStringLiteral("CMD: COMPACT_DB_IMMEDIATE"));
    ASSERT_STATUS(*rt, RecordStatus::Ok);
    EXPECT_EQ(rowCount(TableId::Events), 2);
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_NUMEVENTS")), QStringLiteral("2"));
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_NUMDELETEDCARDS")), QStringLiteral("1"))
        << "guest card 40 days old; the staff card has no purge limit";
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_NUMCARDS")), QStringLiteral("2"));
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_MAXREGNUM")), QStringLiteral("2"));
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_NUMFREEREGNUMS")), QStringLiteral("50"));
    EXPECT_DOUBLE_EQ(parameterValue(QStringLiteral("LASTCATHTIME")).toDouble(), now);
    EXPECT_EQ(parameterValue(QStringLiteral("TEMP_NUMUSERS")), QStringLiteral("<missing>"))
        << "housekeeping never adds parameter rows";
}

TEST_P(ServerTest, LoadTextsRereadsTheStatusTexts)
{
    RecordTable &t = *rt;
    const QString builtIn = t.ErrorText(RecordStatus::NoRecord);
    t.SelectTable(TableId::StatusTexts);
    t.SetField(QStringLiteral("statusCode"), RecordStatus::NoRecord);
    t.SetField(QStringLiteral("statusText"), QStringLiteral("Kein Datensatz."));
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.ErrorText(RecordStatus::NoRecord), builtIn);
    t.ExecuteCommand(QStringLiteral("CMD: LoadTexts"));
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.ErrorText(RecordStatus::NoRecord), QStringLiteral("Kein Datensatz."));
}

TEST_P(ServerTest, SchemaVersionAndUpgrade)
{
    EXPECT_EQ(db.schemaVersion(), RecordDatabase::currentSchemaVersion());
    EXPECT_EQ(parameterValue(QStringLiteral("DATABASEVERSION")), RecordDatabase::databaseVersionText());
    EXPECT_EQ(RecordDatabase::databaseVersionText(1), QStringLiteral("1.14.0.0"));
    EXPECT_FALSE(db.createSchema()) << "a second create must not touch an existing schema";
    EXPECT_TRUE(db.upgradeSchema()) << "nothing to do";
}

TEST_P(ServerTest, UpgradeFromTheFirstVersionKeepsTheData)
{
    RecordDatabase old;
    ASSERT_NO_FATAL_FAILURE(createOld(old, 1));
    RecordTable t(old);
    EXPECT_STATUS(t, RecordStatus::SchemaMismatch) << "the first object tells that an upgrade is due";
    QSqlQuery seed(old.sqlDatabase());
    ASSERT_TRUE(
        seed.exec(QStringLiteral(R"(INSERT INTO "Operators" ("userID", "operatorTemplateID") VALUES (5, 300))")));
    EXPECT_FALSE(seed.exec(QStringLiteral(R"(UPDATE "Operators" SET "expireTime" = 1)")))
        << "version 1 has no operator expiry";
    // Card number 0x1234 (copy 6), and a user removed before the view left such users out.
    ASSERT_TRUE(seed.exec(QStringLiteral(R"(INSERT INTO "Cards" ("registrationNumber") VALUES (1192966))")));
    ASSERT_TRUE(seed.exec(QStringLiteral(R"(INSERT INTO "Users" ("alphaID", "deleted") VALUES ('GONE', 1))")));
    ASSERT_TRUE(seed.exec(
        QStringLiteral(R"(INSERT INTO "Parameters" ("parameterID", "parameter") VALUES ('REGNUM_FIRST', '1'), )"
                       R"(('REGNUM_LAST', '99999'))")));

    ASSERT_TRUE(old.upgradeSchema()) << old.errorText().toStdString();
    EXPECT_EQ(old.schemaVersion(), RecordDatabase::currentSchemaVersion());
    RecordTable after(old);
    after.SelectTable(TableId::Operators);
    after.SetField(QStringLiteral("userID"), 5);
    after.FindRecord();
    ASSERT_STATUS(after, RecordStatus::Ok);
    EXPECT_EQ(after.GetField(QStringLiteral("operatorTemplateID")).toInt(), 300);
    EXPECT_DOUBLE_EQ(after.GetField(QStringLiteral("expireTime")).toDouble(), NoExpiry);
    after.SelectTable(TableId::OperatorView);
    after.OpenQuery(QString(), QString());
    EXPECT_STATUS(after, RecordStatus::NoRecord) << "views rebuilt (no user 5, so no row)";
    after.SelectTable(TableId::UserView);
    after.OpenQuery(QString(), QString());
    EXPECT_STATUS(after, RecordStatus::NoRecord) << "the removed user is not listed";
    // Numbering goes on above the stored cards, also once housekeeping removed them.
    ASSERT_TRUE(seed.exec(QStringLiteral(R"(DELETE FROM "Cards")")));
    RegistrationNumbers numbers(old);
    qint32 number = 0;
    ASSERT_EQ(numbers.allocate(number), RegistrationNumbers::Result::Ok) << numbers.errorText().toStdString();
    EXPECT_EQ(number, 0x1235);
    numbers.rollback();
    after.SelectTable(TableId::Parameters);
    after.SetField(QStringLiteral("parameterID"), QStringLiteral("DATABASEVERSION"));
    after.FindRecord();
    EXPECT_EQ(after.GetField(QStringLiteral("parameter")).toString(), RecordDatabase::databaseVersionText());
}

TEST_P(ServerTest, EveryUpgradeEndsWithTheTablesAndIndexesOfANewDatabase)
{
    const auto indexes = [this](RecordDatabase &on) {
        QSqlQuery q(on.sqlDatabase());
        EXPECT_TRUE(q.exec(isPostgres() ? QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = "
                                                         "current_schema() AND indexname LIKE 'ix_%' UNION "
                                                         "SELECT table_name FROM information_schema.tables WHERE "
                                                         "table_schema = current_schema()")
                                        : QStringLiteral("SELECT name FROM sqlite_master WHERE (type = 'index' "
                                                         "AND name LIKE 'ix_%') OR type IN ('table', 'view')")));
        QStringList names;
        while (q.next())
            names << q.value(0).toString();
        names.sort();
        return names;
    };
    const QStringList current = indexes(db);
    ASSERT_TRUE(current.contains(QStringLiteral("ix_Cards_status_cardNameID")));
    ASSERT_TRUE(current.contains(QStringLiteral("ix_Events_cardNameID_eventTime")));
    for (int from = 1; from < RecordDatabase::currentSchemaVersion(); ++from) {
        RecordDatabase old;
        ASSERT_NO_FATAL_FAILURE(createOld(old, from));
        EXPECT_NE(indexes(old), current) << "version " << from;
        ASSERT_TRUE(old.upgradeSchema()) << old.errorText().toStdString();
        EXPECT_EQ(indexes(old), current) << "upgraded from version " << from;
        EXPECT_EQ(old.schemaVersion(), RecordDatabase::currentSchemaVersion());
    }
}

TEST_P(ServerTest, LostConnectionGivesAStatusAndReconnects)
{
    if (!isPostgres())
        GTEST_SKIP() << "an embedded database has no connection to lose";
    addUser(QStringLiteral("A"));
    QSqlQuery pid(db.sqlDatabase());
    ASSERT_TRUE(pid.exec(QStringLiteral("SELECT pg_backend_pid()")) && pid.next());
    auto second = openSecond();
    QSqlQuery kill(second->sqlDatabase());
    ASSERT_TRUE(kill.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.value(0).toInt())));
    QThread::msleep(100);

    RecordTable &t = *rt;
    t.SelectTable(TableId::Users);
    t.OpenQuery(QString(), QString());
    EXPECT_STATUS(t, RecordStatus::ConnectionLost);
    EXPECT_FALSE(t.ErrorText(t.Status()).isEmpty());
    t.OpenQuery(QString(), QString());
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("A"));
}

TEST_P(ServerTest, AFailedStatementInsideATransactionKeepsTheConnection)
{
    const qint32 taken = addUser(QStringLiteral("A"));
    const quint64 generation = db.generation();
    {
        RecordDatabase::Transaction transaction(db);
        RecordTable t(db);
        t.SelectTable(TableId::Users);
        t.UseGivenKey();
        t.SetField(QStringLiteral("userID"), taken);
        t.SetField(QStringLiteral("alphaID"), QStringLiteral("B"));
        t.InsertRecord(); // the key is taken: the statement fails and aborts the transaction
        EXPECT_NE(t.Status(), RecordStatus::Ok);
        EXPECT_NE(t.Status(), RecordStatus::ConnectionLost) << "the server answered; nothing was lost";
    }
    EXPECT_EQ(db.generation(), generation) << "no reconnect after a refused statement";
    RecordTable after(db);
    after.SelectTable(TableId::Users);
    after.OpenQuery(QString(), QString());
    EXPECT_STATUS(after, RecordStatus::Ok);
}

TEST_P(ServerTest, ATransactionThatReadsFirstStillWritesWhenAnotherWorkstationWrites)
{
    const qint32 user = addUser(QStringLiteral("A"));
    std::unique_ptr<RecordDatabase> other = openSecond();
    QSqlQuery(other->sqlDatabase())
        .exec(isPostgres() ? QStringLiteral("SET lock_timeout = 100") : QStringLiteral("PRAGMA busy_timeout = 100"));
    RecordDatabase::Transaction transaction(db);
    ASSERT_TRUE(transaction.active());
    RecordTable mine(db);
    mine.SelectTable(TableId::Users);
    mine.SetField(QStringLiteral("userID"), user);
    mine.FindRecord();
    ASSERT_STATUS(mine, RecordStatus::Ok);
    // The other workstation's insert comes between the read and the write (and may have to wait).
    RecordTable theirs(*other);
    theirs.SelectTable(TableId::Users);
    theirs.SetField(QStringLiteral("alphaID"), QStringLiteral("B"));
    theirs.InsertRecord();
    mine.SetField(QStringLiteral("alphaID"), QStringLiteral("A2"));
    mine.UpdateRecord();
    EXPECT_STATUS(mine, RecordStatus::Ok);
    EXPECT_TRUE(transaction.commit());
}

TEST_P(ServerTest, ATransactionBegunWhileAnotherWorkstationWritesStillHoldsItsStatements)
{
    std::unique_ptr<RecordDatabase> other = openSecond();
    QSqlQuery(db.sqlDatabase())
        .exec(isPostgres() ? QStringLiteral("SET lock_timeout = 100") : QStringLiteral("PRAGMA busy_timeout = 100"));
    RecordDatabase::Transaction theirs(*other); // on SQLite it holds the write lock
    ASSERT_TRUE(theirs.active());
    {
        RecordDatabase::Transaction mine(db);
        EXPECT_TRUE(mine.active()) << "statements after it must not each commit on their own";
    }
}

TEST_P(ServerTest, UnreachableDatabaseGivesAStatus)
{
    RecordDatabase nowhere;
    EXPECT_FALSE(nowhere.open(isPostgres() ? QStringLiteral("postgresql://nobody@127.0.0.1:1/none")
                                           : QStringLiteral("sqlite:/nonexistent/dir/x.db")));
    RecordTable t(nowhere);
    EXPECT_STATUS(t, RecordStatus::NotConnected);
    t.SelectTable(TableId::Users);
    EXPECT_STATUS(t, RecordStatus::NotConnected);
    EXPECT_FALSE(t.ErrorText(t.Status()).isEmpty());
    EXPECT_TRUE(t.LoggedOff());
}

TEST_P(ServerTest, OdbcDataSourceReachesTheDatabase)
{
    if (!isPostgres())
        GTEST_SKIP() << "the ODBC test runs against the PostgreSQL server";
    const char *driver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";
    if (!QFile::exists(QString::fromLatin1(driver)))
        GTEST_SKIP() << "no PostgreSQL ODBC driver";
    const QUrl url(connectionString());
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[OstrelleTest]\nDriver=%1\nServername=%2\nPort=%3\nDatabase=%4\nUsername=%5\n")
                  .arg(QString::fromLatin1(driver), url.host())
                  .arg(url.port())
                  .arg(url.path().mid(1), url.userName())
                  .toUtf8());
    ini.close();
    QFile(dir.filePath(QStringLiteral("odbcinst.ini"))).open(QIODevice::WriteOnly);
    qputenv("ODBCSYSINI", dir.path().toUtf8());
    qputenv("ODBCINI", ini.fileName().toUtf8());

    addUser(QStringLiteral("ODBC"), QStringLiteral("Viaodbc"));
    RecordDatabase viaOdbc;
    const bool opened = viaOdbc.open(QStringLiteral("OstrelleTest"));
    qunsetenv("ODBCSYSINI");
    qunsetenv("ODBCINI");
    ASSERT_TRUE(opened) << viaOdbc.errorText().toStdString();
    EXPECT_EQ(viaOdbc.engine(), RecordDatabase::Engine::PostgreSQL);
    RecordTable t(viaOdbc);
    t.SelectTable(TableId::UserView);
    t.OpenQuery(QStringLiteral("surname like ?"), QStringLiteral("alphaID desc"));
    t.AddParameter(QStringLiteral("via%"));
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("ODBC"));
    t.SelectTable(TableId::Notes);
    t.SetField(QStringLiteral("noteText"), QStringLiteral("written through ODBC"));
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_GT(t.GetField(QStringLiteral("noteID")).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerTest, ::testing::Values("sqlite", "postgresql"));

TEST(ConnectionString, LocalServersUseTheOdbcSourceRemoteOnesPostgreSQL)
{
    struct Case
    {
        const char *server;
        const char *expected;
    };
    const Case cases[] = {
        {"", "sqlite:/var/lib/hotel.db"},           {"localhost", "sqlite:/var/lib/hotel.db"},
        {"127.0.0.1", "sqlite:/var/lib/hotel.db"},  {"LOOPBACK", "sqlite:/var/lib/hotel.db"},
        {"frontdesk1", "sqlite:/var/lib/hotel.db"}, // this computer
        {"dbhost", "postgresql://dbhost/ostrelle"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RecordDatabase::connectionStringFor(QString::fromLatin1(c.server),
                                                      QStringLiteral(" sqlite:/var/lib/hotel.db"),
                                                      QStringLiteral("FRONTDESK1")),
                  QString::fromLatin1(c.expected))
            << c.server;
    }
}
