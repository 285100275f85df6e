// Many workstations on one database. Each engine gets a new installation; N processes, each its
// own computer name and virtual encoder, issue M guest cards each through CardsIntf while K more
// save system parameters. Afterwards the rows are checked against the cards put out and the saves:
// no registration number twice, every card with its row and every row with its card, no parameter
// row lost or doubled, each saver's last save kept. Reports wall time and allocations per second.
//
//   bench_workstations [--engine sqlite|postgresql|both] [--processes N] [--cards M]
//                      [--savers K] [--saves S] [--save-pause-ms P] [--poll-ms P] [--write-ms W]
//                      [--keep DIR] [--devices DIR]
//
// Defaults: both engines, OSTRELLE_BENCH_WORKSTATIONS (8) processes of OSTRELLE_BENCH_WORKSTATION_CARDS
// (1000) cards, 4 savers of 100 saves 50 ms apart. PostgreSQL: OSTRELLE_BENCH_PG or
// OSTRELLE_TEST_PG (a database of its own is made there and dropped). Exit code 1 when a check fails.
#include "BenchDatabases.h"
#include "StressWorkstation.h"
#include "components/cardserver/CardImage.h"
#include "components/cardserver/VirtualDeviceFolder.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/DbTool.h"
#include "ostrelle-db/RequiredRows.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <memory>
#include <sodium.h>

namespace {

using namespace StressWorkstation;

struct Options
{
    QString engine = QStringLiteral("both");
    int processes = 8;
    int cards = 1000;
    int savers = 4;
    int saves = 100;
    int savePauseMs = 50;
    int pollMs = 1;
    int writeMs = 0;
    QString keepDir;    // empty: a temporary folder, removed with the databases
    QString devicesDir; // the encoders' folders; empty: in the work folder
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// What the children of one engine's run reported, in the order they were started.
struct Child
{
    bool issuer = true;
    int index = 0;
    std::unique_ptr<QProcess> process;
    Result result;
    QByteArray output;
};

class Installation
{
public:
    Installation(const Options &options, const TextResources &texts) : m_options(options), m_texts(texts) {}

    bool prepare(const QString &connection, const QString &deviceDirectory, QString &error)
    {
        m_connection = connection;
        m_deviceDirectory = deviceDirectory;
        m_db.setComputerName(QStringLiteral("STRESS-SETUP"));
        // The operator's password is checked by every workstation; the cheapest hash will do.
        m_db.setPasswordHashLimits(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
        if (!m_db.open(connection)) {
            error = m_db.errorText();
            return false;
        }
        if (!DbTool::createDatabase(m_db, m_texts, error) ||
            !RequiredRows::addFirstOperator(m_db, QString::fromLatin1(kOperator), QString::fromLatin1(kPassword),
                                            error))
            return false;
        for (int i = 0; i < m_options.processes; ++i) {
            if (!addEncoder(i, error))
                return false;
            for (int r = 0; r < kRoomsPerIssuer; ++r) {
                if (!insert(TableId::Doors,
                            {{Field::doorID, roomBase(i) + r},
                             {Field::doorName, QStringLiteral("Room %1").arg(roomBase(i) + r)},
                             {Field::doorCategory, QStringLiteral("G")}},
                            error))
                    return false;
            }
        }
        return parameterRows(m_parametersBefore, error);
    }

    QString connection() const { return m_connection; }
    RecordDatabase &db() { return m_db; }

    // parameterID -> rows holding it.
    bool parameterRows(QMap<QString, int> &rows, QString &error)
    {
        rows.clear();
        QSqlQuery q(m_db.sqlDatabase());
        if (!q.exec(QStringLiteral("SELECT \"parameterID\", COUNT(*) FROM \"Parameters\" GROUP BY \"parameterID\""))) {
            error = q.lastError().text();
            return false;
        }
        while (q.next())
            rows.insert(q.value(0).toString(), q.value(1).toInt());
        return true;
    }
    const QMap<QString, int> &parametersBefore() const { return m_parametersBefore; }

    QString encoderFolder(int issuer) const
    {
        return QDir(m_deviceDirectory).filePath(QStringLiteral("ws%1").arg(issuer));
    }
    qint32 encoderDevice(int issuer) const { return 1001 + issuer; }
    QString deviceDirectory() const { return m_deviceDirectory; }

private:
    bool insert(qint32 tableId, const QList<std::pair<QString, QVariant>> &fields, QString &error)
    {
        RecordTable t(m_db);
        t.SelectTable(tableId);
        t.UseGivenKey();
        for (const auto &[field, value] : fields)
            t.SetField(field, value);
        t.InsertRecord();
        if (t.Status() == RecordStatus::Ok)
            return true;
        error = t.ErrorText(t.Status());
        return false;
    }

    bool addEncoder(int issuer, QString &error)
    {
        const QString port = QStringLiteral("ws%1").arg(issuer);
        if (!insert(TableId::Devices,
                    {{Field::deviceID, encoderDevice(issuer)},
                     {Field::deviceName, QStringLiteral("Encoder %1").arg(issuer)},
                     {Field::portName, port},
                     {Field::deviceType, 0}},
                    error))
            return false;
        // Auto mode: a blank card is always in the hopper and every written card goes to out/.
        VirtualDeviceFolder folder(encoderFolder(issuer));
        VirtualDeviceFolder::Settings s;
        s.writeMs = m_options.writeMs;
        s.ejectMs = s.readMs = s.setupMs = s.pollMs = 0;
        if (!folder.create(VirtualDeviceFolder::Kind::Encoder) || !folder.writeSettings(s)) {
            error = QStringLiteral("cannot make the encoder folder %1").arg(folder.path());
            return false;
        }
        return true;
    }

    const Options &m_options;
    const TextResources &m_texts;
    RecordDatabase m_db;
    QString m_connection;
    QString m_deviceDirectory;
    QMap<QString, int> m_parametersBefore;
};

// The registration numbers on the cards an encoder put out (and one left in its slot).
struct CardFiles
{
    QList<quint32> numbers; // stored form, one per card file
    int unreadable = 0;
};

CardFiles readCardFiles(const QString &folderPath)
{
    CardFiles files;
    VirtualDeviceFolder folder(folderPath);
    QStringList paths;
    for (const QFileInfo &f : QDir(folder.trayPath()).entryInfoList(QDir::Files))
        paths << f.filePath();
    if (const std::optional<QByteArray> slot = folder.card(); slot && !slot->isEmpty())
        paths << folder.cardPath();
    for (const QString &path : paths) {
        QFile file(path);
        CardImage image;
        if (!file.open(QIODevice::ReadOnly) || CardImage::decode(file.readAll(), image) != 0 ||
            !image.registrationNumber()) {
            ++files.unreadable;
            continue;
        }
        files.numbers << *image.registrationNumber();
    }
    return files;
}

bool queryNumbers(RecordDatabase &db, const QString &sql, const QVariantList &binds, QList<qint64> &values,
                  QString &error)
{
    QSqlQuery q(db.sqlDatabase());
    q.prepare(sql);
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec()) {
        error = q.lastError().text();
        return false;
    }
    values.clear();
    while (q.next())
        values << q.value(0).toLongLong();
    return true;
}

QString rate(double count, double ms)
{
    return ms > 0 ? QString::number(count * 1000.0 / ms, 'f', 1) : QStringLiteral("-");
}

// Starts every child at once and waits for all; the wall time in ms.
qint64 runChildren(std::vector<Child> &children, const Installation &installation, const Options &options)
{
    QElapsedTimer wall;
    wall.start();
    for (Child &child : children) {
        QStringList args;
        const QString computer = QStringLiteral("%1%2").arg(child.issuer ? "WS" : "SAVE").arg(child.index + 1);
        if (child.issuer) {
            args << QStringLiteral("--child-issuer") << QStringLiteral("--device")
                 << QString::number(installation.encoderDevice(child.index)) << QStringLiteral("--devices")
                 << installation.deviceDirectory() << QStringLiteral("--cards") << QString::number(options.cards)
                 << QStringLiteral("--poll-ms") << QString::number(options.pollMs);
        } else {
            args << QStringLiteral("--child-saver") << QStringLiteral("--saves") << QString::number(options.saves)
                 << QStringLiteral("--save-pause-ms") << QString::number(options.savePauseMs);
        }
        args << QStringLiteral("--connection") << installation.connection() << QStringLiteral("--computer") << computer
             << QStringLiteral("--index") << QString::number(child.index);
        child.process = std::make_unique<QProcess>();
        child.process->setProcessChannelMode(QProcess::MergedChannels);
        child.process->start(QCoreApplication::applicationFilePath(), args);
    }
    for (Child &child : children) {
        child.process->waitForFinished(-1);
        child.output = child.process->readAll();
        child.result = parseResult(child.output);
    }
    return wall.elapsed();
}

// One engine's run with its checks; false when a check failed.
bool runEngine(const QString &name, const QString &connection, const QString &deviceDirectory, const Options &options,
               const TextResources &texts)
{
    out() << "== " << name << ": " << options.processes << " workstations x " << options.cards << " cards, "
          << options.savers << " savers x " << options.saves << " saves\n";
    out().flush();
    Installation installation(options, texts);
    QString error;
    // Cards left from an earlier run would count as this run's.
    QDir(deviceDirectory).removeRecursively();
    if (!installation.prepare(connection, deviceDirectory, error)) {
        out() << "  set-up failed: " << error << "\n";
        return false;
    }
    std::vector<Child> children;
    for (int i = 0; i < options.processes; ++i)
        children.push_back(Child{true, i, nullptr, {}, {}});
    for (int i = 0; i < options.savers; ++i)
        children.push_back(Child{false, i, nullptr, {}, {}});
    const qint64 wallMs = runChildren(children, installation, options);
    installation.db().close(); // a fresh look at what the workstations committed
    if (!installation.db().open(connection)) {
        out() << "  cannot reopen: " << installation.db().errorText() << "\n";
        return false;
    }
    RecordDatabase &db = installation.db();
    QStringList failures;

    // --- Cards ---
    qint64 firstMs = std::numeric_limits<qint64>::max(), lastMs = 0;
    qint64 issuedTotal = 0, retriesTotal = 0;
    QMap<QString, int> errorLines;
    out() << "  wall time " << QString::number(double(wallMs) / 1000.0, 'f', 1)
          << " s (first process started to last process ended)\n";
    for (const Child &child : children) {
        if (!child.result.valid) {
            failures << QStringLiteral("%1 %2 gave no result (exit %3): %4")
                            .arg(child.issuer ? "issuer" : "saver")
                            .arg(child.index)
                            .arg(child.process->exitCode())
                            .arg(QString::fromUtf8(child.output).trimmed().left(400));
            continue;
        }
        for (const QString &e : child.result.errors)
            ++errorLines[e];
        if (!child.issuer)
            continue;
        const Result &r = child.result;
        firstMs = std::min(firstMs, r.number(QStringLiteral("first_ms")));
        lastMs = std::max(lastMs, r.number(QStringLiteral("last_ms")));
        issuedTotal += r.number(QStringLiteral("issued"));
        retriesTotal += r.number(QStringLiteral("retries"));

        const CardFiles files = readCardFiles(installation.encoderFolder(child.index));
        QList<qint64> rows;
        if (!queryNumbers(db,
                          QStringLiteral("SELECT \"registrationNumber\" FROM \"Cards\" WHERE \"mainGuestRoom\" >= ? "
                                         "AND \"mainGuestRoom\" < ?"),
                          {roomBase(child.index), roomBase(child.index) + kRoomsPerIssuer}, rows, error)) {
            failures << error;
            continue;
        }
        QSet<qint64> rowSet(rows.cbegin(), rows.cend());
        QSet<qint64> fileSet;
        for (quint32 n : files.numbers)
            fileSet.insert(qint64(n));
        const qsizetype withoutRow = (fileSet - rowSet).size();
        const qsizetype withoutCard = (rowSet - fileSet).size();
        const qsizetype repeatedFiles = files.numbers.size() - fileSet.size();
        const qint64 issued = r.number(QStringLiteral("issued"));
        const double spanMs = double(r.number(QStringLiteral("last_ms")) - r.number(QStringLiteral("first_ms")));
        out() << QStringLiteral("  ws%1: %2 issued, %3 rows, %4 card files; %5 cards/s; per card median %6 ms, "
                                "95% %7 ms, max %8 ms; %9 retries, %10 given up\n")
                     .arg(child.index)
                     .arg(issued)
                     .arg(rows.size())
                     .arg(files.numbers.size())
                     .arg(rate(double(issued), spanMs))
                     .arg(r.real(QStringLiteral("p50_ms")), 0, 'f', 1)
                     .arg(r.real(QStringLiteral("p95_ms")), 0, 'f', 1)
                     .arg(r.real(QStringLiteral("max_ms")), 0, 'f', 1)
                     .arg(r.number(QStringLiteral("retries")))
                     .arg(r.number(QStringLiteral("given_up")));
        if (rows.size() != issued || files.numbers.size() != issued)
            failures << QStringLiteral("ws%1: %2 issued, but %3 rows and %4 card files")
                            .arg(child.index)
                            .arg(issued)
                            .arg(rows.size())
                            .arg(files.numbers.size());
        if (withoutRow || withoutCard || repeatedFiles || files.unreadable)
            failures << QStringLiteral("ws%1: %2 cards without a row, %3 rows without a card, %4 numbers on two "
                                       "cards, %5 unreadable card files")
                            .arg(child.index)
                            .arg(withoutRow)
                            .arg(withoutCard)
                            .arg(repeatedFiles)
                            .arg(files.unreadable);
    }
    QList<qint64> counts;
    if (!queryNumbers(db,
                      QStringLiteral("SELECT COUNT(*) FROM (SELECT \"registrationNumber\" / 256 AS n FROM \"Cards\" "
                                     "GROUP BY \"registrationNumber\" / 256 HAVING COUNT(*) > 1) d"),
                      {}, counts, error))
        failures << error;
    const qint64 duplicates = counts.value(0, -1);
    const double issuingMs = lastMs > firstMs ? double(lastMs - firstMs) : 0;
    out() << "  " << issuedTotal << " cards in " << QString::number(issuingMs / 1000.0, 'f', 1)
          << " s of issuing: " << rate(double(issuedTotal), issuingMs) << " allocations/s overall; " << retriesTotal
          << " retries\n";
    out() << "  duplicate registration numbers: " << duplicates << "\n";
    if (duplicates != 0)
        failures << QStringLiteral("%1 registration numbers were given twice").arg(duplicates);
    for (auto it = errorLines.cbegin(); it != errorLines.cend(); ++it)
        out() << "  error: " << it.key()
              << (it.value() > 1 ? QStringLiteral(" (in %1 processes)").arg(it.value()) : QString()) << "\n";

    // --- Parameters ---
    if (options.savers > 0) {
        QMap<QString, int> after;
        if (!installation.parameterRows(after, error))
            failures << error;
        int lost = 0, added = 0, doubled = 0;
        for (auto it = installation.parametersBefore().cbegin(); it != installation.parametersBefore().cend(); ++it)
            lost += after.contains(it.key()) ? 0 : 1;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            added += installation.parametersBefore().contains(it.key()) ? 0 : 1;
            doubled += it.value() > 1 ? 1 : 0;
        }
        qint64 saved = 0, failedSaves = 0, failedLoads = 0, savingFirst = std::numeric_limits<qint64>::max(),
               savingLast = 0;
        int ownKept = 0;
        QStringList sharedCandidates;
        const QStringList keys = ownParameterKeys();
        for (const Child &child : children) {
            if (child.issuer || !child.result.valid)
                continue;
            const Result &r = child.result;
            saved += r.number(QStringLiteral("saved"));
            failedSaves += r.number(QStringLiteral("failed"));
            failedLoads += r.number(QStringLiteral("load_failed"));
            savingFirst = std::min(savingFirst, r.number(QStringLiteral("first_ms")));
            savingLast = std::max(savingLast, r.number(QStringLiteral("last_ms")));
            const int lastSaved = int(r.number(QStringLiteral("last_saved")));
            if (lastSaved >= 0)
                sharedCandidates << sharedNote(child.index, lastSaved);
            QSqlQuery q(db.sqlDatabase());
            q.prepare(QStringLiteral("SELECT \"parameter\" FROM \"Parameters\" WHERE \"parameterID\" = ?"));
            q.addBindValue(keys.at(child.index % keys.size()));
            const QString stored = q.exec() && q.next() ? q.value(0).toString() : QString();
            const bool kept = lastSaved < 0 || stored.trimmed().toLongLong() == ownValue(child.index, lastSaved);
            ownKept += kept ? 1 : 0;
            if (!kept)
                failures << QStringLiteral("saver %1: %2 holds %3, its last save wrote %4")
                                .arg(child.index)
                                .arg(keys.at(child.index % keys.size()), stored)
                                .arg(ownValue(child.index, lastSaved));
        }
        QSqlQuery q(db.sqlDatabase());
        QString shared;
        for (const char *piece : {"PRINTER_NOTE", "PRINTER_NOTE2", "PRINTER_NOTE3"}) {
            q.prepare(QStringLiteral("SELECT \"parameter\" FROM \"Parameters\" WHERE \"parameterID\" = ?"));
            q.addBindValue(QString::fromLatin1(piece));
            shared += q.exec() && q.next() ? q.value(0).toString() : QString();
        }
        const bool sharedFromLastSave = sharedCandidates.isEmpty() || sharedCandidates.contains(shared);
        const bool overlapped = savingFirst < lastMs && savingLast > firstMs;
        out() << "  parameter saves: " << saved << " saved, " << failedSaves << " failed, " << failedLoads
              << " loads failed; " << (overlapped ? "while cards were issued" : "NOT while cards were issued") << "\n";
        out() << "  parameter rows: " << installation.parametersBefore().size() << " before, " << after.size()
              << " after; " << lost << " lost, " << added << " added, " << doubled << " doubled; own values kept "
              << ownKept << " of " << options.savers << "; the printer note "
              << (sharedFromLastSave ? "is a saver's last save" : "mixes saves") << "\n";
        if (lost || added || doubled)
            failures
                << QStringLiteral("parameter rows: %1 lost, %2 added, %3 doubled").arg(lost).arg(added).arg(doubled);
        if (!sharedFromLastSave)
            failures << QStringLiteral("the printer note mixes saves: \"%1\"").arg(shared.left(200));
    }

    for (const QString &f : failures)
        out() << "  FAILED: " << f << "\n";
    out() << "  " << (failures.isEmpty() ? "all checks passed" : "checks failed") << "\n";
    out().flush();
    return failures.isEmpty();
}

bool parseOptions(const QStringList &args, QMap<QString, QString> &values)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QStringLiteral("--")))
            return false;
        if (a.startsWith(QStringLiteral("--child-"))) {
            values.insert(a, QString());
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        values.insert(a, args.at(++i));
    }
    return true;
}

int number(const QMap<QString, QString> &values, const QString &name, int fallback)
{
    bool ok = false;
    const int v = values.value(name).toInt(&ok);
    return ok && v >= 0 ? v : fallback;
}

// A database of its own on the PostgreSQL server; dropped by the caller.
QString createPostgresDatabase(const QString &server, const QString &name, QString &error)
{
    RecordDatabase admin;
    if (!admin.open(server)) {
        error = admin.errorText();
        return QString();
    }
    QSqlQuery q(admin.sqlDatabase());
    if (!q.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name)) ||
        !q.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name))) {
        error = q.lastError().text();
        return QString();
    }
    QUrl url(server);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

void dropPostgresDatabase(const QString &server, const QString &name)
{
    RecordDatabase admin;
    if (admin.open(server))
        QSqlQuery(admin.sqlDatabase()).exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QMap<QString, QString> values;
    if (!parseOptions(app.arguments(), values)) {
        QTextStream(stderr) << "usage: bench_workstations [--engine sqlite|postgresql|both] [--processes N] "
                               "[--cards M] [--savers K] [--saves S] [--save-pause-ms P] [--poll-ms P] "
                               "[--write-ms W] [--keep DIR] [--devices DIR]\n";
        return 2;
    }
    if (values.contains(QStringLiteral("--child-issuer"))) {
        IssuerSetup setup;
        setup.connection = values.value(QStringLiteral("--connection"));
        setup.computer = values.value(QStringLiteral("--computer"));
        setup.deviceDirectory = values.value(QStringLiteral("--devices"));
        setup.device = number(values, QStringLiteral("--device"), 0);
        setup.index = number(values, QStringLiteral("--index"), 0);
        setup.cards = number(values, QStringLiteral("--cards"), 0);
        setup.pollMs = number(values, QStringLiteral("--poll-ms"), 1);
        return runIssuer(setup);
    }
    TextResources texts;
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    if (!texts.LoadTextLibrary()) {
        QTextStream(stderr) << "bench_workstations: no text library beside the program\n";
        return 2;
    }
    if (values.contains(QStringLiteral("--child-saver"))) {
        SaverSetup setup;
        setup.connection = values.value(QStringLiteral("--connection"));
        setup.computer = values.value(QStringLiteral("--computer"));
        setup.index = number(values, QStringLiteral("--index"), 0);
        setup.saves = number(values, QStringLiteral("--saves"), 0);
        setup.pauseMs = number(values, QStringLiteral("--save-pause-ms"), 0);
        return runSaver(setup, texts);
    }

    Options options;
    options.engine = values.value(QStringLiteral("--engine"), options.engine);
    options.processes = number(values, QStringLiteral("--processes"),
                               int(BenchDatabases::envCount("OSTRELLE_BENCH_WORKSTATIONS", options.processes)));
    options.cards = number(values, QStringLiteral("--cards"),
                           int(BenchDatabases::envCount("OSTRELLE_BENCH_WORKSTATION_CARDS", options.cards)));
    options.savers =
        std::min<int>(number(values, QStringLiteral("--savers"), options.savers), int(ownParameterKeys().size()));
    options.saves = number(values, QStringLiteral("--saves"), options.saves);
    options.savePauseMs = number(values, QStringLiteral("--save-pause-ms"), options.savePauseMs);
    options.pollMs = number(values, QStringLiteral("--poll-ms"), options.pollMs);
    options.writeMs = number(values, QStringLiteral("--write-ms"), options.writeMs);
    options.keepDir = values.value(QStringLiteral("--keep"));
    options.devicesDir = values.value(QStringLiteral("--devices"));
    const bool sqlite = options.engine != QStringLiteral("postgresql");
    const bool postgres = options.engine != QStringLiteral("sqlite");

    QTemporaryDir temporary;
    const QString work = options.keepDir.isEmpty() ? temporary.path() : options.keepDir;
    if (!QDir().mkpath(work)) {
        QTextStream(stderr) << "bench_workstations: cannot make " << work << "\n";
        return 2;
    }
    const QString devices = options.devicesDir.isEmpty() ? work : options.devicesDir;
    out() << "bench_workstations: " << QThread::idealThreadCount() << " cores; work folder " << work
          << "; encoder folders in " << devices << "\n";
    bool passed = true;
    if (sqlite) {
        const QString file = QDir(work).filePath(QStringLiteral("workstations.db"));
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(file + suffix);
        passed = runEngine(QStringLiteral("SQLite ") + file, QStringLiteral("sqlite:") + file,
                           QDir(devices).filePath(QStringLiteral("devices-sqlite")), options, texts) &&
                 passed;
    }
    if (postgres) {
        QString note;
        const QString server = BenchDatabases::postgresServer(note);
        if (server.isEmpty()) {
            out() << "== PostgreSQL: no server (" << note << ")\n";
        } else {
            const QString name = QStringLiteral("ostrelle_stress_%1").arg(QCoreApplication::applicationPid());
            QString error;
            const QString connection = createPostgresDatabase(server, name, error);
            if (connection.isEmpty()) {
                out() << "== PostgreSQL: cannot create " << name << ": " << error << "\n";
                passed = false;
            } else {
                passed = runEngine(QStringLiteral("PostgreSQL ") + name, connection,
                                   QDir(devices).filePath(QStringLiteral("devices-postgresql")), options, texts) &&
                         passed;
                if (options.keepDir.isEmpty())
                    dropPostgresDatabase(server, name);
                else
                    out() << "  kept " << connection << "\n";
            }
        }
    }
    if (options.keepDir.isEmpty() && !options.devicesDir.isEmpty()) {
        for (const char *engine : {"devices-sqlite", "devices-postgresql"})
            QDir(QDir(devices).filePath(QString::fromLatin1(engine))).removeRecursively();
    }
    return passed ? 0 : 1;
}
