#include "FindChild.h"
#include "FrameFixture.h"
#include "components/recordtable/RecordDatabase.h"
#include "frame/frmAbout.h"
#include "frame/frmNavWindow.h"
#include "session/Authority.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolBar>

namespace {

constexpr qint32 kTable = Authority::TableRightsBase;
constexpr qint32 kCard = Authority::CardKindBase;

struct Shown
{
    bool visible;
    bool enabled;
};

// An entry of the navigation window's current tab, by caption.
const QListWidgetItem *navEntry(frmMain &frame, const QString &caption)
{
    const auto *list = child<QListWidget>(frame.navWindow(), QStringLiteral("lvwNav"));
    for (int i = 0; list && i < list->count(); ++i) {
        if (list->item(i)->text() == caption)
            return list->item(i);
    }
    return nullptr;
}

TEST_P(FrameTest, DeniedCommandsAreGreyedOrHiddenByTheReferenceTemplate)
{
    // One list per combination of the operator's right and template 1's right.
    struct Row
    {
        const char *item;
        const char *toolButton;
        const char *contextKey;
        int16_t navCaption;
        qint32 table;
        bool operatorHas;
        bool templateOneHas;
    };
    const Row rows[] = {
        {"mnuViewCardList", "TB4", "V1", 16080, 48, false, true},
        {"mnuViewUserList", "TB5", "V2", 16081, 16, false, false},
        {"mnuViewDoorList", "TB6", "V3", 16082, 0, true, false},
        {"mnuViewDoorAreaList", "TB10", "V10", 16083, 384, true, true},
    };
    addOperatorNamed(QStringLiteral("clerk"), 300);
    for (const Row &row : rows) {
        if (row.operatorHas)
            addRight(300, kTable + row.table, 1);
        if (row.templateOneHas)
            addRight(1, kTable + row.table, 1);
    }
    for (bool gray : {true, false}) {
        setFlag(clsSystemParams::GrayIfNotAllowedKey, gray);
        logOn({QStringLiteral("clerk")});
        frame->navWindow()->setCurrentTab(frmNavWindow::ListsTab);
        for (const Row &row : rows) {
            SCOPED_TRACE(std::string(row.item) + (gray ? " greying" : " hiding"));
            const bool visible = row.operatorHas || (gray && row.templateOneHas);
            QAction *item = menuItem(QLatin1String(row.item));
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->isVisible(), visible);
            EXPECT_EQ(item->isEnabled(), row.operatorHas);
            EXPECT_EQ(child<QAction>(frame.get(), QLatin1String(row.toolButton))->isEnabled(), row.operatorHas);
            const QListWidgetItem *entry = navEntry(*frame, GetText(row.navCaption));
            EXPECT_EQ(entry != nullptr, visible);
            if (entry) {
                EXPECT_EQ(bool(entry->flags() & Qt::ItemIsEnabled), row.operatorHas);
            }
            EXPECT_EQ(frame->contextMenu().contains(QLatin1String(row.contextKey)), visible);
            if (visible) {
                EXPECT_EQ(frame->contextMenu().isEnabled(QLatin1String(row.contextKey)), row.operatorHas);
            }
        }
    }
}

TEST_P(FrameTest, ATopLevelMenuWithoutAVisibleItemIsHidden)
{
    addOperatorNamed(QStringLiteral("clerk"), 300);
    setFlag(clsSystemParams::GrayIfNotAllowedKey, true);
    const auto accessMenu = [this] { return topMenu(QStringLiteral("mnuACards")); };

    logOn({QStringLiteral("clerk")});
    EXPECT_FALSE(accessMenu()->isVisible()) << "no card kind for anyone";
    EXPECT_FALSE(frame->contextMenu().contains(QStringLiteral("ACCESS")));
    EXPECT_TRUE(topMenu(QStringLiteral("mnuFile"))->isVisible());

    // Template 1 issues guest cards: the menu shows the greyed guest card alone.
    addRight(1, kCard + 256, 0, 1440);
    logOn({QStringLiteral("clerk")});
    EXPECT_TRUE(accessMenu()->isVisible());
    EXPECT_TRUE(menuItem(QStringLiteral("mnuACardsGuest"))->isVisible());
    EXPECT_FALSE(menuItem(QStringLiteral("mnuACardsGuest"))->isEnabled());
    EXPECT_FALSE(menuItem(QStringLiteral("mnuACardsJoiner"))->isVisible());

    setFlag(clsSystemParams::GrayIfNotAllowedKey, false);
    frame->SetupMenus();
    EXPECT_FALSE(accessMenu()->isVisible()) << "greyed items are hidden without GrayIfNotAllowed";

    // A card kind of the operator's own brings the menu back with that item enabled.
    addRight(300, kCard + 257, 0, 60);
    logOn({QStringLiteral("clerk")});
    EXPECT_TRUE(accessMenu()->isVisible());
    EXPECT_TRUE(menuItem(QStringLiteral("mnuACardsJoiner"))->isEnabled());
    EXPECT_FALSE(menuItem(QStringLiteral("mnuACardsGuest"))->isVisible());
    EXPECT_EQ(frame->contextMenu().keys(QStringLiteral("ACCESS")), QStringList{QStringLiteral("AC2")});
}

// Which templates make which classes is the logon's; here the menu follows a logon and a logoff.
TEST_P(FrameTest, TheOverrideItemFollowsTheOperatorClasses)
{
    addOperatorNamed(QStringLiteral("clerk"), 100);
    addOperatorNamed(QStringLiteral("manager"), 300);
    const auto shown = [this] { return menuItem(QStringLiteral("mnuFileOverride"))->isVisible(); };
    logOn({QStringLiteral("clerk"), QStringLiteral("manager")});
    EXPECT_TRUE(shown());
    logOff(QStringLiteral("manager"));
    EXPECT_FALSE(shown()) << "the last operator of 300-999 logged off";
}

TEST_P(FrameTest, BusyStateShowsTheHourglassAndTheNumberedText)
{
    struct Row
    {
        int16_t state;
        int16_t percent;
        int16_t text;
        const char *suffix;
    };
    const Row rows[] = {
        {5, 40, -31995, " (40%)"}, {5, -1, -31995, ""},         {1, -1, -31998, ""},  {2, 0, -31997, " (0%)"},
        {3, -1, -31999, ""},       {4, 100, -31996, " (100%)"}, {12, -1, -31988, ""},
    };
    const auto *panel = child<QLabel>(frame.get(), QStringLiteral("sbStatusBar/pnlStatus"));
    ASSERT_NE(panel, nullptr);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.state);
        // Code below the frame reaches it through the workstation.
        SetBusyState(ws->session.frame.busy, row.state, row.percent);
        EXPECT_EQ(panel->text(), GetText(row.text) + QLatin1String(row.suffix));
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    frame->SetBusyState(0);
    EXPECT_EQ(panel->text(), GetText(-32000));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one idle state takes the hourglass off";
    frame->hide();
    frame.reset();
    SetBusyState(ws->session.frame.busy, 1);
    EXPECT_NE(QApplication::overrideCursor(), nullptr) << "without the frame the pointer alone shows";
    SetBusyState(ws->session.frame.busy, 0);
}

TEST_P(FrameTest, ClosingAsksThenStoresTheFrameSettings)
{
    frame->show();
    messages->expect(-32512, 1);
    EXPECT_FALSE(frame->close()) << "declined";
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(ws->session.applicationClosing);
    EXPECT_EQ(messages->shown().front().text, FormatText(GetText(-32512), {GetText(15010)}));

    child<QAction>(frame.get(), QStringLiteral("mnuViewToolbar"))->trigger();
    EXPECT_TRUE(frame->findChild<QToolBar *>(QStringLiteral("TB"))->isHidden());
    messages->expect(-32512, 0);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(ws->session.applicationClosing);
    int32_t toolbar = 1;
    ASSERT_TRUE(ws->program.registry.ReadLong(QStringLiteral("fToolbar"), toolbar));
    EXPECT_EQ(toolbar, 0);
    int32_t width = 0;
    EXPECT_TRUE(ws->program.registry.ReadLong(QStringLiteral("dlgMainWidth"), width));
    EXPECT_GT(width, 0);
    EXPECT_TRUE(ws->program.registry.ReadLong(QStringLiteral("dlgNavWinWidth"), width));
}

TEST_P(FrameTest, TheNavigationWindowStaysWhileTheWorkstationKeepsItShown)
{
    frame->show();
    ASSERT_TRUE(frame->navWindow()->isVisible()) << "a first start launches it";
    EXPECT_FALSE(frame->navWindow()->close());
    EXPECT_TRUE(frame->navWindow()->isVisible());
    ws->program.LocalParams.setAlwaysShowNavWindow(false);
    EXPECT_TRUE(frame->navWindow()->close());
    frame->RunCommand(QStringLiteral("V9"));
    EXPECT_TRUE(frame->navWindow()->isVisible()) << "V9 shows it again";
}

TEST_P(FrameTest, TheTitleCarriesThePropertyName)
{
    const QString title = FormatText(GetText(21900), {GetText(15010)});
    setParameter(clsSystemParams::keyName(clsSystemParams::PropertyNameKey), QStringLiteral("Seaside"));
    EXPECT_NE(frame->windowTitle(), title + QStringLiteral(" - Seaside")) << "not before it is asked to";
    ws->session.frame.setApplicationTitle();
    EXPECT_EQ(frame->windowTitle(), title + QStringLiteral(" - Seaside"));
}

TEST_P(FrameTest, MenusCarryTheirShortcuts)
{
    const std::pair<const char *, QKeySequence> rows[] = {
        {"mnuHelpContents", QKeySequence(Qt::Key_F1)},         {"mnuFileLogOn", QKeySequence(Qt::Key_F3)},
        {"mnuFileLogOff", QKeySequence(Qt::Key_F4)},           {"mnuToolsVerifyMagCard", QKeySequence(Qt::Key_F5)},
        {"mnuToolsReadoutsFromHCU", QKeySequence(Qt::Key_F7)}, {"mnuFileExit", QKeySequence()},
    };
    for (const auto &[item, key] : rows)
        EXPECT_EQ(menuItem(QLatin1String(item))->shortcut(), key) << item;
}

// Window-level: the SQL under it is tested on both engines where it is written.
TEST_P(FrameTest, TheAboutBoxNamesWorkstationAndDatabaseAndClosesOnEnterOrEsc)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmAbout about(ws->program, ws->db, frame.get());
        about.show();
        EXPECT_TRUE(child<QLabel>(&about, QStringLiteral("lblWorkstation"))->text().contains(QStringLiteral("WS1")));
        const QString database = child<QLabel>(&about, QStringLiteral("lblDatabase"))->text();
        EXPECT_TRUE(
            database.contains(QStringLiteral("SQLite, schema version %1").arg(RecordDatabase::currentSchemaVersion())))
            << database.toStdString();
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Sqlite, FrameTest, ::testing::Values("sqlite"));

} // namespace
