#pragma once

#include "components/recordtable/RecordTable.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// One test's database with the current schema: a SQLite file in a temporary directory, or a
// uniquely named database on the server that OSTRELLE_TEST_PG names (the test is skipped without
// one). Fixtures that keep their own RecordDatabase use it directly; check HasFatalFailure() and
// IsSkipped() after create().
class TestDatabase
{
public:
    // Creates the database and opens db on it: its computer name, the pinned clock and the
    // quickest password hashing. Without the schema for a test of the tool that creates it.
    void create(bool postgres, RecordDatabase &db, const QString &computerName, std::function<double()> clock,
                bool withSchema = true);
    // Drops the PostgreSQL database; close db first.
    void drop();
    QString connectionString() const { return m_connectionString; }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
    QString m_pgDatabase;
};

// Seeding through the component itself on the given connection; each checks its status.
class DatabaseSeeds
{
public:
    explicit DatabaseSeeds(RecordDatabase &db) : m_seedDb(db) {}

    struct User
    {
        QString alphaID;
        QString surname = {};
        QString firstname = {};
        QString city = {};
        int deleted = 0;
        int doNotShow = 0;
        qint32 givenID = 0; // 0: the database numbers it
    };
    qint32 addUser(const User &user);
    qint32 addUser(const QString &alphaID, const QString &surname = QStringLiteral("Surname"),
                   const QString &firstname = QStringLiteral("First"));
    qint32 addOperator(const QString &alphaID, qint32 templateId, const QString &password, double expireTime = NoExpiry,
                       qint32 givenID = 0);
    void addRight(qint32 templateId, qint32 operationCode, qint32 rwed, qint32 maxValidity = 0);
    // Changes the rwed of a right the template holds; removes a right.
    void changeRight(qint32 templateId, qint32 operationCode, qint32 rwed);
    void removeRight(qint32 templateId, qint32 operationCode);
    // Changes or adds a parameter row; removes one that must exist.
    void putParameter(const QString &key, const QString &value);
    void removeParameter(const QString &key);
    QString parameterValue(const QString &key); // "<missing>" without the row
    struct Door
    {
        qint32 id;
        QString name;
        QString category = QStringLiteral("G");
        qint32 commonRoom = 0; // > 0: one of the numbered rooms a guest card may open besides its own
        qint32 group = 0;
        int intervalStart = 0; // > 0: the room interval of an entrance
        int intervalStop = 0;
    };
    void addDoor(const Door &door);
    void addDoor(qint32 doorId, const QString &name, const QString &category = QStringLiteral("G"),
                 qint32 commonRoom = 0)
    {
        addDoor({.id = doorId, .name = name, .category = category, .commonRoom = commonRoom});
    }
    void addDoorGroup(qint32 id, const QString &name);
    void addTemplate(qint32 id, const QString &name);
    void addWing(const QString &code, qint32 prefix1, qint32 prefix2);
    void addCardName(qint32 kind, const QString &name);
    // givenID 0: the database numbers the device; the name defaults to the port. Returns its deviceID.
    qint32 addDevice(qint32 givenID, qint32 type, const QString &port, const QString &name = QString());
    // A stored card as the card server leaves it, with a CardDoors row per room. Fields left
    // unset stay as the schema defaults them.
    struct StoredCard
    {
        qint32 registrationNumber = 0;
        qint32 userID = 0;
        qint32 cardNameID = 256;
        qint32 status = 1;
        qint32 mainGuestRoom = 0;
        QList<qint32> rooms = {};
        std::optional<double> issueTime = {}; // also the start time
        std::optional<double> expireTime = {};
        std::optional<qint32> copies = {}; // numberOfIdenticallyIssuedCards
    };
    void addCard(const StoredCard &card);
    // Rows of a table through a query, optionally filtered.
    int rowCount(qint32 tableId, const QString &where = QString(), const QVariantList &params = {});
    bool hasRow(qint32 tableId, const QString &keyField, const QVariant &key);

private:
    void insertWithGivenKey(qint32 tableId, const QList<std::pair<QString, QVariant>> &fields);

    RecordDatabase &m_seedDb;
};

// Every test gets a fresh database with the current schema: a SQLite file in a temporary
// directory, or, for the "postgresql" parameter, a uniquely named database on the server that
// OSTRELLE_TEST_PG names (dropped afterwards; the test is skipped without a server).
// The server clock is pinned to `now`.
class DatabaseTest : public ::testing::TestWithParam<const char *>, public DatabaseSeeds
{
protected:
    DatabaseTest() : DatabaseSeeds(db) {}
    void SetUp() override;
    void TearDown() override;

    bool isPostgres() const;
    QString connectionString() const { return m_database.connectionString(); }
    // A second connection to the same database (another workstation), clock pinned likewise.
    std::unique_ptr<RecordDatabase> openSecond();

    RecordDatabase db;
    double now = 45444.5; // 2024-06-01 12:00
    std::unique_ptr<RecordTable> rt;

private:
    TestDatabase m_database;
};

#define EXPECT_STATUS(table, expected)                                                                                 \
    EXPECT_EQ((table).Status(), (expected)) << "ErrorText: " << (table).ErrorText((table).Status()).toStdString()
#define ASSERT_STATUS(table, expected)                                                                                 \
    ASSERT_EQ((table).Status(), (expected)) << "ErrorText: " << (table).ErrorText((table).Status()).toStdString()
