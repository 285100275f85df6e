#include "ostrelle-db/DbTool.h"

#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/DemoHotel.h"
#include "ostrelle-db/PublishClient.h"
#include "ostrelle-db/RequiredRows.h"
#include "ostrelle-db/RowWriter.h"
#include "platform/FileVersion.h"

#include <cmath>

namespace DbTool {
namespace {

struct CommandLine
{
    QString command;
    QString connection;
    QString folder; // publish-client
    QHash<QString, QString> options;
};

bool parse(const QStringList &arguments, CommandLine &line, QString &error)
{
    static const QHash<QString, QStringList> allowed = {
        {QStringLiteral("create"), {QStringLiteral("--admin")}},
        {QStringLiteral("upgrade"), {}},
        {QStringLiteral("publish-client"), {QStringLiteral("--version")}},
        {QStringLiteral("demo"), {QStringLiteral("--cards"), QStringLiteral("--events")}},
        {QStringLiteral("fill"),
         {QStringLiteral("--cards"), QStringLiteral("--events"), QStringLiteral("--years"), QStringLiteral("--seed")}},
    };
    if (arguments.isEmpty()) {
        error = QStringLiteral("No command given.");
        return false;
    }
    line.command = arguments.first();
    if (!allowed.contains(line.command)) {
        error = QStringLiteral("Unknown command \"%1\".").arg(line.command);
        return false;
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg.startsWith(QStringLiteral("--"))) {
            if (!allowed.value(line.command).contains(arg)) {
                error = QStringLiteral("%1 takes no option %2.").arg(line.command, arg);
                return false;
            }
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("%1 needs a value.").arg(arg);
                return false;
            }
            line.options.insert(arg, arguments.at(++i));
        } else if (line.connection.isEmpty()) {
            line.connection = arg;
        } else if (line.command == QLatin1String("publish-client") && line.folder.isEmpty()) {
            line.folder = arg;
        } else {
            error = QStringLiteral("Unexpected argument \"%1\".").arg(arg);
            return false;
        }
    }
    if (line.connection.isEmpty()) {
        error = QStringLiteral("%1 needs a connection (sqlite:<path>, postgresql://..., or an ODBC DSN).")
                    .arg(line.command);
        return false;
    }
    if (line.command == QLatin1String("publish-client") && line.folder.isEmpty()) {
        error = QStringLiteral("publish-client needs the folder of the client to publish.");
        return false;
    }
    return true;
}

// file-version <file> [<version>]: shows the version a file carries, or gives a copy another one.
int fileVersion(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() == 2) {
        const QString version = ReadFileVersion(arguments.at(1));
        out << (version.isEmpty() ? QStringLiteral("(none)") : version) << "\n";
        return version.isEmpty() ? Failed : Success;
    }
    if (arguments.size() == 3 && StampFileVersion(arguments.at(1), arguments.at(2)))
        return Success;
    err << "ostrelle-db: file-version needs a file with a version marker (and at most 31 characters of version).\n";
    return arguments.size() == 2 || arguments.size() == 3 ? Failed : UsageError;
}

bool count(const CommandLine &line, const QString &option, qint64 &value, QString &error)
{
    if (!line.options.contains(option))
        return true;
    bool ok = false;
    value = line.options.value(option).toLongLong(&ok);
    if (!ok || value < 0) {
        error = QStringLiteral("%1 needs a whole number of at least 0, not \"%2\".")
                    .arg(option, line.options.value(option));
        return false;
    }
    return true;
}

QString dbError(const RecordDatabase &db)
{
    return StatusMessage(db.status(), db.errorText());
}

QString rate(qint64 rows, double seconds)
{
    if (seconds <= 0)
        return QStringLiteral("-");
    return QString::number(std::llround(static_cast<double>(rows) / seconds));
}

} // namespace

QString usage()
{
    return QStringLiteral(
        "Usage: ostrelle-db <command> <connection> [options]\n"
        "  create  <connection> [--admin ID]     new database: schema and the rows every installation needs;\n"
        "                                        --admin: the first operator, password read from standard input\n"
        "  upgrade <connection>                  bring an older database to the current schema\n"
        "  demo    <connection> [--cards N] [--events M]\n"
        "                                        create, then the demo hotel with 90 days of history\n"
        "  fill    <connection> --cards N --events M [--years Y] [--seed S]\n"
        "                                        add N cards and M lock events over the last Y years (default 3)\n"
        "  publish-client <connection> <folder> [--version TEXT]\n"
        "                                        store a client's files for the workstations' update\n"
        "  file-version <file> [<version>]       show the version a file carries, or set it\n"
        "<connection>: sqlite:<path>, postgresql://user@host:port/database, or an ODBC data source name\n");
}

bool createDatabase(RecordDatabase &db, const TextResources &texts, QString &error)
{
    const int version = db.schemaVersion();
    if (db.status() != RecordStatus::Ok) {
        error = dbError(db);
        return false;
    }
    if (version >= 0) {
        error = StatusMessage(RecordStatus::SchemaMismatch,
                              QStringLiteral("The database already holds an installation (schema version %1); "
                                             "create leaves it alone. Use upgrade, or start from an empty database.")
                                  .arg(version));
        return false;
    }
    if (!db.createSchema()) {
        error = dbError(db);
        return false;
    }
    RecordDatabase::Transaction transaction(db);
    if (!RequiredRows::seed(db, texts, std::floor(db.now()), error))
        return false;
    if (!transaction.commit()) {
        error = StatusMessage(RecordStatus::SqlError, QStringLiteral("The required rows could not be committed."));
        return false;
    }
    return true;
}

bool upgradeDatabase(RecordDatabase &db, int &from, int &to, QString &error)
{
    from = db.schemaVersion();
    if (db.status() != RecordStatus::Ok) {
        error = dbError(db);
        return false;
    }
    if (from < 0) {
        error = StatusMessage(RecordStatus::SchemaMismatch,
                              QStringLiteral("The database holds no installation to upgrade; use create."));
        return false;
    }
    if (!db.upgradeSchema()) {
        error = dbError(db);
        return false;
    }
    to = db.schemaVersion();
    return true;
}

FillOptions demoHistory()
{
    // Enough check-ins to keep about half of the 60 rooms occupied in winter, more in summer.
    FillOptions history;
    history.cards = 3000;
    history.events = 20000;
    history.years = 90 / 365.2425;
    history.seed = 1402;
    return history;
}

bool createDemo(RecordDatabase &db, const TextResources &texts, const FillOptions &history, QString &error)
{
    if (!createDatabase(db, texts, error))
        return false;
    {
        RecordDatabase::Transaction transaction(db);
        if (!DemoHotel::seed(db, error))
            return false;
        if (!transaction.commit()) {
            error = StatusMessage(RecordStatus::SqlError, QStringLiteral("The demo hotel could not be committed."));
            return false;
        }
    }
    if (history.cards == 0 && history.events == 0)
        return true;
    FillResult result;
    if (!FillDatabase(db, history, result, error)) {
        error = StatusMessage(RecordStatus::SqlError, error);
        return false;
    }
    return DemoHotel::storeCardImages(db, error);
}

int run(const QStringList &arguments, const TextResources &texts, QTextStream &out, QTextStream &err, QTextStream *in)
{
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("file-version"))
        return fileVersion(arguments, out, err);
    CommandLine line;
    QString error;
    if (!parse(arguments, line, error)) {
        err << "ostrelle-db: " << error << "\n" << usage();
        err.flush();
        return UsageError;
    }
    FillOptions fill = line.command == QLatin1String("demo") ? demoHistory() : FillOptions{};
    if (!count(line, QStringLiteral("--cards"), fill.cards, error) ||
        !count(line, QStringLiteral("--events"), fill.events, error)) {
        err << "ostrelle-db: " << error << "\n";
        return UsageError;
    }
    if (line.command == QLatin1String("fill")) {
        qint64 seed = fill.seed;
        bool ok = true;
        if (line.options.contains(QStringLiteral("--years")))
            fill.years = line.options.value(QStringLiteral("--years")).toDouble(&ok);
        if (!ok || fill.years <= 0 || !count(line, QStringLiteral("--seed"), seed, error) ||
            !line.options.contains(QStringLiteral("--cards")) || !line.options.contains(QStringLiteral("--events"))) {
            err << "ostrelle-db: fill needs --cards N and --events M (whole numbers), --years a positive number.\n";
            return UsageError;
        }
        fill.seed = static_cast<quint32>(seed);
        fill.progress = [&out](const QString &text) {
            out << "  " << text << "\n";
            out.flush();
        };
    }

    RecordDatabase db;
    db.setComputerName(QStringLiteral("ostrelle-db"));
    if (!db.open(line.connection)) {
        err << "ostrelle-db: cannot open " << line.connection << ": " << dbError(db) << "\n";
        return NotConnected;
    }

    bool ok = false;
    if (line.command == QLatin1String("create")) {
        const QString admin = line.options.value(QStringLiteral("--admin"));
        // Read before anything is created, so a missing password leaves no half installation.
        const QString password = admin.isEmpty() || !in ? QString() : in->readLine();
        if (!admin.isEmpty() && password.isEmpty()) {
            err << "ostrelle-db: --admin needs the password on the first line of standard input.\n";
            return UsageError;
        }
        ok = createDatabase(db, texts, error) &&
             (admin.isEmpty() || RequiredRows::addFirstOperator(db, admin, password, error));
        if (ok && !admin.isEmpty())
            out << "First operator: " << admin << " (system administrator).\n";
        else if (ok)
            out << "No operator was created: nobody can log on until one is added (--admin).\n";
        if (ok)
            out << "Created " << line.connection << " (DATABASEVERSION " << RecordDatabase::databaseVersionText()
                << ").\n";
    } else if (line.command == QLatin1String("upgrade")) {
        int from = -1, to = -1;
        ok = upgradeDatabase(db, from, to, error);
        if (ok && from == to)
            out << "Schema version " << to << " is current; nothing to do.\n";
        else if (ok)
            out << "Upgraded from schema version " << from << " to " << to << ".\n";
    } else if (line.command == QLatin1String("demo")) {
        ok = createDemo(db, texts, fill, error);
        if (ok) {
            out << "Created the demo hotel in " << line.connection << ".\nDemo logons (user ID / password):\n";
            for (const DemoHotel::Logon &logon : DemoHotel::logons())
                out << "  " << logon.user.leftJustified(12) << logon.password.leftJustified(18) << logon.templateName
                    << " (template " << logon.templateId << ")\n";
        }
    } else if (line.command == QLatin1String("publish-client")) {
        QString version;
        ok = db.schemaVersion() == RecordDatabase::currentSchemaVersion() &&
             publishClient(db, line.folder, line.options.value(QStringLiteral("--version")), version, error);
        if (ok)
            out << "Published the client " << version << " from " << line.folder << ".\n";
        else if (error.isEmpty())
            error = QStringLiteral("the database needs the current schema; run upgrade first.");
    } else {
        if (db.schemaVersion() != RecordDatabase::currentSchemaVersion()) {
            err << "ostrelle-db: fill needs a database of the current schema; run create or upgrade first.\n";
            return Failed;
        }
        FillResult result;
        ok = FillDatabase(db, fill, result, error);
        if (!ok) {
            error = StatusMessage(RecordStatus::SqlError, error);
        } else {
            out << "Cards:  " << result.cards << " rows (+" << result.cardDoors << " room links, " << result.guests
                << " guests) in " << QString::number(result.cardSeconds, 'f', 1) << " s, "
                << rate(result.cards, result.cardSeconds) << " cards/s\n";
            out << "Events: " << result.events << " rows (+" << result.readouts << " read-outs) in "
                << QString::number(result.eventSeconds, 'f', 1) << " s, " << rate(result.events, result.eventSeconds)
                << " events/s\n";
        }
    }
    out.flush();
    if (!ok) {
        err << "ostrelle-db: " << line.command << " failed: " << error << "\n";
        err.flush();
        return Failed;
    }
    return Success;
}

} // namespace DbTool
