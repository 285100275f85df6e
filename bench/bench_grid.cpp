// The first screens of the card list and of the event list (a 5-day search over the events)
// through RecordGrid in a shown 1280x1024 window (from RunQuery until the rows are in the model and
// painted), beside the same SQL through QSqlQuery reading the same rows; then the process's memory with a card list of
// at most 50,000 rows read completely, each engine in a process of its own. Databases and servers as in bench_lists
// (OSTRELLE_BENCH_CARDS, OSTRELLE_BENCH_EVENTS, OSTRELLE_BENCH_REPS, OSTRELLE_BENCH_DATA, OSTRELLE_BENCH_PG).
#include "BenchDatabases.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "texts/Texts.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/CardListQuery.h"
#include "views/EventListQuery.h"
#include "views/frmEventList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kMaxListRows = 50000; // the most the card search lets through

struct GridQuery
{
    QString name;
    QString where;
    QVariantList parameters;
    qint32 tableId = TableId::CardView;
};

// One frame at 60 Hz: the event list's first screen may take the engine's time plus this.
constexpr double kFrameMs = 16.0;

// Card kinds the search dialog offers and ticks when it opens.
constexpr qint32 kOfferedKinds[] = {256, 258, 259, 266, 269, 263, 260, 271, 267, 268, 275,
                                    257, 262, 264, 265, 272, 261, 273, 276, 277, 278, 279};

// The filters as the search dialog hands them over when it is left with its defaults.
CardSearchFilters defaultSearch()
{
    CardSearchFilters f;
    f.statusGroup = 1;
    f.issueFrom = f.startFrom = f.expiryFrom = OleDate::kEarliestSearchDay;
    f.issueTo = f.startTo = f.expiryTo = NoExpiry;
    // An empty upper registration number binds 0x0FFFFFFF: the last copy of the largest card number
    // (0xFFFFF * 256 + 255). Widening 0x0FFFFFFF itself would not fit the 32-bit column.
    f.registrationFrom = 0;
    f.registrationTo = 0x0FFFFFFF;
    f.roomFrom = 0;
    f.roomTo = 9999;
    for (const qint32 kind : kOfferedKinds)
        f.setKind(kind, true);
    f.kindFilterActive = true;
    return f;
}

GridQuery listQuery(const QString &name, const CardSearchFilters &filters)
{
    const CardListQuery q = buildCardListQuery(filters);
    return {name, q.where, q.parameters};
}

QList<GridQuery> firstScreenQueries()
{
    const double today = std::floor(BenchDatabases::HistoryEnd);
    CardSearchFilters expiring = defaultSearch();
    expiring.expiryFrom = today;
    expiring.expiryTo = today + 30;
    return {listQuery(QStringLiteral("valid cards"), defaultSearch()),
            listQuery(QStringLiteral("expiring in 30 days"), expiring)};
}

// The widest event search the dialog accepts without a door, with every offered kind ticked: five
// whole days (the "to" day bound at its last second), a week before the history's end.
QList<GridQuery> eventQueries()
{
    const double today = std::floor(BenchDatabases::HistoryEnd);
    EventSearchFilters f;
    f.eventFrom = today - 7;
    f.eventTo = today - 3;
    for (const qint32 kind : {256, 258, 259, 266, 260, 267, 268, 257, 276, 261, 273})
        f.setKind(kind, true);
    f.kindFilterActive = true;
    if (isEventSearchTooWide(false, 11, f.eventFrom, f.eventTo))
        return {};
    const ListQuery q = buildEventListQuery(f);
    return {{QStringLiteral("events in 5 days"), q.where, q.parameters, TableId::EventView}};
}

// Every card issued in the last `days` days, whatever its status.
GridQuery issuedWithin(int days)
{
    const double today = std::floor(BenchDatabases::HistoryEnd);
    CardSearchFilters f = defaultSearch();
    f.statusGroup = 0;
    f.issueFrom = today - days;
    f.issueTo = today;
    return listQuery(QStringLiteral("issued in %1 days").arg(days), f);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double fastest(std::vector<double> values)
{
    return *std::min_element(values.begin(), values.end());
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The grid knows when it has drawn rows, the end of the first screen, and how long drawing them took.
class TimedGrid : public RecordGrid
{
public:
    using RecordGrid::RecordGrid;
    bool paintedRows = false;
    double paintMs = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QElapsedTimer timer;
        timer.start();
        RecordGrid::paintEvent(event);
        if (gridModel()->rowCount() > 0 && !paintedRows) {
            paintMs = elapsedMs(timer);
            paintedRows = true;
        }
    }
};

// Set up as the card list sets up its grid.
void setUpCardGrid(RecordGrid &grid, const TextResources &texts)
{
    grid.GridComputerName(QStringLiteral("BENCH"));
    grid.GridOption(false);
    grid.BindTable(TableId::CardView);
    QStringList captions;
    for (int16_t n = 20810; n <= 20823; ++n)
        captions << texts.GetText(n);
    grid.SetCaptions(captions.join(QLatin1Char(',')));
    grid.SetColumns(QStringLiteral("registrationNumber,status,alphaID,surname,firstname,cardName,issueTime,startTime,"
                                   "expireTime,cancelTime,mainGuestRoom,issueOperatorAlphaID,cancelOperatorAlphaID,"
                                   "numberOfIdenticallyIssuedCards"));
    for (int status = 0; status <= 5; ++status)
        grid.SetValueText(QStringLiteral("status"), status, texts.GetText(static_cast<int16_t>(16000 + status)));
    grid.SetValueText(QStringLiteral("mainGuestRoom"), 0, texts.GetText(20804));
    grid.SetEmptyText(texts.GetText(16125), QStringLiteral("cancelOperatorAlphaID"));
    grid.SetValueText(QStringLiteral("expireTime"), NoExpiry, texts.GetText(16131));
    for (const char *field : {"issueTime", "startTime", "expireTime", "cancelTime"})
        grid.SetDateColumn(QLatin1String(field));
    grid.SetCardNumberColumn(QStringLiteral("registrationNumber"));
    grid.SetListText(texts.GetText(20803));
}

// Set up as the event list sets up its grid.
void setUpEventGrid(RecordGrid &grid, const TextResources &texts)
{
    grid.GridComputerName(QStringLiteral("BENCH"));
    grid.BindTable(TableId::EventView);
    QStringList captions;
    for (int16_t n = 21201; n <= 21209; ++n)
        captions << texts.GetText(n);
    grid.SetCaptions(captions.join(QLatin1Char(',')));
    grid.SetColumns(QStringLiteral(
        "doorName,cardName,registrationNumber,eventTime,eventName,readoutTime,alphaID,surname,firstname,repeatFlag"));
    ApplyEventColumnFormats(grid);
    for (const char *field : {"doorName", "cardName", "alphaID", "surname", "firstname"})
        grid.SetEmptyText(texts.GetText(16128), QLatin1String(field));
}

void showWindow(QWidget &window)
{
    window.resize(1280, 1024);
    window.show();
    QElapsedTimer timer;
    timer.start();
    while ((!window.windowHandle() || !window.windowHandle()->isExposed()) && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
}

void waitForPaint(TimedGrid &grid)
{
    QElapsedTimer timer;
    timer.start();
    while (!grid.paintedRows && timer.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct FirstScreen
{
    double filledMs = 0; // RunQuery until the rows are in the model
    double paintMs = 0;  // the view drawing them
};

// RunQuery to painted rows; rows = rows in the model then (-1 when the query failed).
double gridFirstScreen(TimedGrid &grid, const GridQuery &query, int &rows, FirstScreen *parts = nullptr)
{
    grid.ClearGrid();
    QApplication::processEvents();
    grid.paintedRows = false;
    QElapsedTimer timer;
    timer.start();
    grid.RunQuery(query.where, QString());
    for (const QVariant &p : query.parameters)
        grid.AddQueryParameter(p);
    if (parts)
        parts->filledMs = elapsedMs(timer);
    if (grid.gridModel()->status() != 0 || grid.gridModel()->rowCount() == 0) {
        rows = grid.gridModel()->status() != 0 ? -1 : 0;
        return elapsedMs(timer);
    }
    waitForPaint(grid);
    const double ms = elapsedMs(timer);
    rows = grid.gridModel()->rowCount();
    if (parts)
        parts->paintMs = grid.paintMs;
    return ms;
}

QSqlQuery prepared(RecordDatabase &db, const QString &sql, const QVariantList &parameters)
{
    QSqlQuery q(db.sqlDatabase());
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &p : parameters)
        q.addBindValue(p);
    return q;
}

// The same statement straight through the engine's Qt driver, reading every column of `rows` rows.
double engineFirstScreen(RecordDatabase &db, const QString &sql, const QVariantList &parameters, int rows,
                         QString &error)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery q = prepared(db, sql, parameters);
    if (!q.exec()) {
        error = q.lastError().text();
        return 0;
    }
    const int columns = q.record().count();
    for (int n = 0; n < rows && q.next(); ++n)
        for (int c = 0; c < columns; ++c)
            q.value(c);
    q.finish();
    return elapsedMs(timer);
}

QString statementOf(RecordDatabase &db, const GridQuery &query)
{
    RecordTable table(db);
    table.SelectTable(query.tableId);
    return table.querySql(query.where, QString(), query.parameters);
}

qint64 countRows(RecordDatabase &db, const GridQuery &query)
{
    QSqlQuery q =
        prepared(db, QStringLiteral("SELECT COUNT(*) FROM (%1) counted").arg(statementOf(db, query)), query.parameters);
    return q.exec() && q.next() ? q.value(0).toLongLong() : -1;
}

// The widest issue window (in days) whose list stays within the search's limit.
int daysForListLimit(RecordDatabase &db)
{
    int lo = 1, hi = static_cast<int>(BenchDatabases::HistoryYears * 366);
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (countRows(db, issuedWithin(mid)) <= kMaxListRows)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

using GridSetUp = void (*)(RecordGrid &, const TextResources &);

void runFirstScreens(const QString &engine, RecordDatabase &db, const TextResources &texts, int repetitions,
                     GridSetUp setUp, const QList<GridQuery> &queries)
{
    QTextStream out(stdout);
    TimedGrid grid(db);
    setUp(grid, texts);
    showWindow(grid);
    for (const GridQuery &query : queries) {
        const QString sql = statementOf(db, query);
        int rows = 0;
        QString error;
        gridFirstScreen(grid, query, rows); // warm the caches for both
        engineFirstScreen(db, sql, query.parameters, rows, error);
        std::vector<double> gridTimes, filledTimes, paintTimes, engineTimes;
        for (int i = 0; i < repetitions && rows > 0 && error.isEmpty(); ++i) {
            FirstScreen parts;
            gridTimes.push_back(gridFirstScreen(grid, query, rows, &parts));
            filledTimes.push_back(parts.filledMs);
            paintTimes.push_back(parts.paintMs);
            engineTimes.push_back(engineFirstScreen(db, sql, query.parameters, rows, error));
        }
        if (rows <= 0 || !error.isEmpty()) {
            out << QStringLiteral("%1 %2  failed: %3\n")
                       .arg(engine, -11)
                       .arg(query.name, -22)
                       .arg(rows < 0    ? grid.gridModel()->errorText()
                            : rows == 0 ? QStringLiteral("no rows")
                                        : error);
            continue;
        }
        // The median, and the fastest run: on a shared machine the least disturbed one.
        for (const auto &[label, pick] :
             {std::pair{query.name, &median}, std::pair{QStringLiteral("  fastest"), &fastest}}) {
            const double g = pick(gridTimes), e = std::max(0.01, pick(engineTimes)), f = pick(filledTimes);
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n")
                       .arg(engine, -11)
                       .arg(label, -22)
                       .arg(rows, 6)
                       .arg(f, 8, 'f', 1)
                       .arg(pick(paintTimes), 8, 'f', 1)
                       .arg(g, 10, 'f', 1)
                       .arg(e, 10, 'f', 1)
                       .arg(g / e, 6, 'f', 2)
                       .arg(f / e, 7, 'f', 2)
                       .arg(g <= e + kFrameMs ? QStringLiteral("yes") : QStringLiteral("no"), 6);
        }
        out.flush();
    }
}

// kB values of /proc/self/status.
qint64 statusKb(const QByteArray &status, const char *key)
{
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Memory
{
    qint64 rssKb = -1;
    qint64 hwmKb = -1;
};

Memory memoryNow()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray status = file.readAll();
    return {statusKb(status, "VmRSS:"), statusKb(status, "VmHWM:")};
}

// Child mode: the list of `days` days read completely in a shown grid; prints rows and kB.
int measureMemory(const QString &connection, int days, const TextResources &texts)
{
    RecordDatabase db;
    db.setComputerName(QStringLiteral("BENCH"));
    if (!db.open(connection)) {
        QTextStream(stderr) << "cannot open " << connection << ": " << db.errorText() << "\n";
        return 1;
    }
    TimedGrid grid(db);
    setUpCardGrid(grid, texts);
    showWindow(grid);
    const Memory before = memoryNow();
    const GridQuery query = issuedWithin(days);
    grid.RunQuery(query.where, QString());
    for (const QVariant &p : query.parameters)
        grid.AddQueryParameter(p);
    RecordGridModel *model = grid.gridModel();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    grid.scrollToBottom();
    waitForPaint(grid);
    const Memory after = memoryNow();
    if (model->status() != 0) {
        QTextStream(stderr) << model->errorText() << "\n";
        return 1;
    }
    QTextStream(stdout) << model->rowCount() << ' ' << before.rssKb << ' ' << after.rssKb << ' ' << after.hwmKb << "\n";
    return 0;
}

void runMemory(const QString &engine, const BenchDatabases::Prepared &prepared)
{
    QTextStream out(stdout);
    const int days = daysForListLimit(*prepared.db);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), prepared.connection, QString::number(days)});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        out << engine << ": the memory run failed\n";
        return;
    }
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    const auto mb = [&v](int i) { return static_cast<double>(v.value(i).toLongLong()) / 1024.0; };
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(engine, -11)
               .arg(QStringLiteral("issued in %1 days").arg(days), -22)
               .arg(QString::fromLatin1(v.value(0)), 6)
               .arg(mb(1), 12, 'f', 1)
               .arg(mb(2), 10, 'f', 1)
               .arg(mb(3), 10, 'f', 1);
    out.flush();
}

} // namespace

int main(int argc, char **argv)
{
    // Without a display the window is drawn on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    TextResources texts;
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    if (!texts.LoadTextLibrary()) {
        QTextStream(stderr) << "bench_grid: no text library beside the program\n";
        return 1;
    }
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--memory"))
        return measureMemory(args.at(2), args.at(3).toInt(), texts);

    const BenchDatabases::Size size{BenchDatabases::envCount("OSTRELLE_BENCH_CARDS", 1000000),
                                    BenchDatabases::envCount("OSTRELLE_BENCH_EVENTS", 5000000)};
    const int repetitions = static_cast<int>(std::max<qint64>(1, BenchDatabases::envCount("OSTRELLE_BENCH_REPS", 5)));
    const QString dataDir = qEnvironmentVariableIsEmpty("OSTRELLE_BENCH_DATA")
                                ? QStringLiteral(OSTRELLE_SOURCE_DIR "/build/bench-data")
                                : qEnvironmentVariable("OSTRELLE_BENCH_DATA");
    out << "Card and event lists in the grid: " << size.cards << " cards, " << size.events
        << " events, window 1280x1024 on " << QGuiApplication::platformName() << ", median of " << repetitions
        << " runs, times in ms\n";
    out.flush();

    int failures = 0;
    QString error;
    QList<std::pair<QString, BenchDatabases::Prepared *>> runs;
    BenchDatabases::Prepared sqlite;
    if (BenchDatabases::prepareSqlite(dataDir, size, texts, sqlite, error)) {
        runs.append({QStringLiteral("SQLite"), &sqlite});
    } else {
        QTextStream(stderr) << "bench_grid: SQLite: " << error << "\n";
        ++failures;
    }
    QString note;
    const QString server = BenchDatabases::postgresServer(note);
    BenchDatabases::Prepared postgres;
    if (server.isEmpty()) {
        out << "PostgreSQL: no server (" << note << "); skipped\n";
    } else if (BenchDatabases::preparePostgres(server, size, texts, postgres, error)) {
        runs.append({QStringLiteral("PostgreSQL"), &postgres});
    } else {
        QTextStream(stderr) << "bench_grid: PostgreSQL: " << error << "\n";
        ++failures;
    }

    out << QStringLiteral("\n%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n")
               .arg(QStringLiteral("engine"), -11)
               .arg(QStringLiteral("first screen"), -22)
               .arg(QStringLiteral("rows"), 6)
               .arg(QStringLiteral("in model"), 8)
               .arg(QStringLiteral("drawing"), 8)
               .arg(QStringLiteral("painted"), 10)
               .arg(QStringLiteral("QSqlQuery"), 10)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("model/Q"), 7)
               .arg(QStringLiteral("+16ms"), 6);
    out.flush();
    for (const auto &[engine, prepared] : runs) {
        runFirstScreens(engine, *prepared->db, texts, repetitions, &setUpCardGrid, firstScreenQueries());
        runFirstScreens(engine, *prepared->db, texts, repetitions, &setUpEventGrid, eventQueries());
    }
    out << "RecordGrid: from RunQuery until the rows are in the model, the view's drawing of them, and from\n"
           "RunQuery until they are painted; QSqlQuery: the same statement, forward only, reading every column\n"
           "of as many rows; ratio = painted / QSqlQuery (card list target: at most 1.3); model/Q = in model /\n"
           "QSqlQuery (event list target: at most 1.3); +16ms: painted within QSqlQuery plus one 16 ms frame\n";

    out << QStringLiteral("\n%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("engine"), -11)
               .arg(QStringLiteral("whole list"), -22)
               .arg(QStringLiteral("rows"), 6)
               .arg(QStringLiteral("RSS before"), 12)
               .arg(QStringLiteral("RSS after"), 10)
               .arg(QStringLiteral("HWM"), 10);
    out.flush();
    for (const auto &[engine, prepared] : runs)
        runMemory(engine, *prepared);
    out << "MB of a process of its own: the grid shown, then every row of the list read and the last ones\n"
           "painted (target: under 200 MB)\n";
    return failures == 0 ? 0 : 1;
}
