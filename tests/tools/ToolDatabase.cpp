#include "ToolDatabase.h"

#include "components/recordtable/RecordTable.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
const char *const kPgVariable = "OSTRELLE_TEST_PG";
} // namespace

QString ToolDatabase::engineName(Engine engine)
{
    return engine == Engine::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

bool ToolDatabase::offered(Engine engine)
{
    return engine == Engine::SQLite || !qEnvironmentVariableIsEmpty(kPgVariable);
}

std::unique_ptr<ToolDatabase> ToolDatabase::create(Engine engine)
{
    if (!offered(engine))
        return nullptr;
    std::unique_ptr<ToolDatabase> test(new ToolDatabase);
    if (engine == Engine::SQLite) {
        if (!test->m_dir.isValid()) {
            ADD_FAILURE() << "no temporary folder";
            return nullptr;
        }
        test->m_connection = QStringLiteral("sqlite:") + test->m_dir.filePath(QStringLiteral("tool.db"));
    } else {
        const QString server = qEnvironmentVariable(kPgVariable);
        test->m_admin = std::make_unique<RecordDatabase>();
        if (!test->m_admin->open(server)) {
            ADD_FAILURE() << "cannot reach " << server.toStdString() << ": "
                          << test->m_admin->errorText().toStdString();
            return nullptr;
        }
        test->m_pgName = QStringLiteral("ostrelle_tools_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QSqlQuery q(test->m_admin->sqlDatabase());
        if (!q.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(test->m_pgName))) {
            ADD_FAILURE() << q.lastError().text().toStdString();
            return nullptr;
        }
        QUrl url(server);
        url.setPath(QLatin1Char('/') + test->m_pgName);
        test->m_connection = url.toString();
    }
    test->m_db = test->reopen();
    if (!test->m_db)
        return nullptr;
    return test;
}

std::unique_ptr<RecordDatabase> ToolDatabase::reopen() const
{
    auto db = std::make_unique<RecordDatabase>();
    db->setPasswordHashLimits(0, 0); // the cheapest hashing: the tests check many passwords
    if (!db->open(m_connection)) {
        ADD_FAILURE() << "cannot open " << m_connection.toStdString() << ": " << db->errorText().toStdString();
        return nullptr;
    }
    return db;
}

ToolDatabase::~ToolDatabase()
{
    m_db.reset();
    if (m_admin && !m_pgName.isEmpty()) {
        QSqlQuery q(m_admin->sqlDatabase());
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(m_pgName));
    }
}

std::unique_ptr<TextResources> LoadShippedTexts()
{
    auto texts = std::make_unique<TextResources>();
    texts->setProgramPath(QCoreApplication::applicationDirPath());
    if (!texts->LoadTextLibrary())
        ADD_FAILURE() << "no text library in " << QCoreApplication::applicationDirPath().toStdString();
    return texts;
}

QList<QVariantList> QueryRows(RecordDatabase &db, qint32 tableId, const QString &where, const QVariantList &parameters,
                              const QStringList &fields, const QString &orderBy)
{
    RecordTable table(db);
    table.SelectTable(tableId);
    table.OpenQuery(where, orderBy);
    for (const QVariant &p : parameters)
        table.AddParameter(p);
    QList<QVariantList> rows;
    while (table.Status() == RecordStatus::Ok) {
        QVariantList row;
        for (const QString &f : fields)
            row.append(table.GetField(f));
        rows.append(row);
        table.MoveNext();
    }
    EXPECT_EQ(table.Status(), RecordStatus::NoRecord)
        << where.toStdString() << ": " << table.ErrorText(table.Status()).toStdString();
    table.CloseQuery();
    return rows;
}
