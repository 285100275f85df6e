#include "cards/CardKinds.h"
#include "ui/WindowNumbers.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(CardKinds, EveryKindOpensItsDialogUnderTheDialogsWindowNumber)
{
    std::set<int32_t> seen;
    for (const CardKind &kind : CardKinds::all()) {
        SCOPED_TRACE(kind.cardNameID);
        EXPECT_TRUE(seen.insert(kind.cardNameID).second) << "listed twice";
        EXPECT_GE(kind.cardNameID, CardKinds::First);
        EXPECT_LE(kind.cardNameID, CardKinds::Last);
        // The open-dialog set and the card table must agree, or a command re-focuses the wrong window.
        EXPECT_EQ(WindowNumber::of(QLatin1String(kind.dialog)), kind.window) << kind.dialog;
        EXPECT_EQ(CardKinds::find(kind.cardNameID), &kind);
    }
    EXPECT_EQ(seen.size(), 24u);
    EXPECT_EQ(CardKinds::find(255), nullptr);
    EXPECT_EQ(CardKinds::find(280), nullptr);
}

TEST(CardKinds, RegistrationNumbersShowFiveHexDigitsOfTheShownNumber)
{
    EXPECT_EQ(RegistrationNumberText(0xA3F1FF).toStdString(), "0A3F1");
    EXPECT_EQ(RegistrationNumberText(0x100).toStdString(), "00001");
    EXPECT_EQ(RegistrationNumberText(0xFFFFFFFF).toStdString(), "FFFFF");
    EXPECT_EQ(RegistrationNumberText(0x12345600).toStdString(), "23456");
}

TEST(CardKinds, ReadBackStatusShowsExpiredForValidCardsPastTheirExpiry)
{
    const double now = 45444.5;
    const double minute = 1.0 / 1440;
    const struct
    {
        int32_t status;
        double expire;
        int16_t text;
    } rows[] = {
        {1, now - minute, 16004}, {1, now + minute, 16001}, {7, now + 10, 16004}, {0, now - 1, 16000},
        {5, now - 1, 16005},      {2, now + 1, 16002},      {8, now + 1, 29700},  {9, now - 1, 29701},
    };
    for (const auto &row : rows)
        EXPECT_EQ(CardStatusTextNumber(row.status, row.expire, now), row.text) << row.status;
}

} // namespace
