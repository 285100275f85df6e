#include "SessionFixture.h"
#include "components/recordtable/RecordTable.h"
#include "session/Logon.h"

#include <QSqlQuery>

namespace {

class StoredSecretsTest : public SessionTest
{
protected:
    void mark(qint32 tableId, qint32 userID, const QByteArray &data)
    {
        RecordTable t(db);
        t.SelectTable(tableId);
        t.SetField(QStringLiteral("userID"), userID);
        t.FindRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
        t.SetField(QStringLiteral("cardImageData"), data);
        t.UpdateRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }

    void addPin(qint32 userID, const char *pin, const char *alarm)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Pins);
        t.SetField(QStringLiteral("userID"), userID);
        t.SetField(QStringLiteral("pinCode"), QString::fromLatin1(pin));
        t.SetField(QStringLiteral("pinAlarm"), alarm ? QVariant(QString::fromLatin1(alarm)) : QVariant());
        t.InsertRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }

    QVariant field(qint32 tableId, qint32 userID, const char *name)
    {
        RecordTable t(db);
        t.SelectTable(tableId);
        t.SetField(QStringLiteral("userID"), userID);
        t.FindRecord();
        EXPECT_STATUS(t, RecordStatus::Ok);
        return t.GetField(QString::fromLatin1(name));
    }

    bool passwordWorks(const QString &user, const QString &password)
    {
        ws->db.logonTable->Logon(user, password);
        const bool ok = ws->db.logonTable->Status() == RecordStatus::Ok ||
                        ws->db.logonTable->Status() == RecordStatus::LoggedOnBeside;
        ws->db.logonTable->Logon(user, QString());
        return ok;
    }
};

TEST_P(StoredSecretsTest, MarkedSecretsAreRewrittenOnceAndNeverLost)
{
    const QByteArray marked = QByteArrayLiteral("head ") + StoredSecretMarker() + QByteArrayLiteral(" tail");
    const qint32 anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    const qint32 bob = addOperator(QStringLiteral("bob"), 300, QStringLiteral("builder"));
    mark(TableId::Passwords, anna, marked);
    mark(TableId::Passwords, bob, QByteArrayLiteral("other data"));
    addPin(anna, "1234", "9999");
    mark(TableId::Pins, anna, marked);
    addPin(bob, "5678", nullptr); // no alarm or duress PIN: not part of the rewrite
    mark(TableId::Pins, bob, marked);
    const QString annaHash = field(TableId::Passwords, anna, "password").toString();

    // Without the flag nothing happens.
    EXPECT_EQ(RunStartupDatabaseChecks(*ws->db.database), 0);
    EXPECT_EQ(field(TableId::Passwords, anna, "cardImageData").toByteArray(), marked);

    setParameter(QStringLiteral("SYSTEM_GURU_UPDATED"), QStringLiteral("1"));
    EXPECT_EQ(RunStartupDatabaseChecks(*ws->db.database), 0);
    EXPECT_EQ(parameterValue(QStringLiteral("SYSTEM_GURU_UPDATED")), QStringLiteral("0"));
    EXPECT_TRUE(field(TableId::Passwords, anna, "cardImageData").isNull());
    EXPECT_EQ(field(TableId::Passwords, anna, "password").toString(), annaHash);
    EXPECT_EQ(field(TableId::Passwords, bob, "cardImageData").toByteArray(), QByteArrayLiteral("other data"));
    EXPECT_TRUE(field(TableId::Pins, anna, "cardImageData").isNull());
    EXPECT_EQ(field(TableId::Pins, anna, "pinCode").toString(), QStringLiteral("1234"));
    EXPECT_EQ(field(TableId::Pins, anna, "pinAlarm").toString(), QStringLiteral("9999"));
    EXPECT_EQ(field(TableId::Pins, bob, "cardImageData").toByteArray(), marked);
    EXPECT_TRUE(passwordWorks(QStringLiteral("anna"), QStringLiteral("secret")));
    EXPECT_TRUE(passwordWorks(QStringLiteral("bob"), QStringLiteral("builder")));

    // The next start finds the flag cleared and leaves a marked row alone.
    mark(TableId::Passwords, anna, marked);
    EXPECT_EQ(RunStartupDatabaseChecks(*ws->db.database), 0);
    EXPECT_EQ(field(TableId::Passwords, anna, "cardImageData").toByteArray(), marked);

    // A refused insert leaves the deleted row in place, and the flag set for the next start.
    QSqlQuery q(db.sqlDatabase());
    if (isPostgres()) {
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                          "RAISE EXCEPTION 'refused'; END $$")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            R"(CREATE TRIGGER refuse BEFORE INSERT ON "Passwords" FOR EACH ROW EXECUTE FUNCTION refuse())")));
    } else {
        ASSERT_TRUE(q.exec(QStringLiteral(
            R"(CREATE TRIGGER refuse BEFORE INSERT ON "Passwords" BEGIN SELECT RAISE(ABORT, 'refused'); END)")));
    }
    setParameter(QStringLiteral("SYSTEM_GURU_UPDATED"), QStringLiteral("1"));
    EXPECT_NE(RunStartupDatabaseChecks(*ws->db.database), 0);
    EXPECT_EQ(field(TableId::Passwords, anna, "cardImageData").toByteArray(), marked);
    EXPECT_TRUE(passwordWorks(QStringLiteral("anna"), QStringLiteral("secret")));
    EXPECT_EQ(parameterValue(QStringLiteral("SYSTEM_GURU_UPDATED")), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Engines, StoredSecretsTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
