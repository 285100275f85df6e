#include "ToolTest.h"
#include "components/recordtable/Passwords.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/DbTool.h"
#include "ostrelle-db/RequiredRows.h"
#include "ostrelle-db/RowWriter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// How the tool prints the status of a database with another schema.
QString schemaMismatchText()
{
    return QStringLiteral("0x") + QString::number(quint32(RecordStatus::SchemaMismatch), 16);
}

QString parameter(RecordDatabase &db, const QString &key)
{
    RecordTable table(db);
    table.SelectTable(TableId::Parameters);
    table.SetField(QStringLiteral("parameterID"), key);
    table.FindRecord();
    if (table.Status() != RecordStatus::Ok)
        return QStringLiteral("<missing>");
    return table.GetField(QStringLiteral("parameter")).toString();
}

using CreateTest = ToolTest;

TEST_P(CreateTest, NamesEveryCardKind)
{
    create();
    const auto rows =
        QueryRows(db(), TableId::CardNames, QStringLiteral("cardNameID >= ? and cardNameID <= ?"), {0, 100000},
                  {QStringLiteral("cardNameID"), QStringLiteral("cardName")}, QStringLiteral("cardNameID"));
    ASSERT_EQ(rows.size(), 25);
    QSet<QString> names;
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(rows[i][0].toInt(), 256 + i);
        EXPECT_FALSE(rows[i][1].toString().isEmpty());
        names.insert(rows[i][1].toString());
    }
    EXPECT_EQ(names.size(), 25) << "two card kinds share a name";
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Guest card"));
}

TEST_P(CreateTest, ReferenceTemplateHoldsEveryRight)
{
    create();
    const auto rows =
        QueryRows(db(), TableId::TemplateRights, QStringLiteral("operatorTemplateID = ?"), {1},
                  {QStringLiteral("operationCode"), QStringLiteral("rwed"), QStringLiteral("maxValidity")});
    QSet<int> tables, kinds, functions;
    for (const QVariantList &row : rows) {
        const int code = row[0].toInt();
        if (code >= RequiredRows::TableRightBase) {
            EXPECT_EQ(row[1].toInt(), 15) << "table " << code - RequiredRows::TableRightBase;
            tables.insert(code);
        } else if (code >= RequiredRows::FunctionBase) {
            functions.insert(code - RequiredRows::FunctionBase);
        } else {
            // Even a card that never expires (2036-01-01) stays within the validity.
            EXPECT_GE(row[2].toDouble(), (NoExpiry - db().now()) * 1440)
                << "card kind " << code - RequiredRows::CardKindBase;
            kinds.insert(code);
        }
    }
    EXPECT_EQ(tables.size(), 69);
    EXPECT_EQ(kinds.size(), 25);
    EXPECT_EQ(functions.size(), 22);
    EXPECT_TRUE(tables.contains(RequiredRows::TableRightBase + 1088));
    EXPECT_TRUE(functions.contains(21));
}

TEST_P(CreateTest, BuiltInUsersStayOutOfTheUserList)
{
    create();
    for (qint32 id : {RequiredRows::GuestUserId, RequiredRows::SystemUserId}) {
        EXPECT_EQ(QueryRows(db(), TableId::Users, QStringLiteral("userID = ?"), {id}, {QStringLiteral("doNotShow")}),
                  QList<QVariantList>{{1}})
            << "user " << id;
    }
    // The user list's own query, with an empty search text.
    const auto listed = QueryRows(
        db(), TableId::UserView,
        QStringLiteral("(alphaID like ? or alphaID is null) and userID > ? and doNotShow = ? and deleted = ?"),
        {QStringLiteral("%"), 2, 0, 0}, {QStringLiteral("alphaID")});
    EXPECT_TRUE(listed.isEmpty());
    // The first person added gets a number above the built-in ones, 15 (service) included.
    RowWriter writer(db());
    ASSERT_TRUE(writer.insert(TableId::Users, {{QStringLiteral("alphaID"), QStringLiteral("NEW")},
                                               {QStringLiteral("surname"), QStringLiteral("New")},
                                               {QStringLiteral("firstname"), QStringLiteral("Person")}}))
        << writer.error().toStdString();
    EXPECT_GT(writer.lastKey(), RequiredRows::ServiceUserId);
}

TEST_P(CreateTest, RefusesAnExistingInstallationAndLeavesItAlone)
{
    create();
    RecordTable table(db());
    table.SelectTable(TableId::Parameters);
    table.SetField(QStringLiteral("parameterID"), QStringLiteral("PROPERTYNAME"));
    table.FindRecord();
    table.SetField(QStringLiteral("parameter"), QStringLiteral("Lakeside Hotel"));
    table.UpdateRecord();
    ASSERT_EQ(table.Status(), RecordStatus::Ok);

    QString error;
    EXPECT_FALSE(DbTool::createDatabase(db(), texts(), error));
    EXPECT_TRUE(error.contains(schemaMismatchText())) << error.toStdString();
    EXPECT_EQ(parameter(db(), QStringLiteral("PROPERTYNAME")), QStringLiteral("Lakeside Hotel"));
}

TEST_P(CreateTest, UpgradeBringsAnOlderSchemaToTheCurrentOne)
{
    int from = 0, to = 0;
    QString error;
    EXPECT_FALSE(DbTool::upgradeDatabase(db(), from, to, error)) << "an empty database has nothing to upgrade";
    EXPECT_TRUE(error.contains(QStringLiteral("create"))) << error.toStdString();

    const int current = RecordDatabase::currentSchemaVersion();
    if (current < 2)
        GTEST_SKIP() << "only one schema version exists";
    ASSERT_TRUE(db().createSchema(current - 1)) << db().errorText().toStdString();
    ASSERT_TRUE(DbTool::upgradeDatabase(db(), from, to, error)) << error.toStdString();
    EXPECT_EQ(from, current - 1);
    EXPECT_EQ(to, current);
    EXPECT_EQ(parameter(db(), QStringLiteral("DATABASEVERSION")), RecordDatabase::databaseVersionText());
    // A second run finds nothing to do.
    EXPECT_TRUE(DbTool::upgradeDatabase(db(), from, to, error));
    EXPECT_EQ(from, to);
}

OSTRELLE_ON_EVERY_ENGINE(CreateTest);

TEST(DbToolCommandLine, RejectsWrongCommandLinesWithUsageAndUnreachableDatabases)
{
    const auto texts = LoadShippedTexts();
    struct Case
    {
        QStringList arguments;
        int exitCode;
        const char *inError;
    };
    const Case cases[] = {
        {{}, DbTool::UsageError, "No command"},
        {{"drop", "sqlite:/tmp/x.db"}, DbTool::UsageError, "Unknown command"},
        {{"create"}, DbTool::UsageError, "needs a connection"},
        {{"fill", "sqlite:/tmp/x.db", "--cards", "10"}, DbTool::UsageError, "--events"},
        {{"fill", "sqlite:/tmp/x.db", "--cards", "-1", "--events", "1"}, DbTool::UsageError, "at least 0"},
        {{"create", "sqlite:/tmp/x.db", "--cards", "1"}, DbTool::UsageError, "takes no option"},
        {{"create", "sqlite:/nonexistent-folder/x.db"}, DbTool::NotConnected, "cannot open"},
    };
    for (const Case &c : cases) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        EXPECT_EQ(DbTool::run(c.arguments, *texts, outStream, errStream), c.exitCode)
            << c.arguments.join(' ').toStdString();
        errStream.flush();
        EXPECT_TRUE(err.contains(QLatin1String(c.inError))) << err.toStdString();
    }
}

TEST(DbToolProgram, CreatesOnceAndThenRefusesWithStatusAndExitCode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/ostrelle-db");
    const QString connection = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("hotel.db"));
    QProcess first;
    first.start(program, {QStringLiteral("create"), connection});
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), DbTool::Success) << first.readAllStandardError().toStdString();

    QProcess second;
    second.start(program, {QStringLiteral("create"), connection});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), DbTool::Failed);
    EXPECT_TRUE(
        QString::fromUtf8(second.readAllStandardError()).contains("create failed: status " + schemaMismatchText()));
}

TEST(DbToolProgram, CreateWithAdminLeavesAFirstOperatorOrNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/ostrelle-db");
    const auto create = [&](const QString &file, const QByteArray &input) {
        QProcess tool;
        tool.start(program, {QStringLiteral("create"), QStringLiteral("sqlite:") + dir.filePath(file),
                             QStringLiteral("--admin"), QStringLiteral("OWNER")});
        tool.write(input);
        tool.closeWriteChannel();
        EXPECT_TRUE(tool.waitForFinished(60000));
        return tool.exitCode();
    };
    // No password: refused before anything is created.
    EXPECT_EQ(create(QStringLiteral("none.db"), QByteArray()), DbTool::UsageError);
    {
        auto sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("none"));
        sql.setDatabaseName(dir.filePath(QStringLiteral("none.db")));
        ASSERT_TRUE(sql.open());
        EXPECT_TRUE(sql.tables().isEmpty());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("none"));

    ASSERT_EQ(create(QStringLiteral("hotel.db"), "first-pass\n"), DbTool::Success);
    {
        auto sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hotel"));
        sql.setDatabaseName(dir.filePath(QStringLiteral("hotel.db")));
        ASSERT_TRUE(sql.open());
        QSqlQuery q(sql);
        ASSERT_TRUE(q.exec(QStringLiteral(
            R"(SELECT o."operatorTemplateID", p."password" FROM "Users" u JOIN "Operators" o ON o."userID" = u."userID")"
            R"( JOIN "Passwords" p ON p."userID" = u."userID" WHERE u."alphaID" = 'OWNER')")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), RequiredRows::ReferenceTemplateId);
        EXPECT_TRUE(Passwords::verify(q.value(1).toString(), QStringLiteral("first-pass")));
        EXPECT_FALSE(Passwords::verify(q.value(1).toString(), QStringLiteral("first-pass\n")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("hotel"));
}

} // namespace
