#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

class Dialect;

// The one database connection of a process, shared by every RecordTable created on it.
//
// Connection strings:
//   "sqlite:<path>"                         SQLite file (created when missing)
//   "postgresql://user@host:port/db?opts"   PostgreSQL (also "postgres://"); the password comes from
//                                           the URI or, normally, from the PostgreSQL password file
//   "odbc:<DSN>" or a bare "<DSN>"           an ODBC data source through unixODBC
// connectionStringFor() turns the workstation's Server / ODBC Source settings into one of these.
//
// Process-wide state (computer name, clock, activity per computer, status texts) lives here and is
// handed to the RecordTable objects explicitly; nothing is global.
class RecordDatabase
{
public:
    enum class Engine { None, SQLite, PostgreSQL };

    // Returns the local time of the database server as an OLE date.
    using Clock = std::function<double()>;

    RecordDatabase();
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase &) = delete;
    RecordDatabase &operator=(const RecordDatabase &) = delete;

    // A local server (empty, loopback or this computer) uses the ODBC source as it is (a DSN,
    // "sqlite:" or "postgresql:" string); a remote one names the PostgreSQL server on that host,
    // database "ostrelle".
    static QString connectionStringFor(const QString &server, const QString &odbcSource, const QString &computerName);

    // Opens (or reopens) the connection. Returns false with status() / errorText() set.
    bool open(const QString &connectionString);
    void close();
    bool isOpen() const;
    QString connectionString() const { return m_connectionString; }
    Engine engine() const { return m_engine; }

    // Status of the last open / reconnect (RecordStatus values) and its text.
    qint32 status() const { return m_status; }
    QString errorText() const { return m_errorText; }

    // The computer name RecordTable objects start with (SetComputerName overrides it per object).
    void setComputerName(const QString &name) { m_computerName = name; }
    QString computerName() const { return m_computerName; }

    // Pins the server clock (tests); an empty function returns to the real server clock.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The server's local time as an OLE date: one round trip on PostgreSQL.
    double now();
    // The same without a round trip, from the offset measured at connect (activity tracking).
    double cheapNow() const;

    // Argon2id cost for new password hashes. Defaults to libsodium's "interactive" limits;
    // tests lower them. Stored hashes carry their own cost, so verification works with any setting.
    void setPasswordHashLimits(unsigned long long opsLimit, std::size_t memLimit);
    unsigned long long passwordOpsLimit() const { return m_opsLimit; }
    std::size_t passwordMemLimit() const { return m_memLimit; }

    // Schema management for ostrelle-db. createSchema() builds every table, view, index and trigger
    // of the current version on an empty database and stores DATABASEVERSION; upgradeSchema() runs
    // the missing upgrade steps in order. schemaVersion() is -1 without a schema.
    bool createSchema(int version = currentSchemaVersion()); // older versions: for upgrade tests
    bool upgradeSchema();
    int schemaVersion();
    int knownSchemaVersion() const { return m_schemaVersion; } // as of the last open, create or upgrade
    static int currentSchemaVersion();
    static QString databaseVersionText(int version = currentSchemaVersion()); // DATABASEVERSION, >= "1.14.0"

    // The raw connection, for the component's own tools (ostrelle-db fill, benchmarks) only.
    QSqlDatabase sqlDatabase() const;
    const Dialect &dialect() const { return *m_dialect; }

    // RAII transaction; rolls back unless commit() was called. On SQLite it holds the database's
    // write lock from the start (BEGIN IMMEDIATE): a transaction that reads before it writes would
    // otherwise fail at its first write, without waiting, whenever another workstation wrote since.
    class Transaction
    {
    public:
        explicit Transaction(RecordDatabase &db);
        ~Transaction();
        // Other writers of the table wait until this transaction ends; readers go on. PostgreSQL
        // locks the table; SQLite's write lock covers it already.
        bool serialize(qint32 tableId);
        bool commit();
        bool active() const { return m_active; } // begun and neither committed nor rolled back
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;

    private:
        RecordDatabase &m_db;
        bool m_active = false;
    };

    // --- used by RecordTable ---

    // Counts connection (re)opens; queries from an older generation are dead.
    quint64 generation() const { return m_generation; }
    // Reopens after a lost connection. Returns the status (0 when connected).
    qint32 ensureConnected();
    // After a failed statement: true (and the connection marked lost) when the server is gone.
    bool checkConnectionLost();
    // Fault injection (ostrelle-faults, tests): the connection goes as a lost server takes it, with
    // its open transaction. The next call that needs it fails with ConnectionLost, later ones reconnect.
    void dropConnection();

    // Activity of the logons of one computer name (calls within this process).
    void touch(const QString &computerName);
    void resetActivity(const QString &computerName, double when);
    double lastActivity(const QString &computerName) const;
    void forgetActivity(const QString &computerName);
    void setMaxInactiveMinutes(int minutes) { m_maxInactiveMinutes = minutes; }
    int maxInactiveMinutes() const { return m_maxInactiveMinutes; }

    // Status texts, reloaded from StatusTexts by "CMD: LoadTexts".
    QString statusText(qint32 status) const;
    bool loadStatusTexts();

private:
    bool openConnection();
    void measureClockOffset();

    QString m_connectionName;
    QString m_connectionString;
    Engine m_engine = Engine::None;
    std::unique_ptr<Dialect> m_dialect;
    qint32 m_status = 0;
    QString m_errorText;
    bool m_lost = false;
    bool m_dropped = false; // dropConnection(): the next ensureConnected() fails once
    quint64 m_generation = 0;
    int m_schemaVersion = -1;
    QString m_computerName;
    Clock m_clock;
    double m_clockOffset = 0; // server minus process clock, in days
    unsigned long long m_opsLimit;
    std::size_t m_memLimit;
    QHash<QString, double> m_activity;
    int m_maxInactiveMinutes = 0;
    QHash<qint32, QString> m_statusTexts;
};
