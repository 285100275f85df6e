#include "admin/OperatorStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

namespace {

constexpr int16_t kUserMissing = -29807;
constexpr int16_t kAlreadyOperator = -29806;
constexpr int16_t kTemplateMissing = -29805;
constexpr int16_t kExpired = -29801;
constexpr int32_t kInsertError = 4624;
constexpr int32_t kUpdateError = 4625;

OperatorSave refuse(int16_t message, OperatorSave::Field field, QVariantList arguments = {})
{
    OperatorSave save{SaveOutcome::refused(message, SaveOutcome::Focus::None), field};
    save.outcome.arguments = std::move(arguments);
    return save;
}

} // namespace

RecordResult OperatorStore::load(qint32 userID, Operator &op)
{
    m_table.SelectTable(TableId::Operators);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    op.userID = userID;
    op.operatorTemplateID = m_table.GetField(Field::operatorTemplateID).toInt();
    op.expireTime = m_table.GetField(Field::expireTime).toDouble();
    op.noteID = m_table.GetField(Field::noteID).toInt();
    op.note = ReadNote(m_table, op.noteID);
    m_table.SelectTable(TableId::Passwords);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    op.hasPassword = m_table.Status() == RecordStatus::Ok && !m_table.GetField(Field::password).toString().isEmpty();
    if (m_table.Status() != RecordStatus::Ok && m_table.Status() != RecordStatus::NoRecord)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    return userName(userID, op.userName);
}

RecordResult OperatorStore::userName(qint32 userID, QString &name)
{
    m_table.SelectTable(TableId::Users);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok && m_table.GetField(Field::deleted).toInt() != 0)
        return {RecordStatus::NoRecord, QString(), RecordResult::Step::Record};
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    const QString surname = m_table.GetField(Field::surname).toString();
    const QString firstname = m_table.GetField(Field::firstname).toString();
    name = m_table.GetField(Field::alphaID).toString() + QStringLiteral(" - ") + surname +
           (firstname.isEmpty() ? QString() : QStringLiteral(", ") + firstname);
    return {};
}

RecordResult OperatorStore::templates(QList<std::pair<qint32, QString>> &templates)
{
    templates.clear();
    m_table.SelectTable(TableId::OperatorTemplates);
    m_table.OpenQuery(QString(Field::operatorTemplateID) + QStringLiteral(" > ?"), Field::operatorTemplateName);
    m_table.AddParameter(0);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        templates.append({m_table.GetField(Field::operatorTemplateID).toInt(),
                          m_table.GetField(Field::operatorTemplateName).toString()});
    const RecordResult read = m_table.Status() == RecordStatus::NoRecord
                                  ? RecordResult{}
                                  : RecordResult::of(m_table, RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult OperatorStore::write(Operator &op, bool stored, const QString *password)
{
    RecordDatabase::Transaction transaction(m_db);
    if (RecordResult note = WriteNote(m_table, op.noteID, op.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::Operators);
    m_table.SetField(Field::userID, op.userID);
    if (stored) {
        m_table.FindRecord();
        if (m_table.Status() != RecordStatus::Ok)
            return RecordResult::of(m_table, RecordResult::Step::Record);
    } else {
        m_table.UseGivenKey();
    }
    m_table.SetField(Field::operatorTemplateID, op.operatorTemplateID);
    m_table.SetField(Field::expireTime, op.expireTime);
    m_table.SetField(Field::noteID, op.noteID);
    stored ? m_table.UpdateRecord() : m_table.InsertRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return RecordResult::of(m_table, RecordResult::Step::Record);
    if (password) {
        m_table.SelectTable(TableId::Passwords);
        m_table.SetField(Field::userID, op.userID);
        m_table.FindRecord();
        const bool exists = m_table.Status() == RecordStatus::Ok;
        if (!exists) {
            m_table.SelectTable(TableId::Passwords);
            m_table.UseGivenKey();
            m_table.SetField(Field::userID, op.userID);
        }
        m_table.SetField(Field::password, *password);
        exists ? m_table.UpdateRecord() : m_table.InsertRecord();
        if (m_table.Status() != RecordStatus::Ok)
            return RecordResult::of(m_table, RecordResult::Step::Record);
        op.hasPassword = true;
    }
    if (transaction.active() && !transaction.commit())
        return {RecordStatus::SqlError, m_db.errorText(), RecordResult::Step::Record};
    return {};
}

RecordResult OperatorStore::remove(qint32 userID)
{
    Operator op;
    if (RecordResult loaded = load(userID, op); !loaded.ok() && loaded.status != RecordStatus::NoRecord)
        return loaded;
    RecordDatabase::Transaction transaction(m_db);
    for (qint32 tableId : {TableId::Operators, TableId::Passwords}) {
        m_table.SelectTable(tableId);
        m_table.SetField(Field::userID, userID);
        m_table.DeleteRecord();
        if (m_table.Status() != RecordStatus::Ok && m_table.Status() != RecordStatus::NoRecord)
            return RecordResult::of(m_table, RecordResult::Step::Record);
    }
    if (RecordResult note = DeleteNote(m_table, op.noteID); !note.ok())
        return note;
    if (transaction.active() && !transaction.commit())
        return {RecordStatus::SqlError, m_db.errorText(), RecordResult::Step::Record};
    return {};
}

OperatorSave SaveOperator(OperatorStore &store, OperatorStore::Operator &op, bool stored, const QString &typed,
                          const QString &repeated, const PasswordRules &rules, double now)
{
    using F = OperatorSave::Field;
    const int32_t errorCode = stored ? kUpdateError : kInsertError;
    if (op.userID <= 0)
        return refuse(kUserMissing, F::User);
    if (!stored) {
        OperatorStore::Operator existing;
        const RecordResult read = store.load(op.userID, existing);
        if (read.ok())
            return refuse(kAlreadyOperator, F::User);
        if (read.status != RecordStatus::NoRecord)
            return {SaveOutcome::failed(errorCode, read)};
    }
    if (op.operatorTemplateID <= 0)
        return refuse(kTemplateMissing, F::Template);
    if (op.expireTime <= now)
        return refuse(kExpired, F::Expiry);
    const PasswordCheck check = CheckPassword(typed, repeated, rules, op.hasPassword);
    if (check.message != 0)
        return refuse(check.message, F::Password, check.arguments);
    if (const RecordResult written = store.write(op, stored, check.change ? &typed : nullptr); !written.ok())
        return {SaveOutcome::failed(errorCode, written)};
    return {SaveOutcome{true}};
}
