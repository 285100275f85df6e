#include "cards/Track2.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct BuildRow
{
    const char *what;
    const char *templateText;
    Track2::Counters stored;
    QStringList answers;  // to the prompts, in turn
    const char *asked;    // the letters prompted, in order
    QStringList defaults; // the values offered
    const char *expected;
};

TEST(Track2, BuildsTheFieldValueWithTheConfirmedCounters)
{
    const BuildRow rows[] = {
        {"no counter", "97522035000RRRRXNNTDYYMM6012345", {1, 2, 3}, {}, "", {}, "97522035000RRRRXNNTDYYMM6012345"},
        {"only S, answer kept", "9SSSYY", {1, 2, 3}, {""}, "S", {"2"}, "S=2|9SSSYY"},
        {"only S, answer typed", "9SSSYY", {1, 2, 3}, {"42"}, "S", {"2"}, "S=42|9SSSYY"},
        {"P and V confirmed as 12 and 7", "VV1PPP", {5, 6, 8}, {"12", "7"}, "PV", {"5", "8"}, "P=12,V=7|VV1PPP"},
        {"P, S, V", "VSP", {10, 20, 30}, {"", "99999999", ""}, "PSV", {"10", "20", "30"}, "P=10,S=99999999,V=30|VSP"},
        {"a single occurrence is enough", "0P0", {0, 0, 0}, {"3"}, "P", {"0"}, "P=3|0P0"},
        {"empty template", "", {1, 2, 3}, {}, "", {}, ""},
    };
    for (const BuildRow &row : rows) {
        SCOPED_TRACE(row.what);
        QString asked;
        QStringList defaults;
        int next = 0;
        const QString value =
            Track2::BuildTrack2(QString::fromLatin1(row.templateText), row.stored, [&](QChar letter, int32_t stored) {
                asked += letter;
                defaults << QString::number(stored);
                return next < row.answers.size() ? row.answers.at(next++) : QString();
            });
        EXPECT_EQ(value.toStdString(), row.expected);
        EXPECT_EQ(asked.toStdString(), row.asked);
        EXPECT_EQ(defaults, row.defaults);
    }
}

TEST(Track2, ValidatesTemplatesByFieldLengthsAndPairs)
{
    // A single Y, N or M, a YYY, or a field longer than its counter or letter allows is refused.
    for (const char *valid :
         {"97522035000RRRRXNNTDYYMM6012345", "9YYMMR", "9Y0Y", "RRRRR", "PPPPPPPP", "UUUUUUUU", "Q", "XX", "KK", ""})
        EXPECT_TRUE(Track2::IsValidTemplate(QString::fromLatin1(valid))) << valid;
    for (const char *invalid : {"9YYYMM", "9YMM", "95N", "9YYM", "RRRRRR", "PPPPPPPPP", "SSSSSSSSS", "VVVVVVVVV",
                                "UUUUUUUUU", "QQ", "XXX", "KKK", "TTT"})
        EXPECT_FALSE(Track2::IsValidTemplate(QString::fromLatin1(invalid))) << invalid;
}

} // namespace
