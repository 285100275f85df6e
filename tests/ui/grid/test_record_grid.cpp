#include "DatabaseFixture.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <gtest/gtest.h>

namespace {

const QString kUserFields = QStringLiteral("alphaID,surname,firstname,userID");
const QString kUserCaptions = QStringLiteral("ID,Surname,First name");

class GridTest : public DatabaseTest
{
protected:
    qint32 addHiddenUser(const QString &alphaID, const QString &surname)
    {
        return addUser({.alphaID = alphaID, .surname = surname, .firstname = QStringLiteral("F"), .doNotShow = 1});
    }

    // A grid over every user, set up in the order the list windows use.
    void setUpUsers(RecordGrid &grid, const QString &orderBy = QStringLiteral("surname"))
    {
        grid.GridComputerName(QStringLiteral("DESK1"));
        grid.GridOption(true);
        ASSERT_TRUE(grid.BindTable(TableId::UserView));
        grid.SetCaptions(kUserCaptions);
        ASSERT_TRUE(grid.SetColumns(kUserFields));
        grid.RunQuery(QStringLiteral("userID > ?"), orderBy);
        grid.AddQueryParameter(0);
    }

    QStringList column(const RecordGrid &grid, int col)
    {
        QStringList out;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            out << grid.model()->index(row, col).data().toString();
        return out;
    }
};

TEST_P(GridTest, CaptionsNameTheVisibleColumnsAndTrailingFieldsStayHiddenButReadable)
{
    const qint32 smith = addUser(QStringLiteral("U1"), QStringLiteral("Smith"), QStringLiteral("Anna"));
    addUser(QStringLiteral("U2"), QStringLiteral("Brown"), QStringLiteral("Ben"));
    RecordGrid grid(db);
    setUpUsers(grid);
    ASSERT_EQ(grid.gridModel()->status(), RecordStatus::Ok) << grid.gridModel()->errorText().toStdString();

    ASSERT_EQ(grid.model()->columnCount(), 4);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ID"));
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("First name"));
    EXPECT_FALSE(grid.isColumnHidden(2));
    EXPECT_TRUE(grid.isColumnHidden(3));
    EXPECT_EQ(grid.titledColumnCount(), 3);
    EXPECT_EQ(column(grid, 1), (QStringList{QStringLiteral("Brown"), QStringLiteral("Smith")}));

    EXPECT_FALSE(grid.SelectedValue(QStringLiteral("userID")).isValid());
    grid.selectRow(1);
    EXPECT_EQ(grid.SelectedValue(QStringLiteral("userID")).toInt(), smith);
    EXPECT_EQ(grid.SelectedValue(QStringLiteral("FIRSTNAME")).toString(), QStringLiteral("Anna"));
    EXPECT_FALSE(grid.SelectedValue(QStringLiteral("city")).isValid()); // not a column of the grid
}

TEST_P(GridTest, UnknownViewOrFieldIsRefused)
{
    RecordGrid grid(db);
    EXPECT_FALSE(grid.BindTable(12345));
    ASSERT_TRUE(grid.BindTable(TableId::UserView));
    EXPECT_FALSE(grid.SetColumns(QStringLiteral("alphaID,noSuchField")));
    EXPECT_EQ(grid.model()->columnCount(), 1);
}

TEST_P(GridTest, CardColumnsShowDatesCardNumbersAndDeclaredTexts)
{
    const qint32 user = addUser(QStringLiteral("G1"), QStringLiteral("Guest"), QStringLiteral("Gina"));
    const double lastMinute = 45443.0 + 1439.0 / 1440.0; // 2024-05-31 23:59
    addCard({.registrationNumber = 0x1A05,
             .userID = user,
             .mainGuestRoom = 101,
             .issueTime = 45444.5,
             .expireTime = lastMinute});
    addCard(
        {.registrationNumber = 0xA3F100, .userID = user, .status = 4, .issueTime = 45444.5, .expireTime = NoExpiry});

    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::CardView));
    grid.SetCaptions(QStringLiteral("No,Status,Expires,Room,Cancelled by"));
    ASSERT_TRUE(grid.SetColumns(
        QStringLiteral("registrationNumber,status,expireTime,mainGuestRoom,cancelOperatorAlphaID,issueTime")));
    grid.SetCardNumberColumn(QStringLiteral("registrationNumber"));
    grid.SetDateColumn(QStringLiteral("expireTime"));
    grid.SetDateColumn(QStringLiteral("issueTime"));
    grid.SetValueText(QStringLiteral("status"), 1, QStringLiteral("Valid"));
    grid.SetValueText(QStringLiteral("status"), 4, QStringLiteral("Cancelled"));
    grid.SetValueText(QStringLiteral("mainGuestRoom"), 0, QStringLiteral("none"));
    grid.SetValueText(QStringLiteral("expireTime"), NoExpiry, QStringLiteral("never"));
    grid.SetEmptyText(QStringLiteral("-"), QStringLiteral("cancelOperatorAlphaID"));
    grid.RunQuery(QString(), QStringLiteral("registrationNumber"));
    ASSERT_EQ(grid.model()->rowCount(), 2) << grid.gridModel()->errorText().toStdString();

    EXPECT_EQ(column(grid, 0), (QStringList{QStringLiteral("0001A"), QStringLiteral("0A3F1")}));
    EXPECT_EQ(column(grid, 1), (QStringList{QStringLiteral("Valid"), QStringLiteral("Cancelled")}));
    EXPECT_EQ(column(grid, 2), (QStringList{QStringLiteral("5/31/24 11:59 PM"), QStringLiteral("never")}));
    EXPECT_EQ(column(grid, 3), (QStringList{QStringLiteral("101"), QStringLiteral("none")}));
    EXPECT_EQ(column(grid, 4), (QStringList{QStringLiteral("-"), QStringLiteral("-")}));
    EXPECT_EQ(column(grid, 5), (QStringList{QStringLiteral("6/1/24 12:00 PM"), QStringLiteral("6/1/24 12:00 PM")}));
    EXPECT_TRUE(grid.isColumnHidden(5));
}

TEST_P(GridTest, FlagSuffixFollowsAFlagFieldEvenWhenItIsNoColumn)
{
    addUser(QStringLiteral("A1"), QStringLiteral("Shown"));
    addHiddenUser(QStringLiteral("A2"), QStringLiteral("Made"));
    RecordGrid grid(db);
    grid.SetFlagSuffix(QStringLiteral("surname"), QStringLiteral(" (auto)"), QStringLiteral(" (typed)"),
                       QStringLiteral("doNotShow"));
    setUpUsers(grid);
    EXPECT_EQ(column(grid, 1), (QStringList{QStringLiteral("Made (auto)"), QStringLiteral("Shown (typed)")}));
    EXPECT_EQ(grid.model()->columnCount(), 4); // the flag is read, not shown
}

TEST_P(GridTest, QueryRunsOnceEveryParameterIsInAndFollowsHeaderClicks)
{
    addUser(QStringLiteral("S1"), QStringLiteral("Smith"), QStringLiteral("Cy"));
    addUser(QStringLiteral("S2"), QStringLiteral("Smythe"), QStringLiteral("Al"));
    addUser(QStringLiteral("S3"), QStringLiteral("Jones"), QStringLiteral("Bo"));
    addHiddenUser(QStringLiteral("S4"), QStringLiteral("Smart"));

    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::UserView));
    grid.SetCaptions(kUserCaptions);
    ASSERT_TRUE(grid.SetColumns(kUserFields));
    grid.RunQuery(QStringLiteral("surname like ? and userID > ? and doNotShow = ?"), QStringLiteral("surname desc"));
    grid.AddQueryParameter(QStringLiteral("Sm%"));
    grid.AddQueryParameter(0);
    EXPECT_EQ(grid.model()->rowCount(), 0); // still waiting for the third parameter
    grid.AddQueryParameter(0);
    EXPECT_EQ(column(grid, 1), (QStringList{QStringLiteral("Smythe"), QStringLiteral("Smith")}));
    EXPECT_EQ(grid.RowTotal(), 2);

    emit grid.horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(column(grid, 2), (QStringList{QStringLiteral("Al"), QStringLiteral("Cy")}));
    EXPECT_EQ(grid.gridModel()->orderBy(), QStringLiteral("firstname asc"));
    emit grid.horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(column(grid, 2), (QStringList{QStringLiteral("Cy"), QStringLiteral("Al")}));
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    emit grid.horizontalHeader()->sectionClicked(3); // hidden field: no caption, no sorting
    EXPECT_EQ(grid.gridModel()->orderBy(), QStringLiteral("firstname desc"));

    // A reload keeps the order chosen by the header.
    addUser(QStringLiteral("S5"), QStringLiteral("Smitten"), QStringLiteral("Bea"));
    grid.ReloadGrid();
    EXPECT_EQ(column(grid, 2), (QStringList{QStringLiteral("Cy"), QStringLiteral("Bea"), QStringLiteral("Al")}));
}

TEST_P(GridTest, RefusedQueryLeavesTheGridEmptyWithItsStatus)
{
    addUser(QStringLiteral("X1"));
    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::UserView));
    grid.SetCaptions(kUserCaptions);
    ASSERT_TRUE(grid.SetColumns(kUserFields));
    grid.RunQuery(QStringLiteral("userID > 0; drop table Users"), QString());
    EXPECT_NE(grid.gridModel()->status(), RecordStatus::Ok);
    EXPECT_FALSE(grid.gridModel()->errorText().isEmpty());
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.RowTotal(), 0);
}

TEST_P(GridTest, RowsArriveInBatchesWhileTheTotalIsKnownAtOnce)
{
    {
        RecordDatabase::Transaction tx(db);
        for (int i = 0; i < 600; ++i)
            addUser(QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Bulk"));
        ASSERT_TRUE(tx.commit());
    }
    RecordGrid grid(db);
    setUpUsers(grid, QStringLiteral("alphaID"));
    QAbstractItemModel *model = grid.model();
    EXPECT_EQ(model->rowCount(), RecordGridModel::kBatchSize);
    EXPECT_EQ(grid.RowTotal(), 600);
    EXPECT_TRUE(model->canFetchMore(QModelIndex()));
    model->fetchMore(QModelIndex());
    EXPECT_EQ(model->rowCount(), 2 * RecordGridModel::kBatchSize);
    model->fetchMore(QModelIndex());
    EXPECT_EQ(model->rowCount(), 600);
    EXPECT_FALSE(model->canFetchMore(QModelIndex()));
    EXPECT_EQ(grid.RowTotal(), 600);
    EXPECT_EQ(model->index(599, 0).data().toString(), QStringLiteral("B0599"));
    grid.selectRow(300);
    EXPECT_EQ(grid.SelectedValue(QStringLiteral("alphaID")).toString(), QStringLiteral("B0300"));
}

// The window's own state around queries every engine already runs above: SQLite is enough.
class GridWindowTest : public GridTest
{
};

TEST_P(GridWindowTest, ClearEmptiesAndReloadReadsTheLastQueryAgain)
{
    addUser(QStringLiteral("R1"), QStringLiteral("First"));
    RecordGrid grid(db);
    setUpUsers(grid);
    ASSERT_EQ(grid.RowTotal(), 1);
    grid.selectRow(0);

    grid.ClearGrid();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.RowTotal(), 0);
    EXPECT_FALSE(grid.SelectedValue(QStringLiteral("alphaID")).isValid());

    addUser(QStringLiteral("R2"), QStringLiteral("Second"));
    grid.ReloadGrid();
    EXPECT_EQ(column(grid, 1), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
}

// Storing and restoring the layout is WindowPlacement's; here the grid keeps it over new rows.
TEST_P(GridWindowTest, NewRowsKeepTheOperatorsColumnLayout)
{
    addUser(QStringLiteral("L1"));
    RecordGrid grid(db);
    setUpUsers(grid);
    grid.setColumnWidth(0, 40);
    grid.setColumnWidth(1, 150);
    grid.horizontalHeader()->moveSection(2, 0);

    grid.ReloadGrid();
    emit grid.horizontalHeader()->sectionClicked(1);
    grid.ClearGrid();
    grid.RunQuery(QStringLiteral("userID > ?"), QString());
    grid.AddQueryParameter(0);
    EXPECT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.columnWidth(0), 40);
    EXPECT_EQ(grid.columnWidth(1), 150);
    EXPECT_EQ(grid.horizontalHeader()->visualIndex(2), 0);
    EXPECT_TRUE(grid.isColumnHidden(3));
}

INSTANTIATE_TEST_SUITE_P(Engines, GridTest, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, GridWindowTest, ::testing::Values("sqlite"));

TEST(GridFormat, CardNumbersShowFiveHexDigitsOfTheStoredValueDividedBy256)
{
    const struct
    {
        qint64 stored;
        const char *shown;
    } cases[] = {{0, "00000"}, {0xFF, "00000"}, {0x1A05, "0001A"}, {0xA3F1FF, "0A3F1"}, {0x1ABCDE00, "ABCDE"}};
    for (const auto &c : cases)
        EXPECT_EQ(RecordGridModel::formatCardNumber(c.stored), QString::fromLatin1(c.shown)) << c.stored;
}

TEST(GridFormat, DatesShowShortDateAndTimeWithoutSeconds)
{
    EXPECT_EQ(RecordGridModel::formatDateTime(45444.5), QStringLiteral("6/1/24 12:00 PM"));
    EXPECT_EQ(RecordGridModel::formatDateTime(NoExpiry), QStringLiteral("1/1/36 12:00 AM"));
    // 08:30:59 stays 8:30; 1899-12-29 06:00 is -1.25 as an OLE date.
    EXPECT_EQ(RecordGridModel::formatDateTime(45443.0 + (8 * 3600 + 30 * 60 + 59) / 86400.0),
              QStringLiteral("5/31/24 8:30 AM"));
    EXPECT_EQ(RecordGridModel::formatDateTime(-1.25), QStringLiteral("12/29/99 6:00 AM"));
}

// Exports carry the whole year so a spreadsheet does not put 2031 into 1931; a locale that
// already writes four digits is left alone.
TEST(GridFormat, ExportedDatesCarryTheWholeYear)
{
    const double expiry = 47000.5; // 2028-09-04 12:00
    const double later = 47000.5 + 3 * 365;
    EXPECT_EQ(RecordGridModel::formatDateTime(expiry, RecordGridModel::Years::Full),
              QStringLiteral("9/4/2028 12:00 PM"));
    EXPECT_EQ(RecordGridModel::formatDateTime(later, RecordGridModel::Years::Full),
              QStringLiteral("9/4/2031 12:00 PM"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = RecordGridModel::formatDateTime(expiry, RecordGridModel::Years::Full);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(german, QStringLiteral("04.09.2028 12:00"));
}

} // namespace
