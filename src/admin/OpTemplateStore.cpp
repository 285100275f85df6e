#include "admin/OpTemplateStore.h"

#include "admin/OpTemplateRules.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include <QVariant>

namespace {

// Error codes shown with the database's error text.
constexpr qint32 kLoadFailed = 4800;
constexpr qint32 kNoteNotSaved = 4816;
constexpr qint32 kTemplateNotSaved = 4817;
constexpr qint32 kTableRightNotSaved = 4818;
constexpr qint32 kCardKindNotSaved = 4819;
constexpr qint32 kFunctionNotSaved = 4820;
constexpr qint32 kDoorAreaNotSaved = 4821;
constexpr qint32 kOperatorUnread = 4832;
constexpr qint32 kNoteNotUpdated = 4833;
constexpr qint32 kTemplateNotUpdated = 4834;
constexpr qint32 kTableRightNotUpdated = 4835;
constexpr qint32 kCardKindNotUpdated = 4838;

constexpr qint32 kTableRightsLast = Authority::TableRightsBase + 0x440;
// Any bound from the last card kind on reads the same rows.
constexpr qint32 kCardKindsFirst = Authority::CardKindBase + Authority::FirstCardKind;
constexpr qint32 kCardKindsLast = kCardKindsFirst + Authority::CardKindCount - 1;
constexpr qint32 kFunctionsLast = Authority::FunctionBase + Authority::FunctionCount - 1;
constexpr qint32 kDoorAreasLast = Authority::CardKindBase - 1;

const QString kRangeFilter = QString(Field::operatorTemplateID) + QStringLiteral(" = ? and ") + Field::operationCode +
                             QStringLiteral(" >= ? and ") + Field::operationCode + QStringLiteral(" <= ?");
const QString kBarredOnly = QStringLiteral(" and ") + Field::disallowed + QStringLiteral(" <> 0");

QVariant noteValue(qint32 noteID)
{
    return noteID == 0 ? QVariant() : QVariant(noteID);
}

} // namespace

OpTemplateResult OpTemplateStore::result(RecordTable &table, qint32 errorCode) const
{
    const qint32 status = table.Status();
    if (status == RecordStatus::Ok)
        return {};
    return {status, table.ErrorText(status), errorCode};
}

template <class Row>
OpTemplateResult OpTemplateStore::readRange(qint32 templateID, qint32 first, qint32 last, const QString &extra, Row row)
{
    RecordTable &t = m_rights;
    t.SelectTable(TableId::TemplateRights);
    t.OpenQuery(kRangeFilter + extra, Field::operationCode);
    t.AddParameter(templateID);
    t.AddParameter(first);
    t.AddParameter(last);
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        row(t.GetField(Field::operationCode).toInt());
    const OpTemplateResult read = t.Status() == RecordStatus::NoRecord ? OpTemplateResult{} : result(t, kLoadFailed);
    t.CloseQuery();
    return read;
}

OpTemplateResult OpTemplateStore::load(qint32 templateID, OpTemplateRecord &record, OpTemplateRights &rights)
{
    record = {};
    rights = {};
    RecordTable &t = m_rows;
    t.SelectTable(TableId::OperatorTemplates);
    t.SetField(Field::operatorTemplateID, templateID);
    t.FindRecord();
    if (t.Status() != RecordStatus::Ok)
        return result(t, kLoadFailed);
    record.name = t.GetField(Field::operatorTemplateName).toString();
    record.noteID = t.GetField(Field::noteID).toInt();
    if (record.noteID != 0) {
        t.SelectTable(TableId::Notes);
        t.SetField(Field::noteID, record.noteID);
        t.FindRecord();
        if (t.Status() == RecordStatus::Ok)
            record.description = t.GetField(Field::noteText).toString();
        else if (t.Status() == RecordStatus::NoRecord)
            record.noteID = 0; // a lost note: the next update writes a new one
        else
            return result(t, kLoadFailed);
    }
    RecordTable &r = m_rights;
    OpTemplateResult read = readRange(templateID, Authority::TableRightsBase, kTableRightsLast, {}, [&](qint32 code) {
        const qint32 index = (code - Authority::TableRightsBase) / 16;
        if (index < Authority::TableCount)
            rights.tables[index] = r.GetField(Field::rwed).toInt();
    });
    if (read.ok()) {
        read = readRange(templateID, kCardKindsFirst, kCardKindsLast, {}, [&](qint32 code) {
            const qint32 index = code - kCardKindsFirst;
            if (index < Authority::CardKindCount)
                rights.validity[index] = r.GetField(Field::maxValidity).toInt();
        });
    }
    if (read.ok()) {
        read = readRange(templateID, Authority::FunctionBase, kFunctionsLast, {}, [&](qint32 code) {
            if (code - Authority::FunctionBase < Authority::FunctionCount)
                rights.functions.set(code - Authority::FunctionBase);
        });
    }
    return read;
}

OpTemplateResult OpTemplateStore::loadDoorAreas(qint32 templateID, QList<DoorAreaMark> &areas)
{
    areas.clear();
    RecordTable &t = m_rows;
    t.SelectTable(TableId::DoorGroups);
    t.OpenQuery(QString(), Field::doorGroupName);
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        areas.append({t.GetField(Field::doorGroupID).toInt(), t.GetField(Field::doorGroupName).toString(), false});
    if (t.Status() != RecordStatus::NoRecord)
        return result(t, kLoadFailed);
    t.CloseQuery();
    if (templateID == 0)
        return {};
    return readRange(templateID, Authority::BarredDoorGroupBase, kDoorAreasLast, kBarredOnly, [&](qint32 code) {
        for (DoorAreaMark &area : areas) {
            if (Authority::BarredDoorGroupBase + area.doorGroupID == code)
                area.barred = true;
        }
    });
}

OpTemplateResult OpTemplateStore::loadCardNames(std::array<QString, Authority::CardKindCount> &names)
{
    names.fill(QString());
    RecordTable &t = m_rows;
    t.SelectTable(TableId::CardNames);
    t.OpenQuery(QString(), Field::cardNameID);
    for (; t.Status() == RecordStatus::Ok; t.MoveNext()) {
        const qint32 index = t.GetField(Field::cardNameID).toInt() - Authority::FirstCardKind;
        if (index >= 0 && index < Authority::CardKindCount)
            names[index] = t.GetField(Field::cardName).toString();
    }
    const OpTemplateResult read = t.Status() == RecordStatus::NoRecord ? OpTemplateResult{} : result(t, kLoadFailed);
    t.CloseQuery();
    return read;
}

OpTemplateResult OpTemplateStore::findNamed(const QString &name, qint32 except, qint32 &templateID)
{
    templateID = 0;
    RecordTable &t = m_rows;
    t.SelectTable(TableId::OperatorTemplates);
    // Few templates exist; comparing here spares the engines' differing case rules.
    t.OpenQuery(QString(), Field::operatorTemplateID);
    for (; t.Status() == RecordStatus::Ok && templateID == 0; t.MoveNext()) {
        const qint32 id = t.GetField(Field::operatorTemplateID).toInt();
        if (id != except && SameTemplateName(t.GetField(Field::operatorTemplateName).toString(), name))
            templateID = id;
    }
    const bool read = t.Status() == RecordStatus::Ok || t.Status() == RecordStatus::NoRecord;
    const OpTemplateResult found = read ? OpTemplateResult{} : result(t, kLoadFailed);
    t.CloseQuery();
    return found;
}

OpTemplateResult OpTemplateStore::create(OpTemplateRecord &record, qint32 &templateID)
{
    templateID = 0;
    record.noteID = 0;
    RecordTable &t = m_rows;
    qint32 noteID = 0;
    if (!record.description.isEmpty()) {
        t.SelectTable(TableId::Notes);
        t.SetField(Field::noteText, record.description);
        t.InsertRecord();
        if (t.Status() != RecordStatus::Ok)
            return result(t, kNoteNotSaved);
        noteID = t.GetField(Field::noteID).toInt();
    }
    t.SelectTable(TableId::OperatorTemplates);
    t.SetField(Field::operatorTemplateName, record.name);
    t.SetField(Field::noteID, noteValue(noteID));
    t.InsertRecord();
    const OpTemplateResult inserted = result(t, kTemplateNotSaved);
    if (inserted.ok()) {
        templateID = t.GetField(Field::operatorTemplateID).toInt();
        record.noteID = noteID;
    } else if (noteID != 0) {
        t.SelectTable(TableId::Notes);
        t.SetField(Field::noteID, noteID);
        t.DeleteRecord();
    }
    return inserted;
}

OpTemplateResult OpTemplateStore::change(qint32 templateID, OpTemplateRecord &record)
{
    RecordTable &t = m_rows;
    t.SelectTable(TableId::Notes);
    bool noteWritten = true;
    if (record.noteID != 0 && !record.description.isEmpty()) {
        t.SetField(Field::noteID, record.noteID);
        t.FindRecord();
        if (t.Status() == RecordStatus::Ok) {
            t.SetField(Field::noteText, record.description);
            t.UpdateRecord();
        }
        noteWritten = t.Status() == RecordStatus::Ok;
    } else if (!record.description.isEmpty()) {
        t.SetField(Field::noteText, record.description);
        t.InsertRecord();
        noteWritten = t.Status() == RecordStatus::Ok;
        if (noteWritten)
            record.noteID = t.GetField(Field::noteID).toInt();
    } else if (record.noteID != 0) {
        t.SetField(Field::noteID, record.noteID);
        t.DeleteRecord();
        noteWritten = t.Status() == RecordStatus::Ok || t.Status() == RecordStatus::NoRecord;
        if (noteWritten)
            record.noteID = 0;
    }
    if (!noteWritten)
        return result(t, kNoteNotUpdated);
    t.SelectTable(TableId::OperatorTemplates);
    t.SetField(Field::operatorTemplateID, templateID);
    t.FindRecord();
    if (t.Status() == RecordStatus::Ok) {
        t.SetField(Field::operatorTemplateName, record.name);
        t.SetField(Field::noteID, noteValue(record.noteID));
        t.UpdateRecord();
    }
    return result(t, kTemplateNotUpdated);
}

OpTemplateResult OpTemplateStore::writeRights(qint32 templateID, const OpTemplateRights &rights,
                                              const QList<DoorAreaMark> &areas, RightsWrite mode)
{
    const bool changed = mode == RightsWrite::ChangedTemplate;
    RecordTable &t = m_rights;
    t.SelectTable(TableId::TemplateRights);
    auto key = [&](qint32 code) {
        t.SetField(Field::operatorTemplateID, templateID);
        t.SetField(Field::operationCode, code);
    };
    auto find = [&](qint32 code) {
        key(code);
        t.FindRecord();
        return t.Status() == RecordStatus::Ok;
    };
    auto failed = [&] { return t.Status() != RecordStatus::Ok && t.Status() != RecordStatus::NoRecord; };
    // A changed template's table and card-kind rows are updated where present.
    auto put = [&](qint32 code, const QString &field, qint32 value) {
        bool present = false;
        if (changed)
            present = find(code);
        else
            key(code);
        if (failed())
            return false;
        t.SetField(field, value);
        if (present)
            t.UpdateRecord();
        else
            t.InsertRecord();
        return t.Status() == RecordStatus::Ok;
    };

    for (int index = 0; index < Authority::TableCount; ++index) {
        if (!put(Authority::TableRightsBase + index * 16, Field::rwed, rights.tables[index]))
            return result(t, changed ? kTableRightNotUpdated : kTableRightNotSaved);
    }
    for (int index = 0; index < Authority::CardKindCount; ++index) {
        if (!put(kCardKindsFirst + index, Field::maxValidity, rights.validity[index]))
            return result(t, changed ? kCardKindNotUpdated : kCardKindNotSaved);
    }
    for (int n = 0; n < Authority::FunctionCount; ++n) {
        const qint32 code = Authority::FunctionBase + n;
        // The row is the permission: a changed template keeps a row it has, as inserting it
        // again would repeat its key.
        bool present = false;
        if (rights.functions[n] && !changed)
            key(code);
        else
            present = find(code);
        if (failed())
            return result(t, kFunctionNotSaved);
        if (rights.functions[n] && !present)
            t.InsertRecord();
        else if (!rights.functions[n] && present)
            t.DeleteRecord();
        if (failed())
            return result(t, kFunctionNotSaved);
    }
    for (const DoorAreaMark &area : areas) {
        const bool present = find(Authority::BarredDoorGroupBase + area.doorGroupID);
        if (failed())
            return result(t, kDoorAreaNotSaved);
        if (area.barred) {
            t.SetField(Field::disallowed, 1);
            if (present)
                t.UpdateRecord();
            else
                t.InsertRecord();
        } else if (present) {
            t.DeleteRecord();
        }
        if (failed())
            return result(t, kDoorAreaNotSaved);
    }
    return {};
}

OpTemplateResult OpTemplateStore::operatorTemplate(qint32 userID, qint32 &templateID)
{
    templateID = 0;
    RecordTable &t = m_rows;
    t.SelectTable(TableId::Operators);
    t.SetField(Field::userID, userID);
    t.FindRecord();
    if (t.Status() == RecordStatus::Ok)
        templateID = t.GetField(Field::operatorTemplateID).toInt();
    return result(t, kOperatorUnread);
}

OpTemplateResult OpTemplateStore::countOperators(qint32 templateID, int &count)
{
    count = 0;
    RecordTable &t = m_rows;
    t.SelectTable(TableId::Operators);
    t.OpenQuery(QString(Field::operatorTemplateID) + QStringLiteral(" = ?"), QString());
    t.AddParameter(templateID);
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        ++count;
    const OpTemplateResult read = t.Status() == RecordStatus::NoRecord ? OpTemplateResult{} : result(t, kLoadFailed);
    t.CloseQuery();
    return read;
}

OpTemplateResult OpTemplateStore::remove(qint32 templateID)
{
    RecordTable &t = m_rows;
    t.SelectTable(TableId::OperatorTemplates);
    t.SetField(Field::operatorTemplateID, templateID);
    t.FindRecord();
    if (t.Status() != RecordStatus::Ok)
        return result(t, kTemplateNotUpdated);
    const qint32 noteID = t.GetField(Field::noteID).toInt();
    m_rights.SelectTable(TableId::TemplateRights);
    m_rights.SetField(Field::operatorTemplateID, templateID);
    m_rights.DeleteRecord();
    if (m_rights.Status() != RecordStatus::Ok && m_rights.Status() != RecordStatus::NoRecord)
        return result(m_rights, kTemplateNotUpdated);
    t.SelectTable(TableId::OperatorTemplates);
    t.SetField(Field::operatorTemplateID, templateID);
    t.DeleteRecord();
    if (t.Status() != RecordStatus::Ok)
        return result(t, kTemplateNotUpdated);
    if (noteID != 0) {
        t.SelectTable(TableId::Notes);
        t.SetField(Field::noteID, noteID);
        t.DeleteRecord(); // a note already gone leaves nothing to do
    }
    return {};
}

OpTemplateResult OpTemplateStore::loadCrossReference(TemplateCrossReference &xref)
{
    xref = {};
    RecordTable &t = m_rows;
    t.SelectTable(TableId::OperatorTemplates);
    t.OpenQuery(QString(), Field::operatorTemplateName);
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        xref.templates.append(
            {t.GetField(Field::operatorTemplateID).toInt(), t.GetField(Field::operatorTemplateName).toString()});
    if (t.Status() != RecordStatus::NoRecord)
        return result(t, kLoadFailed);
    QList<DoorAreaMark> areas;
    if (const OpTemplateResult read = loadDoorAreas(0, areas); !read.ok())
        return read;
    for (const DoorAreaMark &area : areas)
        xref.doorAreas.append({area.doorGroupID, area.name});
    RecordTable &r = m_rights;
    r.SelectTable(TableId::TemplateRights);
    r.OpenQuery(QString(Field::operationCode) + QStringLiteral(" >= ? and ") + Field::operationCode +
                    QStringLiteral(" <= ?") + kBarredOnly,
                QString());
    r.AddParameter(Authority::BarredDoorGroupBase);
    r.AddParameter(kDoorAreasLast);
    for (; r.Status() == RecordStatus::Ok; r.MoveNext())
        xref.barred.insert({r.GetField(Field::operatorTemplateID).toInt(),
                            r.GetField(Field::operationCode).toInt() - Authority::BarredDoorGroupBase});
    const OpTemplateResult read = r.Status() == RecordStatus::NoRecord ? OpTemplateResult{} : result(r, kLoadFailed);
    r.CloseQuery();
    return read;
}
