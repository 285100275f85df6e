// The list windows' queries through RecordTable, beside the same SQL run by the engine's own
// command-line client. Sizes from OSTRELLE_BENCH_CARDS / OSTRELLE_BENCH_EVENTS (default 1,000,000
// and 5,000,000), repetitions from OSTRELLE_BENCH_REPS (default 5); PostgreSQL from
// OSTRELLE_BENCH_PG or OSTRELLE_TEST_PG, else a throwaway server started with scripts/pg-start.sh.
#include "BenchDatabases.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace {

struct ListQuery
{
    QString name;
    qint32 tableId;
    QString where;
    QVariantList parameters;
    QStringList columns; // what the list window shows, read for every row
};

// Card kinds the search dialogs offer, ascending as the lists write them.
const char *const kCardListKinds = "256,257,258,259,260,261,262,263,264,265,266,267,268,269,271,272,273,275,276,"
                                   "277,278,279";
const char *const kEventListKinds = "256,257,258,259,260,261,266,267,268,273,276";

QList<ListQuery> listQueries()
{
    using OleDate::kEndOfDay;
    const double earliest = OleDate::kEarliestSearchDay;
    const double latest = NoExpiry + kEndOfDay;
    const QString cardWhere = QStringLiteral(
        "issueTime >= ? and issueTime <= ? and startTime >= ? and startTime <= ? and expireTime >= ? and "
        "expireTime <= ? and registrationNumber >= ? and registrationNumber <= ? and mainGuestRoom >= ? "
        "and mainGuestRoom <= ? and %1 and cardNameID in(%2)");
    const QStringList cardColumns = {"registrationNumber",
                                     "status",
                                     "alphaID",
                                     "surname",
                                     "firstname",
                                     "cardName",
                                     "issueTime",
                                     "startTime",
                                     "expireTime",
                                     "cancelTime",
                                     "mainGuestRoom",
                                     "issueOperatorAlphaID",
                                     "cancelOperatorAlphaID",
                                     "numberOfIdenticallyIssuedCards"};
    const double today = std::floor(BenchDatabases::HistoryEnd);
    QList<ListQuery> queries;
    // The search dialog as it opens: valid cards, every offered kind, no other field filled.
    queries.append({QStringLiteral("card list, valid cards"),
                    TableId::CardView,
                    cardWhere.arg(QStringLiteral("status in(1,2,3)"), QLatin1String(kCardListKinds)),
                    {earliest, latest, earliest, latest, earliest, latest, 0, 0x0FFFFFFF, 0, 9999},
                    cardColumns});
    // Every card issued in the last 30 days, whatever its status.
    queries.append({QStringLiteral("card list, issued in 30 days"),
                    TableId::CardView,
                    cardWhere.arg(QStringLiteral("status >= 0 and status <= 5"), QLatin1String(kCardListKinds)),
                    {today - 30, today + kEndOfDay, earliest, latest, earliest, latest, 0, 0x0FFFFFFF, 0, 9999},
                    cardColumns});
    // The widest event search the filter dialog accepts without a door: five days, every kind.
    queries.append({QStringLiteral("event list, 5 days"),
                    TableId::EventView,
                    QStringLiteral("registrationNumber >= ? and registrationNumber <= ? and eventTime >= ? and "
                                   "eventTime <= ? and readoutTime >= ? and readoutTime <= ? and cardNameID in(%1)")
                        .arg(QLatin1String(kEventListKinds)),
                    {0, 0x0FFFFFFF, today - 7, today - 3 + kEndOfDay, earliest, latest},
                    {"doorName", "cardName", "registrationNumber", "eventTime", "eventName", "readoutTime", "alphaID",
                     "surname", "firstname", "repeatFlag"}});
    return queries;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// CPU milliseconds of this process, and of its ended children: on a machine shared with other
// jobs the wall-clock figures wait for the processor, the CPU figures do not.
double ownCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double childrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    const auto ms = [](const timeval &v) { return static_cast<double>(v.tv_sec) * 1e3 + v.tv_usec / 1e3; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

// Reads every row as the list window does; returns the milliseconds and the row count, cpu the
// CPU milliseconds.
double runComponent(RecordDatabase &db, const ListQuery &query, qint64 &rows, double *cpu = nullptr)
{
    const double cpuStart = ownCpuMs();
    QElapsedTimer timer;
    timer.start();
    RecordTable table(db);
    table.SelectTable(query.tableId);
    table.OpenQuery(query.where, QString());
    for (const QVariant &p : query.parameters)
        table.AddParameter(p);
    rows = 0;
    while (table.Status() == RecordStatus::Ok) {
        for (const QString &column : query.columns)
            table.GetField(column);
        ++rows;
        table.MoveNext();
    }
    if (table.Status() != RecordStatus::NoRecord) {
        QTextStream(stderr) << "  " << query.name << ": " << table.ErrorText(table.Status()) << "\n";
        rows = -1;
    }
    table.CloseQuery();
    if (cpu)
        *cpu = ownCpuMs() - cpuStart;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The component's SQL with the parameters written in, for the command-line clients.
QString literalSql(RecordDatabase &db, const ListQuery &query)
{
    RecordTable table(db);
    table.SelectTable(query.tableId);
    const QString sql = table.querySql(query.where, QString(), query.parameters);
    QString out;
    qsizetype next = 0;
    bool quoted = false;
    for (const QChar c : sql) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (c != QLatin1Char('?') || quoted) {
            out += c;
            continue;
        }
        const QVariant v = query.parameters.value(next++);
        out += v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17) : v.toString();
    }
    return out;
}

struct Client
{
    QString program;
    QStringList arguments; // the SQL is appended
};

// Runs the client once; the milliseconds from start to the last byte of output, cpu its CPU
// milliseconds (the server's work, on PostgreSQL, is in neither figure of either side).
double runClient(const Client &client, const QString &sql, qint64 *lines = nullptr, double *cpu = nullptr)
{
    const double cpuStart = childrenCpuMs();
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(client.program, client.arguments + QStringList{sql});
    process.waitForFinished(-1);
    const QByteArray output = process.readAllStandardOutput();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (cpu)
        *cpu = childrenCpuMs() - cpuStart;
    if (process.exitCode() != 0)
        QTextStream(stderr) << "  " << client.program << ": " << process.readAllStandardError() << "\n";
    if (lines)
        *lines = output.count('\n');
    return ms;
}

void bench(const QString &engine, BenchDatabases::Prepared &prepared, const Client &client, int repetitions)
{
    QTextStream out(stdout);
    std::vector<double> startup, startupCpu;
    for (int i = 0; i < repetitions; ++i) {
        double cpu = 0;
        startup.push_back(runClient(client, QStringLiteral("SELECT 1"), nullptr, &cpu));
        startupCpu.push_back(cpu);
    }
    const double start = median(startup), startCpu = median(startupCpu);
    for (const ListQuery &query : listQueries()) {
        const QString sql = literalSql(*prepared.db, query);
        qint64 rows = 0, lines = 0;
        runComponent(*prepared.db, query, rows); // warm the caches for both
        runClient(client, sql, &lines);
        std::vector<double> component, engineTimes, componentCpu, engineCpu;
        for (int i = 0; i < repetitions; ++i) {
            double cpu = 0;
            component.push_back(runComponent(*prepared.db, query, rows, &cpu));
            componentCpu.push_back(cpu);
            engineTimes.push_back(runClient(client, sql, nullptr, &cpu) - start);
            engineCpu.push_back(cpu - startCpu);
        }
        const double c = median(component), e = std::max(0.01, median(engineTimes));
        const double cc = median(componentCpu), ec = std::max(0.01, median(engineCpu));
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %8 %9 %10%7\n")
                   .arg(engine, -11)
                   .arg(query.name, -29)
                   .arg(rows, 8)
                   .arg(c, 12, 'f', 1)
                   .arg(e, 10, 'f', 1)
                   .arg(c / e, 6, 'f', 2)
                   .arg(rows == lines ? QString() : QStringLiteral("  (client printed %1 rows)").arg(lines))
                   .arg(cc, 8, 'f', 1)
                   .arg(ec, 8, 'f', 1)
                   .arg(cc / ec, 6, 'f', 2);
        out.flush();
    }
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(engine, -11)
               .arg(QStringLiteral("(client start-up, subtracted)"), -29)
               .arg(QString(), 8)
               .arg(start, 23, 'f', 1)
               .arg(startCpu, 24, 'f', 1);
}

// psql itself: Debian's /usr/bin/psql is a Perl wrapper that picks a version first, costing about
// 100 ms of CPU per start, whose scatter would swamp the query's own figures.
QString psqlProgram()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList names = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QString program = versions.filePath(*it + QStringLiteral("/bin/psql"));
        if (QFileInfo(program).isExecutable())
            return program;
    }
    return QStringLiteral("psql");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const BenchDatabases::Size size{BenchDatabases::envCount("OSTRELLE_BENCH_CARDS", 1000000),
                                    BenchDatabases::envCount("OSTRELLE_BENCH_EVENTS", 5000000)};
    const int repetitions = static_cast<int>(std::max<qint64>(1, BenchDatabases::envCount("OSTRELLE_BENCH_REPS", 5)));
    const QString dataDir = qEnvironmentVariableIsEmpty("OSTRELLE_BENCH_DATA")
                                ? QStringLiteral(OSTRELLE_SOURCE_DIR "/build/bench-data")
                                : qEnvironmentVariable("OSTRELLE_BENCH_DATA");
    TextResources texts;
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    if (!texts.LoadTextLibrary()) {
        QTextStream(stderr) << "bench_lists: no text library beside the program\n";
        return 1;
    }
    out << "List queries: " << size.cards << " cards, " << size.events << " events, median of " << repetitions
        << " runs, times in ms\n";
    out.flush();

    int failures = 0;
    QString error;
    BenchDatabases::Prepared sqlite;
    out << "SQLite: " << dataDir << "\n";
    out.flush();
    QList<std::pair<QString, std::pair<BenchDatabases::Prepared *, Client>>> runs;
    if (BenchDatabases::prepareSqlite(dataDir, size, texts, sqlite, error)) {
        runs.append({QStringLiteral("SQLite"),
                     {&sqlite,
                      {QStringLiteral("sqlite3"),
                       {QStringLiteral("-batch"), QStringLiteral("-list"), QStringLiteral("-noheader"),
                        sqlite.clientTarget}}}});
    } else {
        QTextStream(stderr) << "bench_lists: SQLite: " << error << "\n";
        ++failures;
    }

    QString note;
    const QString server = BenchDatabases::postgresServer(note);
    BenchDatabases::Prepared postgres;
    if (server.isEmpty()) {
        out << "PostgreSQL: no server (" << note << "); skipped\n";
    } else {
        out << "PostgreSQL: " << server << (note.isEmpty() ? QString() : QStringLiteral(" (") + note + QLatin1Char(')'))
            << "\n";
        out.flush();
        if (BenchDatabases::preparePostgres(server, size, texts, postgres, error)) {
            runs.append({QStringLiteral("PostgreSQL"),
                         {&postgres,
                          {psqlProgram(),
                           {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                            QStringLiteral("-d"), postgres.clientTarget, QStringLiteral("-c")}}}});
        } else {
            QTextStream(stderr) << "bench_lists: PostgreSQL: " << error << "\n";
            ++failures;
        }
    }

    out << QStringLiteral("\n%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("engine"), -11)
               .arg(QStringLiteral("query"), -29)
               .arg(QStringLiteral("rows"), 8)
               .arg(QStringLiteral("RecordTable"), 12)
               .arg(QStringLiteral("client"), 10)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("RT cpu"), 8)
               .arg(QStringLiteral("cl. cpu"), 8)
               .arg(QStringLiteral("ratio"), 6);
    out.flush();
    for (auto &[engine, run] : runs)
        bench(engine, *run.first, run.second, repetitions);
    out << "ratio = RecordTable / the engine's own client (target: at most 1.3); wall-clock ms, then the\n"
           "CPU ms of this process and of the client process (each without the server's work)\n";
    return failures == 0 ? 0 : 1;
}
