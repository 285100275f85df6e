#include "cards/CancelCardStore.h"

#include "cards/CancelCardRules.h"
#include "components/cardserver/CardRecordState.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"

namespace {
constexpr int32_t kFindFailed = 4498;
constexpr int32_t kUpdateFailed = 4497;
constexpr qint32 kCancelled = 0;
} // namespace

std::optional<std::pair<quint32, double>> CancelCardStore::latestCopy(quint32 number)
{
    const CancelCardRules::CopyRange copies = CancelCardRules::CopiesOf(number);
    m_table.SelectTable(TableId::Cards);
    // A copy whose write failed is no card: a cancel card naming it would leave the real copies open.
    m_table.OpenQuery(QString(Field::registrationNumber) + QStringLiteral(" >= ? and ") + Field::registrationNumber +
                          QStringLiteral(" <= ? and ") + Field::status + QStringLiteral(" <> ?"),
                      QString(Field::expireTime) + QStringLiteral(" desc"));
    m_table.AddParameter(qint32(copies.first));
    m_table.AddParameter(qint32(copies.last));
    m_table.AddParameter(CardRecordState::NeverIssued);
    std::optional<std::pair<quint32, double>> found;
    if (m_table.Status() == RecordStatus::Ok)
        found = std::pair{quint32(m_table.GetField(Field::registrationNumber).toInt()),
                          m_table.GetField(Field::expireTime).toDouble()};
    m_table.CloseQuery();
    return found;
}

int32_t CancelCardStore::markCancelled(quint32 registrationNumber, double now, qint32 operatorID, QString &error)
{
    m_table.SelectTable(TableId::Cards);
    m_table.SetField(Field::registrationNumber, qint32(registrationNumber));
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok) {
        error = m_table.ErrorText(m_table.Status());
        return kFindFailed;
    }
    m_table.SetField(Field::status, kCancelled);
    m_table.SetField(Field::cancelTime, now);
    m_table.SetField(Field::cancelOperatorID, operatorID);
    m_table.UpdateRecord();
    if (m_table.Status() != RecordStatus::Ok) {
        error = m_table.ErrorText(m_table.Status());
        return kUpdateFailed;
    }
    return 0;
}
