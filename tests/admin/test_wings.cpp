#include "SessionFixture.h"
#include "admin/MasterDataRemoval.h"
#include "admin/WingStore.h"
#include "components/recordtable/RecordTable.h"

namespace {

TEST(WingNumber, DigitsGiveThePrefixesAndTheRange)
{
    const struct
    {
        const char *typed;
        qint32 prefix1, prefix2, first, last;
        const char *range;
    } rows[] = {
        {"1", 1, -1, 10000, 19999, "10000 - 19999"},
        {"12", 1, 2, 12000, 12999, "12000 - 12999"},
        {"0", 0, -1, 0, 9999, "00000 - 09999"},
        {"90", 9, 0, 90000, 90999, "90000 - 90999"},
        {"", -1, -1, 0, -1, ""},
        {"123", -1, -1, 0, -1, ""},
        {"1A", -1, -1, 0, -1, ""},
    };
    for (const auto &row : rows) {
        const WingNumber number = WingNumberFromText(QString::fromLatin1(row.typed));
        EXPECT_EQ(number.prefix1, row.prefix1) << row.typed;
        EXPECT_EQ(number.prefix2, row.prefix2) << row.typed;
        EXPECT_EQ(number.first, row.first) << row.typed;
        EXPECT_EQ(number.last, row.last) << row.typed;
        EXPECT_EQ(number.rangeText, QLatin1String(row.range)) << row.typed;
    }
}

class WingTest : public SessionTest
{
protected:
    QString doorName(qint32 doorID)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Doors);
        t.SetField(QStringLiteral("doorID"), doorID);
        t.FindRecord();
        return t.Status() == RecordStatus::Ok ? t.GetField(QStringLiteral("doorName")).toString() : QStringLiteral("-");
    }
    SaveOutcome save(const char *code, const char *number, const QString &note = {})
    {
        WingStore::Wing wing{QLatin1String(code), WingNumberFromText(QLatin1String(number)), 0, note};
        return SaveNewWing(store, wing);
    }
    RemovalContext context() { return {db, *messages, ws->session.notify, ws->session.authority}; }

    WingStore store{db};
};

TEST_P(WingTest, SavingChecksCodeNumberAndOverlapWithOtherWings)
{
    const struct
    {
        const char *storedNumber; // of wing "A"
        const char *code;
        const char *number;
        int16_t message; // 0: saved
    } rows[] = {
        {"1", "B", "12", -31075}, {"12", "B", "1", -31075}, {"12", "B", "13", 0},    {"1", "B", "2", 0},
        {"12", "B", "21", 0},     {"12", "A", "3", -31076}, {"12", "", "3", -31078}, {"12", "B", "", -31077},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.code) + row.number + " beside A" + row.storedNumber);
        for (const QString &code : {QStringLiteral("A"), QStringLiteral("B")})
            store.remove(code);
        ASSERT_TRUE(save("A", row.storedNumber).saved);
        const SaveOutcome outcome = save(row.code, row.number);
        EXPECT_EQ(outcome.saved, row.message == 0);
        EXPECT_EQ(outcome.message, row.message);
        EXPECT_EQ(rowCount(TableId::Wings), row.message == 0 ? 2 : 1);
    }
    // Its own number is no overlap: a one-digit wing keeps its number when its note changes.
    for (const QString &code : {QStringLiteral("A"), QStringLiteral("B")})
        store.remove(code);
    ASSERT_TRUE(save("A", "1").saved);
    ASSERT_TRUE(save("B", "23").saved);
    WingStore::Wing wing;
    ASSERT_TRUE(store.load(QStringLiteral("A"), wing).ok());
    wing.note = QStringLiteral("east building");
    EXPECT_TRUE(UpdateWing(store, QStringLiteral("A"), wing).saved);
    ASSERT_TRUE(store.load(QStringLiteral("A"), wing).ok());
    EXPECT_EQ(wing.note, QStringLiteral("east building"));
    ASSERT_TRUE(store.load(QStringLiteral("B"), wing).ok());
    wing.number = WingNumberFromText(QStringLiteral("14"));
    EXPECT_EQ(UpdateWing(store, QStringLiteral("B"), wing).message, -31075);
}

TEST_P(WingTest, SavingNamesTheGuestDoorsOfTheRangeAndRemovalNamesThemBack)
{
    addDoor(12345, QStringLiteral("12345"));
    addDoor(12999, QStringLiteral("12999"), QStringLiteral("L"));
    addDoor(12500, QStringLiteral("Lobby"), QStringLiteral("A"));
    addDoor(13000, QStringLiteral("13000"));
    const QList<qint32> doors{12345, 12999, 12500, 13000};
    const auto names = [&] {
        QStringList list;
        for (qint32 door : doors)
            list << doorName(door);
        return list;
    };
    ASSERT_TRUE(save("A", "12", QStringLiteral("tower")).saved);
    EXPECT_EQ(names(), QStringList({"A345", "A999", "Lobby", "13000"}));
    EXPECT_EQ(rowCount(TableId::Notes), 1);

    messages->expect(-32479, 0);
    EXPECT_EQ(RemoveWings(context(), {QStringLiteral("A")}), QStringList{QStringLiteral("A")});
    EXPECT_EQ(messages->shown().at(0).request.arguments, QVariantList{QStringLiteral("A")});
    EXPECT_EQ(names(), QStringList({"12345", "12999", "Lobby", "13000"}));
    EXPECT_EQ(rowCount(TableId::Wings), 0);
    EXPECT_EQ(rowCount(TableId::Notes), 0);
}

TEST_P(WingTest, RemovalAsksPerWingAsTheAnswersSay)
{
    const struct
    {
        const char *what;
        QStringList codes;
        std::vector<std::pair<int16_t, int>> answers; // question, answer
        std::vector<int16_t> buttons;
        QStringList removed;
    } rows[] = {
        {"single, no", {"B"}, {{-32480, 1}}, {17001}, {}},
        {"several: yes, yes to all, then only wings with rooms ask",
         {"A", "B", "C", "D"},
         {{-32479, 0}, {-32480, 1}, {-32479, 1}},
         {17006, 17008, 17006},
         {"A", "B", "C"}},
        {"several: cancel ends the run", {"B", "C", "D"}, {{-32480, 3}}, {17008}, {}},
        {"several: cancel about a wing with rooms", {"D", "B"}, {{-32479, 2}}, {17006}, {}},
    };
    addDoor(10001, QStringLiteral("10001"));
    addDoor(40001, QStringLiteral("40001"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        int prefix = 1;
        for (const char *code : {"A", "B", "C", "D"}) {
            store.remove(QLatin1String(code));
            ASSERT_TRUE(save(code, QByteArray::number(prefix++).constData()).saved);
        }
        messages->clear();
        for (const auto &[question, answer] : row.answers)
            messages->expect(question, answer);
        EXPECT_EQ(RemoveWings(context(), row.codes), row.removed);
        std::vector<int16_t> buttons;
        for (const auto &shown : messages->shown())
            buttons.push_back(shown.request.buttonNumbers.at(0));
        EXPECT_EQ(buttons, row.buttons);
        EXPECT_EQ(rowCount(TableId::Wings), 4 - row.removed.size());
    }
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, WingTest, ::testing::Values("sqlite", "postgresql"));
