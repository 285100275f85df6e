#pragma once

#include "DatabaseFixture.h"
#include "texts/Texts.h"

#include <memory>

// An empty database for one test, opened but without a schema, since creating the schema is what
// the tool under test does; on the server the test is skipped without OSTRELLE_TEST_PG.
struct ToolDatabase
{
    explicit ToolDatabase(bool postgres) { database.create(postgres, db, QString(), {}, false); }
    ~ToolDatabase()
    {
        db.close();
        database.drop();
    }
    // A second connection to the same database, as another workstation would open it.
    std::unique_ptr<RecordDatabase> reopen() const;

    TestDatabase database;
    RecordDatabase db;
};

// The shipped texts, from the text library the build puts beside the test program.
std::unique_ptr<TextResources> LoadShippedTexts();

// The rows of a query through the component, each with the fields asked for, in that order.
// A status other than "no more rows" fails the test.
QList<QVariantList> QueryRows(RecordDatabase &db, qint32 tableId, const QString &where, const QVariantList &parameters,
                              const QStringList &fields, const QString &orderBy = QString());
