#include "DatabaseFixture.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sodium.h>

namespace {

int g_databaseCounter = 0;

// Runs one statement on the server's maintenance database.
bool adminExec(const QString &sql, QString &error)
{
    RecordDatabase admin;
    if (!admin.open(qEnvironmentVariable("OSTRELLE_TEST_PG"))) {
        error = admin.errorText();
        return false;
    }
    QSqlQuery q(admin.sqlDatabase());
    if (!q.exec(sql)) {
        error = q.lastError().text();
        return false;
    }
    return true;
}

} // namespace

void TestDatabase::create(bool postgres, RecordDatabase &db, const QString &computerName, std::function<double()> clock)
{
    if (postgres) {
        const QString server = qEnvironmentVariable("OSTRELLE_TEST_PG");
        if (server.isEmpty())
            GTEST_SKIP() << "OSTRELLE_TEST_PG is not set";
        m_pgDatabase =
            QStringLiteral("ostrelle_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_databaseCounter);
        QString error;
        ASSERT_TRUE(adminExec(QStringLiteral("CREATE DATABASE %1").arg(m_pgDatabase), error)) << error.toStdString();
        QUrl url(server);
        url.setPath(QLatin1Char('/') + m_pgDatabase);
        m_connectionString = url.toString();
    } else {
        ASSERT_TRUE(m_dir.isValid());
        m_connectionString = QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("ostrelle.db"));
    }
    db.setComputerName(computerName);
    db.setClock(std::move(clock));
    db.setPasswordHashLimits(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    ASSERT_TRUE(db.open(m_connectionString)) << db.errorText().toStdString();
    ASSERT_TRUE(db.createSchema()) << db.errorText().toStdString();
}

void TestDatabase::drop()
{
    if (m_pgDatabase.isEmpty())
        return;
    QString error;
    EXPECT_TRUE(adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgDatabase), error))
        << error.toStdString();
    m_pgDatabase.clear();
}

bool DatabaseTest::isPostgres() const
{
    return QString::fromLatin1(GetParam()) == QStringLiteral("postgresql");
}

void DatabaseTest::SetUp()
{
    m_database.create(isPostgres(), db, QStringLiteral("WS1"), [this] { return now; });
    if (HasFatalFailure() || IsSkipped())
        return;
    rt = std::make_unique<RecordTable>(db);
    ASSERT_STATUS(*rt, RecordStatus::Ok);
}

void DatabaseTest::TearDown()
{
    rt.reset();
    db.close();
    m_database.drop();
}

std::unique_ptr<RecordDatabase> DatabaseTest::openSecond()
{
    auto second = std::make_unique<RecordDatabase>();
    second->setComputerName(QStringLiteral("WS2"));
    second->setClock([this] { return now; });
    second->setPasswordHashLimits(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    EXPECT_TRUE(second->open(m_database.connectionString())) << second->errorText().toStdString();
    return second;
}

qint32 DatabaseTest::addUser(const QString &alphaID, const QString &surname, const QString &firstname)
{
    RecordTable t(db);
    t.SelectTable(TableId::Users);
    t.SetField(QStringLiteral("alphaID"), alphaID);
    t.SetField(QStringLiteral("surname"), surname);
    t.SetField(QStringLiteral("firstname"), firstname);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return t.GetField(QStringLiteral("userID")).toInt();
}

qint32 DatabaseTest::addOperator(const QString &alphaID, qint32 templateId, const QString &password, double expireTime)
{
    const qint32 userId = addUser(alphaID);
    RecordTable t(db);
    t.SelectTable(TableId::Operators);
    t.SetField(QStringLiteral("userID"), userId);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("expireTime"), expireTime);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    t.SelectTable(TableId::Passwords);
    t.SetField(QStringLiteral("userID"), userId);
    t.SetField(QStringLiteral("password"), password);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return userId;
}

void DatabaseTest::addRight(qint32 templateId, qint32 operationCode, qint32 rwed, qint32 maxValidity)
{
    RecordTable t(db);
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("operationCode"), operationCode);
    t.SetField(QStringLiteral("rwed"), rwed);
    t.SetField(QStringLiteral("maxValidity"), maxValidity);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseTest::changeRight(qint32 templateId, qint32 operationCode, qint32 rwed)
{
    RecordTable t(db);
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("operationCode"), operationCode);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.SetField(QStringLiteral("rwed"), rwed);
    t.UpdateRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
}

void DatabaseTest::removeRight(qint32 templateId, qint32 operationCode)
{
    RecordTable t(db);
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("operationCode"), operationCode);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.DeleteRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
}

void DatabaseTest::addParameter(const QString &key, const QString &value)
{
    RecordTable t(db);
    t.SelectTable(TableId::Parameters);
    t.SetField(QStringLiteral("parameterID"), key);
    t.SetField(QStringLiteral("parameter"), value);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

QString DatabaseTest::parameterValue(const QString &key)
{
    RecordTable t(db);
    t.SelectTable(TableId::Parameters);
    t.SetField(QStringLiteral("parameterID"), key);
    t.FindRecord();
    if (t.Status() != RecordStatus::Ok)
        return QStringLiteral("<missing>");
    return t.GetField(QStringLiteral("parameter")).toString();
}

void DatabaseTest::addDoor(qint32 doorId, const QString &name, const QString &category, qint32 commonRoom)
{
    RecordTable t(db);
    t.SelectTable(TableId::Doors);
    t.UseGivenKey();
    t.SetField(QStringLiteral("doorID"), doorId);
    t.SetField(QStringLiteral("doorName"), name);
    t.SetField(QStringLiteral("doorCategory"), category);
    if (commonRoom != 0)
        t.SetField(QStringLiteral("commonRoom"), commonRoom);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseTest::addCard(const StoredCard &card)
{
    RecordTable t(db);
    t.SelectTable(TableId::Cards);
    t.UseGivenKey();
    t.SetField(QStringLiteral("registrationNumber"), card.registrationNumber);
    t.SetField(QStringLiteral("userID"), card.userID);
    t.SetField(QStringLiteral("cardNameID"), card.cardNameID);
    if (card.issueTime) {
        t.SetField(QStringLiteral("issueTime"), *card.issueTime);
        t.SetField(QStringLiteral("startTime"), *card.issueTime);
    }
    if (card.expireTime)
        t.SetField(QStringLiteral("expireTime"), *card.expireTime);
    t.SetField(QStringLiteral("status"), card.status);
    t.SetField(QStringLiteral("mainGuestRoom"), card.mainGuestRoom);
    if (card.copies)
        t.SetField(QStringLiteral("numberOfIdenticallyIssuedCards"), *card.copies);
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    for (qint32 room : card.rooms) {
        t.SelectTable(TableId::CardDoors);
        t.SetField(QStringLiteral("registrationNumber"), card.registrationNumber);
        t.SetField(QStringLiteral("doorID"), room);
        t.InsertRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }
}

int DatabaseTest::rowCount(qint32 tableId)
{
    RecordTable t(db);
    t.SelectTable(tableId);
    t.OpenQuery(QString(), QString());
    const int n = t.RowCount();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return n;
}
