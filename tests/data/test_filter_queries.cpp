#include "DatabaseFixture.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "ui/grid/Filter.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// Filters run through the database component as the list windows run them.
class FilterQueries : public DatabaseTest
{
protected:
    void addCard(qint32 registrationNumber, qint32 userId, qint32 kind, double expireTime)
    {
        DatabaseSeeds::addCard({.registrationNumber = registrationNumber,
                                .userID = userId,
                                .cardNameID = kind,
                                .mainGuestRoom = 101,
                                .issueTime = day(2024, 5, 1),
                                .expireTime = expireTime});
    }

    // The registration numbers a filter selects from CardView.
    QSet<qint32> cards(const FilterBuilder &filter)
    {
        EXPECT_TRUE(filter.isValid()) << filter.errorText().toStdString();
        RecordTable t(db);
        t.SelectTable(TableId::CardView);
        t.OpenQuery(filter.where(), OrderBy(Field::expireTime, true));
        for (const QVariant &value : filter.values())
            t.AddParameter(value);
        QSet<qint32> found;
        while (t.Status() == RecordStatus::Ok) {
            found.insert(t.GetField(Field::registrationNumber).toInt());
            t.MoveNext();
        }
        EXPECT_STATUS(t, RecordStatus::NoRecord);
        return found;
    }

    static double day(int y, int m, int d) { return OleDate::fromDate(QDate(y, m, d)); }
};

TEST_P(FilterQueries, CardListFilterSelectsByPrefixKindCopyRangeAndWholeLastDay)
{
    const qint32 smith = addUser("G1", "Smith");
    const qint32 smythe = addUser("G2", "Smythe");
    const qint32 asmith = addUser("G3", "Asmith");
    const double lastMinuteOfMay31 = OleDate::fromDateTime(QDate(2024, 5, 31), QTime(23, 59));
    addCard(1234 * 256, smith, 256, lastMinuteOfMay31);
    addCard(1234 * 256 + 255, smith, 256, lastMinuteOfMay31);
    addCard(1235 * 256, smith, 256, lastMinuteOfMay31);         // another number
    addCard(1236 * 256, smythe, 260, lastMinuteOfMay31);        // a kind not asked for
    addCard(1237 * 256, smythe, 257, day(2024, 6, 1));          // the next day
    addCard(1238 * 256, asmith, 256, lastMinuteOfMay31 - 0.25); // "sm" only inside the name

    FilterBuilder filter;
    filter.dayRange(Field::issueTime, OleDate::kEarliestSearchDay, day(2036, 1, 1))
        .dayRange(Field::startTime, OleDate::kEarliestSearchDay, day(2036, 1, 1))
        .dayRange(Field::expireTime, day(2024, 5, 1), day(2024, 5, 31))
        .range(Field::registrationNumber, 1234 * 256, 1234 * 256 + 255)
        .range(Field::mainGuestRoom, 0, 9999)
        .inlineRange(Field::status, 0, 5)
        .like(Field::alphaID, "")
        .like(Field::surname, "Sm")
        .inNumbers(Field::cardNameID, QList<qint32>{256, 257});
    EXPECT_EQ(cards(filter), (QSet<qint32>{1234 * 256, 1234 * 256 + 255}));

    // Without the number range the prefix and kind rules still keep the others out.
    FilterBuilder wider;
    wider.dayRange(Field::expireTime, day(2024, 5, 1), day(2024, 5, 31))
        .like(Field::surname, "Sm")
        .inNumbers(Field::cardNameID, QVariantList{256, "257"});
    EXPECT_EQ(cards(wider), (QSet<qint32>{1234 * 256, 1234 * 256 + 255, 1235 * 256}));
}

TEST_P(FilterQueries, EveryFragmentIsAcceptedByTheComponent)
{
    struct Case
    {
        qint32 table;
        FilterBuilder filter;
    };
    using C = FilterBuilder::Compare;
    using F = FilterBuilder;
    const std::vector<Case> cases = {
        {TableId::RoomView, F().in(Field::doorCategory, {"G", "L"}).beforeOrNull(Field::expireTime, now)},
        {TableId::RoomView, F().in(Field::doorCategory, {"G", "L"}).compare(Field::expireTime, C::Greater, now)},
        {TableId::Doors, F().in(Field::doorCategory, {"G", "L", "A"})},
        {TableId::Doors, F().notIn(Field::doorCategory, {"G", "L"})},
        {TableId::CameraClients, F().either(Field::cameraID, Field::clientID, 3)},
        {TableId::ReadoutView, F().compare(Field::readoutTime, C::Greater, qint16(0))},
        {TableId::EventView, F().range(Field::registrationNumber, 0, 0x0FFFFFFF)
                                 .dayRange(Field::eventTime, day(2024, 5, 1), day(2024, 5, 2))
                                 .dayRange(Field::readoutTime, 1, day(2036, 1, 1))
                                 .like(Field::firstname, "A")
                                 .equal(Field::doorID, 101)
                                 .inNumbers(Field::cardNameID, QList<qint32>{256, 258})},
        {TableId::Users, F().compare(Field::userID, C::NotEqual, 1)},
        {TableId::DoorGroups, F().compare(Field::doorGroupID, C::GreaterOrEqual, 1)},
        {TableId::Cards, F().compare(Field::expireTime, C::LessOrEqual, now)},
        {TableId::Cards, F().compare(Field::expireTime, C::Less, now)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.filter.where().toStdString());
        ASSERT_TRUE(c.filter.isValid());
        RecordTable t(db);
        t.SelectTable(c.table);
        t.OpenQuery(c.filter.where(), QString());
        for (const QVariant &value : c.filter.values())
            t.AddParameter(value);
        EXPECT_STATUS(t, RecordStatus::NoRecord);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, FilterQueries, ::testing::Values("sqlite", "postgresql"));

} // namespace
