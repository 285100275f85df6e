#pragma once

#include "components/recordtable/RecordDatabase.h"

#include <QString>

#include <memory>

class TextResources;

// The filled databases the list benchmark runs on, kept between runs: a SQLite file under the
// bench data folder and a database on the PostgreSQL server, both named after their size, and
// marked ready only once the fill has finished (an interrupted fill is thrown away next time).
namespace BenchDatabases {

struct Size
{
    qint64 cards;
    qint64 events;
};

// The end of the generated history: the benchmark's query windows are fixed relative to it, so a
// cached database and a new run always agree.
inline constexpr double HistoryEnd = 45413.5; // 2024-05-01 12:00
inline constexpr double HistoryYears = 5;

struct Prepared
{
    std::unique_ptr<RecordDatabase> db;
    QString connection;   // what RecordDatabase opened
    QString clientTarget; // what sqlite3 / psql are given
    bool filled = false;  // false: taken from the cache
    double fillSeconds = 0;
};

// dataDir: where SQLite files live. Returns false with error set.
bool prepareSqlite(const QString &dataDir, const Size &size, const TextResources &texts, Prepared &out, QString &error);
// server: a postgresql:// URI of a role that may create databases.
bool preparePostgres(const QString &server, const Size &size, const TextResources &texts, Prepared &out,
                     QString &error);

// A count from the environment, or the fallback when it is unset or not a number.
qint64 envCount(const char *name, qint64 fallback);
// The PostgreSQL server named in OSTRELLE_BENCH_PG or OSTRELLE_TEST_PG, else a throwaway one of our
// own; "" when none could be started, with the reason in note.
QString postgresServer(QString &note);

} // namespace BenchDatabases
