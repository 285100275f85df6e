#include "views/CardListQuery.h"

#include <gtest/gtest.h>

namespace {

const QString kFixed =
    QStringLiteral("issueTime >= ? and issueTime <= ? and startTime >= ? and startTime <= ? and expireTime >= ? and "
                   "expireTime <= ? and registrationNumber >= ? and registrationNumber <= ? and mainGuestRoom >= ? and "
                   "mainGuestRoom <= ?");

constexpr double kEnd = 0.999988425925926;

struct WhereCase
{
    const char *name;
    std::function<void(CardSearchFilters &)> set;
    QString tail;            // appended to the fixed part
    QVariantList textValues; // bound after the ten fixed values
};

class CardListWhere : public testing::TestWithParam<WhereCase>
{
};

TEST_P(CardListWhere, ComposesTheTextAndBindsTheTextsLast)
{
    CardSearchFilters f;
    GetParam().set(f);
    const CardListQuery q = buildCardListQuery(f);
    EXPECT_EQ(q.where, kFixed + GetParam().tail);
    ASSERT_EQ(q.parameters.size(), 10 + GetParam().textValues.size());
    EXPECT_EQ(q.parameters.mid(10), GetParam().textValues);
    EXPECT_EQ(q.where.count(QLatin1Char('?')), q.parameters.size());
}

INSTANTIATE_TEST_SUITE_P(
    Filters, CardListWhere,
    testing::Values(
        WhereCase{"Current", [](CardSearchFilters &) {}, QStringLiteral(" and status in(1,2,3)"), {}},
        WhereCase{"All",
                  [](CardSearchFilters &f) { f.statusGroup = 0; },
                  QStringLiteral(" and status >= 0 and status <= 5"),
                  {}},
        WhereCase{"Past", [](CardSearchFilters &f) { f.statusGroup = 2; }, QStringLiteral(" and status in(0,4,5)"), {}},
        WhereCase{"TextsInFixedOrder",
                  [](CardSearchFilters &f) {
                      f.issuedBy = QStringLiteral("OP");
                      f.firstname = QStringLiteral("An");
                      f.alphaID = QStringLiteral("G1");
                      f.surname = QStringLiteral("Sm");
                  },
                  QStringLiteral(" and status in(1,2,3) and alphaID like ? and surname like ? and firstname like ? "
                                 "and issueOperatorAlphaID like ?"),
                  {QStringLiteral("G1%"), QStringLiteral("Sm%"), QStringLiteral("An%"), QStringLiteral("OP%")}},
        WhereCase{"EmptyTextsAddNothing",
                  [](CardSearchFilters &f) { f.surname = QStringLiteral("Sm"); },
                  QStringLiteral(" and status in(1,2,3) and surname like ?"),
                  {QStringLiteral("Sm%")}},
        WhereCase{"KindsAscendingWhileActive",
                  [](CardSearchFilters &f) {
                      f.kindFilterActive = true;
                      f.setKind(271, true);
                      f.setKind(256, true);
                      f.setKind(280, true);
                      f.setKind(281, true); // outside the kinds: ignored
                  },
                  QStringLiteral(" and status in(1,2,3) and cardNameID in(256,271,280)"),
                  {}},
        WhereCase{"FlagsWithoutActiveFilterAddNothing",
                  [](CardSearchFilters &f) { f.setKind(256, true); },
                  QStringLiteral(" and status in(1,2,3)"),
                  {}},
        WhereCase{"ActiveFilterWithoutKinds",
                  [](CardSearchFilters &f) { f.kindFilterActive = true; },
                  QStringLiteral(" and status in(1,2,3) and cardNameID in()"),
                  {}}),
    [](const testing::TestParamInfo<WhereCase> &info) { return std::string(info.param.name); });

TEST(CardListQuery, BindsTheRangesInOrderWithEveryUpperDateAtTheEndOfItsDay)
{
    CardSearchFilters f;
    ASSERT_TRUE(f.setValues({QString(), QString(), QString(), 1, 45000.0, 45010.0, 45001.0, 45011.0, 45002.0, 45443.0,
                             0x1A00, 0x1AFF, QString(), 0, 0, 0, 100, 199}));
    const CardListQuery q = buildCardListQuery(f);
    ASSERT_EQ(q.parameters.size(), 10);
    const QList<double> dates = {45000.0, 45010.0 + kEnd, 45001.0, 45011.0 + kEnd, 45002.0, 45443.0 + kEnd};
    for (int i = 0; i < dates.size(); ++i)
        EXPECT_DOUBLE_EQ(q.parameters.at(i).toDouble(), dates.at(i)) << i;
    EXPECT_EQ(q.parameters.at(6).toInt(), 0x1A00);
    EXPECT_EQ(q.parameters.at(7).toInt(), 0x1AFF);
    EXPECT_EQ(q.parameters.at(8).toInt(), 100);
    EXPECT_EQ(q.parameters.at(9).toInt(), 199);
}

TEST(CardListQuery, SearchFiltersRoundTripAndAWrongCountChangesNothing)
{
    CardSearchFilters f;
    const QVariantList values = {QStringLiteral("A"),
                                 QStringLiteral("B"),
                                 QStringLiteral("C"),
                                 2,
                                 1.0,
                                 2.0,
                                 3.0,
                                 4.0,
                                 5.0,
                                 6.0,
                                 7,
                                 8,
                                 QStringLiteral("D"),
                                 9,
                                 10,
                                 11,
                                 12,
                                 13};
    ASSERT_TRUE(f.setValues(values));
    EXPECT_EQ(f.values(), values);
    EXPECT_FALSE(f.setValues(values.mid(1)));
    EXPECT_EQ(f.values(), values);
}

TEST(CardListQuery, DatesMayArriveAsDates)
{
    CardSearchFilters f;
    QVariantList values = f.values();
    values[9] = QDate(2024, 5, 31);
    ASSERT_TRUE(f.setValues(values));
    EXPECT_DOUBLE_EQ(f.expiryTo, 45443.0);
}

} // namespace
