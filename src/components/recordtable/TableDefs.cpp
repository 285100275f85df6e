#include "components/recordtable/TableDefs.h"

#include <QHash>
#include <QRegularExpression>

namespace {

using T = ColumnType;

ColumnDef col(const char *name, ColumnType type, const char *defaultValue = "")
{
    return ColumnDef{QString::fromLatin1(name), type, QString::fromLatin1(defaultValue)};
}

IndexDef index(QStringList columns, bool unique = false, const char *where = "")
{
    return IndexDef{std::move(columns), unique, QString::fromLatin1(where)};
}

TableDef table(qint32 id, const char *name, KeyRule rule, QStringList key, QList<ColumnDef> columns,
               QList<IndexDef> indexes = {})
{
    TableDef t;
    t.id = id;
    t.name = QString::fromLatin1(name);
    t.keyRule = rule;
    t.primaryKey = std::move(key);
    t.columns = std::move(columns);
    t.indexes = std::move(indexes);
    return t;
}

TableDef readOnly(TableDef t)
{
    t.writable = false;
    return t;
}

// A view column: its name, type and the SQL expression it is selected from.
struct ViewColumn
{
    const char *name;
    ColumnType type;
    const char *expr;
};

TableDef view(qint32 id, const char *name, const char *key, std::initializer_list<ViewColumn> columns, const char *from,
              QList<qint32> dependsOn)
{
    TableDef t;
    t.id = id;
    t.name = QString::fromLatin1(name);
    t.view = true;
    t.writable = false;
    t.primaryKey = QStringList{QString::fromLatin1(key)};
    for (const ViewColumn &c : columns) {
        t.columns.append(col(c.name, c.type));
        t.viewExpressions.append(QString::fromLatin1(c.expr));
    }
    t.viewFrom = QString::fromLatin1(from);
    t.dependsOn = std::move(dependsOn);
    return t;
}

// "NoExpiry" as an SQL literal.
#define NO_EXPIRY "49675.0"

// The card columns every card list shows; the FROM clause below gives them their aliases.
#define CARD_COLUMNS                                                                                                   \
    {"registrationNumber", T::Int32, R"(c."registrationNumber")"}, {"status", T::Int32, R"(c."status")"},              \
        {"alphaID", T::Text, R"(u."alphaID")"}, {"surname", T::Text, R"(u."surname")"},                                \
        {"firstname", T::Text, R"(u."firstname")"}, {"cardName", T::Text, R"(n."cardName")"},                          \
        {"issueTime", T::Date, R"(c."issueTime")"}, {"startTime", T::Date, R"(c."startTime")"},                        \
        {"expireTime", T::Date, R"(c."expireTime")"}, {"cancelTime", T::Date, R"(c."cancelTime")"},                    \
        {"mainGuestRoom", T::Int32, R"(c."mainGuestRoom")"}, {"issueOperatorAlphaID", T::Text, R"(io."alphaID")"},     \
        {"cancelOperatorAlphaID", T::Text, R"(co."alphaID")"},                                                         \
        {"numberOfIdenticallyIssuedCards", T::Int32, R"(c."numberOfIdenticallyIssuedCards")"},                         \
        {"cardNameID", T::Int32, R"(c."cardNameID")"},                                                                 \
    {                                                                                                                  \
        "userID", T::Int32, R"(c."userID")"                                                                            \
    }

#define CARD_JOINS                                                                                                     \
    R"( LEFT JOIN "Users" u ON u."userID" = c."userID")"                                                               \
    R"( LEFT JOIN "CardNames" n ON n."cardNameID" = c."cardNameID")"                                                   \
    R"( LEFT JOIN "Users" io ON io."userID" = c."issueOperatorID")"                                                    \
    R"( LEFT JOIN "Users" co ON co."userID" = c."cancelOperatorID")"

bool leadsAnIndex(const TableDef &t, const QString &column)
{
    if (t.primaryKey.value(0) == column)
        return true;
    for (const IndexDef &i : t.indexes) {
        if (i.columns.value(0) == column && i.where.isEmpty())
            return true;
    }
    return false;
}

// The base column behind each column: a view column selected as alias."column" (or "column" from a
// view over one table) comes from the table the alias names in the view's FROM clause.
void fillSources(TableDef &t, const QList<TableDef> &defs)
{
    static const QRegularExpression plainColumn(QStringLiteral(R"re(^(?:(\w+)\.)?"(\w+)"$)re"));
    for (int i = 0; i < t.columns.size(); ++i) {
        ColumnDef &c = t.columns[i];
        QString table = t.name;
        QString column = c.name;
        if (t.view) {
            const QRegularExpressionMatch m = plainColumn.match(t.viewExpressions.at(i));
            if (!m.hasMatch())
                continue;
            const QString alias = m.captured(1);
            const QRegularExpression source(alias.isEmpty() ? QStringLiteral(R"re(^"(\w+)")re")
                                                            : QStringLiteral(R"re("(\w+)"\s+%1\b)re").arg(alias));
            const QRegularExpressionMatch from = source.match(t.viewFrom);
            if (!from.hasMatch())
                continue;
            table = from.captured(1);
            column = m.captured(2);
        }
        for (const TableDef &base : defs) {
            if (!base.view && base.name == table) {
                c.sourceTable = table;
                c.sourceColumn = column;
                c.sourceIndexed = leadsAnIndex(base, column);
                break;
            }
        }
    }
}

QList<TableDef> buildDefs()
{
    using namespace TableId;
    QList<TableDef> defs;
    defs << table(Doors, "Doors", KeyRule::Given, {"doorID"},
                  {col("doorID", T::Int32), col("doorName", T::Text), col("doorGroupID", T::Int32),
                   col("doorCategory", T::Text), col("commonRoom", T::Int32, "0"), col("privateRoom", T::Int32, "0"),
                   col("trueRoom", T::Int32), col("roomIntervalStart", T::Text), col("roomIntervalStop", T::Text),
                   col("lastOverrideNumber", T::Int32, "0"), col("overrideIncrement", T::Int32, "0"),
                   col("noteID", T::Int32)},
                  {index({"doorGroupID"}), index({"doorCategory"}), index({"commonRoom"}), index({"privateRoom"}),
                   index({"trueRoom"})});
    defs << table(Users, "Users", KeyRule::Assigned, {"userID"},
                  {col("userID", T::Int32), col("alphaID", T::Text), col("surname", T::Text), col("firstname", T::Text),
                   col("address1", T::Text), col("address2", T::Text), col("zipcode", T::Text), col("city", T::Text),
                   col("userGroupID", T::Int16, "0"), col("deleted", T::Int32, "0"), col("doNotShow", T::Int32, "0")},
                  {index({"alphaID"}, true, R"("deleted" = 0)"), index({"alphaID"}), index({"surname"})});
    defs << table(Operators, "Operators", KeyRule::Given, {"userID"},
                  {col("userID", T::Int32), col("operatorTemplateID", T::Int32), col("noteID", T::Int32),
                   col("timeOfLastWarning", T::Date), col("expireTime", T::Date, NO_EXPIRY),
                   col("operatorCardNumber", T::Int32)},
                  {index({"operatorTemplateID"})});
    defs << table(Cards, "Cards", KeyRule::Given, {"registrationNumber"},
                  {col("registrationNumber", T::Int32), col("userID", T::Int32), col("cardNameID", T::Int32),
                   col("issueTime", T::Date), col("startTime", T::Date), col("expireTime", T::Date),
                   col("status", T::Int32, "0"), col("cancelTime", T::Date), col("cancelOperatorID", T::Int32),
                   col("mainGuestRoom", T::Int32, "0"), col("issueOperatorID", T::Int32),
                   col("numberOfIdenticallyIssuedCards", T::Int32, "1")},
                  {index({"issueTime"}), index({"startTime"}), index({"expireTime"}), index({"userID"}),
                   index({"mainGuestRoom"})});
    defs << table(Devices, "Devices", KeyRule::Assigned, {"deviceID"},
                  {col("deviceID", T::Int32), col("deviceName", T::Text), col("computerName", T::Text),
                   col("portName", T::Text), col("address", T::Text), col("autoUpdatePrinter", T::Text),
                   col("deviceType", T::Int32, "0"), col("componentType", T::Int32, "0"),
                   col("autoUpdateReadFile", T::Int32, "0"), col("noteID", T::Int32)},
                  {index({"deviceType"})});
    defs << table(Events, "Events", KeyRule::Assigned, {"eventID"},
                  {col("eventID", T::Int32), col("readoutID", T::Int32), col("doorID", T::Int32),
                   col("readoutTime", T::Date), col("eventTime", T::Date), col("eventCode", T::Int32),
                   col("registrationNumber", T::Int32), col("cardNameID", T::Int32), col("userID", T::Int32),
                   col("repeatFlag", T::Int32, "0")},
                  {index({"eventTime"}), index({"readoutTime"}), index({"doorID", "readoutTime"}),
                   index({"registrationNumber"})});
    defs << table(
        Readouts, "Readouts", KeyRule::Assigned, {"readoutID"},
        {col("readoutID", T::Int32), col("doorID", T::Int32), col("readoutTime", T::Date), col("deviceID", T::Int32)},
        {index({"readoutTime"}), index({"doorID", "readoutTime"})});
    defs << table(CardDoors, "CardDoors", KeyRule::None, {"registrationNumber", "doorID"},
                  {col("registrationNumber", T::Int32), col("doorID", T::Int32)}, {index({"doorID"})});
    defs << table(CardImages, "CardImages", KeyRule::Given, {"registrationNumber"},
                  {col("registrationNumber", T::Int32), col("cardImageData", T::Blob)});
    defs << table(CardNames, "CardNames", KeyRule::Given, {"cardNameID"},
                  {col("cardNameID", T::Int32), col("cardName", T::Text)});
    defs << table(DoorDevices, "DoorDevices", KeyRule::Given, {"doorID", "deviceID"},
                  {col("doorID", T::Int32), col("deviceID", T::Int32), col("serialNumber", T::Int32)});
    defs << readOnly(table(Logons, "Logons", KeyRule::None, {"userID", "computerName"},
                           {col("userID", T::Int32), col("computerName", T::Text), col("logonTime", T::Date),
                            col("lastActivity", T::Date)},
                           {index({"computerName"})}));
    defs << table(Parameters, "Parameters", KeyRule::Given, {"parameterID"},
                  {col("parameterID", T::Text), col("parameter", T::Text)});
    defs << table(EventNames, "EventNames", KeyRule::Given, {"eventCode"},
                  {col("eventCode", T::Int32), col("eventName", T::Text)});
    defs << readOnly(table(TableChanges, "TableChanges", KeyRule::None, {"tableId"},
                           {col("tableId", T::Int32), col("changeTime", T::Date)}));
    defs << table(Notes, "Notes", KeyRule::Assigned, {"noteID"}, {col("noteID", T::Int32), col("noteText", T::Text)});
    defs << table(StatusTexts, "StatusTexts", KeyRule::Given, {"statusCode"},
                  {col("statusCode", T::Int32), col("statusText", T::Text)});
    defs << table(Clients, "Clients", KeyRule::Assigned, {"clientID"},
                  {col("clientID", T::Int32), col("clientName", T::Text)}, {index({"clientName"}, true)});
    defs << table(DoorGroups, "DoorGroups", KeyRule::Assigned, {"doorGroupID"},
                  {col("doorGroupID", T::Int32), col("doorGroupName", T::Text), col("noteID", T::Int32)});
    defs << table(TemplateRights, "TemplateRights", KeyRule::None, {"operatorTemplateID", "operationCode"},
                  {col("operatorTemplateID", T::Int32), col("operationCode", T::Int32), col("rwed", T::Int32, "0"),
                   col("maxValidity", T::Int32, "0"), col("disallowed", T::Int32, "0")});
    defs << table(OperatorTemplates, "OperatorTemplates", KeyRule::Assigned, {"operatorTemplateID"},
                  {col("operatorTemplateID", T::Int32), col("operatorTemplateName", T::Text), col("noteID", T::Int32)});
    defs << table(Cameras, "Cameras", KeyRule::Assigned, {"cameraID"},
                  {col("cameraID", T::Int32), col("camName", T::Text), col("camAddress", T::Text),
                   col("camUser", T::Text), col("camPassword", T::Text), col("doorID", T::Int32),
                   col("noteID", T::Int32)});
    defs << table(Options, "Options", KeyRule::Assigned, {"optionID"},
                  {col("optionID", T::Int32), col("optionName", T::Text)});
    defs << table(Passwords, "Passwords", KeyRule::Given, {"userID"},
                  {col("userID", T::Int32), col("password", T::Text), col("cardImageData", T::Blob)});
    defs << table(Pins, "Pins", KeyRule::Given, {"userID"},
                  {col("userID", T::Int32), col("pinCode", T::Text), col("pinAlarm", T::Text),
                   col("pinDuress", T::Text), col("cardImageData", T::Blob)});
    defs << table(Wings, "Wings", KeyRule::Given, {"wingCode"},
                  {col("wingCode", T::Text), col("doorIDPrefix1", T::Int32), col("doorIDPrefix2", T::Int32),
                   col("doorIDInterval", T::Text), col("noteID", T::Int32)});
    defs << table(CameraClients, "CameraClients", KeyRule::None, {"cameraID", "clientID"},
                  {col("cameraID", T::Int32), col("clientID", T::Int32)}, {index({"clientID"})});

    // List views
    defs << view(DoorCardView, "DoorCardView", "doorID",
                 {{"registrationNumber", T::Int32, R"(c."registrationNumber")"},
                  {"startTime", T::Date, R"(c."startTime")"},
                  {"expireTime", T::Date, R"(c."expireTime")"},
                  {"doorID", T::Int32, R"(cd."doorID")"},
                  {"cardNameID", T::Int32, R"(c."cardNameID")"},
                  {"status", T::Int32, R"(c."status")"},
                  {"issueTime", T::Date, R"(c."issueTime")"},
                  {"cancelTime", T::Date, R"(c."cancelTime")"},
                  {"userID", T::Int32, R"(c."userID")"}},
                 R"("CardDoors" cd JOIN "Cards" c ON c."registrationNumber" = cd."registrationNumber")",
                 {CardDoors, Cards});
    defs << view(CardView, "CardView", "registrationNumber",
                 {CARD_COLUMNS, {"doorID", T::Int32, R"(c."mainGuestRoom")"}}, R"("Cards" c)" CARD_JOINS,
                 {Cards, Users, CardNames});
    defs << view(UserView, "UserView", "userID",
                 {{"alphaID", T::Text, R"("alphaID")"},
                  {"surname", T::Text, R"("surname")"},
                  {"firstname", T::Text, R"("firstname")"},
                  {"address1", T::Text, R"("address1")"},
                  {"address2", T::Text, R"("address2")"},
                  {"zipcode", T::Text, R"("zipcode")"},
                  {"city", T::Text, R"("city")"},
                  {"userID", T::Int32, R"("userID")"},
                  {"userGroupID", T::Int16, R"("userGroupID")"},
                  {"deleted", T::Int32, R"("deleted")"},
                  {"doNotShow", T::Int32, R"("doNotShow")"}},
                 R"("Users")", {Users});
    defs << view(EventView, "EventView", "eventID",
                 {{"doorName", T::Text, R"(d."doorName")"},
                  {"cardName", T::Text, R"(n."cardName")"},
                  {"registrationNumber", T::Int32, R"(e."registrationNumber")"},
                  {"eventTime", T::Date, R"(e."eventTime")"},
                  {"eventName", T::Text, R"(en."eventName")"},
                  {"readoutTime", T::Date, R"(e."readoutTime")"},
                  {"alphaID", T::Text, R"(u."alphaID")"},
                  {"surname", T::Text, R"(u."surname")"},
                  {"firstname", T::Text, R"(u."firstname")"},
                  {"repeatFlag", T::Int32, R"(e."repeatFlag")"},
                  {"eventCode", T::Int32, R"(e."eventCode")"},
                  {"issueOperatorAlphaID", T::Text, R"(io."alphaID")"},
                  {"doorID", T::Int32, R"(e."doorID")"},
                  {"cardNameID", T::Int32, R"(e."cardNameID")"},
                  {"userID", T::Int32, R"(e."userID")"},
                  {"eventID", T::Int32, R"(e."eventID")"}},
                 R"("Events" e)"
                 R"( LEFT JOIN "Doors" d ON d."doorID" = e."doorID")"
                 R"( LEFT JOIN "CardNames" n ON n."cardNameID" = e."cardNameID")"
                 R"( LEFT JOIN "EventNames" en ON en."eventCode" = e."eventCode")"
                 R"( LEFT JOIN "Users" u ON u."userID" = e."userID")"
                 R"( LEFT JOIN "Cards" c ON c."registrationNumber" = e."registrationNumber")"
                 R"( LEFT JOIN "Users" io ON io."userID" = c."issueOperatorID")",
                 {Events, Doors, CardNames, EventNames, Users, Cards});
    defs << view(DoorGroupView, "DoorGroupView", "doorGroupID",
                 {{"doorGroupName", T::Text, R"(g."doorGroupName")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"doorGroupID", T::Int32, R"(g."doorGroupID")"}},
                 R"("DoorGroups" g LEFT JOIN "Notes" nt ON nt."noteID" = g."noteID")", {DoorGroups, Notes});
    defs << view(DoorView, "DoorView", "doorID",
                 {{"doorName", T::Text, R"(d."doorName")"},
                  {"doorID", T::Int32, R"(d."doorID")"},
                  {"doorCategory", T::Text, R"(d."doorCategory")"},
                  {"trueRoom", T::Int32, R"(d."trueRoom")"},
                  {"commonRoom", T::Int32, R"(d."commonRoom")"},
                  {"privateRoom", T::Int32, R"(d."privateRoom")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"doorGroupID", T::Int32, R"(d."doorGroupID")"},
                  {"roomIntervalStart", T::Text, R"(d."roomIntervalStart")"},
                  {"roomIntervalStop", T::Text, R"(d."roomIntervalStop")"}},
                 R"("Doors" d LEFT JOIN "Notes" nt ON nt."noteID" = d."noteID")", {Doors, Notes});
    defs << view(OperatorView, "OperatorView", "userID",
                 {{"alphaID", T::Text, R"(u."alphaID")"},
                  {"surname", T::Text, R"(u."surname")"},
                  {"firstname", T::Text, R"(u."firstname")"},
                  {"operatorTemplateName", T::Text, R"(t."operatorTemplateName")"},
                  {"operatorCardNumber", T::Int32, R"(o."operatorCardNumber")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"userID", T::Int32, R"(o."userID")"},
                  {"operatorTemplateID", T::Int32, R"(o."operatorTemplateID")"},
                  {"expireTime", T::Date, R"(o."expireTime")"}},
                 R"("Operators" o JOIN "Users" u ON u."userID" = o."userID")"
                 R"( LEFT JOIN "OperatorTemplates" t ON t."operatorTemplateID" = o."operatorTemplateID")"
                 R"( LEFT JOIN "Notes" nt ON nt."noteID" = o."noteID")",
                 {Operators, Users, OperatorTemplates, Notes});
    defs << view(DeviceView, "DeviceView", "deviceID",
                 {{"deviceName", T::Text, R"(v."deviceName")"},
                  {"portName", T::Text, R"(v."portName")"},
                  {"address", T::Text, R"(v."address")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"deviceID", T::Int32, R"(v."deviceID")"},
                  {"computerName", T::Text, R"(v."computerName")"},
                  {"deviceType", T::Int32, R"(v."deviceType")"}},
                 R"("Devices" v LEFT JOIN "Notes" nt ON nt."noteID" = v."noteID")", {Devices, Notes});
    defs << view(TemplateView, "TemplateView", "operatorTemplateID",
                 {{"operatorTemplateName", T::Text, R"(t."operatorTemplateName")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"operatorTemplateID", T::Int32, R"(t."operatorTemplateID")"}},
                 R"("OperatorTemplates" t LEFT JOIN "Notes" nt ON nt."noteID" = t."noteID")",
                 {OperatorTemplates, Notes});
    defs << view(ReadoutView, "ReadoutView", "readoutID",
                 {{"doorName", T::Text, R"(d."doorName")"},
                  {"readoutTime", T::Date, R"(r."readoutTime")"},
                  {"doorID", T::Int32, R"(r."doorID")"},
                  {"readoutID", T::Int32, R"(r."readoutID")"}},
                 R"("Readouts" r LEFT JOIN "Doors" d ON d."doorID" = r."doorID")", {Readouts, Doors});
    // A room's card is the newest card issued for it that was not cancelled.
    defs << view(RoomView, "RoomView", "doorID",
                 {{"doorName", T::Text, R"(d."doorName")"},
                  {"doorID", T::Int32, R"(d."doorID")"},
                  {"lastOverrideNumber", T::Int32, R"(d."lastOverrideNumber")"},
                  {"doorCategory", T::Text, R"(d."doorCategory")"},
                  {"trueRoom", T::Int32, R"(d."trueRoom")"},
                  CARD_COLUMNS},
                 R"("Doors" d LEFT JOIN "Cards" c ON c."registrationNumber" = (SELECT c2."registrationNumber")"
                 R"( FROM "CardDoors" cd JOIN "Cards" c2 ON c2."registrationNumber" = cd."registrationNumber")"
                 R"( WHERE cd."doorID" = d."doorID" AND c2."cancelTime" IS NULL)"
                 R"( ORDER BY c2."issueTime" DESC, c2."registrationNumber" DESC LIMIT 1))" CARD_JOINS,
                 {Doors, CardDoors, Cards, Users, CardNames});
    defs << view(CameraView, "CameraView", "cameraID",
                 {{"camName", T::Text, R"(k."camName")"},
                  {"camAddress", T::Text, R"(k."camAddress")"},
                  {"doorName", T::Text, R"(d."doorName")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"cameraID", T::Int32, R"(k."cameraID")"},
                  {"doorID", T::Int32, R"(k."doorID")"}},
                 R"("Cameras" k LEFT JOIN "Doors" d ON d."doorID" = k."doorID")"
                 R"( LEFT JOIN "Notes" nt ON nt."noteID" = k."noteID")",
                 {Cameras, Doors, Notes});
    defs << view(CardStatistics, "CardStatistics", "cardStatus",
                 {{"cardStatus", T::Int32, R"("status")"},
                  {"cardNameID", T::Int32, R"("cardNameID")"},
                  {"cardCount", T::Int32, R"(COUNT(*))"},
                  {"minIssueTime", T::Date, R"(MIN("issueTime"))"},
                  {"maxExpireTime", T::Date, R"(MAX("expireTime"))"}},
                 R"("Cards" GROUP BY "status", "cardNameID")", {Cards});
    defs << view(WingView, "WingView", "wingCode",
                 {{"wingCode", T::Text, R"(w."wingCode")"},
                  {"doorIDInterval", T::Text, R"(w."doorIDInterval")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"doorIDPrefix1", T::Int32, R"(w."doorIDPrefix1")"},
                  {"doorIDPrefix2", T::Int32, R"(w."doorIDPrefix2")"}},
                 R"("Wings" w LEFT JOIN "Notes" nt ON nt."noteID" = w."noteID")", {Wings, Notes});
    defs << view(SubCameraView, "SubCameraView", "cameraID",
                 {{"camName", T::Text, R"(k."camName")"},
                  {"camAddress", T::Text, R"(k."camAddress")"},
                  {"noteText", T::Text, R"(nt."noteText")"},
                  {"cameraID", T::Int32, R"(k."cameraID")"},
                  {"clientID", T::Int32, R"(cc."clientID")"}},
                 R"("CameraClients" cc JOIN "Cameras" k ON k."cameraID" = cc."cameraID")"
                 R"( LEFT JOIN "Notes" nt ON nt."noteID" = k."noteID")",
                 {CameraClients, Cameras, Notes});

    // Version 2: the operator's expiry and the indexes behind the card and event list filters.
    for (TableDef &t : defs) {
        if (t.id == Operators || t.id == OperatorView)
            t.columns[t.columnIndex(QStringLiteral("expireTime"))].since = 2;
        if (t.id == CardDoors || t.id == CardImages) {
            t.constraints << QStringLiteral(R"(FOREIGN KEY ("registrationNumber") REFERENCES "Cards" )"
                                            R"(("registrationNumber") ON DELETE CASCADE)");
        }
        if (t.id == Cards || t.id == Events || t.id == Readouts) {
            for (IndexDef &i : t.indexes)
                i.since = 2;
        }
    }
    // Version 3: the card list's status group with its card kinds, and the event list's card kinds
    // with their time window (a single kind may be searched over the whole history).
    for (TableDef &t : defs) {
        if (t.id == Cards)
            t.indexes << IndexDef{{"status", "cardNameID"}, false, QString(), 3};
        if (t.id == Events)
            t.indexes << IndexDef{{"cardNameID", "eventTime"}, false, QString(), 3};
    }
    // Version 4: a removed user keeps its Users row but leaves the user list's view.
    for (TableDef &t : defs) {
        if (t.id == UserView) {
            t.viewWhere = QStringLiteral(R"(COALESCE("deleted", 0) = 0)");
            t.viewWhereSince = 4;
        }
    }
    for (TableDef &t : defs) {
        for (int i = 0; i < t.columns.size(); ++i)
            t.byName.insert(t.columns.at(i).name, i);
    }
    for (TableDef &t : defs)
        fillSources(t, defs);
    return defs;
}

} // namespace

const ColumnDef *TableDef::column(const QString &name) const
{
    const int i = columnIndex(name);
    return i < 0 ? nullptr : &columns.at(i);
}

QString TableDef::viewSql(int version) const
{
    QStringList select;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).since <= version)
            select << QStringLiteral("%1 AS \"%2\"").arg(viewExpressions.at(i), columns.at(i).name);
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(select.join(QStringLiteral(", ")), viewFrom);
    if (!viewWhere.isEmpty() && viewWhereSince <= version)
        sql += QStringLiteral(" WHERE ") + viewWhere;
    return sql;
}

int TableDef::columnIndex(const QString &name) const
{
    // Callers spell fields as defined; other spellings fall back to a case-insensitive search.
    const auto it = byName.constFind(name);
    if (it != byName.constEnd())
        return *it;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const QList<TableDef> &tableDefs()
{
    static const QList<TableDef> defs = buildDefs();
    return defs;
}

const TableDef *tableDef(qint32 tableId)
{
    static const QHash<qint32, const TableDef *> byId = [] {
        QHash<qint32, const TableDef *> h;
        for (const TableDef &t : tableDefs())
            h.insert(t.id, &t);
        return h;
    }();
    return byId.value(tableId, nullptr);
}
