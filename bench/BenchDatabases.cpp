#include "BenchDatabases.h"

#include "ostrelle-db/BulkFill.h"
#include "ostrelle-db/DbTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUrl>

namespace BenchDatabases {
namespace {

constexpr const char *kReadyMark = "ostrelle bench: filled";

QString baseName(const Size &size)
{
    return QStringLiteral("lists_%1_%2").arg(size.cards).arg(size.events);
}

bool fill(RecordDatabase &db, const Size &size, const TextResources &texts, double &seconds, QString &error)
{
    QTextStream out(stdout);
    QElapsedTimer timer;
    timer.start();
    if (!DbTool::createDemo(db, texts, FillOptions{}, error))
        return false;
    FillOptions options;
    options.cards = size.cards;
    options.events = size.events;
    options.years = HistoryYears;
    options.endTime = HistoryEnd;
    options.seed = 2024;
    options.progress = [&out](const QString &line) {
        out << "    " << line << "\n";
        out.flush();
    };
    FillResult result;
    if (!FillDatabase(db, options, result, error))
        return false;
    seconds = static_cast<double>(timer.elapsed()) / 1000.0;
    out << QStringLiteral("  filled in %1 s: %2 cards/s, %3 events/s\n")
               .arg(seconds, 0, 'f', 1)
               .arg(result.cardSeconds > 0 ? static_cast<double>(result.cards) / result.cardSeconds : 0, 0, 'f', 0)
               .arg(result.eventSeconds > 0 ? static_cast<double>(result.events) / result.eventSeconds : 0, 0, 'f', 0);
    out.flush();
    return true;
}

bool open(Prepared &out, QString &error)
{
    out.db = std::make_unique<RecordDatabase>();
    out.db->setComputerName(QStringLiteral("BENCH"));
    if (!out.db->open(out.connection)) {
        error = QStringLiteral("cannot open %1: %2").arg(out.connection, out.db->errorText());
        return false;
    }
    return true;
}

// A database filled by an earlier build: brought up to this build's schema (the fill is kept).
bool openCached(Prepared &out, QString &error)
{
    if (!open(out, error))
        return false;
    const int version = out.db->schemaVersion();
    if (version >= 0 && version < RecordDatabase::currentSchemaVersion()) {
        QTextStream(stdout) << "  upgrading the cached database from schema version " << version << "\n";
        if (!out.db->upgradeSchema()) {
            error = QStringLiteral("cannot upgrade %1: %2").arg(out.connection, out.db->errorText());
            return false;
        }
    }
    return true;
}

} // namespace

bool prepareSqlite(const QString &dataDir, const Size &size, const TextResources &texts, Prepared &out, QString &error)
{
    if (!QDir().mkpath(dataDir)) {
        error = QStringLiteral("cannot create %1").arg(dataDir);
        return false;
    }
    const QString path = QDir(dataDir).filePath(baseName(size) + QStringLiteral(".db"));
    const QString ready = path + QStringLiteral(".ready");
    out.connection = QStringLiteral("sqlite:") + path;
    out.clientTarget = path;
    if (QFile::exists(ready) && QFile::exists(path))
        return openCached(out, error);
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
    if (!open(out, error) || !fill(*out.db, size, texts, out.fillSeconds, error))
        return false;
    QFile mark(ready);
    if (!mark.open(QIODevice::WriteOnly) || mark.write(kReadyMark) < 0) {
        error = QStringLiteral("cannot write %1").arg(ready);
        return false;
    }
    out.filled = true;
    return true;
}

bool preparePostgres(const QString &server, const Size &size, const TextResources &texts, Prepared &out, QString &error)
{
    RecordDatabase admin;
    if (!admin.open(server)) {
        error = QStringLiteral("cannot reach %1: %2").arg(server, admin.errorText());
        return false;
    }
    const QString name = QStringLiteral("ostrelle_bench_") + baseName(size);
    QUrl url(server);
    url.setPath(QLatin1Char('/') + name);
    out.connection = url.toString();
    out.clientTarget = out.connection;

    QSqlQuery q(admin.sqlDatabase());
    q.prepare(QStringLiteral("SELECT shobj_description(oid, 'pg_database') FROM pg_database WHERE datname = ?"));
    q.addBindValue(name);
    if (!q.exec()) {
        error = q.lastError().text();
        return false;
    }
    const bool exists = q.next();
    if (exists && q.value(0).toString() == QLatin1String(kReadyMark))
        return openCached(out, error);
    // The database names only digits and letters of ours: safe to write into the statements.
    if ((exists && !q.exec(QStringLiteral("DROP DATABASE \"%1\" WITH (FORCE)").arg(name))) ||
        !q.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name))) {
        error = q.lastError().text();
        return false;
    }
    if (!open(out, error) || !fill(*out.db, size, texts, out.fillSeconds, error))
        return false;
    if (!q.exec(QStringLiteral("COMMENT ON DATABASE \"%1\" IS '%2'").arg(name, QLatin1String(kReadyMark)))) {
        error = q.lastError().text();
        return false;
    }
    out.filled = true;
    return true;
}

qint64 envCount(const char *name, qint64 fallback)
{
    bool ok = false;
    const qint64 v = qEnvironmentVariable(name).toLongLong(&ok);
    return ok && v >= 0 ? v : fallback;
}

QString postgresServer(QString &note)
{
    for (const char *name : {"OSTRELLE_BENCH_PG", "OSTRELLE_TEST_PG"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return qEnvironmentVariable(name);
    }
    QProcess start;
    start.start(QStringLiteral("bash"), {QStringLiteral(OSTRELLE_SOURCE_DIR "/scripts/pg-start.sh"),
                                         QStringLiteral("/tmp/pg-bench"), QStringLiteral("54350")});
    start.waitForFinished(120000);
    if (start.exitCode() != 0) {
        note = QString::fromLocal8Bit(start.readAllStandardError()).trimmed();
        return QString();
    }
    note = QStringLiteral("started with scripts/pg-start.sh /tmp/pg-bench 54350");
    return QString::fromLocal8Bit(start.readAllStandardOutput()).trimmed();
}

} // namespace BenchDatabases
