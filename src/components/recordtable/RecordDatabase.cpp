#include "components/recordtable/RecordDatabase.h"

#include "components/recordtable/Connection.h"
#include "components/recordtable/Dialect.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/Schema.h"
#include "components/recordtable/Values.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QUrl>
#include <QUrlQuery>

#include <sodium.h>
#include <utility>

namespace {

// Built-in texts of the status values; rows of StatusTexts replace them after "CMD: LoadTexts".
QString defaultStatusText(qint32 status)
{
    switch (status) {
    case RecordStatus::Ok:
        return QStringLiteral("The operation succeeded.");
    case RecordStatus::NoRecord:
        return QStringLiteral("No matching record was found.");
    case RecordStatus::LoggedOnBeside:
        return QStringLiteral("Logged on beside the operators already logged on at this workstation.");
    case RecordStatus::LogonRefused:
        return QStringLiteral("Unknown user ID or wrong password.");
    case RecordStatus::LogonExpired:
        return QStringLiteral("The operator's validity has expired.");
    case RecordStatus::NotConnected:
        return QStringLiteral("The database cannot be reached.");
    case RecordStatus::ConnectionLost:
        return QStringLiteral("The connection to the database was lost. It is reopened with the next operation.");
    case RecordStatus::SqlError:
        return QStringLiteral("The database refused the operation.");
    case RecordStatus::CommandRefused:
        return QStringLiteral("The command is not allowed.");
    case RecordStatus::InvalidTable:
        return QStringLiteral("The table is unknown or none is selected.");
    case RecordStatus::InvalidField:
        return QStringLiteral("The field does not belong to the selected table.");
    case RecordStatus::InvalidValue:
        return QStringLiteral("The value does not fit the field.");
    case RecordStatus::InvalidFilter:
        return QStringLiteral("The filter or sort order is not allowed.");
    case RecordStatus::ParameterMismatch:
        return QStringLiteral("The number of query parameters does not match the filter.");
    case RecordStatus::ReadOnlyTable:
        return QStringLiteral("The table cannot be changed.");
    case RecordStatus::DuplicateKey:
        return QStringLiteral("A record with the same key already exists.");
    case RecordStatus::NoQuery:
        return QStringLiteral("No query is open.");
    case RecordStatus::NotLoggedOn:
        return QStringLiteral("No operator is logged on at this workstation.");
    case RecordStatus::NotAllowed:
        return QStringLiteral("The operator has no right to do this.");
    case RecordStatus::MissingKey:
        return QStringLiteral("The key value of the record is missing.");
    case RecordStatus::SchemaMismatch:
        return QStringLiteral("The database does not hold the schema this program needs.");
    case RecordStatus::Busy:
        return QStringLiteral("The database is busy with the work of another workstation.");
    case RecordStatus::FileNotCopied:
        return QStringLiteral("The file could not be copied from the server.");
    default:
        return QStringLiteral("Unknown status 0x%1.").arg(quint32(status), 8, 16, QLatin1Char('0'));
    }
}

// The server's clock as a local OLE date of this workstation; 0 when it cannot be read.
double serverClock(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT extract(epoch from clock_timestamp()) * 1000")) || !q.next())
        return 0;
    return Values::oleFromDateTime(QDateTime::fromMSecsSinceEpoch(qint64(q.value(0).toDouble())).toLocalTime());
}

} // namespace

bool IsLocalServer(const QString &server, const QString &computerName)
{
    // Blanks name no host: a setting of blanks is no setting.
    const QString s = server.trimmed();
    if (s.isEmpty())
        return true;
    for (const QString &local :
         {QStringLiteral("127.0.0.1"), QStringLiteral("localhost"), QStringLiteral("loopback"), computerName}) {
        if (!local.isEmpty() && s.compare(local, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

RecordDatabase::RecordDatabase()
    : m_connectionName(QStringLiteral("ostrelle-recordtable-%1").arg(quintptr(this), 0, 16)),
      m_opsLimit(crypto_pwhash_OPSLIMIT_INTERACTIVE), m_memLimit(crypto_pwhash_MEMLIMIT_INTERACTIVE)
{
    if (sodium_init() < 0)
        qFatal("libsodium cannot be initialised");
}

RecordDatabase::~RecordDatabase()
{
    close();
    m_dialect.reset();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QString RecordDatabase::connectionStringFor(const QString &server, const QString &odbcSource,
                                            const QString &computerName)
{
    if (IsLocalServer(server, computerName))
        return odbcSource.trimmed();
    // A remote server: credentials come from the PostgreSQL password or service file.
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(server.trimmed());
    url.setPath(QStringLiteral("/ostrelle"));
    return url.toString();
}

bool RecordDatabase::open(const QString &connectionString)
{
    close();
    m_connectionString = connectionString.trimmed();
    m_engine = Engine::None;
    m_dialect.reset();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);

    const QString cs = m_connectionString;
    QSqlDatabase db;
    if (cs.startsWith(QStringLiteral("sqlite:"), Qt::CaseInsensitive)) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(cs.mid(7));
        m_engine = Engine::SQLite;
    } else if (cs.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
               cs.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive)) {
        const QUrl url(cs);
        if (!url.isValid() || url.host().isEmpty()) {
            m_status = RecordStatus::NotConnected;
            m_errorText = QStringLiteral("Invalid PostgreSQL address: %1").arg(cs);
            return false;
        }
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        db.setHostName(url.host());
        if (url.port() > 0)
            db.setPort(url.port());
        db.setUserName(url.userName());
        db.setPassword(url.password());
        const QString name = url.path().mid(1);
        db.setDatabaseName(name.isEmpty() ? QStringLiteral("ostrelle") : name);
        QStringList options;
        const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
        for (const auto &item : items)
            options << item.first + QLatin1Char('=') + item.second;
        db.setConnectOptions(options.join(QLatin1Char(';')));
        m_engine = Engine::PostgreSQL;
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
        db.setDatabaseName(cs.startsWith(QStringLiteral("odbc:"), Qt::CaseInsensitive) ? cs.mid(5) : cs);
    }
    return openConnection();
}

bool RecordDatabase::openConnection()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isValid()) {
        m_status = RecordStatus::NotConnected;
        m_errorText = QStringLiteral("No database driver for %1").arg(m_connectionString);
        return false;
    }
    if (db.isOpen())
        db.close();
    if (!db.open()) {
        m_status = RecordStatus::NotConnected;
        m_errorText = db.lastError().text();
        return false;
    }
    if (db.driverName() == QStringLiteral("QODBC")) {
        // A data source may lead to either engine; ask it which one it is.
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT version()")) && q.next() &&
            q.value(0).toString().startsWith(QStringLiteral("PostgreSQL"))) {
            m_engine = Engine::PostgreSQL;
        } else if (q.exec(QStringLiteral("SELECT sqlite_version()")) && q.next()) {
            m_engine = Engine::SQLite;
        } else {
            db.close();
            m_status = RecordStatus::NotConnected;
            m_errorText = QStringLiteral("The data source %1 leads to an unsupported database").arg(m_connectionString);
            return false;
        }
    }
    if (!m_dialect)
        m_dialect = m_engine == Engine::PostgreSQL ? Dialect::postgresql() : Dialect::sqlite();
    for (const QString &sql : m_dialect->sessionSetup()) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            m_status = RecordStatus::NotConnected;
            m_errorText = q.lastError().text();
            db.close();
            return false;
        }
    }
    if (m_engine == Engine::PostgreSQL) {
        // The server's clock in this workstation's zone: a server kept in UTC still stamps local times.
        QSqlQuery tz(db);
        const QByteArray zone = QTimeZone::systemTimeZoneId();
        if (!zone.isEmpty() && zone.contains('/'))
            tz.exec(QStringLiteral("SET TIME ZONE '%1'").arg(QString::fromLatin1(zone).remove(QLatin1Char('\''))));
    }
    m_lost = false;
    ++m_generation;
    m_status = RecordStatus::Ok;
    m_errorText.clear();
    measureClockOffset();
    m_schemaVersion = Schema::version(db, *m_dialect);
    loadStatusTexts();
    return true;
}

void RecordDatabase::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (db.isOpen()) {
        db.close();
        ++m_generation;
    }
}

bool RecordDatabase::isOpen() const
{
    if (m_lost || !QSqlDatabase::contains(m_connectionName))
        return false;
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase RecordDatabase::sqlDatabase() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

qint32 RecordDatabase::ensureConnected()
{
    if (isOpen())
        return RecordStatus::Ok;
    if (std::exchange(m_dropped, false)) {
        m_status = RecordStatus::ConnectionLost;
        m_errorText = QStringLiteral("The connection to the database was lost.");
        return m_status;
    }
    if (m_connectionString.isEmpty() || !QSqlDatabase::contains(m_connectionName)) {
        m_status = RecordStatus::NotConnected;
        m_errorText = QStringLiteral("No database has been opened.");
        return m_status;
    }
    openConnection();
    return m_status;
}

bool RecordDatabase::checkConnectionLost()
{
    m_dropped = false; // noticed: the next call reconnects
    if (m_engine == Engine::SQLite && !sqlDatabase().driverName().contains(QStringLiteral("ODBC")))
        return !sqlDatabase().isOpen();
    if (sqlDatabase().isOpen()) {
        QSqlQuery ping(sqlDatabase());
        if (ping.exec(QStringLiteral("SELECT 1")) && ping.next())
            return false;
        // Inside a transaction that a failed statement aborted the server refuses everything
        // until the rollback; it answered, so the connection is alive.
        if (ping.lastError().nativeErrorCode() == QLatin1String("25P02"))
            return false;
    }
    m_lost = true;
    sqlDatabase().close(); // invalidates every open query of this connection
    ++m_generation;
    return true;
}

void RecordDatabase::dropConnection()
{
    if (!isOpen())
        return;
    m_lost = true;
    m_dropped = true;
    sqlDatabase().close();
    ++m_generation;
}

void RecordDatabase::measureClockOffset()
{
    m_clockOffset = 0;
    if (m_engine != Engine::PostgreSQL)
        return;
    m_clockOffset = serverClock(sqlDatabase()) - Values::oleNow();
}

double RecordDatabase::now()
{
    if (m_clock)
        return m_clock();
    if (m_engine == Engine::PostgreSQL && isOpen()) {
        const double server = serverClock(sqlDatabase());
        if (server > 0) {
            m_clockOffset = server - Values::oleNow();
            return server;
        }
        checkConnectionLost();
    }
    return cheapNow();
}

double RecordDatabase::cheapNow() const
{
    if (m_clock)
        return m_clock();
    return Values::oleNow() + m_clockOffset;
}

void RecordDatabase::setPasswordHashLimits(unsigned long long opsLimit, std::size_t memLimit)
{
    m_opsLimit = std::max<unsigned long long>(opsLimit, crypto_pwhash_OPSLIMIT_MIN);
    m_memLimit = std::max<std::size_t>(memLimit, crypto_pwhash_MEMLIMIT_MIN);
}

bool RecordDatabase::createSchema(int version)
{
    if (ensureConnected() != RecordStatus::Ok)
        return false;
    QSqlDatabase db = sqlDatabase();
    QString error;
    if (!Schema::create(db, *m_dialect, version, error)) {
        m_status = RecordStatus::SchemaMismatch;
        m_errorText = error;
        return false;
    }
    m_schemaVersion = version;
    m_status = RecordStatus::Ok;
    m_errorText.clear();
    return true;
}

bool RecordDatabase::upgradeSchema()
{
    if (ensureConnected() != RecordStatus::Ok)
        return false;
    QSqlDatabase db = sqlDatabase();
    QString error;
    if (!Schema::upgrade(db, *m_dialect, error)) {
        m_status = RecordStatus::SchemaMismatch;
        m_errorText = error;
        return false;
    }
    m_schemaVersion = Schema::CurrentVersion;
    m_status = RecordStatus::Ok;
    m_errorText.clear();
    return true;
}

int RecordDatabase::schemaVersion()
{
    if (ensureConnected() != RecordStatus::Ok)
        return -1;
    QSqlDatabase db = sqlDatabase();
    m_schemaVersion = Schema::version(db, *m_dialect);
    return m_schemaVersion;
}

int RecordDatabase::currentSchemaVersion()
{
    return Schema::CurrentVersion;
}

QString RecordDatabase::databaseVersionText(int version)
{
    return Schema::databaseVersionText(version);
}

RecordDatabase::Transaction::Transaction(RecordDatabase &db) : m_db(db)
{
    if (m_db.engine() == Engine::SQLite && m_db.sqlDatabase().driverName() == QLatin1String("QSQLITE"))
        m_active = QSqlQuery(m_db.sqlDatabase()).exec(QStringLiteral("BEGIN IMMEDIATE"));
    // Another workstation held the write lock past the busy time-out: a deferred transaction still
    // keeps the statements together (its first write waits, and may fail, as any write would).
    if (!m_active)
        m_active = m_db.sqlDatabase().transaction();
}

bool RecordDatabase::Transaction::serialize(qint32 tableId)
{
    const TableDef *table = tableDef(tableId);
    if (!m_active || !table)
        return false;
    if (!m_db.dialect().isPostgreSQL())
        return true;
    // SHARE ROW EXCLUSIVE conflicts with itself and with every row change, not with reads.
    return QSqlQuery(m_db.sqlDatabase())
        .exec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(Dialect::quote(table->name)));
}

RecordDatabase::Transaction::~Transaction()
{
    if (m_active)
        m_db.sqlDatabase().rollback();
}

bool RecordDatabase::Transaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_db.sqlDatabase().commit();
}

void RecordDatabase::touch(const QString &computerName)
{
    const double now = cheapNow();
    auto it = m_activity.find(computerName);
    if (it == m_activity.end()) {
        m_activity.insert(computerName, now);
        return;
    }
    // A logon that has already run out stays ended: a late call does not revive it.
    if (m_maxInactiveMinutes > 0 && now - *it > m_maxInactiveMinutes / 1440.0)
        return;
    *it = std::max(*it, now);
}

void RecordDatabase::resetActivity(const QString &computerName, double when)
{
    m_activity.insert(computerName, when);
}

double RecordDatabase::lastActivity(const QString &computerName) const
{
    return m_activity.value(computerName, 0.0);
}

void RecordDatabase::forgetActivity(const QString &computerName)
{
    m_activity.remove(computerName);
}

QString RecordDatabase::statusText(qint32 status) const
{
    const auto it = m_statusTexts.constFind(status);
    return it != m_statusTexts.constEnd() ? *it : defaultStatusText(status);
}

bool RecordDatabase::loadStatusTexts()
{
    QSqlQuery q(sqlDatabase());
    if (!q.exec(QStringLiteral("SELECT \"statusCode\", \"statusText\" FROM \"StatusTexts\"")))
        return false;
    QHash<qint32, QString> texts;
    while (q.next()) {
        if (!q.value(1).toString().isEmpty())
            texts.insert(q.value(0).toInt(), q.value(1).toString());
    }
    m_statusTexts = texts;
    return true;
}
