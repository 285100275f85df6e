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

void TestDatabase::create(bool postgres, RecordDatabase &db, const QString &computerName, std::function<double()> clock,
                          bool withSchema)
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
    if (withSchema) {
        ASSERT_TRUE(db.createSchema()) << db.errorText().toStdString();
    }
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

qint32 DatabaseSeeds::addUser(const User &user)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Users);
    if (user.givenID != 0) {
        t.UseGivenKey();
        t.SetField(QStringLiteral("userID"), user.givenID);
    }
    t.SetField(QStringLiteral("alphaID"), user.alphaID);
    t.SetField(QStringLiteral("surname"), user.surname);
    t.SetField(QStringLiteral("firstname"), user.firstname);
    t.SetField(QStringLiteral("city"), user.city);
    t.SetField(QStringLiteral("deleted"), user.deleted);
    t.SetField(QStringLiteral("doNotShow"), user.doNotShow);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return t.GetField(QStringLiteral("userID")).toInt();
}

qint32 DatabaseSeeds::addUser(const QString &alphaID, const QString &surname, const QString &firstname)
{
    return addUser({.alphaID = alphaID, .surname = surname, .firstname = firstname});
}

qint32 DatabaseSeeds::addOperator(const QString &alphaID, qint32 templateId, const QString &password, double expireTime,
                                  qint32 givenID)
{
    const qint32 userId = addUser({.alphaID = alphaID,
                                   .surname = QStringLiteral("Surname"),
                                   .firstname = QStringLiteral("First"),
                                   .givenID = givenID});
    RecordTable t(m_seedDb);
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

namespace {

// Positions t on the template's right; fails the test without it.
void findRight(RecordTable &t, qint32 templateId, qint32 operationCode)
{
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("operationCode"), operationCode);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
}

} // namespace

void DatabaseSeeds::addRight(qint32 templateId, qint32 operationCode, qint32 rwed, qint32 maxValidity)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), templateId);
    t.SetField(QStringLiteral("operationCode"), operationCode);
    t.SetField(QStringLiteral("rwed"), rwed);
    t.SetField(QStringLiteral("maxValidity"), maxValidity);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::changeRight(qint32 templateId, qint32 operationCode, qint32 rwed)
{
    RecordTable t(m_seedDb);
    ASSERT_NO_FATAL_FAILURE(findRight(t, templateId, operationCode));
    t.SetField(QStringLiteral("rwed"), rwed);
    t.UpdateRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::removeRight(qint32 templateId, qint32 operationCode)
{
    RecordTable t(m_seedDb);
    ASSERT_NO_FATAL_FAILURE(findRight(t, templateId, operationCode));
    t.DeleteRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::putParameter(const QString &key, const QString &value)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Parameters);
    t.SetField(QStringLiteral("parameterID"), key);
    t.FindRecord();
    const bool exists = t.Status() == RecordStatus::Ok;
    t.SetField(QStringLiteral("parameter"), value);
    if (exists)
        t.UpdateRecord();
    else
        t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::removeParameter(const QString &key)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Parameters);
    t.SetField(QStringLiteral("parameterID"), key);
    t.DeleteRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

QString DatabaseSeeds::parameterValue(const QString &key)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Parameters);
    t.SetField(QStringLiteral("parameterID"), key);
    t.FindRecord();
    if (t.Status() != RecordStatus::Ok)
        return QStringLiteral("<missing>");
    return t.GetField(QStringLiteral("parameter")).toString();
}

void DatabaseSeeds::addDoor(const Door &door)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Doors);
    t.UseGivenKey();
    t.SetField(QStringLiteral("doorID"), door.id);
    t.SetField(QStringLiteral("doorName"), door.name);
    t.SetField(QStringLiteral("doorCategory"), door.category);
    if (door.commonRoom != 0)
        t.SetField(QStringLiteral("commonRoom"), door.commonRoom);
    if (door.group != 0)
        t.SetField(QStringLiteral("doorGroupID"), door.group);
    if (door.intervalStart > 0) {
        t.SetField(QStringLiteral("roomIntervalStart"), QString::number(door.intervalStart));
        t.SetField(QStringLiteral("roomIntervalStop"), QString::number(door.intervalStop));
    }
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::insertWithGivenKey(qint32 tableId, const QList<std::pair<QString, QVariant>> &fields)
{
    RecordTable t(m_seedDb);
    t.SelectTable(tableId);
    t.UseGivenKey();
    for (const auto &[field, value] : fields)
        t.SetField(field, value);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
}

void DatabaseSeeds::addDoorGroup(qint32 id, const QString &name)
{
    insertWithGivenKey(TableId::DoorGroups,
                       {{QStringLiteral("doorGroupID"), id}, {QStringLiteral("doorGroupName"), name}});
}

void DatabaseSeeds::addTemplate(qint32 id, const QString &name)
{
    insertWithGivenKey(TableId::OperatorTemplates,
                       {{QStringLiteral("operatorTemplateID"), id}, {QStringLiteral("operatorTemplateName"), name}});
}

void DatabaseSeeds::addWing(const QString &code, qint32 prefix1, qint32 prefix2)
{
    insertWithGivenKey(TableId::Wings, {{QStringLiteral("wingCode"), code},
                                        {QStringLiteral("doorIDPrefix1"), prefix1},
                                        {QStringLiteral("doorIDPrefix2"), prefix2}});
}

void DatabaseSeeds::addCardName(qint32 kind, const QString &name)
{
    insertWithGivenKey(TableId::CardNames, {{QStringLiteral("cardNameID"), kind}, {QStringLiteral("cardName"), name}});
}

qint32 DatabaseSeeds::addDevice(qint32 givenID, qint32 type, const QString &port, const QString &name)
{
    RecordTable t(m_seedDb);
    t.SelectTable(TableId::Devices);
    if (givenID != 0) {
        t.UseGivenKey();
        t.SetField(QStringLiteral("deviceID"), givenID);
    }
    t.SetField(QStringLiteral("deviceName"), name.isEmpty() ? port : name);
    if (!port.isEmpty())
        t.SetField(QStringLiteral("portName"), port);
    t.SetField(QStringLiteral("deviceType"), type);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    return t.GetField(QStringLiteral("deviceID")).toInt();
}

void DatabaseSeeds::addCard(const StoredCard &card)
{
    RecordTable t(m_seedDb);
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

int DatabaseSeeds::rowCount(qint32 tableId, const QString &where, const QVariantList &params)
{
    RecordTable t(m_seedDb);
    t.SelectTable(tableId);
    t.OpenQuery(where, QString());
    for (const QVariant &p : params)
        t.AddParameter(p);
    const int n = t.RowCount();
    EXPECT_TRUE(t.Status() == RecordStatus::Ok || t.Status() == RecordStatus::NoRecord)
        << t.ErrorText(t.Status()).toStdString();
    return n;
}

bool DatabaseSeeds::hasRow(qint32 tableId, const QString &keyField, const QVariant &key)
{
    RecordTable t(m_seedDb);
    t.SelectTable(tableId);
    t.SetField(keyField, key);
    t.FindRecord();
    return t.Status() == RecordStatus::Ok;
}
