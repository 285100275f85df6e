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
        {"standard template: no counter, no prompt",
         "97522035000RRRRXNNTDYYMM6012345",
         {1, 2, 3},
         {},
         "",
         {},
         "97522035000RRRRXNNTDYYMM6012345"},
        {"only S, answer kept", "9SSSYY", {1, 2, 3}, {""}, "S", {"2"}, "S=2|9SSSYY"},
        {"only S, answer typed", "9SSSYY", {1, 2, 3}, {"42"}, "S", {"2"}, "S=42|9SSSYY"},
        {"P and V confirmed as 12 and 7", "VV1PPP", {5, 6, 8}, {"12", "7"}, "PV", {"5", "8"}, "P=12,V=7|VV1PPP"},
        {"all three in P, S, V order",
         "VSP",
         {10, 20, 30},
         {"", "99999999", ""},
         "PSV",
         {"10", "20", "30"},
         "P=10,S=99999999,V=30|VSP"},
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
    const struct
    {
        const char *templateText;
        bool valid;
    } rows[] = {
        {"97522035000RRRRXNNTDYYMM6012345", true},
        {"9YYMMR", true},
        {"9YYYMM", false}, // YYY
        {"9YMM", false},   // a single Y
        {"95N", false},    // a single N
        {"9YYM", false},   // a single M
        {"9Y0Y", true},    // the second Y need not follow at once
        {"RRRRR", true},
        {"RRRRRR", false},
        {"PPPPPPPP", true},
        {"PPPPPPPPP", false},
        {"SSSSSSSSS", false},
        {"VVVVVVVVV", false},
        {"UUUUUUUU", true},
        {"UUUUUUUUU", false},
        {"Q", true},
        {"QQ", false},
        {"XX", true},
        {"XXX", false},
        {"KK", true},
        {"KKK", false},
        {"TTT", false},
        {"", true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(Track2::IsValidTemplate(QString::fromLatin1(row.templateText)), row.valid) << row.templateText;
}

TEST(Track2, TemplateBoxesTakeHexDigitsAndPlaceholderLetters)
{
    const QString allowed = QStringLiteral("0123456789ABCDEFYMNKTRPSVUQX");
    for (char c = ' '; c < 127; ++c) {
        const QChar ch = QLatin1Char(c);
        EXPECT_EQ(Track2::IsTemplateCharacter(ch), allowed.contains(ch)) << c;
    }
}

} // namespace
