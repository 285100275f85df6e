#pragma once

#include "ostrelle-db/RowWriter.h"

#include <QList>
#include <QMap>
#include <QString>

class RecordDatabase;
class TextResources;

// The rows every installation needs before the workstation can start: the system parameters,
// the card kinds, the event names, the built-in users and the reference operator template.
namespace RequiredRows {

// Built-in users. 1 holds the room cards issued without a name, 2 the cards the installation
// issues itself, 15 is the maker's service operator (shown by its fixed name, never a person),
// so keys from 16 on are what the component hands out to real people.
inline constexpr qint32 GuestUserId = 1;
inline constexpr qint32 SystemUserId = 2;
inline constexpr qint32 ServiceUserId = 15;

inline constexpr qint32 ReferenceTemplateId = 1;
// The longest card validity a template can hold in practice: 20 years, in minutes.
inline constexpr qint32 UnlimitedValidity = 20 * 365 * 1440;

// Operation-code ranges of TemplateRights.
inline constexpr qint32 TableRightBase = 0x800000;
inline constexpr qint32 FunctionBase = 0x700000;
inline constexpr qint32 CardKindBase = 0x600000;
inline constexpr int TableRightCount = 69; // table ids 0 .. 1088
inline constexpr int FunctionCount = 22;
inline constexpr qint32 FirstCardKind = 256;
inline constexpr qint32 LastCardKind = 280;

struct CardKind
{
    qint32 id;
    const char *name;
};
// Card kinds 256..280 with their English names, in id order.
const QList<CardKind> &cardKinds();

struct EventName
{
    qint32 code;
    const char *name;
};
const QList<EventName> &eventNames();

// What one operator template may do. Tables and card kinds not listed get 0.
struct TemplateRights
{
    QMap<qint32, qint32> tables;    // tableId -> rwed bits
    QMap<qint32, qint32> cardKinds; // cardNameID -> longest validity in minutes
    QList<int> functions;           // special functions allowed

    static TemplateRights everything();
};

// Inserts the template and its rows as the template dialog writes them: 69 table rows, 25
// card-kind rows and one row per allowed function.
bool writeTemplate(RowWriter &writer, qint32 templateId, const QString &name, const TemplateRights &rights);

// Writes the required rows into a database that has the schema and nothing else. Parameter rows
// already present (the schema stores DATABASEVERSION itself) are kept. today: the OLE date the
// installation starts on.
bool seed(RecordDatabase &db, const TextResources &texts, double today, QString &error);

// The installation's first operator: a user with the ID, under the system administrator's
// template, with the password (stored hashed). Without one nobody could log on to set the
// installation up. Refuses an empty ID or password and an ID that is taken.
bool addFirstOperator(RecordDatabase &db, const QString &alphaId, const QString &password, QString &error);

} // namespace RequiredRows
