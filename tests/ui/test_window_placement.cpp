#include "TempHives.h"
#include "TestFiles.h"
#include "texts/Texts.h"
#include "ui/RegistryError.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QHeaderView>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>
#include <QWidget>

#include <cerrno>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using Hive = RegistryStore::Hive;
using Value = RegistryStore::Value;

// Records every box instead of showing it.
struct RecordedBoxes
{
    struct Box
    {
        QString text;
        DialogStyle style;
        QString title;
        QStringList buttons;
    };
    std::vector<Box> boxes;

    MessageDialogFn fn()
    {
        return [this](const QString &text, DialogStyle style, const QString &title, const QStringList &buttons) {
            boxes.push_back({text, style, title, buttons});
            return 0;
        };
    }
};

QStringList storedNames(const TempHives &hives, Hive hive = Hive::CurrentUser)
{
    RegistryStore fresh(hives.currentUserFile, hives.localMachineFile);
    QStringList names;
    fresh.valueNames(hive, kSettingsKey, names);
    return names;
}

std::optional<uint32_t> storedNumber(const TempHives &hives, const QString &name)
{
    RegistryStore fresh(hives.currentUserFile, hives.localMachineFile);
    Value value;
    if (fresh.queryValue(Hive::CurrentUser, kSettingsKey, name, value) != 0 ||
        value.type != RegistryStore::ValueType::DWord)
        return std::nullopt;
    return value.number;
}

TEST(Twips, FifteenPerPixelAtNinetySixDpi)
{
    EXPECT_DOUBLE_EQ(twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(twipsPerPixel(120), 12.0);
    EXPECT_EQ(pixelsToTwips(376, 15.0), 5640);
    EXPECT_EQ(twipsToPixels(3765, 15.0), 251);
    EXPECT_EQ(twipsToPixels(3765, 12.0), 314); // 313.75 rounds up
}

TEST(WindowPlacement, RestoreClampsToTheScreen)
{
    QWidget probe;
    const QRect screen = probe.screen()->availableGeometry();
    const double tppX = twipsPerPixelX(&probe);
    const double tppY = twipsPerPixelY(&probe);
    const int32_t screenW = pixelsToTwips(screen.width(), tppX);
    const int32_t screenH = pixelsToTwips(screen.height(), tppY);
    const int32_t lastLeft = pixelsToTwips(screen.width() - 20, tppX);
    const int32_t lastTop = pixelsToTwips(screen.height() - 20, tppY);

    struct Case
    {
        const char *name;
        std::optional<int32_t> left, top, width, height; // stored, twips
        QRect expected;                                  // pixels
    };
    const Case cases[] = {
        {"nothing stored: defaults at the origin", {}, {}, {}, {}, QRect(0, 0, 200, 100)},
        {"in range kept", 1500, 750, 4500, 3000, QRect(100, 50, 300, 200)},
        {"left on a vanished monitor", lastLeft + 15, 750, 4500, 3000, QRect(0, 50, 300, 200)},
        {"top on a vanished monitor", 1500, lastTop + 15, 4500, 3000, QRect(100, 0, 300, 200)},
        {"last position still on screen", lastLeft, lastTop, 4500, 3000,
         QRect(screen.width() - 20, screen.height() - 20, 300, 200)},
        {"larger than the screen", 0, 0, screenW + 1500, screenH + 15, QRect(0, 0, screen.width(), screen.height())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempHives hives;
        const std::pair<const char *, std::optional<int32_t>> values[] = {
            {"Left", c.left}, {"Top", c.top}, {"Width", c.width}, {"Height", c.height}};
        for (const auto &[suffix, value] : values) {
            if (value)
                hives.setUser(QStringLiteral("dlgTest") + QLatin1String(suffix),
                              Value::dword(static_cast<uint32_t>(*value)));
        }
        QWidget window;
        RestoreWindowPlacement(hives.registry, &window, QStringLiteral("dlgTest"), 3000, 1500);
        EXPECT_EQ(QRect(window.pos(), window.size()), c.expected);

        QWidget moved;
        moved.resize(50, 40);
        RestoreWindowPosition(hives.registry, &moved, QStringLiteral("dlgTest"));
        EXPECT_EQ(QRect(moved.pos(), moved.size()), QRect(c.expected.topLeft(), QSize(50, 40)));
    }
}

TEST(WindowPlacement, SaveWritesSizeThenPositionInTwips)
{
    TempHives hives;
    RecordedBoxes boxes;
    QWidget window;
    window.move(10, 20);
    window.resize(300, 200);

    EXPECT_TRUE(SaveWindowPlacement(hives.registry, &window, QStringLiteral("dlgTest"), boxes.fn()));
    EXPECT_EQ(storedNames(hives), (QStringList{QStringLiteral("dlgTestWidth"), QStringLiteral("dlgTestHeight"),
                                               QStringLiteral("dlgTestTop"), QStringLiteral("dlgTestLeft")}));
    EXPECT_EQ(storedNumber(hives, QStringLiteral("dlgTestWidth")), 4500u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("dlgTestHeight")), 3000u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("dlgTestTop")), 300u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("dlgTestLeft")), 150u);

    EXPECT_TRUE(SaveWindowPosition(hives.registry, &window, QStringLiteral("dlgOther"), boxes.fn()));
    EXPECT_EQ(storedNames(hives).mid(4), (QStringList{QStringLiteral("dlgOtherLeft"), QStringLiteral("dlgOtherTop")}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(WindowPlacement, FirstFailedWriteShowsTheRegistryErrorAndStops)
{
    TempHives hives;
    RecordedBoxes boxes;
    hives.store.setWritable(Hive::CurrentUser, false);
    QWidget window;

    EXPECT_FALSE(SaveWindowPlacement(hives.registry, &window, QStringLiteral("dlgTest"), boxes.fn()));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const RecordedBoxes::Box &box = boxes.boxes.front();
    EXPECT_EQ(box.text, QStringLiteral("IEC-4030\r\n\r\n") + SystemErrorText(EACCES));
    EXPECT_EQ(box.style, DialogStyle::Error);
    EXPECT_EQ(box.title, QStringLiteral("Error Message"));
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
    // The machine's hive took the first value before the user's write failed; nothing after it.
    EXPECT_EQ(storedNames(hives, Hive::LocalMachine), QStringList{QStringLiteral("dlgTestWidth")});

    QTreeWidget list;
    list.setColumnCount(3);
    EXPECT_FALSE(SaveColumnWidths(hives.registry, &list, QStringLiteral("tlvTestCol"), boxes.fn()));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST(RegistryErrorBox, UsesTheTextResourcesWhenTheyHaveTheTexts)
{
    TempHives hives;
    TextResources texts;
    useTextFile(texts, hives.dir.filePath(QStringLiteral("texts.rc")),
                "STRINGTABLE\n{\n\tMSG_BASE+0x001L\t\"Fehlermeldung\"\n\t17000\t\"Gut\"\n}\n");
    TextResources::install(&texts);
    int32_t missing = 0;
    EXPECT_FALSE(hives.registry.ReadLong(QStringLiteral("nMissing"), missing));
    RecordedBoxes boxes;
    ShowRegistryError(hives.registry, boxes.fn());
    TextResources::install(nullptr);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes.front().text.startsWith(QStringLiteral("IEC-4020\r\n\r\n")));
    EXPECT_EQ(boxes.boxes.front().title, QStringLiteral("Fehlermeldung"));
    EXPECT_EQ(boxes.boxes.front().buttons, QStringList{QStringLiteral("Gut")});
}

TEST(ColumnWidths, StoredInTwipsAndNumberedFromOne)
{
    TempHives hives;
    hives.setUser(QStringLiteral("tlvTestCol1"), Value::dword(1500));
    hives.setUser(QStringLiteral("tlvTestCol3"), Value::dword(3000));
    hives.setUser(QStringLiteral("tlvTestCol0"), Value::dword(4500)); // not a column number

    QTreeWidget list;
    list.setColumnCount(3);
    list.setColumnWidth(1, 77);
    RestoreColumnWidths(hives.registry, &list, QStringLiteral("tlvTestCol"));
    EXPECT_EQ(list.columnWidth(0), 100);
    EXPECT_EQ(list.columnWidth(1), 77);
    EXPECT_EQ(list.columnWidth(2), 200);

    list.setColumnWidth(1, 40);
    RecordedBoxes boxes;
    EXPECT_TRUE(SaveColumnWidths(hives.registry, &list, QStringLiteral("tlvTestCol"), boxes.fn()));
    EXPECT_EQ(storedNumber(hives, QStringLiteral("tlvTestCol2")), 600u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("tlvTestCol3")), 3000u);
}

TEST(GridLayout, RestoreAppliesValidPositionsAndWidths)
{
    struct Case
    {
        const char *name;
        std::vector<std::pair<const char *, int32_t>> stored;
        int hiddenColumn;        // -1: none
        std::vector<int> visual; // visual index of each column afterwards
        std::vector<int> widths; // section size of each column afterwards
    };
    constexpr int d = 100; // the width every column starts with
    const Case cases[] = {
        {"positions out of range ignored", {{"0Pos", 3}, {"1Pos", 4}, {"2Pos", -1}}, -1, {3, 0, 1, 2}, {d, d, d, d}},
        {"widths out of range ignored",
         {{"0Width", 0}, {"1Width", 10000}, {"2Width", 10001}, {"3Width", -1}},
         -1,
         {0, 1, 2, 3},
         {0, 10000, d, d}},
        {"last visible position keeps 5 pixels",
         {{"0Pos", 3}, {"0Width", 2}, {"1Width", 3}},
         -1,
         {3, 0, 1, 2},
         {5, 3, d, d}},
        {"a hidden last column passes the rule on", {{"2Width", 1}, {"1Width", 1}}, 3, {0, 1, 2, 3}, {d, 1, 5, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempHives hives;
        for (const auto &[suffix, value] : c.stored)
            hives.setUser(QStringLiteral("grdTest") + QLatin1String(suffix),
                          Value::dword(static_cast<uint32_t>(value)));
        QStandardItemModel model(2, 4);
        QTableView table;
        table.setModel(&model);
        table.horizontalHeader()->setStretchLastSection(false);
        for (int column = 0; column < 4; ++column)
            table.setColumnWidth(column, d);
        if (c.hiddenColumn >= 0)
            table.setColumnHidden(c.hiddenColumn, true);

        RestoreGridLayout(hives.registry, &table, QStringLiteral("grdTest"));
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(table.horizontalHeader()->visualIndex(column), c.visual[column]) << "column " << column;
            EXPECT_EQ(table.horizontalHeader()->sectionSize(column), c.widths[column]) << "column " << column;
        }
    }
}

TEST(GridLayout, SaveWritesWidthThenPositionPerColumn)
{
    TempHives hives;
    QStandardItemModel model(1, 2);
    QTableView table;
    table.setModel(&model);
    table.horizontalHeader()->setStretchLastSection(false);
    table.setColumnWidth(0, 60);
    table.setColumnWidth(1, 90);
    table.horizontalHeader()->moveSection(1, 0);

    RecordedBoxes boxes;
    EXPECT_TRUE(SaveGridLayout(hives.registry, &table, QStringLiteral("grdTest"), boxes.fn()));
    EXPECT_EQ(storedNames(hives), (QStringList{QStringLiteral("grdTest0Width"), QStringLiteral("grdTest0Pos"),
                                               QStringLiteral("grdTest1Width"), QStringLiteral("grdTest1Pos")}));
    EXPECT_EQ(storedNumber(hives, QStringLiteral("grdTest0Width")), 60u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("grdTest0Pos")), 1u);
    EXPECT_EQ(storedNumber(hives, QStringLiteral("grdTest1Pos")), 0u);
}

} // namespace
