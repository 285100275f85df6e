#include "ToolTest.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/DbTool.h"
#include "ostrelle-db/DemoHotel.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

class DemoTest : public ToolTest
{
protected:
    void seed(const FillOptions &history = FillOptions{})
    {
        QString error;
        ASSERT_TRUE(DbTool::createDemo(db(), texts(), history, error)) << error.toStdString();
    }
};

TEST_P(DemoTest, HotelHasItsRoomsCommonRoomsAndAreas)
{
    seed();
    // doorID, doorCategory, commonRoom, doorGroupID of every door
    const auto doors = QueryRows(db(), TableId::DoorView, QStringLiteral("doorID >= ?"), {0},
                                 {QStringLiteral("doorID"), QStringLiteral("doorCategory"),
                                  QStringLiteral("commonRoom"), QStringLiteral("doorGroupID")});
    QSet<int> rooms, expectedRooms, commonRooms, areasUsed;
    QSet<QString> categories;
    int commonDoors = 0;
    for (const QVariantList &door : doors) {
        const QString category = door[1].toString();
        categories.insert(category);
        if (category == QLatin1String("G") || category == QLatin1String("L"))
            rooms.insert(door[0].toInt());
        if (category == QLatin1String("C")) {
            commonRooms.insert(door[2].toInt());
            ++commonDoors;
        }
        areasUsed.insert(door[3].toInt());
    }
    for (int n = 1; n <= 30; ++n)
        expectedRooms << 100 + n << 200 + n;
    EXPECT_EQ(rooms, expectedRooms);
    EXPECT_EQ(commonRooms, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(commonDoors, 8) << "each common room once";
    for (const char *category : {"L", "A", "E", "V", "Z"})
        EXPECT_TRUE(categories.contains(QString::fromLatin1(category))) << "no door of category " << category;

    // Three described areas, each holding doors, and every door in one of them.
    const auto areas = QueryRows(db(), TableId::DoorGroupView, QStringLiteral("doorGroupID >= ?"), {1},
                                 {QStringLiteral("doorGroupID"), QStringLiteral("noteText")});
    QSet<int> areaIds;
    for (const QVariantList &area : areas) {
        areaIds.insert(area[0].toInt());
        EXPECT_FALSE(area[1].toString().isEmpty()) << "area without description";
    }
    EXPECT_EQ(areaIds.size(), 3);
    EXPECT_EQ(areasUsed, areaIds);

    const auto devices = QueryRows(db(), TableId::DeviceView, QStringLiteral("deviceID >= ?"), {0},
                                   {QStringLiteral("deviceType")}, QStringLiteral("deviceType"));
    EXPECT_EQ(devices, (QList<QVariantList>{{0}, {2}})) << "one virtual encoder and one virtual handheld unit";
}

// Each printed logon works (CommandPrintsLogonsThatWork); here each operator's template grants its rights.
TEST_P(DemoTest, TemplatesGrantWhatTheirNamesPromise)
{
    seed();
    EXPECT_EQ(QueryRows(db(), TableId::TemplateView, QStringLiteral("operatorTemplateID >= ?"), {0},
                        {QStringLiteral("operatorTemplateID")}, QStringLiteral("operatorTemplateID")),
              (QList<QVariantList>{{1}, {300}, {700}, {1000}}));
    for (const DemoHotel::Logon &logon : DemoHotel::logons()) {
        EXPECT_EQ(QueryRows(db(), TableId::OperatorView, QStringLiteral("alphaID = ?"), {logon.user},
                            {QStringLiteral("operatorTemplateID")}),
                  QList<QVariantList>{{logon.templateId}})
            << logon.user.toStdString();
    }
    struct Case
    {
        const char *user;
        qint32 tableOrFunction; // < 0: special function -n
        qint32 bits;
        bool allowed;
    };
    const Case cases[] = {
        {"ADMIN", TableId::OperatorTemplates, 4, true},
        {"ADMIN", -3, 0, true},
        {"SUPERVISOR", TableId::Users, 8, true},
        {"SUPERVISOR", TableId::OperatorTemplates, 4, false},
        {"SUPERVISOR", TableId::Parameters, 4, true},
        {"SUPERVISOR", -3, 0, true},
        {"FRONTDESK", TableId::Users, 2, true},
        {"FRONTDESK", TableId::Users, 8, false},
        {"FRONTDESK", TableId::CardView, 1, true},
        {"FRONTDESK", TableId::OperatorTemplates, 1, false},
        {"FRONTDESK", -3, 0, false},
        {"FRONTDESK", -10, 0, true},
        {"NIGHT", TableId::Users, 4, false},
        {"NIGHT", TableId::LockEvents, 1, false},
    };
    for (const Case &c : cases) {
        const QString user = QString::fromLatin1(c.user);
        const auto logon = std::find_if(DemoHotel::logons().cbegin(), DemoHotel::logons().cend(),
                                        [&](const DemoHotel::Logon &l) { return l.user == user; });
        RecordTable table(db());
        table.SetComputerName(QStringLiteral("RIGHTS-") + user);
        table.Logon(user, logon->password);
        ASSERT_EQ(table.Status(), RecordStatus::Ok);
        if (c.tableOrFunction < 0)
            table.CheckFunction(-c.tableOrFunction);
        else
            table.CheckRights(c.tableOrFunction, c.bits);
        EXPECT_EQ(table.Status() == RecordStatus::Ok, c.allowed)
            << c.user << " " << c.tableOrFunction << "/" << c.bits << ": status " << std::hex << table.Status();
    }

    // The longest guest card a front-desk operator may issue: 30 days.
    RecordTable table(db());
    table.SetComputerName(QStringLiteral("VALIDITY"));
    table.Logon(QStringLiteral("FRONTDESK"), DemoHotel::logons().at(2).password);
    ASSERT_EQ(table.Status(), RecordStatus::Ok);
    table.RefreshRights();
    QMap<qint32, qint32> validity;
    for (;;) {
        qint32 kind = 0, minutes = 0;
        table.NextMaxValidity(kind, minutes);
        if (table.Status() != RecordStatus::Ok)
            break;
        validity.insert(kind, minutes);
    }
    EXPECT_EQ(validity.value(256), 30 * 1440);
    EXPECT_EQ(validity.value(270), 0) << "front desk issues no operator cards";
}

TEST_P(DemoTest, CommandPrintsLogonsThatWork)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ASSERT_EQ(DbTool::run({QStringLiteral("demo"), m_test->connection(), QStringLiteral("--cards"), QStringLiteral("0"),
                           QStringLiteral("--events"), QStringLiteral("0")},
                          texts(), outStream, errStream),
              DbTool::Success)
        << err.toStdString();
    outStream.flush();
    const auto database = m_test->reopen();
    ASSERT_TRUE(database);
    // "  ADMIN       admin-demo        System administrator (template 1)"
    static const QRegularExpression line(QStringLiteral("^  (\\S+)\\s+(\\S+)\\s+.*\\(template \\d+\\)$"),
                                         QRegularExpression::MultilineOption);
    int logons = 0;
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const auto match = it.next();
        RecordTable table(*database);
        table.SetComputerName(QStringLiteral("PRINTED%1").arg(logons++));
        table.Logon(match.captured(1), match.captured(2));
        EXPECT_EQ(table.Status(), RecordStatus::Ok) << match.captured(0).toStdString();
    }
    EXPECT_EQ(logons, DemoHotel::logons().size()) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("ADMIN")) && out.contains(QStringLiteral("FRONTDESK")) &&
                out.contains(QStringLiteral("SUPERVISOR")));
}

TEST_P(DemoTest, HistoryLeavesTheHotelPartlyOccupied)
{
    seed(DbTool::demoHistory());
    const double now = db().now();
    const auto occupied = QueryRows(db(), TableId::RoomView, QStringLiteral("expireTime > ? and doorCategory in(?,?)"),
                                    {now, "G", "L"}, {QStringLiteral("doorID")});
    EXPECT_GE(occupied.size(), 20);
    EXPECT_LE(occupied.size(), 60);
    const auto lastWeek = QueryRows(db(), TableId::CardView, QStringLiteral("issueTime >= ?"), {now - 7},
                                    {QStringLiteral("registrationNumber")});
    EXPECT_GT(lastWeek.size(), 50) << "a 60-room hotel issues more than 50 cards a week";
}

// Every history card opens from its stored image, as the card list loads it, with its row's kind,
// validity and rooms.
TEST_P(DemoTest, HistoryCardsOpenFromTheirStoredImages)
{
    FillOptions history = DbTool::demoHistory();
    history.cards = 300;
    history.events = 0;
    seed(history);
    const auto rows =
        QueryRows(db(), TableId::Cards, QStringLiteral("registrationNumber >= ?"), {0},
                  {QStringLiteral("registrationNumber"), QStringLiteral("cardNameID"), QStringLiteral("issueTime"),
                   QStringLiteral("expireTime"), QStringLiteral("mainGuestRoom")});
    ASSERT_GE(rows.size(), 300);
    QHash<qint32, QSet<qint32>> rooms;
    for (const QVariantList &door : QueryRows(db(), TableId::CardDoors, QStringLiteral("registrationNumber >= ?"), {0},
                                              {QStringLiteral("registrationNumber"), QStringLiteral("doorID")}))
        rooms[door[0].toInt()].insert(door[1].toInt());
    CardsIntf cards(db(), CardsIntf::Setup{});
    int roomCards = 0;
    for (const QVariantList &row : rows) {
        const qint32 number = row[0].toInt();
        ASSERT_EQ(cards.LoadCard(number), 0) << number;
        EXPECT_EQ(cards.GetCardField(QStringLiteral("registrationNumber")).toInt(), number);
        EXPECT_EQ(cards.GetCardField(QStringLiteral("cardNameID")).toInt(), row[1].toInt()) << number;
        EXPECT_DOUBLE_EQ(cards.GetCardField(QStringLiteral("issueTime")).toDouble(), row[2].toDouble()) << number;
        EXPECT_DOUBLE_EQ(cards.GetCardField(QStringLiteral("expireTime")).toDouble(), row[3].toDouble()) << number;
        EXPECT_EQ(cards.GetCardField(QStringLiteral("mainGuestRoom")).toInt(), row[4].toInt()) << number;
        QSet<qint32> opened;
        qint32 kind = 0, block = 0, first = 0, last = 0;
        while (cards.GetNextRange(kind, block, first, last) == 0) {
            for (qint32 door = first; door <= last; ++door)
                opened.insert(door);
        }
        QSet<qint32> expected = rooms.value(number);
        if (row[4].toInt() > 0)
            expected.insert(row[4].toInt());
        EXPECT_EQ(opened, expected) << number;
        roomCards += expected.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(roomCards, 100);
}

OSTRELLE_ON_EVERY_ENGINE(DemoTest);

} // namespace
