#include "DatabaseFixture.h"
#include "ui/grid/ListExport.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ExportTest : public DatabaseTest
{
protected:
    void setUpGrid(RecordGrid &grid)
    {
        ASSERT_TRUE(grid.BindTable(TableId::UserView));
        grid.SetCaptions(QStringLiteral("ID,Surname,Town"));
        ASSERT_TRUE(grid.SetColumns(QStringLiteral("alphaID,surname,city,userID")));
        grid.SetEmptyText(QStringLiteral("?"), QStringLiteral("city"));
        grid.RunQuery(QStringLiteral("userID > ?"), QStringLiteral("alphaID"));
        grid.AddQueryParameter(0);
    }
    QTemporaryDir dir;
};

TEST_P(ExportTest, WritesTitledColumnsTabSeparatedInWindows1252)
{
    addUser(QStringLiteral("A1"), QString::fromUtf8("Müller"));
    addUser(QStringLiteral("A2"), QString::fromUtf8("Zoë “Ωmega” €"));
    RecordGrid grid(db);
    setUpGrid(grid);
    grid.horizontalHeader()->moveSection(1, 0); // the operator put the surname first

    QString offered;
    QString suffix;
    QString error;
    const QString path = dir.filePath(QStringLiteral("users"));
    const auto chooser = [&](QWidget *, const QString &filter, const QString &defaultSuffix) {
        offered = filter;
        suffix = defaultSuffix;
        return path;
    };
    ASSERT_EQ(ExportGrid(grid, chooser, QStringLiteral("List files|*.xls;*.txt"), error), ExportResult::Written)
        << error.toStdString();
    EXPECT_EQ(offered, QStringLiteral("List files (*.xls *.txt)"));
    EXPECT_EQ(suffix, QStringLiteral("xls"));

    QFile file(path + QStringLiteral(".xls"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray expected = "Surname\tID\tTown\r\n"
                                "M\xFCller\tA1\t?\r\n"
                                "Zo\xEB \x93?mega\x94 \x80\tA2\t?\r\n";
    EXPECT_EQ(file.readAll(), expected);
}

// A spreadsheet reads the file: card numbers as shown, dates with the whole year (2031, not 1931).
TEST_P(ExportTest, CardNumbersAsShownAndDatesWithTheWholeYear)
{
    addCard({.registrationNumber = 0x00123 * 256 + 1, .userID = addUser(QStringLiteral("G1")), .expireTime = 48097.5});
    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::CardView));
    grid.SetCaptions(QStringLiteral("No,Expires"));
    ASSERT_TRUE(grid.SetColumns(QStringLiteral("registrationNumber,expireTime")));
    grid.SetCardNumberColumn(QStringLiteral("registrationNumber"));
    grid.SetDateColumn(QStringLiteral("expireTime"));
    grid.RunQuery(QString(), QString());
    QString error;
    const QString path = dir.filePath(QStringLiteral("cards.xls"));
    ASSERT_EQ(ExportGrid(
                  grid, [&](QWidget *, const QString &, const QString &) { return path; }, QString(), error),
              ExportResult::Written)
        << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("No\tExpires\r\n00123\t9/6/2031 12:00 PM\r\n"));
}

TEST_P(ExportTest, ExportsRowsNotYetFetchedAndNothingWhenCancelled)
{
    {
        RecordDatabase::Transaction tx(db);
        for (int i = 0; i < 300; ++i)
            addUser(QStringLiteral("U%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("S"));
        ASSERT_TRUE(tx.commit());
    }
    RecordGrid grid(db);
    setUpGrid(grid);
    ASSERT_EQ(grid.model()->rowCount(), RecordGridModel::kBatchSize);

    QString error;
    const auto cancel = [](QWidget *, const QString &, const QString &) { return QString(); };
    EXPECT_EQ(ExportGrid(grid, cancel, QString(), error), ExportResult::Cancelled);
    EXPECT_EQ(grid.model()->rowCount(), RecordGridModel::kBatchSize);

    const ListTable table = gridTable(grid);
    ASSERT_EQ(table.rows.size(), 300);
    EXPECT_EQ(table.titles, (QStringList{QStringLiteral("ID"), QStringLiteral("Surname"), QStringLiteral("Town")}));
    EXPECT_EQ(table.rows.last(), (QStringList{QStringLiteral("U299"), QStringLiteral("S"), QStringLiteral("?")}));
}

// The file is written from the window's rows; fetching them is tested on every engine in the grid's tests.
INSTANTIATE_TEST_SUITE_P(Sqlite, ExportTest, ::testing::Values("sqlite"));

TEST(Windows1252, EncodesLatin1AndTheHighControlRangeAndReplacesTheRest)
{
    const struct
    {
        const char *utf8;
        QByteArray bytes;
    } cases[] = {
        {"abc", "abc"},
        {"Ærø Straße", "\xC6r\xF8 Stra\xDF"
                       "e"},
        {"€ ‚ … ‰ Š Œ Ž ‘ ’ “ ” • – — ˜ ™ š œ ž Ÿ", "\x80 \x82 \x85 \x89 \x8A \x8C \x8E \x91 \x92 \x93 \x94 \x95 "
                                                    "\x96 \x97 \x98 \x99 \x9A \x9C \x9E \x9F"},
        {"Ω 漢 😀", "? ? ?"},
        {"\xC2\x81", "?"}, // U+0081 has no character in the code page
    };
    for (const auto &c : cases)
        EXPECT_EQ(encodeWindows1252(QString::fromUtf8(c.utf8)), c.bytes) << c.utf8;
}

} // namespace
