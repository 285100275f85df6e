#include "ostrelle-db/DemoHotel.h"

#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardStore.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/TableDefs.h"
#include "ostrelle-db/BulkInsert.h"
#include "ostrelle-db/RequiredRows.h"
#include "ostrelle-db/RowWriter.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace DemoHotel {
namespace {

using Rights = RequiredRows::TemplateRights;
using RequiredRows::UnlimitedValidity;
using namespace TableId;

constexpr qint32 kDay = 1440;
constexpr qint32 kReadOnly = 1;

// The list views every operator who works with cards reads.
const qint32 kCardViews[] = {DoorCardView, CardView, UserView, DoorGroupView, DoorView, RoomView, CardStatistics};

Rights supervisorRights()
{
    Rights r = Rights::everything();
    // Supervisors run the hotel but leave operators, templates and passwords to the administrator.
    for (qint32 table : {Operators, OperatorView, TableId::TemplateRights, OperatorTemplates, TemplateView})
        r.tables.insert(table, kReadOnly);
    r.tables.insert(Passwords, 0);
    r.tables.insert(Parameters, 1 | 4);
    r.cardKinds.remove(270); // operator cards
    r.cardKinds.remove(275); // system ID cards
    for (qint32 kind : {256, 257, 258, 259})
        r.cardKinds.insert(kind, 60 * kDay);
    for (qint32 kind : {264, 266, 267})
        r.cardKinds.insert(kind, 2 * kDay);
    for (qint32 kind : {260, 261, 273, 274, 276})
        r.cardKinds.insert(kind, 365 * kDay);
    for (qint32 kind : {262, 263, 265, 269, 271, 272, 277, 278, 279})
        r.cardKinds.insert(kind, 7 * kDay);
    r.functions = {3, 4, 6, 9, 10, 19};
    return r;
}

Rights frontDeskRights()
{
    Rights r;
    for (qint32 table : kCardViews)
        r.tables.insert(table, kReadOnly);
    for (qint32 table : {Doors, LockEvents, CardNames, DoorGroups, EventView, ReadoutView, Wings, WingView})
        r.tables.insert(table, kReadOnly);
    r.tables.insert(Users, 1 | 2 | 4);
    r.tables.insert(Cards, 1 | 4); // cancelling a card updates it
    for (qint32 kind : {256, 257, 258})
        r.cardKinds.insert(kind, 30 * kDay);
    r.cardKinds.insert(259, 90 * kDay);
    for (qint32 kind : {264, 266, 269})
        r.cardKinds.insert(kind, kDay);
    r.functions = {10};
    return r;
}

Rights nightRights()
{
    Rights r;
    for (qint32 table : kCardViews)
        r.tables.insert(table, kReadOnly);
    for (qint32 table : {Doors, Cards, CardNames, DoorGroups})
        r.tables.insert(table, kReadOnly);
    r.tables.insert(Users, 1 | 2);
    r.cardKinds.insert(256, 2 * kDay);
    r.cardKinds.insert(257, 2 * kDay);
    r.cardKinds.insert(266, kDay / 2);
    r.functions = {10};
    return r;
}

struct Person
{
    const char *alphaId;
    const char *surname;
    const char *firstname;
    const char *address1;
    const char *zipcode;
    const char *city;
};

const Person kStaff[] = {
    {"HK01", "Costa", "Maria", "Housekeeping", "", ""},      {"HK02", "Novak", "Lena", "Housekeeping", "", ""},
    {"HK03", "Haddad", "Ahmed", "Housekeeping", "", ""},     {"MT01", "Weber", "Jonas", "Maintenance", "", ""},
    {"MT02", "Kowalski", "Piotr", "Maintenance", "", ""},    {"SEC01", "Okoro", "Daniel", "Security", "", ""},
    {"SPA01", "Larsen", "Ingrid", "Spa and pool", "", ""},   {"FB01", "Rossi", "Luca", "Restaurant", "", ""},
    {"GM01", "Brandt", "Helena", "General manager", "", ""}, {"ENG01", "Khan", "Samir", "Engineering", "", ""},
};

const Person kGuests[] = {
    {"R10231", "Andersen", "Karin", "Strandvejen 12", "2100", "Copenhagen"},
    {"R10244", "Baker", "Thomas", "14 Mill Lane", "OX1 2AB", "Oxford"},
    {"R10257", "Dubois", "Claire", "8 rue des Lilas", "69003", "Lyon"},
    {"R10263", "Fischer", "Markus", "Lindenstrasse 5", "80331", "Munich"},
    {"R10278", "Garcia", "Lucia", "Calle Mayor 21", "28013", "Madrid"},
    {"R10282", "Jansen", "Pieter", "Keizersgracht 90", "1015 CS", "Amsterdam"},
    {"R10296", "Moreau", "Julien", "3 place Bellecour", "69002", "Lyon"},
    {"R10305", "Nielsen", "Sofie", "Nyhavn 7", "1051", "Copenhagen"},
    {"R10319", "Santos", "Ana", "Rua Augusta 40", "1100-053", "Lisbon"},
    {"R10322", "Schmidt", "Eva", "Hauptstrasse 17", "10827", "Berlin"},
    {"R10336", "Svensson", "Erik", "Drottninggatan 3", "111 51", "Stockholm"},
    {"R10341", "Yilmaz", "Deniz", "Bagdat Caddesi 120", "34728", "Istanbul"},
};

struct Operator
{
    const char *alphaId;
    const char *surname;
    const char *firstname;
};
const Operator kOperators[] = {{"ADMIN", "Berger", "Anna"},
                               {"SUPERVISOR", "Lindqvist", "Paul"},
                               {"FRONTDESK", "Marin", "Sofia"},
                               {"NIGHT", "Okafor", "Tom"}};

QString text(const char *s)
{
    return QString::fromUtf8(s);
}

qint32 note(RowWriter &w, const char *noteText)
{
    return w.insert(Notes, {{QStringLiteral("noteText"), text(noteText)}}) ? w.lastKey() : 0;
}

qint32 doorArea(RowWriter &w, const char *name, const char *description)
{
    const qint32 noteId = note(w, description);
    return w.insert(DoorGroups, {{QStringLiteral("doorGroupName"), text(name)}, {QStringLiteral("noteID"), noteId}})
               ? w.lastKey()
               : 0;
}

void door(RowWriter &w, qint32 doorId, qint32 area, const char *category, RowWriter::Fields more)
{
    more.prepend({QStringLiteral("doorCategory"), text(category)});
    more.prepend({QStringLiteral("doorGroupID"), area});
    more.prepend({QStringLiteral("doorID"), doorId});
    w.insert(Doors, more, true);
}

void guestFloor(RowWriter &w, qint32 area, int floor)
{
    // The six rooms at the end of each corridor are the larger "L" rooms.
    for (int n = 1; n <= 30; ++n) {
        const qint32 room = floor * 100 + n;
        door(w, room, area, n > 24 ? "L" : "G",
             {{QStringLiteral("doorName"), QString::number(room)}, {QStringLiteral("trueRoom"), room}});
    }
}

void interval(RowWriter &w, qint32 doorId, qint32 area, const char *category, const char *name, int from, int to)
{
    door(w, doorId, area, category,
         {{QStringLiteral("doorName"), text(name)},
          {QStringLiteral("roomIntervalStart"), QString::number(from)},
          {QStringLiteral("roomIntervalStop"), QString::number(to)}});
}

void user(RowWriter &w, const char *alphaId, const char *surname, const char *firstname, int group,
          const Person *address = nullptr)
{
    RowWriter::Fields fields{{QStringLiteral("alphaID"), text(alphaId)},
                             {QStringLiteral("surname"), text(surname)},
                             {QStringLiteral("firstname"), text(firstname)},
                             {QStringLiteral("userGroupID"), static_cast<qint16>(group)}};
    if (address) {
        fields.append({QStringLiteral("address1"), text(address->address1)});
        fields.append({QStringLiteral("zipcode"), text(address->zipcode)});
        fields.append({QStringLiteral("city"), text(address->city)});
    }
    w.insert(Users, fields);
}

} // namespace

const QList<Logon> &logons()
{
    static const QList<Logon> list = {
        {QStringLiteral("ADMIN"), QStringLiteral("admin-demo"), RequiredRows::ReferenceTemplateId,
         QStringLiteral("System administrator")},
        {QStringLiteral("SUPERVISOR"), QStringLiteral("supervisor-demo"), SupervisorTemplateId,
         QStringLiteral("Supervisor")},
        {QStringLiteral("FRONTDESK"), QStringLiteral("frontdesk-demo"), FrontDeskTemplateId,
         QStringLiteral("Front desk")},
        {QStringLiteral("NIGHT"), QStringLiteral("night-demo"), NightTemplateId, QStringLiteral("Night porter")},
    };
    return list;
}

bool seed(RecordDatabase &db, QString &error)
{
    RowWriter w(db);

    // The user register's four free fields hold the guests' addresses.
    const char *const userFields[] = {"Address", "Address 2", "Postcode", "City"};
    for (int i = 0; i < 4; ++i) {
        w.update(TableId::Parameters, QStringLiteral("parameterID"), QStringLiteral("USER%1NAME").arg(i + 1),
                 {{QStringLiteral("parameter"), text(userFields[i])}});
    }

    const qint32 floor1 = doorArea(w, "First floor", "Rooms 101 to 130; 125 to 130 face the lake.");
    const qint32 floor2 = doorArea(w, "Second floor", "Rooms 201 to 230 and the executive lounge.");
    const qint32 publicArea = doorArea(w, "Public areas", "Entrances, pool, gym, sauna and the service doors.");

    guestFloor(w, floor1, 1);
    guestFloor(w, floor2, 2);
    const char *const commonRooms[] = {"Main entrance",   "Pool",    "Gym",         "Sauna", "Car park",
                                       "Business centre", "Laundry", "Roof terrace"};
    for (int i = 0; i < 8; ++i) {
        door(w, 9001 + i, publicArea, "C",
             {{QStringLiteral("doorName"), text(commonRooms[i])}, {QStringLiteral("commonRoom"), i + 1}});
    }
    interval(w, 9101, floor1, "E", "First floor stair door", 101, 130);
    interval(w, 9201, floor2, "E", "Second floor stair door", 201, 230);
    door(w, 9202, floor2, "V",
         {{QStringLiteral("doorName"), text("Executive lounge")}, {QStringLiteral("privateRoom"), 1}});
    door(w, 9302, publicArea, "V",
         {{QStringLiteral("doorName"), text("Spa suite")}, {QStringLiteral("privateRoom"), 2}});
    const char *const plainDoors[] = {"Staff entrance", "Back office", "Kitchen", "Store room"};
    for (int i = 0; i < 4; ++i)
        door(w, 9401 + i, publicArea, "A", {{QStringLiteral("doorName"), text(plainDoors[i])}});
    interval(w, 9501, publicArea, "Z", "Service corridor", 101, 230);
    interval(w, 9502, publicArea, "Z", "Linen stores", 101, 230);

    RequiredRows::writeTemplate(w, SupervisorTemplateId, QStringLiteral("Supervisor"), supervisorRights());
    RequiredRows::writeTemplate(w, FrontDeskTemplateId, QStringLiteral("Front desk"), frontDeskRights());
    RequiredRows::writeTemplate(w, NightTemplateId, QStringLiteral("Night porter"), nightRights());

    for (const Operator &op : kOperators) {
        const auto it = std::find_if(logons().cbegin(), logons().cend(),
                                     [&](const Logon &l) { return l.user == text(op.alphaId); });
        user(w, op.alphaId, op.surname, op.firstname, 1);
        const qint32 userId = w.lastKey();
        w.insert(TableId::Operators,
                 {{QStringLiteral("userID"), userId}, {QStringLiteral("operatorTemplateID"), it->templateId}}, true);
        w.insert(TableId::Passwords, {{QStringLiteral("userID"), userId}, {QStringLiteral("password"), it->password}},
                 true);
    }
    for (const Person &p : kStaff)
        user(w, p.alphaId, p.surname, p.firstname, 1, &p);
    for (const Person &p : kGuests)
        user(w, p.alphaId, p.surname, p.firstname, 0, &p);

    const char *const devices[][2] = {{"Front desk encoder", "0"}, {"Handheld unit", "2"}};
    for (const auto &device : devices) {
        w.insert(Devices, {{QStringLiteral("deviceName"), text(device[0])},
                           {QStringLiteral("computerName"), QStringLiteral("$LOCAL")},
                           {QStringLiteral("portName"), QStringLiteral("VIRTUAL")},
                           {QStringLiteral("deviceType"), QString::fromLatin1(device[1]).toInt()}});
    }
    // The PMS interface service (ostrelle-pms) listens here for the demo's key requests.
    w.insert(Devices, {{QStringLiteral("deviceName"), text("PMS interface")},
                       {QStringLiteral("computerName"), QStringLiteral("$LOCAL")},
                       {QStringLiteral("portName"), QStringLiteral("127.0.0.1:5010")},
                       {QStringLiteral("componentType"), 0},
                       {QStringLiteral("deviceType"), 3}});

    if (!w.ok())
        error = w.error();
    return w.ok();
}

namespace {

constexpr qint32 kRoomBlock = 97; // the guest card dialog's block of rooms
constexpr qint32 kRangeKind = 100;
constexpr qint32 kJoiner = 257;

bool run(QSqlQuery &q, const QString &sql, QString &error)
{
    if (q.exec(sql))
        return true;
    error = StatusMessage(RecordStatus::SqlError, q.lastError().text());
    return false;
}

// The image of one card row: the fields the card dialogs set, the rooms in the room block, the
// number and installation the server adds.
qint32 encodeCard(const QSqlQuery &row, const QList<qint32> &doors, quint32 installation, QByteArray &bytes)
{
    const qint32 kind = row.value(1).toInt();
    const qint32 room = row.value(6).toInt();
    CardImage image;
    QList<qint32> rooms = doors;
    if (room > 0) {
        rooms.removeAll(room);
        rooms.prepend(room);
    }
    if (!rooms.isEmpty()) {
        image.BeginBlock(kRoomBlock);
        if (kind == kJoiner)
            image.SetCardField(QStringLiteral("joinerFlag"), CardFieldValue::fromText(QStringLiteral("1")));
        for (qint32 door : rooms)
            image.AddDoorRange(kRangeKind, door, door);
    }
    const qint32 status[] = {
        image.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int32(kind)),
        image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(row.value(2).toInt())),
        image.SetCardField(QStringLiteral("issueTime"), CardFieldValue::fromDate(row.value(3).toDouble())),
        image.SetCardField(QStringLiteral("startTime"), CardFieldValue::fromDate(row.value(4).toDouble())),
        image.SetCardField(QStringLiteral("expireTime"), CardFieldValue::fromDate(row.value(5).toDouble())),
        image.SetCardField(QStringLiteral("mainGuestRoom"),
                           room > 0 ? CardFieldValue::int32(room) : CardFieldValue::int16(0)),
        image.SetCardField(QStringLiteral("numCards"), CardFieldValue::int32(std::max(1, row.value(7).toInt()))),
    };
    for (qint32 s : status) {
        if (s != CardFormatStatus::Ok)
            return s;
    }
    image.setInstallationId(installation);
    image.setRegistrationNumber(row.value(0).toUInt());
    return image.encode(bytes);
}

} // namespace

bool storeCardImages(RecordDatabase &db, QString &error)
{
    const quint32 installation = CardStore(db).installationId();
    QSqlQuery q(db.sqlDatabase());
    q.setForwardOnly(true);
    QHash<qint32, QList<qint32>> doors;
    if (!run(q, QStringLiteral(R"(SELECT "registrationNumber", "doorID" FROM "CardDoors" ORDER BY "doorID")"), error))
        return false;
    while (q.next())
        doors[q.value(0).toInt()] << q.value(1).toInt();

    BulkTransaction transaction(db, {TableId::CardImages});
    if (!transaction.begin()) {
        error = StatusMessage(RecordStatus::SqlError, transaction.error());
        return false;
    }
    BulkInsert images(db.sqlDatabase(), QStringLiteral("CardImages"), {"registrationNumber", "cardImageData"});
    if (!run(q,
             QStringLiteral(R"(SELECT "registrationNumber", "cardNameID", "userID", "issueTime", "startTime", )"
                            R"("expireTime", "mainGuestRoom", "numberOfIdenticallyIssuedCards" FROM "Cards" )"
                            R"(WHERE "registrationNumber" NOT IN (SELECT "registrationNumber" FROM "CardImages"))"),
             error))
        return false;
    while (q.next()) {
        QByteArray bytes;
        const qint32 status = encodeCard(q, doors.value(q.value(0).toInt()), installation, bytes);
        if (status != CardFormatStatus::Ok) {
            error = StatusMessage(status, QStringLiteral("Card %1: %2")
                                              .arg(q.value(0).toInt())
                                              .arg(CardFormatStatusText(status).section(QLatin1Char('|'), -1)));
            return false;
        }
        images.add({q.value(0).toInt(), bytes});
    }
    if (!images.flush()) {
        error = StatusMessage(RecordStatus::SqlError, images.error());
        return false;
    }
    if (!transaction.commit()) {
        error = StatusMessage(RecordStatus::SqlError, transaction.error());
        return false;
    }
    return true;
}

} // namespace DemoHotel
