#include "admin/UserRegister.h"

#include "admin/UserDataStore.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Authority.h"
#include "session/Services.h"
#include "texts/Messages.h"

namespace {

constexpr int16_t kRemoveQuestion = -32509;
constexpr int16_t kOperatorNotRemovable = -31142;
constexpr int16_t kRecordGone = -31227;
constexpr int32_t kRemoveErrorCode = 4368;
constexpr qint32 kLastBuiltInUser = 2;
constexpr qint32 kEmployeeCard = 260;
constexpr qint32 kSupervisorCard = 261;
constexpr qint32 kValidCard = 1;
constexpr qint32 kReissuedCard = 3;

const QLatin1String kSearchFields[UserSearchFieldCount] = {
    Field::alphaID, Field::surname, Field::firstname, Field::address1, Field::address2, Field::zipcode, Field::city};

RemoveOutcome askRemoval(ProgramServices &program, const QString &alphaID, int16_t buttonsText, QWidget *parent)
{
    if (buttonsText == 0)
        return RemoveOutcome::Removed;
    MessageRequest question;
    question.textNumber = kRemoveQuestion;
    question.arguments = {alphaID};
    question.style = MessageStyle::Question;
    question.buttons = buttonsText == RemoveOneOfSeveral ? MessageButtons::YesNoCancel : MessageButtons::YesNo;
    question.buttonNumbers = {buttonsText};
    const int answer = program.messages->show(question, parent);
    if (buttonsText != RemoveOneOfSeveral)
        return answer == 0 ? RemoveOutcome::Removed : RemoveOutcome::Cancelled;
    switch (answer) {
    case 0:
        return RemoveOutcome::Removed;
    case 1:
        return RemoveOutcome::RemovedAll;
    case 2:
        return RemoveOutcome::Skipped;
    default:
        return RemoveOutcome::Cancelled;
    }
}

void showRemoveError(ProgramServices &program, const RecordTable &table, QWidget *parent)
{
    program.messages->errorWithCode(kRemoveErrorCode, table.ErrorText(table.Status()), parent);
}

// Drops the operator's note, operator row and password; the first failure is shown.
bool dropOperator(ProgramServices &program, RecordTable &table, qint32 userID, const QVariant &noteID, QWidget *parent)
{
    if (!noteID.isNull() && noteID.toInt() != 0) {
        table.SelectTable(TableId::Notes);
        table.SetField(Field::noteID, noteID);
        table.DeleteRecord();
        if (table.Status() != RecordStatus::Ok && table.Status() != RecordStatus::NoRecord) {
            showRemoveError(program, table, parent);
            return false;
        }
    }
    for (qint32 tableId : {TableId::Operators, TableId::Passwords}) {
        table.SelectTable(tableId);
        table.SetField(Field::userID, userID);
        table.DeleteRecord();
        if (table.Status() != RecordStatus::Ok && table.Status() != RecordStatus::NoRecord) {
            showRemoveError(program, table, parent);
            return false;
        }
    }
    return true;
}

} // namespace

QString UserSearchField(int entry)
{
    if (entry < 0 || entry >= UserSearchFieldCount)
        return Field::alphaID;
    return kSearchFields[entry];
}

UserListQuery BuildUserListQuery(int entry, const QString &text)
{
    const QString field = UserSearchField(entry);
    const QString rest = QStringLiteral(" > ? and ") + Field::doNotShow + QStringLiteral(" = ? and ") + Field::deleted +
                         QStringLiteral(" = ?");
    UserListQuery query;
    if (text.isEmpty()) {
        // Free fields are often left empty, and an empty field is stored as NULL.
        query.where = QStringLiteral("(") + field + QStringLiteral(" like ? or ") + field +
                      QStringLiteral(" is null) and ") + Field::userID + rest;
    } else {
        query.where = field + QStringLiteral(" like ? and ") + Field::userID + rest;
    }
    query.orderBy = field;
    query.parameters = {text + QLatin1Char('%'), kLastBuiltInUser, 0, 0};
    return query;
}

RemoveOutcome RemoveUser(ProgramServices &program, DatabaseServices &db, Session &session, qint32 userID,
                         const QString &alphaID, int16_t buttonsText, QWidget *parent)
{
    RecordTable table(*db.database);
    table.SelectTable(TableId::Operators);
    table.SetField(Field::userID, userID);
    table.FindRecord();
    const bool isOperator = table.Status() == RecordStatus::Ok;
    const QVariant noteID = isOperator ? table.GetField(Field::noteID) : QVariant();
    if (isOperator && !session.authority.HasRight(TableId::Operators, Authority::Delete)) {
        program.messages->error(kOperatorNotRemovable, {}, {}, parent);
        return RemoveOutcome::Refused;
    }

    const RemoveOutcome answer = askRemoval(program, alphaID, buttonsText, parent);
    if (answer != RemoveOutcome::Removed && answer != RemoveOutcome::RemovedAll)
        return answer;

    // Users are never deleted: cards and events keep pointing at them.
    const UserStoreResult removed = UserDataStore(*db.database).setRemoved(userID, true);
    if (removed.status == RecordStatus::NoRecord) {
        program.messages->error(kRecordGone, {}, {}, parent);
        return RemoveOutcome::Failed;
    }
    if (!removed.ok()) {
        program.messages->errorWithCode(kRemoveErrorCode, removed.errorText, parent);
        return RemoveOutcome::Failed;
    }
    session.notify.NotifyUserRemoved(userID);

    if (isOperator) {
        session.notify.NotifyOperatorRemoved(userID);
        if (!dropOperator(program, table, userID, noteID, parent))
            return RemoveOutcome::Failed;
    }
    return answer;
}

qint32 FindStaffCard(RecordTable &cards, qint32 userID, double now, StaffCard &card)
{
    card = StaffCard{};
    cards.SelectTable(TableId::Cards);
    cards.OpenQuery(QString(Field::userID) + QStringLiteral(" = ? and ") + Field::cardNameID +
                        QStringLiteral(" in(?,?) and ") + Field::status + QStringLiteral(" in(?,?) and ") +
                        Field::expireTime + QStringLiteral(" > ?"),
                    QString(Field::expireTime) + QStringLiteral(" desc"));
    for (const QVariant &value : QVariantList{userID, kEmployeeCard, kSupervisorCard, kValidCard, kReissuedCard, now})
        cards.AddParameter(value);
    const qint32 status = cards.Status();
    if (status == RecordStatus::Ok) {
        card.registrationNumber = cards.GetField(Field::registrationNumber).toInt();
        card.cardNameID = cards.GetField(Field::cardNameID).toInt();
    }
    cards.CloseQuery();
    return status;
}
