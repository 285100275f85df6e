#include "FindChild.h"
#include "TestFiles.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>
#include <memory>

namespace {

// Text 500's text is itself the number 501, so a caption translated twice reads "Twice".
const char *const kTexts = "\t0\t\"Zero\"\n"
                           "\t100\t\"Room list\"\n"
                           "\t101\t\"OK\"\n"
                           "\t102\t\"Print receipt\"\n"
                           "\t103\t\"Close the window\"\n"
                           "\t104\t\"Options\"\n"
                           "\t105\t\"Rooms\"\n"
                           "\t106\t\"All rooms\"\n"
                           "\t107\t\"Room\"\n"
                           "\t110\t\"Search\"\n"
                           "\t111\t\"&File\"\n"
                           "\t112\t\"&Open\"\n"
                           "\t113\t\"E&xit\"\n"
                           "\t114\t\"Ends the program\"\n"
                           "\t115\t\"Recent\"\n"
                           "\t116\t\"Guest card\"\n"
                           "\t117\t\"Wing\"\n"
                           "\t118\t\"Selection\"\n"
                           "\t119\t\"Doors\"\n"
                           "\t120\t\"Tools\"\n"
                           "\t500\t\"501\"\n"
                           "\t501\t\"Twice\"\n"
                           "\t15010\t\"Veltrix Ostrelle\"\n"
                           "\tMSG_BASE+0x105L\t\"Message\"\n";

class FormTextsTest : public ::testing::Test
{
protected:
    void SetUp() override { useTextFile(m_texts, m_dir.filePath(QStringLiteral("texts.rc")), kTexts); }

    template <typename T> T *add(QWidget *parent, const char *name, const QString &caption = {})
    {
        auto *widget = new T(parent);
        widget->setObjectName(QLatin1String(name));
        if constexpr (std::is_base_of_v<QLabel, T> || std::is_base_of_v<QAbstractButton, T>)
            widget->setText(caption);
        if (parent && parent->layout())
            parent->layout()->addWidget(widget);
        return widget;
    }

    QTemporaryDir m_dir;
    TextResources m_texts;
};

TEST_F(FormTextsTest, ReplacesTheNumbersOfEveryKindOfControl)
{
    QDialog window;
    window.setObjectName(QStringLiteral("frmTest"));
    window.setWindowTitle(QStringLiteral("15010"));
    new QVBoxLayout(&window);

    // Labels take any number; other captions only numbers from 1 up.
    add<QLabel>(&window, "lblTitle", QStringLiteral("100"));
    add<QLabel>(&window, "lblZero", QStringLiteral("0"));
    add<QLabel>(&window, "lblMessage", QStringLiteral("-32507"));
    add<QLabel>(&window, "lblAbsent", QStringLiteral("23400"));
    add<QLabel>(&window, "lblWord", QStringLiteral("Room"));
    add<QLabel>(&window, "lblMixed", QStringLiteral("12a"));
    add<QLabel>(&window, "lblTooLarge", QStringLiteral("40000"));
    add<QLabel>(&window, "lblFraction", QStringLiteral("101.5"));
    add<QLabel>(&window, "lblSpaced", QStringLiteral(" 101 "));
    add<QPushButton>(&window, "cmdOK", QStringLiteral("101"))->setToolTip(QStringLiteral("103"));
    add<QPushButton>(&window, "cmdZero", QStringLiteral("0"))->setToolTip(QStringLiteral("0"));
    add<QPushButton>(&window, "cmdWord", QStringLiteral("Close"))->setToolTip(QStringLiteral("Close it"));
    add<QCheckBox>(&window, "chkPrint", QStringLiteral("102"));
    add<QRadioButton>(&window, "optMessage", QStringLiteral("-32507"))->setToolTip(QStringLiteral("-32507"));
    add<QLabel>(&window, "lblTipped", QStringLiteral("Room"))->setToolTip(QStringLiteral("106"));

    auto *group = add<QGroupBox>(&window, "fraOptions");
    group->setTitle(QStringLiteral("104"));
    auto *groupZero = add<QGroupBox>(&window, "fraZero");
    groupZero->setTitle(QStringLiteral("0"));
    add<QLineEdit>(&window, "txtSearch")->setPlaceholderText(QStringLiteral("110"));

    auto *tabs = add<QTabWidget>(&window, "tabMain");
    tabs->addTab(new QWidget, QStringLiteral("105"));
    tabs->addTab(new QWidget, QStringLiteral("0"));
    tabs->addTab(new QWidget, QStringLiteral("500"));
    tabs->setTabToolTip(0, QStringLiteral("106"));
    tabs->setTabToolTip(1, QStringLiteral("-32507"));

    auto *tree = add<QTreeWidget>(&window, "tlvRooms");
    tree->setHeaderLabels({QStringLiteral("107"), QStringLiteral("Name"), QStringLiteral("0"), QStringLiteral("500")});

    // One model in two views: its headers are translated once.
    auto *model = new QStandardItemModel(0, 2, &window);
    model->setHorizontalHeaderLabels({QStringLiteral("500"), QStringLiteral("117")});
    add<QTreeView>(&window, "tvwDoors")->setModel(model);
    add<QTableView>(&window, "lvwDoors")->setModel(model);

    // A menu bar with a menu that is no child of the window, and an action shared with a tool bar.
    auto *menuBar = add<QMenuBar>(&window, "mnuBar");
    QMenu *file = menuBar->addMenu(QStringLiteral("111"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *open = file->addAction(QStringLiteral("112"));
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("113"));
    exit->setToolTip(QStringLiteral("114"));
    QAction *shared = file->addAction(QStringLiteral("500"));
    QAction *zero = file->addAction(QStringLiteral("0"));
    auto recent = std::make_unique<QMenu>(QStringLiteral("115"));
    QAction *guest = recent->addAction(QStringLiteral("116"));
    file->addMenu(recent.get());
    auto *group2 = new QActionGroup(&window);
    QAction *grouped = group2->addAction(QStringLiteral("118"));

    auto *toolBar = add<QToolBar>(&window, "tbrMain");
    toolBar->addAction(shared);
    toolBar->setWindowTitle(QStringLiteral("120"));
    auto *toolButton = add<QToolButton>(&window, "cmdTool");
    toolButton->setDefaultAction(open);

    // A form of its own inside the window translates itself when it loads.
    auto *inner = new QDialog(&window);
    add<QLabel>(inner, "lblInner", QStringLiteral("100"));

    ApplyFormTexts(&window, m_texts);

    EXPECT_EQ(window.windowTitle(), "Veltrix Ostrelle");
    struct Expect
    {
        const char *name;
        QString text;
    };
    const Expect labels[] = {
        {"lblTitle", "Room list"}, {"lblZero", "Zero"},      {"lblMessage", "Message"},
        {"lblAbsent", "23400"},    {"lblWord", "Room"},      {"lblMixed", "12a"},
        {"lblTooLarge", "40000"},  {"lblFraction", "101.5"}, {"lblSpaced", "OK"},
    };
    for (const Expect &e : labels) {
        if (auto *label = child<QLabel>(&window, QLatin1String(e.name))) {
            EXPECT_EQ(label->text(), e.text) << e.name;
        }
    }
    const Expect buttons[] = {
        {"cmdOK", "OK"},          {"cmdZero", "0"}, {"cmdWord", "Close"}, {"chkPrint", "Print receipt"},
        {"optMessage", "-32507"},
    };
    for (const Expect &e : buttons) {
        if (auto *button = child<QAbstractButton>(&window, QLatin1String(e.name))) {
            EXPECT_EQ(button->text(), e.text) << e.name;
        }
    }
    const Expect toolTips[] = {
        {"cmdOK", "Close the window"}, {"cmdZero", "0"},           {"cmdWord", "Close it"},
        {"optMessage", "-32507"},      {"lblTipped", "All rooms"},
    };
    for (const Expect &e : toolTips) {
        if (auto *widget = child<QWidget>(&window, QLatin1String(e.name))) {
            EXPECT_EQ(widget->toolTip(), e.text) << e.name;
        }
    }
    EXPECT_EQ(group->title(), "Options");
    EXPECT_EQ(groupZero->title(), "0");
    EXPECT_EQ(child<QLineEdit>(&window, QStringLiteral("txtSearch"))->placeholderText(), "Search");

    EXPECT_EQ(tabs->tabText(0), "Rooms");
    EXPECT_EQ(tabs->tabText(1), "Zero") << "tabs take any number";
    EXPECT_EQ(tabs->tabText(2), "501") << "translated once";
    EXPECT_EQ(tabs->tabToolTip(0), "All rooms");
    EXPECT_EQ(tabs->tabToolTip(1), "Message");

    QTreeWidgetItem *header = tree->headerItem();
    EXPECT_EQ(header->text(0), "Room");
    EXPECT_EQ(header->text(1), "Name");
    EXPECT_EQ(header->text(2), "Zero");
    EXPECT_EQ(header->text(3), "501");
    EXPECT_EQ(model->horizontalHeaderItem(0)->text(), "501") << "a shared model once";
    EXPECT_EQ(model->horizontalHeaderItem(1)->text(), "Wing");

    EXPECT_EQ(file->title(), "&File");
    EXPECT_EQ(open->text(), "&Open");
    EXPECT_EQ(toolButton->text(), "Open") << "from its action";
    EXPECT_EQ(exit->text(), "E&xit");
    EXPECT_EQ(exit->toolTip(), "Ends the program");
    EXPECT_EQ(open->toolTip(), "Open") << "no tool tip of its own: the action's text";
    EXPECT_EQ(shared->text(), "501") << "shared by menu and tool bar, translated once";
    EXPECT_EQ(zero->text(), "Zero") << "menu items take any number";
    EXPECT_EQ(recent->title(), "Recent");
    EXPECT_EQ(guest->text(), "Guest card");
    EXPECT_EQ(grouped->text(), "Selection");
    EXPECT_EQ(toolBar->windowTitle(), "Tools");

    EXPECT_EQ(child<QLabel>(inner, QStringLiteral("lblInner"))->text(), "100");
}

TEST_F(FormTextsTest, UsesTheInstalledTexts)
{
    QDialog window;
    window.setWindowTitle(QStringLiteral("15010"));
    auto *label = add<QLabel>(&window, "lblTitle", QStringLiteral("100"));

    ApplyFormTexts(&window);
    EXPECT_EQ(window.windowTitle(), "15010") << "nothing installed";

    TextResources::install(&m_texts);
    ApplyFormTexts(&window);
    TextResources::install(nullptr);
    EXPECT_EQ(window.windowTitle(), "Veltrix Ostrelle");
    EXPECT_EQ(label->text(), "Room list");
}

TEST_F(FormTextsTest, FitCheckBoxWidthMeasuresWithTheWindowsFont)
{
    QDialog window;
    QFont large = window.font();
    large.setPixelSize(30);
    window.setFont(large);
    auto *check = add<QCheckBox>(&window, "chkPrint");
    QFont small = large;
    small.setPixelSize(8);
    check->setFont(small);

    const QFontMetrics metrics(large);
    struct Case
    {
        QString caption;
        int maximum;
        int expected;
    };
    const Case cases[] = {
        {"Print receipt", 10000, metrics.horizontalAdvance(QStringLiteral("Print receipt")) + 22},
        {"&Print receipt", 10000, metrics.horizontalAdvance(QStringLiteral("&Print receipt")) + 16},
        {"Print receipt", 40, 40},
        {"", 10000, 22},
    };
    for (const Case &c : cases) {
        check->setText(c.caption);
        FitCheckBoxWidth(&window, check, c.maximum);
        EXPECT_EQ(check->width(), c.expected) << c.caption.toStdString();
    }
}

} // namespace
