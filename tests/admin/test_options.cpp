#include "SessionFixture.h"
#include "admin/OptionsRules.h"

namespace {

using P = clsSystemParams;

TEST(OptionsRules, RefusesTheFirstBadSettingInTableOrder)
{
    const QHash<P::Key, QString> good = {{P::MaxInactiveTimeKey, "30"},  {P::PurgeLimitKey, "90"},
                                         {P::CathStartTimeKey, "02:00"}, {P::NormalCheckOutKey, "12:00"},
                                         {P::NormalCheckInKey, "14:00"}, {P::DefaultStayKey, "1"},
                                         {P::Track2StringKey, "9YYYMM"}, {P::Track2StringStaffKey, ""}};
    const QHash<P::Key, QString> stored = {{P::Track2StringKey, "9YYYMM"}};
    const struct
    {
        QHash<P::Key, QString> typed;
        int key; // -1: accepted
        int message;
    } rows[] = {
        {{}, -1, 0},
        {{{P::MaxInactiveTimeKey, "0"}}, P::MaxInactiveTimeKey, -31157},
        {{{P::MaxInactiveTimeKey, "1441"}}, P::MaxInactiveTimeKey, -31157},
        {{{P::MaxInactiveTimeKey, "1440"}}, -1, 0},
        {{{P::MaxInactiveTimeKey, ""}}, P::MaxInactiveTimeKey, -31157},
        {{{P::PurgeLimitKey, "29"}}, P::PurgeLimitKey, -31161},
        {{{P::PurgeLimitKey, "30"}}, -1, 0},
        {{{P::CathStartTimeKey, ""}}, P::CathStartTimeKey, -31160},
        {{{P::CathStartTimeKey, "24:00"}}, P::CathStartTimeKey, -31160},
        {{{P::CathStartTimeKey, "23:59"}}, -1, 0},
        {{{P::NormalCheckOutKey, " "}}, P::NormalCheckOutKey, -31169},
        {{{P::NormalCheckInKey, ""}}, P::NormalCheckInKey, -31170},
        {{{P::DefaultStayKey, "513"}}, P::DefaultStayKey, -31147},
        {{{P::DefaultStayKey, "0"}}, P::DefaultStayKey, -31147},
        {{{P::DefaultStayKey, "512"}}, -1, 0},
        {{{P::Track2StringKey, "9YYYMMN"}}, P::Track2StringKey, -31162},
        {{{P::Track2StringKey, "97522035000RRRRXNNTDYYMM6012345"}}, -1, 0},
        {{{P::Track2StringStaffKey, "9YMM"}}, P::Track2StringStaffKey, -31162},
        {{{P::DefaultStayKey, "0"}, {P::PurgeLimitKey, "1"}, {P::Track2StringKey, "95N"}}, P::PurgeLimitKey, -31161},
    };
    for (const auto &row : rows) {
        QHash<P::Key, QString> entered = good;
        entered.insert(row.typed);
        const std::optional<SettingsRefusal> refusal = CheckSettings(entered, stored);
        const QString what = row.typed.isEmpty() ? QString() : row.typed.begin().value();
        if (row.key < 0) {
            EXPECT_FALSE(refusal.has_value()) << qPrintable(what);
            continue;
        }
        ASSERT_TRUE(refusal.has_value()) << qPrintable(what);
        EXPECT_EQ(refusal->key, row.key) << qPrintable(what);
        EXPECT_EQ(refusal->message, row.message) << qPrintable(what);
    }
}

} // namespace
