#pragma once

#include "components/recordtable/RecordDatabase.h"
#include "texts/Texts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// An empty database for one test, opened but without a schema, since creating the schema is what
// the tool under test does. SQLite always; PostgreSQL when OSTRELLE_TEST_PG names a server (each
// test gets a database of its own there, dropped afterwards).
class ToolDatabase
{
public:
    enum class Engine { SQLite, PostgreSQL };

    static QString engineName(Engine engine);
    static bool offered(Engine engine);
    // Null when the engine is not offered; a failure to set up an offered engine fails the test.
    static std::unique_ptr<ToolDatabase> create(Engine engine);

    ~ToolDatabase();
    ToolDatabase(const ToolDatabase &) = delete;
    ToolDatabase &operator=(const ToolDatabase &) = delete;

    RecordDatabase &db() { return *m_db; }
    QString connection() const { return m_connection; }
    // A second connection to the same database, as another workstation would open it.
    std::unique_ptr<RecordDatabase> reopen() const;

private:
    ToolDatabase() = default;

    QTemporaryDir m_dir;
    QString m_connection;
    std::unique_ptr<RecordDatabase> m_db;
    std::unique_ptr<RecordDatabase> m_admin;
    QString m_pgName;
};

// The shipped texts, from the text library the build puts beside the test program.
std::unique_ptr<TextResources> LoadShippedTexts();

// The rows of a query through the component, each with the fields asked for, in that order.
// A status other than "no more rows" fails the test.
QList<QVariantList> QueryRows(RecordDatabase &db, qint32 tableId, const QString &where, const QVariantList &parameters,
                              const QStringList &fields, const QString &orderBy = QString());
