#include "DatabaseFixture.h"
#include "ScriptedMessages.h"
#include "ui/PopupMenu.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PrintMenuTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped())
            return;
        addUser(QStringLiteral("M1"), QStringLiteral("Menu"));
        ASSERT_TRUE(grid.BindTable(TableId::UserView));
        grid.SetCaptions(QStringLiteral("ID,Surname"));
        ASSERT_TRUE(grid.SetColumns(QStringLiteral("alphaID,surname")));
        grid.RunQuery(QString(), QString());
        menu.setPrinter([this](RecordGrid &, const QString &title) {
            printed << title;
            return 1;
        });
        menu.setInputBox([this](const InputBoxRequest &request, QString &text) {
            asked = request;
            text = answer;
            return answered;
        });
    }

    RecordGrid grid{db};
    ScriptedMessages messages;
    ListPrintMenu menu{grid, messages, QStringLiteral("Cards")};
    QStringList printed;
    InputBoxRequest asked;
    QString answer;
    bool answered = true;
    QTemporaryDir dir;
};

TEST_P(PrintMenuTest, OffersExportTitledPrintAndPrint)
{
    PopupMenu popup;
    popup.CreateRoot(QString(), QStringLiteral("root"));
    menu.AddItems(popup, QStringLiteral("root"));
    EXPECT_EQ(popup.keys(QStringLiteral("root")),
              (QStringList{QStringLiteral("F"), QStringLiteral("N"), QStringLiteral("P")}));
    EXPECT_FALSE(menu.Run(QStringLiteral("X")));
    EXPECT_TRUE(printed.isEmpty());
}

TEST_P(PrintMenuTest, TitledPrintAsksForAtMost128CharactersAndSkipsAnEmptyOrCancelledTitle)
{
    const struct
    {
        QString answer;
        bool answered;
        QStringList printed;
    } cases[] = {
        {QStringLiteral("Night audit"), true, {QStringLiteral("Night audit")}},
        {QString(), true, {}},
        {QStringLiteral("Ignored"), false, {}},
        {QString(200, QLatin1Char('x')), true, {QString(128, QLatin1Char('x'))}},
    };
    for (const auto &c : cases) {
        printed.clear();
        answer = c.answer;
        answered = c.answered;
        EXPECT_TRUE(menu.Run(QStringLiteral("N")));
        EXPECT_EQ(printed, c.printed) << c.answer.toStdString();
        EXPECT_EQ(asked.maximumLength, 128);
        EXPECT_EQ(asked.defaultText, QStringLiteral("Cards"));
    }
    printed.clear();
    EXPECT_TRUE(menu.Run(QStringLiteral("P")));
    EXPECT_EQ(printed, QStringList{QStringLiteral("Cards")});
}

TEST_P(PrintMenuTest, ExportWritesTheChosenFileAndReportsAFailure)
{
    const QString good = dir.filePath(QStringLiteral("out.xls"));
    menu.setSaveFileChooser([&](QWidget *, const QString &, const QString &) { return good; });
    EXPECT_TRUE(menu.Run(QStringLiteral("F")));
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("ID\tSurname\r\nM1\tMenu\r\n"));

    menu.setSaveFileChooser(
        [&](QWidget *, const QString &, const QString &) { return dir.filePath(QStringLiteral("no/such/out.xls")); });
    messages.expect(-31111);
    EXPECT_TRUE(menu.Run(QStringLiteral("F")));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().request.titleNumber, -32767);
    EXPECT_FALSE(messages.shown().front().request.appendix.isEmpty());
    EXPECT_TRUE(messages.allAnswered());
}

TEST_P(PrintMenuTest, WithoutAPrinterTheListGoesToAPdfAndTheOperatorIsToldWhere)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this computer has a default printer";
    ListPrintMenu direct(grid, messages, QStringLiteral("Cards"));
    direct.setPdfFolder(dir.path());
    direct.setInputBox([](const InputBoxRequest &, QString &text) {
        text = QStringLiteral("Night audit");
        return true;
    });
    QStringList written;
    for (const char *key : {"P", "N"}) {
        SCOPED_TRACE(key);
        messages.clear();
        messages.expect(-29899);
        EXPECT_TRUE(direct.Run(QLatin1String(key)));
        ASSERT_EQ(messages.shown().size(), 1u);
        const MessageRequest &request = messages.shown().front().request;
        ASSERT_EQ(request.arguments.size(), 1);
        const QString path = QDir::fromNativeSeparators(request.arguments.front().toString());
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        QFile pdf(path);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_TRUE(pdf.read(5) == "%PDF-");
        written << path;
    }
    // Two lists printed within the same second keep a file each.
    ASSERT_EQ(written.size(), 2);
    EXPECT_NE(written.front(), written.back());
    EXPECT_TRUE(QFileInfo::exists(written.front()));
    EXPECT_TRUE(messages.allAnswered());
}

// The menu works on the window's rows; the engine plays no part.
INSTANTIATE_TEST_SUITE_P(Sqlite, PrintMenuTest, ::testing::Values("sqlite"));

} // namespace
