#include "core/OleDate.h"
#include "ui/grid/Filter.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct FragmentCase
{
    const char *name;
    std::function<void(FilterBuilder &)> build;
    QString where;
    QVariantList values;
};

class FilterFragments : public ::testing::TestWithParam<FragmentCase>
{
};

TEST_P(FilterFragments, TextAndBoundValues)
{
    const FragmentCase &c = GetParam();
    FilterBuilder filter;
    c.build(filter);
    EXPECT_TRUE(filter.isValid()) << filter.errorText().toStdString();
    EXPECT_EQ(filter.where(), c.where);
    EXPECT_EQ(filter.values(), c.values);
}

using C = FilterBuilder::Compare;
const double may2 = OleDate::fromDate(QDate(2024, 5, 2));
const double may1 = OleDate::fromDate(QDate(2024, 5, 1));

INSTANTIATE_TEST_SUITE_P(
    Data, FilterFragments,
    ::testing::Values(
        FragmentCase{"equal", [](FilterBuilder &f) { f.equal("doorGroupID", 7); }, "doorGroupID = ?", {7}},
        FragmentCase{"notEqual", [](FilterBuilder &f) { f.compare("status", C::NotEqual, 3); }, "status <> ?", {3}},
        FragmentCase{"greater", [](FilterBuilder &f) { f.compare("readoutTime", C::Greater, qint16(0)); },
                     "readoutTime > ?", {QVariant::fromValue<qint16>(0)}},
        FragmentCase{"less", [](FilterBuilder &f) { f.compare("expireTime", C::Less, 1.5); }, "expireTime < ?", {1.5}},
        FragmentCase{"greaterOrEqual", [](FilterBuilder &f) { f.compare("doorGroupID", C::GreaterOrEqual, 1); },
                     "doorGroupID >= ?", {1}},
        FragmentCase{"lessOrEqual", [](FilterBuilder &f) { f.compare("userID", C::LessOrEqual, 9); }, "userID <= ?", {9}},
        FragmentCase{"closedRange",
                     [](FilterBuilder &f) { f.range("registrationNumber", 1234 * 256, 1234 * 256 + 255); },
                     "registrationNumber >= ? and registrationNumber <= ?",
                     {1234 * 256, 1234 * 256 + 255}},
        FragmentCase{"dayRangeWidensOnlyTheUpperDay", [](FilterBuilder &f) { f.dayRange("eventTime", may1, may2); },
                     "eventTime >= ? and eventTime <= ?", {may1, may2 + 0.999988425925926}},
        FragmentCase{"upToDay", [](FilterBuilder &f) { f.upToDay("issueTime", may2); }, "issueTime <= ?",
                     {may2 + 0.999988425925926}},
        FragmentCase{"inlineRange", [](FilterBuilder &f) { f.inlineRange("status", 0, 5); },
                     "status >= 0 and status <= 5", {}},
        FragmentCase{"likeAppendsPercent", [](FilterBuilder &f) { f.like("surname", "Mü"); }, "surname like ?",
                     {QString("Mü%")}},
        FragmentCase{"likeWithEmptyTextAddsNothing", [](FilterBuilder &f) { f.like("surname", ""); }, "", {}},
        FragmentCase{"inTwo", [](FilterBuilder &f) { f.in("doorCategory", {"G", "L"}); }, "doorCategory in(?,?)",
                     {"G", "L"}},
        FragmentCase{"inThree", [](FilterBuilder &f) { f.in("doorCategory", {"G", "L", "A"}); },
                     "doorCategory in(?,?,?)", {"G", "L", "A"}},
        FragmentCase{"notIn", [](FilterBuilder &f) { f.notIn("doorCategory", {"G", "L"}); },
                     "doorCategory not in(?,?)", {"G", "L"}},
        FragmentCase{"inlineNumbers", [](FilterBuilder &f) { f.inNumbers("cardNameID", QList<qint32>{256, 258, 270}); },
                     "cardNameID in(256,258,270)", {}},
        FragmentCase{"inlineNumbersFromVariants",
                     [](FilterBuilder &f) { f.inNumbers("status", QVariantList{1, qint16(2), QString("3")}); },
                     "status in(1,2,3)", {}},
        FragmentCase{"inlineNumbersNegativeAndLimits",
                     [](FilterBuilder &f) { f.inNumbers("status", QVariantList{-1, "-2147483648", 2147483647u}); },
                     "status in(-1,-2147483648,2147483647)", {}},
        FragmentCase{"inlineNumbersEmptyKeepsTheParentheses",
                     [](FilterBuilder &f) { f.inNumbers("cardNameID", QList<qint32>{}); }, "cardNameID in()", {}},
        FragmentCase{"beforeOrNull", [](FilterBuilder &f) { f.beforeOrNull("expireTime", 45000.5); },
                     "(expireTime < ? or expireTime is NULL)", {45000.5}},
        FragmentCase{"eitherTwoValues", [](FilterBuilder &f) { f.either("doorIDPrefix1", "doorIDPrefix2", 1, 2); },
                     "(doorIDPrefix1 = ? or doorIDPrefix2 = ?)", {1, 2}},
        FragmentCase{"eitherOneValueBoundTwice", [](FilterBuilder &f) { f.either("cameraID", "clientID", 4); },
                     "(cameraID = ? or clientID = ?)", {4, 4}},
        // The vacant-rooms filter, as a whole.
        FragmentCase{"conditionsJoinWithAnd",
                     [](FilterBuilder &f) {
                         f.in("doorCategory", {"G", "L"}).beforeOrNull("expireTime", 45000.25);
                     },
                     "doorCategory in(?,?) and (expireTime < ? or expireTime is NULL)",
                     {"G", "L", 45000.25}},
        // The event list: fixed conditions first, given texts and the door after, markers in order.
        FragmentCase{"optionalConditionsAppendInOrder",
                     [](FilterBuilder &f) {
                         f.range("registrationNumber", 0, 0x0FFFFFFF)
                             .dayRange("eventTime", may1, may2)
                             .like("alphaID", "")
                             .like("surname", "Sm")
                             .equal("doorID", 101)
                             .inNumbers("cardNameID", QList<qint32>{256, 257});
                     },
                     "registrationNumber >= ? and registrationNumber <= ? and eventTime >= ? and eventTime <= ? and "
                     "surname like ? and doorID = ? and cardNameID in(256,257)",
                     {0, 0x0FFFFFFF, may1, may2 + 0.999988425925926, QString("Sm%"), 101}}),
    [](const ::testing::TestParamInfo<FragmentCase> &info) { return std::string(info.param.name); });

struct RefusedCase
{
    const char *name;
    std::function<void(FilterBuilder &)> build;
};

class FilterRefusals : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(FilterRefusals, MarkTheFilterInvalidAndWriteNothingFromTheInput)
{
    FilterBuilder filter;
    filter.equal("doorID", 5);
    GetParam().build(filter);
    EXPECT_FALSE(filter.isValid());
    EXPECT_FALSE(filter.errorText().isEmpty());
    // The refused condition leaves no trace, so no text of it can reach the query.
    EXPECT_EQ(filter.where(), "doorID = ?");
    EXPECT_EQ(filter.values(), QVariantList{5});
}

// A card-kind set written into the text, the one condition that takes values without markers.
std::function<void(FilterBuilder &)> inlineSet(const QVariantList &values)
{
    return [values](FilterBuilder &f) { f.inNumbers("cardNameID", values); };
}

INSTANTIATE_TEST_SUITE_P(
    Data, FilterRefusals,
    ::testing::Values(RefusedCase{"fractionInInlineSet", inlineSet({256, 256.5})},
                      RefusedCase{"wholeDoubleInInlineSet", inlineSet({256, 257.0})},
                      RefusedCase{"sqlInInlineSet", inlineSet({256, "1) or (1=1"})},
                      RefusedCase{"blankInInlineSet", inlineSet({" 256"})},
                      RefusedCase{"emptyTextInInlineSet", inlineSet({""})},
                      RefusedCase{"beyond32BitsInInlineSet", inlineSet({qlonglong(1) << 32})},
                      RefusedCase{"beyond32BitsTextInInlineSet", inlineSet({"2147483648"})},
                      RefusedCase{"boolInInlineSet", inlineSet({true})},
                      RefusedCase{"nullInInlineSet", inlineSet({QVariant()})},
                      RefusedCase{"inWithOneValue", [](FilterBuilder &f) { f.in("doorCategory", {"G"}); }},
                      RefusedCase{"inWithFourValues",
                                  [](FilterBuilder &f) {
                                      f.in("doorCategory", {"G", "L", "A", "C"});
                                  }},
                      RefusedCase{"notInWithThreeValues",
                                  [](FilterBuilder &f) {
                                      f.notIn("doorCategory", {"G", "L", "A"});
                                  }},
                      RefusedCase{"fieldWithBlank", [](FilterBuilder &f) { f.equal("doorID or 1", 1); }},
                      RefusedCase{"emptyField", [](FilterBuilder &f) { f.like("", "A"); }},
                      RefusedCase{"eitherWithBadSecondField", [](FilterBuilder &f) { f.either("doorID", "x;y", 1); }}),
    [](const ::testing::TestParamInfo<RefusedCase> &info) { return std::string(info.param.name); });

TEST(FilterOrderBy, FieldOptionallyDescending)
{
    EXPECT_EQ(OrderBy("expireTime", true), "expireTime desc");
    EXPECT_EQ(OrderBy("doorName"), "doorName");
}

} // namespace
