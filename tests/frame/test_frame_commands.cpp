#include "FindChild.h"
#include "FrameFixture.h"
#include "RecordingWindow.h"
#include "admin/AdminWindows.h"
#include "cards/CardWindows.h"
#include "components/recordtable/RecordTable.h"
#include "frame/HelpTopics.h"
#include "session/Authority.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/HelpViewer.h"
#include "ui/WindowNumbers.h"
#include "ui/frmHelp.h"
#include "views/CardKindWindows.h"
#include "views/ViewWindows.h"
#include "views/frmCardSearchFilters.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr qint32 kTable = Authority::TableRightsBase;
constexpr qint32 kFunction = Authority::FunctionBase;
constexpr qint32 kCard = Authority::CardKindBase;

class FrameCommandTest : public FrameTest
{
protected:
    // Registers a fake window of the kind; created counts the instances made.
    void registerFake(const QString &kind, bool available = true)
    {
        ws->frameWindows.windows.add(WindowKind<CardWindow>{kind}, [this, kind, available](QWidget *) {
            auto *dialog = new RecordingWindow(kind);
            dialog->available = available;
            ++created[kind];
            last[kind] = dialog;
            return dialog;
        });
    }
    void trigger(const char *item) { menuItem(QLatin1String(item))->trigger(); }
    int subWindows() const { return int(frame->mdiArea()->subWindowList().size()); }
    RecordingWindow *open(const QString &kind) const
    {
        return qobject_cast<RecordingWindow *>(frame->childWindow(kind));
    }

    // The card search: records each showing's mode; answers cancelled or a search of one surname.
    void registerFilter()
    {
        ws->frameWindows.windows.setCardSearch([this](const CardSearchRequest &request, QWidget *) {
            ++filtersShown;
            filterMode = request.preset;
            CardSearchFilters chosen;
            chosen.surname = QStringLiteral("Marlow");
            return filterCancels ? std::nullopt : std::optional<CardSearchFilters>(chosen);
        });
    }

    QHash<QString, int> created;
    QHash<QString, QPointer<RecordingWindow>> last;
    bool filterCancels = true;
    int filtersShown = 0;
    CardSearchPreset filterMode = CardSearchPreset::None;
};

TEST_P(FrameCommandTest, AnOpenDialogIsBroughtForwardAndTheWindowMenuTilesThem)
{
    registerFake(QStringLiteral("frmUserList"));
    registerFake(QStringLiteral("frmDoorList"));
    logOnDesk({{kTable + 16, 1}, {kTable + 0, 1}});
    frame->resize(900, 700);
    frame->show();
    const size_t number = size_t(WindowNumber::of(QStringLiteral("frmUserList")));

    trigger("mnuViewUserList");
    ASSERT_EQ(created.value(QStringLiteral("frmUserList")), 1);
    EXPECT_TRUE(ws->session.openDialogs.test(number));
    QMdiSubWindow *users = frame->mdiArea()->activeSubWindow();
    ASSERT_NE(users, nullptr);
    users->showMinimized();
    trigger("mnuViewDoorList");
    EXPECT_EQ(frame->mdiArea()->activeSubWindow()->widget(), open(QStringLiteral("frmDoorList")));

    trigger("mnuViewUserList");
    EXPECT_EQ(created.value(QStringLiteral("frmUserList")), 1) << "opened a second time";
    EXPECT_FALSE(users->isMinimized()) << "a minimised dialog is restored";
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), users);
    EXPECT_GE(last.value(QStringLiteral("frmUserList"))->count(QStringLiteral("Activate")), 2);

    const QRect space = frame->mdiArea()->viewport()->rect();
    const QList<QMdiSubWindow *> subs = frame->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    trigger("mnuWindowTileHorizontal");
    for (QMdiSubWindow *sub : subs)
        EXPECT_EQ(sub->width(), space.width()) << "one above the other, each as wide as the area";
    EXPECT_LT(subs.at(0)->y(), subs.at(1)->y());
    EXPECT_EQ(subs.at(0)->x(), subs.at(1)->x());

    trigger("mnuWindowTileVertical");
    for (QMdiSubWindow *sub : subs)
        EXPECT_EQ(sub->height(), space.height()) << "side by side, each as high as the area";
    EXPECT_LT(subs.at(0)->x(), subs.at(1)->x());

    users->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ws->session.openDialogs.test(number)) << "unloading clears the flag";
    trigger("mnuViewUserList");
    EXPECT_EQ(created.value(QStringLiteral("frmUserList")), 2);
}

// A list restores its stored placement before the frame shows it; its child window takes it over.
TEST_P(FrameCommandTest, AChildWindowKeepsTheStoredPlacement)
{
    ws->frameWindows.windows.add(WindowKinds::UserList, [](QWidget *) {
        auto *dialog = new RecordingUserList;
        dialog->move(40, 30);
        dialog->resize(500, 300);
        return dialog;
    });
    logOnDesk({{kTable + 16, 1}});
    frame->show();
    trigger("mnuViewUserList");
    QMdiSubWindow *sub = frame->mdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(sub->pos(), QPoint(40, 30));
    EXPECT_EQ(sub->widget()->size(), QSize(500, 300));
}

TEST_P(FrameCommandTest, UnavailableDialogsAndMissingWindowsOpenNothing)
{
    registerFake(QStringLiteral("frmUserList"), false);
    logOnDesk({{kTable + 16, 1}, {kTable + 0, 1}});

    trigger("mnuViewUserList");
    EXPECT_EQ(created.value(QStringLiteral("frmUserList")), 1);
    EXPECT_TRUE(last.value(QStringLiteral("frmUserList")).isNull()) << "the refused instance is unloaded";
    EXPECT_EQ(subWindows(), 0);
    EXPECT_TRUE(messages->shown().empty()) << "the dialog reports why itself";

    // No window of that kind in this program yet.
    messages->expect(-30000);
    trigger("mnuViewDoorList");
    EXPECT_EQ(subWindows(), 0);
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_NE(messages->shown().front().text, QStringLiteral("-30000")) << "the message has a text";
}

TEST_P(FrameCommandTest, AKindWithAnInstanceOpensOneWindowPerInstance)
{
    registerFake(QStringLiteral("frmCamera"));
    for (const char *kind : {"frmCamera#1", "frmCamera#2", "frmCamera#1"})
        EXPECT_NE(frame->openChild(QLatin1String(kind), {}), nullptr) << kind;
    EXPECT_EQ(created.value(QStringLiteral("frmCamera")), 2);
    EXPECT_EQ(subWindows(), 2);
}

TEST_P(FrameCommandTest, EveryCommandAndStoredCardKindOpensAWindowOfTheProgram)
{
    RegisterAdminWindows(*ws);
    RegisterCardWindows(*ws);
    RegisterViewWindows(*ws);
    const WindowCatalog &catalog = ws->frameWindows.windows;
    for (const FrameCommands::Command &c : FrameCommands::all()) {
        const QString kind = QLatin1String(c.kind);
        if (!kind.isEmpty() && c.action != FrameCommands::Action::About) {
            EXPECT_TRUE(catalog.has(kind)) << c.name << " opens " << c.kind;
        }
        const QString filter = QLatin1String(c.filterKind);
        if (filter == QLatin1String("frmCardSearchFilters")) {
            EXPECT_TRUE(catalog.hasCardSearch()) << c.name;
        } else if (!filter.isEmpty()) {
            // Other lists ask for their filters themselves before the frame shows them.
            FrameChild *list = catalog.create(kind);
            EXPECT_NE(dynamic_cast<SearchFirstWindow *>(list), nullptr) << c.name;
            delete WidgetOf(list);
        }
    }
    // The card list opens every stored kind but the reserved 280 in a dialog of its own.
    for (qint32 cardKind = 256; cardKind <= 279; ++cardKind) {
        const QString kind = cardKindWindow(cardKind).kind;
        EXPECT_TRUE(!kind.isEmpty() && catalog.has(kind)) << cardKind;
    }
}

TEST_P(FrameCommandTest, CommandsPassTheirArguments)
{
    for (const char *kind : {"frmGuestCard", "frmFunctionCard", "frmUserData"})
        registerFake(QLatin1String(kind));
    logOnDesk({{kCard + 256, 0, 60}, {kCard + 257, 0, 60}, {kCard + 277, 0, 60}, {kTable + 16, 3}});

    trigger("mnuACardsJoiner");
    RecordingWindow *guest = open(QStringLiteral("frmGuestCard"));
    ASSERT_NE(guest, nullptr);
    trigger("mnuACardsGuest");
    EXPECT_EQ(open(QStringLiteral("frmGuestCard")), guest) << "one guest dialog for both kinds";
    EXPECT_EQ(guest->calls.filter(QStringLiteral("setJoiner")),
              QStringList({QStringLiteral("setJoiner 1"), QStringLiteral("setJoiner 0")}));

    frame->RunCommand(QStringLiteral("FC9"));
    ASSERT_NE(open(QStringLiteral("frmFunctionCard")), nullptr);
    EXPECT_EQ(open(QStringLiteral("frmFunctionCard"))->calls.filter(QStringLiteral("SetFunction")),
              QStringList{QStringLiteral("SetFunction 1")});

    frame->contextMenu().setChooser(
        [](const PopupMenu &, const QString &, const QPoint &) { return QStringLiteral("A1"); });
    frame->showContextMenu(QPoint(10, 10));
    ASSERT_NE(open(QStringLiteral("frmUserData")), nullptr);
    EXPECT_EQ(open(QStringLiteral("frmUserData"))->count(QStringLiteral("NewRecord")), 1) << "Add opens a new record";

    const int before = subWindows();
    frame->RunCommand(QStringLiteral("NOPE"));
    EXPECT_EQ(subWindows(), before);
}

TEST_P(FrameCommandTest, TheContextMenuHoldsTheVisibleCommandsInGroups)
{
    logOnDesk({{kTable + 16, 3}, {kCard + 269, 0, 60}, {kCard + 270, 0, 60}, {kFunction + 10, 0}, {kFunction + 3, 0}});
    const PopupMenu &menu = frame->contextMenu();
    EXPECT_EQ(menu.caption(QStringLiteral("H0")), QStringLiteral("HIDDEN"));
    EXPECT_EQ(menu.keys(QStringLiteral("H0")), QStringList({"VIEW", "ADD", "FUNCTION", "-", "T1", "T4"}));
    EXPECT_EQ(menu.keys(QStringLiteral("VIEW")), QStringList{QStringLiteral("V2")});
    EXPECT_EQ(menu.keys(QStringLiteral("ADD")), QStringList{QStringLiteral("A1")});
    // The operator card needs operator cards at logon as well.
    EXPECT_EQ(menu.keys(QStringLiteral("FUNCTION")), QStringList{QStringLiteral("FC5")});
    setFlag(clsSystemParams::OpCardAtLogonKey, true);
    frame->SetupMenus();
    EXPECT_EQ(frame->contextMenu().keys(QStringLiteral("FUNCTION")), QStringList({"FC5", "FC6"}));
}

TEST_P(FrameCommandTest, TheEventListOpensOnlyAfterItsOwnSearchDialogWasLeftWithOK)
{
    bool given = false;
    ws->frameWindows.windows.add(WindowKinds::EventList, [&given](QWidget *) {
        auto *list = new RecordingWindow(QStringLiteral("frmEventList"));
        list->searchGiven = given;
        return list;
    });
    logOnDesk({{kTable + 64, 1}});
    trigger("mnuViewEventList");
    EXPECT_EQ(subWindows(), 0) << "a cancelled search opens nothing";
    given = true;
    trigger("mnuViewEventList");
    RecordingWindow *list = open(QStringLiteral("frmEventList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->calls.filter(QRegularExpression(QStringLiteral("Search"))),
              QStringList({QStringLiteral("AskSearchFilters"), QStringLiteral("StartSearch")}));
    trigger("mnuViewEventList");
    EXPECT_EQ(list->count(QStringLiteral("AskSearchFilters")), 1) << "an open list is only brought forward";
}

TEST_P(FrameCommandTest, TheCardListOpensThroughItsSearchDialog)
{
    registerFake(QStringLiteral("frmCardList"));
    registerFilter();
    logOnDesk({{kTable + 48, 1}});

    trigger("mnuViewCardList");
    EXPECT_EQ(filtersShown, 1);
    EXPECT_EQ(subWindows(), 0) << "a cancelled search opens nothing";
    filterCancels = false;
    trigger("mnuViewCardList");
    RecordingWindow *list = open(QStringLiteral("frmCardList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->filters.surname, QStringLiteral("Marlow")) << "the list takes the search chosen";
    EXPECT_EQ(filterMode, CardSearchPreset::None);
    EXPECT_EQ(list->count(QStringLiteral("StartSearch")), 1);
    trigger("mnuViewCardList");
    EXPECT_EQ(filtersShown, 2) << "an open list is only brought forward";
    EXPECT_EQ(list->count(QStringLiteral("StartSearch")), 1);

    // Door access asks for the door in the door-access mode, also with the list open, then lists
    // the staff kinds.
    trigger("mnuViewDoorAccess");
    EXPECT_EQ(filterMode, CardSearchPreset::DoorAccess);
    EXPECT_EQ(list->kinds, QList<qint32>({260, 261, 266, 267, 268, 273, 276}));
    EXPECT_EQ(list->count(QStringLiteral("StartSearch")), 2);
    list->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    filterCancels = true;
    trigger("mnuViewDoorAccess");
    EXPECT_EQ(filtersShown, 4);
    EXPECT_EQ(subWindows(), 0) << "a cancelled door search opens nothing";
}

TEST_P(FrameCommandTest, ExpiringCardsAsksForTheDays)
{
    registerFake(QStringLiteral("frmCardList"));
    logOnDesk({{kTable + 48, 1}});
    RecordingWindow *list = nullptr;

    // Cancelling the input box opens nothing.
    frame->setInputBox([](const InputBoxRequest &, QString &) { return false; });
    trigger("mnuViewExpiringCards");
    EXPECT_EQ(subWindows(), 0);

    InputBoxRequest asked;
    frame->setInputBox([&asked](const InputBoxRequest &request, QString &text) {
        asked = request;
        text = QStringLiteral("10");
        return true;
    });
    trigger("mnuViewExpiringCards");
    list = open(QStringLiteral("frmCardList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(asked.defaultText, QStringLiteral("7"));
    EXPECT_EQ(asked.allowedCharacters, QStringLiteral("0123456789"));
    const QList<qint32> expiring = {260, 261, 262, 263, 264, 265, 266, 267, 268,
                                    269, 271, 272, 273, 275, 276, 277, 278, 279};
    EXPECT_EQ(list->kinds, expiring) << "no guest-type kinds, no operator cards without them at logon";
    EXPECT_DOUBLE_EQ(list->filters.expiryTo, 45444.0 + 10) << "today on the server clock plus the days";
    EXPECT_EQ(list->filters.roomTo, 9999);
    EXPECT_EQ(list->count(QStringLiteral("StartSearch")), 1);
}

TEST_P(FrameCommandTest, IncreaseOverrideSetsTheStepOfAllDoors)
{
    addDoor(101, QStringLiteral("101"));
    addDoor(102, QStringLiteral("102"));
    logOnDesk({{kFunction + 19, 0}});
    const auto steps = [this] {
        QList<int> values;
        RecordTable t(db);
        t.SelectTable(TableId::Doors);
        t.OpenQuery(QString(), QStringLiteral("doorID"));
        for (; t.Status() == RecordStatus::Ok; t.MoveNext())
            values << t.GetField(QStringLiteral("overrideIncrement")).toInt();
        return values;
    };
    QString answer;
    frame->setInputBox([&answer](const InputBoxRequest &, QString &text) {
        text = answer;
        return true;
    });
    answer = QStringLiteral("5");
    trigger("mnuToolsIncreaseOverride");
    EXPECT_EQ(steps(), QList<int>({5, 5}));

    for (const char *refused : {"16", "999"}) {
        messages->expect(-31080);
        answer = QLatin1String(refused);
        trigger("mnuToolsIncreaseOverride");
        EXPECT_EQ(steps(), QList<int>({5, 5})) << refused;
    }
    answer.clear();
    trigger("mnuToolsIncreaseOverride");
    EXPECT_EQ(steps(), QList<int>({5, 5}));
    answer = QStringLiteral("015"); // leading zeros keep it a step
    trigger("mnuToolsIncreaseOverride");
    EXPECT_EQ(steps(), QList<int>({15, 15}));
}

TEST_P(FrameCommandTest, HelpOpensThePageOfTheActiveWindow)
{
    frame.reset();
    ws->facts.HelpFilePath = qEnvironmentVariable("OSTRELLE_SOURCE_DIR") + QStringLiteral("/help");
    ws->facts.HelpAvailable = true;
    frame = std::make_unique<frmMain>(ws->program, ws->db, ws->cardServers, ws->session, ws->facts, ws->frameWindows);
    logOnDesk({{kTable + 16, 15}, {kTable + 48, 1}});
    EXPECT_TRUE(menuItem(QStringLiteral("mnuHelpSearch"))->isEnabled());

    trigger("mnuHelpContents");
    ASSERT_NE(frame->helpViewer()->window(), nullptr);
    EXPECT_TRUE(frame->helpViewer()->window()->currentPage().path().endsWith(HelpViewer::ContentsPage));

    // The program's own windows, each active in turn, open their own page.
    RegisterAdminWindows(*ws);
    RegisterCardWindows(*ws);
    RegisterViewWindows(*ws);
    const struct
    {
        const char *kind;
        bool joiner;
        const char *page;
    } windows[] = {
        {"frmCardList", false, "9420Win_lists_card.htm"},
        {"frmCardSearchFilters", false, "9420Win_lists_card.htm"},
        {"frmUserList", false, "9420Win_lists_user.htm"},
        {"frmUserData", false, "9420Win_lists_user.htm"},
        {"frmGuestCard", false, "9420Win_cards_access.htm#GuestCard"},
        {"frmGuestCard", true, "9420Win_cards_access.htm#JoinerCard"},
        {"frmGroupCheckIn", false, "9420Win_cards_access.htm#GuestCard"},
    };
    for (const auto &w : windows) {
        const QString kind = QLatin1String(w.kind);
        QWidget *window = WidgetOf(ws->frameWindows.windows.create(kind));
        if (!window)
            window = kind == QLatin1String("frmCardSearchFilters")
                         ? new frmCardSearchFilters(ws->program, ws->db, ws->session)
                         : ws->frameWindows.windows.createDialog(kind);
        ASSERT_NE(window, nullptr) << w.kind;
        if (w.joiner)
            dynamic_cast<CardWindow *>(window)->setJoiner(true);
        QMdiSubWindow *sub = frame->mdiArea()->addSubWindow(window);
        sub->show();
        frame->mdiArea()->setActiveSubWindow(sub);
        trigger("mnuHelpContents");
        const QUrl page = frame->helpViewer()->window()->currentPage();
        const QString shown = page.fileName() + (page.hasFragment() ? "#" + page.fragment() : QString());
        EXPECT_EQ(shown, QLatin1String(w.page)) << w.kind;
        delete sub;
    }

    // F1 in a modal dialog opens the dialog's page, although the dialog shadows the frame's shortcut.
    frame->helpViewer()->DisplayContents();
    auto *search = new frmCardSearchFilters(ws->program, ws->db, ws->session, frame.get());
    QTimer::singleShot(0, search, [search] {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && search->isAncestorOf(focus) ? focus : search, Qt::Key_F1);
    });
    QPointer<QWidget> helpOwner;
    QTimer::singleShot(0, search, [search, &helpOwner, this] {
        helpOwner = frame->helpViewer()->window()->parentWidget(); // taken while the dialog is open
        search->reject();
    });
    search->exec();
    EXPECT_EQ(frame->helpViewer()->window()->currentPage().fileName(), QLatin1String("9420Win_lists_card.htm"));
    EXPECT_EQ(helpOwner, search) << "a window of the modal dialog's own, which its modality does not block";
    delete search;

    // Every page of the help table is installed.
    for (int context : {1001, 1011, 1101, 1110, 1201, 1205, 1209, 1213}) {
        const QString topic = HelpPageFor(context);
        EXPECT_TRUE(frame->helpViewer()->DisplayTopic(topic).isEmpty()) << topic.toStdString();
    }
}

TEST_P(FrameCommandTest, AMissingHelpPageIsReported)
{
    QTemporaryDir help;
    QFile contents(help.filePath(HelpViewer::ContentsPage));
    ASSERT_TRUE(contents.open(QIODevice::WriteOnly));
    contents.write("<html><body>Contents</body></html>");
    contents.close();
    frame.reset();
    ws->facts.HelpFilePath = help.path();
    ws->facts.HelpAvailable = true;
    frame = std::make_unique<frmMain>(ws->program, ws->db, ws->cardServers, ws->session, ws->facts, ws->frameWindows);
    registerFake(QStringLiteral("frmUserList"));
    logOnDesk({{kTable + 16, 1}});
    trigger("mnuViewUserList");
    open(QStringLiteral("frmUserList"))->helpContext = 1202;
    messages->expect(0);
    trigger("mnuHelpContents");
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(messages->shown().front().request.titleNumber, -32767);
    EXPECT_TRUE(messages->shown().front().text.contains(QStringLiteral("9420Win_lists_user.htm")));
}

// Window-level: the SQL under it is tested on both engines where it is written.
INSTANTIATE_TEST_SUITE_P(Sqlite, FrameCommandTest, ::testing::Values("sqlite"));

} // namespace
