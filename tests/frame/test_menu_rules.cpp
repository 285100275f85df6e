#include "frame/FrameCommands.h"
#include "frame/HelpTopics.h"
#include "frame/MenuRules.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using FrameCommands::Rule;

// Rights as a plain table: the codes the operators hold, and those template 1 holds.
RuleContext contextWith(QSet<int32_t> operatorCodes, QSet<int32_t> referenceCodes)
{
    RuleContext context;
    context.right = [operatorCodes, referenceCodes](Rule, int32_t code, bool reference) {
        return reference ? referenceCodes.contains(code) : operatorCodes.contains(code);
    };
    return context;
}

const FrameCommands::Command &command(const char *name)
{
    const FrameCommands::Command *found = FrameCommands::byName(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    static const FrameCommands::Command none{};
    return found ? *found : none;
}

TEST(MenuRules, SystemParametersTakePartInTheRule)
{
    struct Row
    {
        const char *what;
        const char *item;
        QSet<int32_t> operatorCodes;
        QSet<int32_t> referenceCodes;
        std::function<void(RuleContext &)> parameters;
        bool visible;
        bool enabled;
    };
    const auto none = [](RuleContext &) {};
    // clang-format off
    const Row rows[] = {
        {"verify allowed to everyone", "mnuToolsVerifyMagCard", {}, {}, [](RuleContext &c) { c.allowVerifyMagCard = true; }, true, true},
        {"verify by function 10", "mnuToolsVerifyMagCard", {10}, {}, none, true, true},
        {"verify denied", "mnuToolsVerifyMagCard", {}, {}, none, false, false},
        {"read-outs allowed to everyone", "mnuToolsReadoutsFromHCU", {}, {}, [](RuleContext &c) { c.allowReadFromHCU = true; }, true, true},
        {"verify does not open the read-outs", "mnuToolsReadoutsFromHCU", {}, {}, [](RuleContext &c) { c.allowVerifyMagCard = true; }, false, false},
        {"wing list without wing codes", "mnuViewWingCodeList", {992}, {992}, none, false, false},
        {"wing list with wing codes", "mnuViewWingCodeList", {992}, {}, [](RuleContext &c) { c.wingCodes = true; }, true, true},
        {"new wing greyed", "mnuAddNewWingCode", {}, {992}, [](RuleContext &c) { c.wingCodes = c.grayIfNotAllowed = true; }, true, false},
        {"operator card without operator cards at logon", "mnuFCardsOperator", {270}, {270}, [](RuleContext &c) { c.grayIfNotAllowed = true; }, false, false},
        {"operator card with them", "mnuFCardsOperator", {270}, {}, [](RuleContext &c) { c.needOpCardAtLogon = true; }, true, true},
        {"help without the help files", "mnuHelpContents", {}, {}, none, true, false},
        {"help search with them", "mnuHelpSearch", {}, {}, [](RuleContext &c) { c.helpAvailable = true; }, true, true},
        {"override for templates 300-699", "mnuFileOverride", {}, {}, [](RuleContext &c) { c.operatorClassFlags = 3; }, true, true},
        {"override for templates 700-999", "mnuFileOverride", {}, {}, [](RuleContext &c) { c.operatorClassFlags = 4; }, true, true},
        {"no override for templates 1-299", "mnuFileOverride", {}, {}, [](RuleContext &c) { c.operatorClassFlags = 1; }, false, false},
        {"the log on command is always there", "mnuFileLogOn", {}, {}, none, true, true},
    };
    // clang-format on
    for (const Row &row : rows) {
        RuleContext context = contextWith(row.operatorCodes, row.referenceCodes);
        row.parameters(context);
        const Availability a = Evaluate(command(row.item), context);
        EXPECT_EQ(a.visible, row.visible) << row.what;
        EXPECT_EQ(a.enabled, row.enabled) << row.what;
        EXPECT_TRUE(a.touched) << row.what;
    }
    // The common-area card keeps its layout whatever the rights.
    EXPECT_FALSE(Evaluate(command("mnuACardsCommonArea"), contextWith({274}, {274})).touched);
}

TEST(MenuRules, EveryContextKeyIsUnique)
{
    QSet<QString> seen;
    for (const FrameCommands::Command &c : FrameCommands::all()) {
        const QString key = QLatin1String(c.key);
        EXPECT_TRUE(key.isEmpty() || !seen.contains(key)) << key.toStdString();
        seen.insert(key);
    }
    // Dispatched though not in the menu.
    EXPECT_NE(FrameCommands::byKey(QStringLiteral("AC12")), nullptr);
    EXPECT_NE(FrameCommands::byKey(QStringLiteral("V9")), nullptr);
}

TEST(MenuRules, CardKindsOpenTheirMenuCommands)
{
    struct Row
    {
        int32_t kind;
        const char *item;
    };
    const Row rows[] = {
        {256, "mnuACardsGuest"},         {257, "mnuACardsJoiner"},           {274, "mnuACardsCommonArea"},
        {271, "mnuFCardsCommunication"}, {279, "mnuFCardsClearReadoutList"}, {270, "mnuFCardsOperator"},
        {275, "mnuFCardsSystemID"}};
    for (const Row &row : rows) {
        const FrameCommands::Command *c = FrameCommands::commandForCardKind(row.kind);
        ASSERT_NE(c, nullptr) << row.kind;
        EXPECT_STREQ(c->name, row.item);
    }
    EXPECT_EQ(FrameCommands::commandForCardKind(280), nullptr);
    EXPECT_EQ(FrameCommands::commandForCardKind(0), nullptr);
}

TEST(HelpTopics, ContextNumbersMapToPagesAndAnchors)
{
    struct Row
    {
        int context;
        const char *page;
    };
    const Row rows[] = {
        {1001, "9420Win_cards_access.htm#GuestCard"},
        {1011, "9420Win_cards_access.htm#EmergencyCard"},
        {1012, ""},
        {1100, ""},
        {1101, "9420Win_cards_function.htm#CancelCard"},
        {1110, "9420Win_cards_function.htm#OperatorCard"},
        {1111, ""},
        {1201, "9420Win_lists_card.htm"},
        {1205, "9420Win_lists_access.htm"},
        {1213, "9420Win_reports_vacant.htm"},
        {1214, ""},
        {0, ""},
    };
    for (const Row &row : rows)
        EXPECT_EQ(HelpPageFor(row.context), QLatin1String(row.page)) << row.context;
}

} // namespace
