#include "ostrelle-db/RequiredRows.h"

#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/TableDefs.h"
#include "settings/clsSystemParams.h"

namespace RequiredRows {

const QList<CardKind> &cardKinds()
{
    static const QList<CardKind> kinds = {
        {256, "Guest card"},
        {257, "Joiner card"},
        {258, "Suite card"},
        {259, "Future arrival card"},
        {260, "Employee card"},
        {261, "Supervisor card"},
        {262, "Clearance card"},
        {263, "Stand-open card"},
        {264, "Privacy card"},
        {265, "Blocking card"},
        {266, "One-time card"},
        {267, "Power-down card"},
        {268, "Emergency card"},
        {269, "Cancel card"},
        {270, "Operator card"},
        {271, "Communication card"},
        {272, "Locking card"},
        {273, "Service card"},
        {274, "Common area card"},
        {275, "System ID card"},
        {276, "Maintenance card"},
        {277, "Battery alarm card"},
        {278, "Clear cancel list card"},
        {279, "Clear read-out list card"},
        {280, "Reserved card"},
    };
    return kinds;
}

const QList<EventName> &eventNames()
{
    static const QList<EventName> names = {
        {1, "Card accepted"},
        {2, "Card refused: expired"},
        {3, "Card refused: not valid for this door"},
        {4, "Card refused: cancelled"},
        {5, "Card refused: not yet valid"},
        {6, "Card refused: privacy set"},
        {7, "Opened from inside"},
        {8, "Door left open"},
        {9, "Forced entry"},
        {10, "Privacy set"},
        {11, "Privacy released"},
        {12, "Mechanical key used"},
        {13, "Low battery"},
        {14, "Lock programmed"},
    };
    return names;
}

TemplateRights TemplateRights::everything()
{
    TemplateRights r;
    for (int i = 0; i < TableRightCount; ++i)
        r.tables.insert(i * 16, 15);
    for (qint32 kind = FirstCardKind; kind <= LastCardKind; ++kind)
        r.cardKinds.insert(kind, UnlimitedValidity);
    for (int n = 0; n < FunctionCount; ++n)
        r.functions.append(n);
    return r;
}

bool writeTemplate(RowWriter &writer, qint32 templateId, const QString &name, const TemplateRights &rights)
{
    writer.insert(TableId::OperatorTemplates,
                  {{QStringLiteral("operatorTemplateID"), templateId}, {QStringLiteral("operatorTemplateName"), name}},
                  true);
    auto right = [&](qint32 code, const QString &field, qint32 value) {
        RowWriter::Fields fields{{QStringLiteral("operatorTemplateID"), templateId},
                                 {QStringLiteral("operationCode"), code}};
        if (!field.isEmpty())
            fields.append({field, value});
        return writer.insert(TableId::TemplateRights, fields);
    };
    for (int i = 0; i < TableRightCount; ++i)
        right(TableRightBase + i * 16, QStringLiteral("rwed"), rights.tables.value(i * 16, 0));
    for (qint32 kind = FirstCardKind; kind <= LastCardKind; ++kind)
        right(CardKindBase + kind, QStringLiteral("maxValidity"), rights.cardKinds.value(kind, 0));
    for (int n : rights.functions)
        right(FunctionBase + n, QString(), 0);
    return writer.ok();
}

bool seed(RecordDatabase &db, const TextResources &texts, double today, QString &error)
{
    RowWriter writer(db);
    for (const SystemParameterRow &row : DefaultSystemParameterRows(texts, today)) {
        if (writer.exists(TableId::Parameters, QStringLiteral("parameterID"), row.key))
            continue;
        writer.insert(TableId::Parameters,
                      {{QStringLiteral("parameterID"), row.key}, {QStringLiteral("parameter"), row.value}}, true);
    }
    for (const CardKind &kind : cardKinds()) {
        writer.insert(
            TableId::CardNames,
            {{QStringLiteral("cardNameID"), kind.id}, {QStringLiteral("cardName"), QString::fromUtf8(kind.name)}},
            true);
    }
    for (const EventName &event : eventNames()) {
        writer.insert(
            TableId::EventNames,
            {{QStringLiteral("eventCode"), event.code}, {QStringLiteral("eventName"), QString::fromUtf8(event.name)}},
            true);
    }

    // Hidden from every user list (doNotShow); the alphaIDs start with "$" so no typed ID collides.
    struct BuiltIn
    {
        qint32 id;
        const char *alphaId;
        const char *surname;
        const char *firstname;
    };
    const BuiltIn builtIns[] = {{GuestUserId, "$GUEST", "Guest", "Unnamed"},
                                {SystemUserId, "$SYSTEM", "System", "Installation"},
                                {ServiceUserId, "$SERVICE", "Veltrix", "Service"}};
    for (const BuiltIn &user : builtIns) {
        writer.insert(TableId::Users,
                      {{QStringLiteral("userID"), user.id},
                       {QStringLiteral("alphaID"), QString::fromUtf8(user.alphaId)},
                       {QStringLiteral("surname"), QString::fromUtf8(user.surname)},
                       {QStringLiteral("firstname"), QString::fromUtf8(user.firstname)},
                       {QStringLiteral("doNotShow"), 1}},
                      true);
    }

    writeTemplate(writer, ReferenceTemplateId, QStringLiteral("System administrator"), TemplateRights::everything());
    if (!writer.ok())
        error = writer.error();
    return writer.ok();
}

bool addFirstOperator(RecordDatabase &db, const QString &alphaId, const QString &password, QString &error)
{
    if (alphaId.trimmed().isEmpty() || password.isEmpty()) {
        error = StatusMessage(RecordStatus::InvalidValue,
                              QStringLiteral("The first operator needs a user ID and a password."));
        return false;
    }
    RecordDatabase::Transaction transaction(db);
    RowWriter w(db);
    if (w.exists(TableId::Users, QStringLiteral("alphaID"), alphaId.trimmed())) {
        error = StatusMessage(RecordStatus::DuplicateKey,
                              QStringLiteral("The user ID %1 is taken.").arg(alphaId.trimmed()));
        return false;
    }
    w.insert(TableId::Users, {{QStringLiteral("alphaID"), alphaId.trimmed()},
                              {QStringLiteral("surname"), alphaId.trimmed()},
                              {QStringLiteral("userGroupID"), static_cast<qint16>(1)}});
    const qint32 userId = w.lastKey();
    w.insert(TableId::Operators,
             {{QStringLiteral("userID"), userId}, {QStringLiteral("operatorTemplateID"), ReferenceTemplateId}}, true);
    w.insert(TableId::Passwords, {{QStringLiteral("userID"), userId}, {QStringLiteral("password"), password}}, true);
    if (!w.ok()) {
        error = w.error();
        return false;
    }
    if (!transaction.commit()) {
        error = StatusMessage(RecordStatus::SqlError, QStringLiteral("The first operator could not be committed."));
        return false;
    }
    return true;
}

} // namespace RequiredRows
