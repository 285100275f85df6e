#include "ostrelle-db/RowWriter.h"

RowWriter::RowWriter(RecordDatabase &db) : m_table(db)
{
    check(QStringLiteral("opening the database"));
}

bool RowWriter::check(const QString &what)
{
    const qint32 status = m_table.Status();
    if (status == RecordStatus::Ok)
        return true;
    m_status = status;
    m_error = what + QStringLiteral(": ") + StatusMessage(status, m_table.ErrorText(status));
    return false;
}

bool RowWriter::insert(qint32 tableId, const Fields &fields, bool givenKey)
{
    if (!ok())
        return false;
    const TableDef *def = tableDef(tableId);
    const QString name = def ? def->name : QString::number(tableId);
    m_table.SelectTable(tableId);
    if (!check(QStringLiteral("selecting %1").arg(name)))
        return false;
    if (givenKey)
        m_table.UseGivenKey();
    for (const auto &[field, value] : fields)
        m_table.SetField(field, value);
    m_table.InsertRecord();
    if (!check(QStringLiteral("inserting into %1").arg(name)))
        return false;
    if (def && !def->keyField().isEmpty())
        m_lastKey = m_table.GetField(def->keyField()).toInt();
    return true;
}

bool RowWriter::update(qint32 tableId, const QString &keyField, const QVariant &key, const Fields &fields)
{
    if (!ok())
        return false;
    m_table.SelectTable(tableId);
    m_table.SetKeyField(keyField);
    m_table.SetField(keyField, key);
    m_table.FindRecord();
    if (!check(QStringLiteral("finding %1").arg(key.toString())))
        return false;
    for (const auto &[field, value] : fields)
        m_table.SetField(field, value);
    m_table.UpdateRecord();
    return check(QStringLiteral("updating %1").arg(key.toString()));
}

bool RowWriter::exists(qint32 tableId, const QString &field, const QVariant &value)
{
    if (!ok())
        return false;
    m_table.SelectTable(tableId);
    m_table.SetKeyField(field);
    m_table.SetField(field, value);
    m_table.FindRecord();
    const qint32 status = m_table.Status();
    if (status == RecordStatus::NoRecord)
        return false;
    return check(QStringLiteral("looking up %1").arg(value.toString()));
}

QString StatusMessage(qint32 status, const QString &text)
{
    return QStringLiteral("status 0x%1: %2").arg(static_cast<quint32>(status), 8, 16, QLatin1Char('0')).arg(text);
}
