// An exported list opened by a real spreadsheet program: LibreOffice reads the file as Windows-1252
// tab-separated text and writes its cells back out as UTF-8, and every cell must come back.
#include "DatabaseFixture.h"
#include "ui/grid/ListExport.h"
#include "ui/grid/RecordGrid.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Card
{
    qint32 registrationNumber;
    const char *surname; // UTF-8
    const char *firstname;
    qint32 room;
    qint32 copies;
    double issueTime; // whole minutes: the grid shows no seconds
    double expireTime;
    qint32 status;
};

// Every character below is in Windows-1252, so nothing may be lost on the way.
const Card kCards[] = {
    {0x00123 * 256, "Müller", "Jürgen", 101, 1, 45413.0 + 9 * 60 / 1440.0, 45416.0 + 11 * 60 / 1440.0, 1},
    {0x000A1 * 256 + 1, "Éluard", "Zoë", 1205, 2, 45292.0 + 1439 / 1440.0, 45293.0, 2},
    {0x1E500 * 256, "Straßburger", "Œdipe", 7, 1, 45351.5, 45352.5 + 1 / 1440.0, 4},
    {0x00E12 * 256 + 255, "Núñez", "Señor", 0, 3, 45444.0, 45474.25, 1},
    {0x12345 * 256, "Åström", "Øyvind", 9999, 1, 25570.0 + 1 / 1440.0, 47000.0, 5},
    {0xFFFFF * 256, "O'Brien-Šimek", "Ž. €uro ‘Tom’", 42, 1, 46000.75, 46010.0, 3},
};

const char *const kStatusTexts[] = {"Non émis", "Gültig", "Übergeben", "Réservé", "Annulé", "Gelöscht"};

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

QDateTime fromOle(double ole)
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC).addMSecs(std::llround(ole * 86400000.0));
}

// LibreOffice writes a date cell's value as "MM/dd/yyyy HH:mm:ss"; it keeps the time as a fraction of
// a day and may write a minute a hair early (12:01 as 12:00:59).
void expectSameMinute(const QString &cell, double ole)
{
    const QDateTime read = QDateTime::fromString(cell, QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    const QDateTime got(read.date(), read.time(), Qt::UTC);
    const QDateTime want = fromOle(ole);
    EXPECT_TRUE(read.isValid() && std::abs(got.msecsTo(want)) <= 1000)
        << cell.toStdString() << " is not " << want.toString(Qt::ISODate).toStdString();
}

// The CSV LibreOffice writes: tab-separated, a cell with a tab, quote or line break quoted with
// its quotes doubled, lines ending in LF.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"') && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == QLatin1Char('\t')) {
            row << cell;
            cell.clear();
            cellStarted = false;
        } else if (c == QLatin1Char('\n')) {
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            cellStarted = false;
        } else if (c != QLatin1Char('\r')) {
            cell += c;
            cellStarted = true;
        }
    }
    if (cellStarted || !row.isEmpty()) {
        row << cell;
        rows << row;
    }
    return rows;
}

class SpreadsheetTest : public DatabaseTest
{
protected:
    void storeCard(const Card &card)
    {
        const qint32 userId =
            addUser(QStringLiteral("U%1").arg(card.registrationNumber), utf8(card.surname), utf8(card.firstname));
        addCard({.registrationNumber = card.registrationNumber,
                 .userID = userId,
                 .status = card.status,
                 .mainGuestRoom = card.room,
                 .issueTime = card.issueTime,
                 .expireTime = card.expireTime,
                 .copies = card.copies});
    }

    // Converts the exported file with LibreOffice; an empty list with failure set when it cannot.
    QList<QStringList> openInSpreadsheet(const QString &path)
    {
        QString program = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
        if (program.isEmpty())
            program = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (program.isEmpty()) {
            failure = "LibreOffice is not installed (scripts/install-deps.sh installs libreoffice-calc-nogui)";
            return {};
        }
        const QString outDir = dir.filePath(QStringLiteral("csv"));
        // A profile of its own, so the test runs as root and beside other instances.
        const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
        // Import: tab, quote, Windows-1252 (LibreOffice's encoding number 1: "1252" reads Latin-1 and
        // drops the euro sign and the curly quotes), from line 1, the card-number column as text (a
        // spreadsheet drops the zeros of 00123), US English, formulas not evaluated.
        // Export: tab, quote, UTF-8, the cells' values rather than their display format.
        const QStringList arguments = {
            QStringLiteral("-env:UserInstallation=") + profile,
            QStringLiteral("--headless"),
            QStringLiteral("--norestore"),
            QStringLiteral("--infilter=CSV:9,34,1,1,1/2,1033,false,true,false,false,false,0,false"),
            QStringLiteral("--convert-to"),
            QStringLiteral("csv:Text - txt - csv (StarCalc):9,34,76,1,,1033,false,true,false"),
            QStringLiteral("--outdir"),
            outDir,
            path};
        QProcess process;
        process.start(program, arguments);
        // A first start of a fresh profile is slow on a busy machine; a hang still ends.
        if (!process.waitForFinished(240000)) {
            process.kill();
            process.waitForFinished(5000);
            failure = "LibreOffice did not finish within 240 s";
            return {};
        }
        QFile csv(QDir(outDir).filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".csv")));
        if (process.exitCode() != 0 || !csv.open(QIODevice::ReadOnly)) {
            failure = "LibreOffice converted nothing: " + process.readAllStandardOutput().toStdString() +
                      process.readAllStandardError().toStdString();
            return {};
        }
        return parseCsv(QString::fromUtf8(csv.readAll()));
    }

    QTemporaryDir dir;
    std::string failure;
};

TEST_P(SpreadsheetTest, EveryCellComesBackFromLibreOffice)
{
    for (const Card &card : kCards)
        storeCard(card);
    RecordGrid grid(db);
    ASSERT_TRUE(grid.BindTable(TableId::CardView));
    grid.SetCaptions(QStringLiteral("Nº carte,Nom,Prénom,Zimmer,Exemplare,Émise le,Gültig bis,État"));
    ASSERT_TRUE(grid.SetColumns(QStringLiteral("registrationNumber,surname,firstname,mainGuestRoom,"
                                               "numberOfIdenticallyIssuedCards,issueTime,expireTime,status")));
    grid.SetCardNumberColumn(QStringLiteral("registrationNumber"));
    grid.SetDateColumn(QStringLiteral("issueTime"));
    grid.SetDateColumn(QStringLiteral("expireTime"));
    for (int status = 0; status <= 5; ++status)
        grid.SetValueText(QStringLiteral("status"), status, utf8(kStatusTexts[status]));
    grid.RunQuery(QStringLiteral("registrationNumber >= ?"), QStringLiteral("registrationNumber"));
    grid.AddQueryParameter(0);

    const QString path = dir.filePath(QStringLiteral("cards.xls"));
    QString error;
    const auto chooser = [&path](QWidget *, const QString &, const QString &) { return path; };
    ASSERT_EQ(ExportGrid(grid, chooser, QString(), error), ExportResult::Written) << error.toStdString();

    const QList<QStringList> sheet = openInSpreadsheet(path);
    ASSERT_TRUE(failure.empty()) << failure;
    ASSERT_EQ(sheet.size(), 1 + static_cast<qsizetype>(std::size(kCards)));
    EXPECT_EQ(sheet.at(0), (QStringList{utf8("Nº carte"), utf8("Nom"), utf8("Prénom"), utf8("Zimmer"),
                                        utf8("Exemplare"), utf8("Émise le"), utf8("Gültig bis"), utf8("État")}));
    // The rows come in registration-number order.
    QList<Card> cards(std::begin(kCards), std::end(kCards));
    std::sort(cards.begin(), cards.end(),
              [](const Card &a, const Card &b) { return a.registrationNumber < b.registrationNumber; });
    for (qsizetype i = 0; i < cards.size(); ++i) {
        const Card &card = cards.at(i);
        const QStringList &cells = sheet.at(i + 1);
        SCOPED_TRACE(card.surname);
        ASSERT_EQ(cells.size(), 8);
        EXPECT_EQ(cells.at(0),
                  QStringLiteral("%1").arg(card.registrationNumber >> 8, 5, 16, QLatin1Char('0')).toUpper());
        EXPECT_EQ(cells.at(1), utf8(card.surname));
        EXPECT_EQ(cells.at(2), utf8(card.firstname));
        // Numbers come back as the same numbers, dates as the same minute.
        EXPECT_EQ(cells.at(3), QString::number(card.room));
        EXPECT_EQ(cells.at(4), QString::number(card.copies));
        expectSameMinute(cells.at(5), card.issueTime);
        expectSameMinute(cells.at(6), card.expireTime);
        EXPECT_EQ(cells.at(7), utf8(kStatusTexts[card.status]));
    }
}

// The spreadsheet reads the file, not the database: one engine is enough.
INSTANTIATE_TEST_SUITE_P(Sqlite, SpreadsheetTest, ::testing::Values("sqlite"));

} // namespace
