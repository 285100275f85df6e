#include "DatabaseFixture.h"
#include "ui/grid/ListPrinter.h"
#include "ui/grid/RecordGrid.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The text of each page of a PDF, as pdftotext lays it out.
QStringList pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// "page / pages" on a line of its own; pdftotext may close up the spaces.
bool hasPageNumber(const QString &page, int number, int pages)
{
    const QRegularExpression re(QStringLiteral("(^|\\n)\\s*%1\\s*/\\s*%2\\s*(\\n|$)").arg(number).arg(pages));
    return re.match(page).hasMatch();
}

class PrintTest : public DatabaseTest
{
protected:
    QTemporaryDir dir;
};

TEST_P(PrintTest, EveryPageCarriesTitleColumnTitlesAndItsNumber)
{
    {
        RecordDatabase::Transaction tx(db);
        for (int i = 0; i < 300; ++i)
            addUser(QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')), QString::fromUtf8("Gärtner"));
        ASSERT_TRUE(tx.commit());
    }
    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::UserView));
    grid.SetCaptions(QStringLiteral("Ident,Family name"));
    ASSERT_TRUE(grid.SetColumns(QStringLiteral("alphaID,surname,userID")));
    grid.RunQuery(QStringLiteral("userID > ?"), QStringLiteral("alphaID"));
    grid.AddQueryParameter(0);

    const QString path = dir.filePath(QStringLiteral("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const int pages = PrintGrid(grid, QStringLiteral("Register of users"), printer);
    ASSERT_GT(pages, 1);

    const QStringList text = pdfPages(path);
    ASSERT_EQ(text.size(), pages);
    QStringList rows;
    for (int p = 0; p < pages; ++p) {
        SCOPED_TRACE(p);
        const QString &page = text.at(p);
        EXPECT_TRUE(page.contains(QStringLiteral("Register of users")));
        EXPECT_TRUE(page.contains(QStringLiteral("Ident"))) << page.left(400).toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("Family name")));
        EXPECT_TRUE(hasPageNumber(page, p + 1, pages)) << page.toStdString();
        for (const QString &line : page.split(QLatin1Char('\n'))) {
            const QStringList words = line.simplified().split(QLatin1Char(' '));
            if (words.size() == 2 && words.first().startsWith(QLatin1Char('P'))) {
                EXPECT_EQ(words.last(), QString::fromUtf8("Gärtner"));
                rows << words.first();
            }
        }
    }
    // Every row once, in order, none lost at a page break; the hidden field is not printed.
    ASSERT_EQ(rows.size(), 300);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(rows.at(i), QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')));
}

TEST_P(PrintTest, AnEmptyListPrintsOnePageWithItsHeadings)
{
    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::UserView));
    grid.SetCaptions(QStringLiteral("Ident"));
    ASSERT_TRUE(grid.SetColumns(QStringLiteral("alphaID")));
    grid.RunQuery(QStringLiteral("userID > ?"), QString());
    grid.AddQueryParameter(0);
    const QString path = dir.filePath(QStringLiteral("empty.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    ASSERT_EQ(PrintGrid(grid, QStringLiteral("Nobody"), printer), 1);
    const QStringList text = pdfPages(path);
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text.first().contains(QStringLiteral("Nobody")));
    EXPECT_TRUE(hasPageNumber(text.first(), 1, 1)) << text.first().toStdString();
}

// Pages are laid out from the window's rows; fetching them is tested on every engine in the grid's tests.
INSTANTIATE_TEST_SUITE_P(Sqlite, PrintTest, ::testing::Values("sqlite"));

} // namespace
