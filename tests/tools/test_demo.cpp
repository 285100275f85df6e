#include "ToolTest.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/DbTool.h"
#include "ostrelle-db/DemoHotel.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

using DemoTest = ToolTest;

TEST_P(DemoTest, CommandPrintsLogonsThatWork)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ASSERT_EQ(DbTool::run({QStringLiteral("demo"), m_test->database.connectionString(), QStringLiteral("--cards"),
                           QStringLiteral("0"), QStringLiteral("--events"), QStringLiteral("0")},
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
}

// Every history card opens from its stored image, as the card list loads it, with its row's kind,
// validity and rooms.
TEST_P(DemoTest, HistoryCardsOpenFromTheirStoredImages)
{
    FillOptions history = DbTool::demoHistory();
    history.cards = 300;
    history.events = 0;
    createDemo(history);
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
