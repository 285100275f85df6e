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

const auto kKinds = [](CardSearchFilters &f) {
    f.kindFilterActive = true;
    for (qint32 kind : {271, 256, 280, 281}) // 281 is outside the kinds: ignored
        f.setKind(kind, true);
};
const auto kTexts = [](CardSearchFilters &f) {
    f.issuedBy = QStringLiteral("OP"), f.firstname = QStringLiteral("An");
    f.alphaID = QStringLiteral("G1"), f.surname = QStringLiteral("Sm");
};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Filters, CardListWhere, testing::Values(
    WhereCase{"Current", [](CardSearchFilters &) {}, QStringLiteral(" and status in(1,2,3,8)"), {}},
    WhereCase{"TextsInFixedOrder", kTexts,
              QStringLiteral(" and status in(1,2,3,8) and alphaID like ? and surname like ? and firstname like ? and issueOperatorAlphaID like ?"),
              {QStringLiteral("G1%"), QStringLiteral("Sm%"), QStringLiteral("An%"), QStringLiteral("OP%")}},
    WhereCase{"EmptyTextsAddNothing", [](CardSearchFilters &f) { f.surname = QStringLiteral("Sm"); }, QStringLiteral(" and status in(1,2,3,8) and surname like ?"), {QStringLiteral("Sm%")}},
    WhereCase{"KindsAscendingWhileActive", kKinds, QStringLiteral(" and status in(1,2,3,8) and cardNameID in(256,271,280)"), {}},
    WhereCase{"FlagsWithoutActiveFilterAddNothing", [](CardSearchFilters &f) { f.setKind(256, true); }, QStringLiteral(" and status in(1,2,3,8)"), {}},
    WhereCase{"ActiveFilterWithoutKinds", [](CardSearchFilters &f) { f.kindFilterActive = true; }, QStringLiteral(" and status in(1,2,3,8) and cardNameID in()"), {}}),
    [](const testing::TestParamInfo<WhereCase> &info) { return std::string(info.param.name); });
// clang-format on

TEST(CardListQuery, BindsTheRangesInOrderWithEveryUpperDateAtTheEndOfItsDay)
{
    CardSearchFilters f;
    f.issueFrom = 45000.0, f.issueTo = 45010.0, f.startFrom = 45001.0, f.startTo = 45011.0;
    f.expiryFrom = 45002.0, f.expiryTo = 45443.0;
    f.registrationFrom = 0x1A00, f.registrationTo = 0x1AFF, f.roomFrom = 100, f.roomTo = 199;
    const CardListQuery q = buildCardListQuery(f);
    ASSERT_EQ(q.parameters.size(), 10);
    const QList<double> dates = {45000.0, 45010.0 + kEnd, 45001.0, 45011.0 + kEnd, 45002.0, 45443.0 + kEnd};
    for (int i = 0; i < dates.size(); ++i)
        EXPECT_DOUBLE_EQ(q.parameters.at(i).toDouble(), dates.at(i)) << i;
    EXPECT_EQ(q.parameters.mid(6), (QVariantList{0x1A00, 0x1AFF, 100, 199}));
}

} // namespace
