#pragma once

#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <array>
#include <bitset>
#include <utility>

// The rows of the operator templates, free of widgets: a template with its description, and its
// rights rows in TemplateRights, written in a fixed order so that a failure leaves a known prefix.
// Every operation answers with the database's status, its error text and the error code the
// template windows show with it.

// The template dialog's working copy of a template's rights.
struct OpTemplateRights
{
    std::array<qint32, Authority::TableCount> tables{};      // rwed by tableId / 16
    std::array<qint32, Authority::CardKindCount> validity{}; // minutes by cardNameID - 256; 0: may not issue
    std::bitset<Authority::FunctionCount> functions;
};

// A door area as the template dialog lists it.
struct DoorAreaMark
{
    qint32 doorGroupID = 0;
    QString name;
    bool barred = false;
};

struct OpTemplateRecord
{
    QString name;
    QString description; // empty: the template has no note
    qint32 noteID = 0;
};

struct OpTemplateResult
{
    qint32 status = RecordStatus::Ok; // RecordStatus::NoRecord where the template is gone
    QString errorText;
    qint32 errorCode = 0; // shown with the error text
    bool ok() const { return status == RecordStatus::Ok; }
};

enum class RightsWrite {
    NewTemplate,     // rows are inserted
    ChangedTemplate, // rows are found first and updated where present
};

// Which template bars which door area, for the cross-reference window.
struct TemplateCrossReference
{
    QList<std::pair<qint32, QString>> templates; // by name
    QList<std::pair<qint32, QString>> doorAreas; // by name
    QSet<std::pair<qint32, qint32>> barred;      // (operatorTemplateID, doorGroupID)
};

class OpTemplateStore
{
public:
    explicit OpTemplateStore(RecordDatabase &db) : m_rows(db), m_rights(db) {}

    OpTemplateResult load(qint32 templateID, OpTemplateRecord &record, OpTemplateRights &rights);
    // Every door area in list order (by name), barred where the template has its row; a new
    // template (0) bars none.
    OpTemplateResult loadDoorAreas(qint32 templateID, QList<DoorAreaMark> &areas);
    OpTemplateResult loadCardNames(std::array<QString, Authority::CardKindCount> &names);
    // The first template but except whose name is the same (SameTemplateName); 0 when none.
    OpTemplateResult findNamed(const QString &name, qint32 except, qint32 &templateID);
    // The description first, then the template; a template that cannot be stored takes its note
    // along. record.noteID follows.
    OpTemplateResult create(OpTemplateRecord &record, qint32 &templateID);
    // The description is updated, added or, emptied, removed; record.noteID follows.
    OpTemplateResult change(qint32 templateID, OpTemplateRecord &record);
    // Tables 0 to 68, card kinds 256 to 280, functions 0 to 21, then the door areas in the order
    // given. The first failure stops the writing; the rows written so far stay.
    OpTemplateResult writeRights(qint32 templateID, const OpTemplateRights &rights, const QList<DoorAreaMark> &areas,
                                 RightsWrite mode);
    // The template of the operator with this userID.
    OpTemplateResult operatorTemplate(qint32 userID, qint32 &templateID);
    OpTemplateResult countOperators(qint32 templateID, int &count);
    // The template's rights rows, the template and its note.
    OpTemplateResult remove(qint32 templateID);
    OpTemplateResult loadCrossReference(TemplateCrossReference &xref);

private:
    OpTemplateResult result(RecordTable &table, qint32 errorCode) const;
    // Reads the template's rows of one code range; each row's code and the value of field.
    template <class Row>
    OpTemplateResult readRange(qint32 templateID, qint32 first, qint32 last, const QString &extra, Row row);

    RecordTable m_rows;   // templates, notes, operators, door areas, card names
    RecordTable m_rights; // TemplateRights alone
};
