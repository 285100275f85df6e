#include "ToolDatabase.h"

#include "components/recordtable/RecordTable.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

std::unique_ptr<RecordDatabase> ToolDatabase::reopen() const
{
    auto second = std::make_unique<RecordDatabase>();
    second->setPasswordHashLimits(0, 0); // the cheapest hashing: the tests check many passwords
    EXPECT_TRUE(second->open(database.connectionString())) << second->errorText().toStdString();
    return second;
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
