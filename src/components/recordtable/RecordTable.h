#pragma once

#include "components/recordtable/RangeEstimates.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/TableDefs.h"

#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <memory>
#include <vector>

// Status values of RecordTable. 0 and the 0x678900xx values named by the client are fixed;
// 0x67890003/0x67890007 are the connection statuses the client shows without an error number;
// the 0x678901xx values are this component's own.
namespace RecordStatus {
inline constexpr qint32 Ok = 0;
inline constexpr qint32 NoRecord = 0x67890019;          // no record / no more rows
inline constexpr qint32 LoggedOnBeside = 0x67890041;    // logged on beside operators already here
inline constexpr qint32 LogonRefused = 0x67890015;      // unknown user, wrong password, no operator
inline constexpr qint32 LogonExpired = 0x67890034;      // the operator's validity has ended
inline constexpr qint32 NotConnected = 0x67890003;      // the database cannot be opened
inline constexpr qint32 ConnectionLost = 0x67890007;    // the connection broke; the next call reconnects
inline constexpr qint32 SqlError = 0x67890101;          // the engine refused a statement (ErrorText has its message)
inline constexpr qint32 CommandRefused = 0x67890102;    // ExecuteCommand text that is not an allowed command
inline constexpr qint32 InvalidTable = 0x67890103;      // unknown table id, or no table selected
inline constexpr qint32 InvalidField = 0x67890104;      // field not in the selected table or view
inline constexpr qint32 InvalidValue = 0x67890105;      // value that does not convert to the field's type
inline constexpr qint32 InvalidFilter = 0x67890106;     // WHERE / ORDER BY text outside the allowed fragments
inline constexpr qint32 ParameterMismatch = 0x67890107; // more or fewer AddParameter values than "?" markers
inline constexpr qint32 ReadOnlyTable = 0x67890108;     // write to a list view or internal table
inline constexpr qint32 DuplicateKey = 0x67890109;      // insert or update would repeat a unique key
inline constexpr qint32 NoQuery = 0x6789010A;           // MoveNext / RowCount without an open query
inline constexpr qint32 NotLoggedOn = 0x6789010B;       // no operator logged on at this computer
inline constexpr qint32 NotAllowed = 0x6789010C;        // CheckRights / CheckFunction: denied
inline constexpr qint32 MissingKey = 0x6789010D;        // find/delete/insert without the key value it needs
inline constexpr qint32 SchemaMismatch = 0x6789010E;    // the database has no or a different schema
inline constexpr qint32 Busy = 0x6789010F;              // rows held past the 5-second lock wait; try again
inline constexpr qint32 FileNotCopied = 0x67890110;     // a server file is missing, unwritable or damaged
// Logon statuses the client shows by their text alone although this component never gives them.
// No meaning of ours is attached to them.
inline constexpr qint32 Reserved67890016 = 0x67890016;
inline constexpr qint32 Reserved67890017 = 0x67890017;
inline constexpr qint32 Reserved67890040 = 0x67890040;
inline constexpr qint32 Reserved67890043 = 0x67890043;

// True for the statuses of this component's own range (0x678901xx).
inline constexpr bool isOwn(qint32 status)
{
    return (quint32(status) & 0xFFFFFF00u) == 0x67890100u;
}
} // namespace RecordStatus

// The database-table component: one selected table, the pending fields and key choice of the next
// operation, one open query with its current row, and the Status of the last call. Many objects
// share one RecordDatabase; each keeps its own state.
//
// Values are QVariants holding qint16, qint32, double (also OLE dates), QString or QByteArray;
// GetField returns the field's own type (16-bit, 32-bit, double, string, bytes) or a null QVariant.
// User values reach SQL only as bound parameters; WHERE texts may hold field names, the fragment
// operators (= <> < > <= >= like in not is null and or, parentheses, commas), numbers and "?".
class RecordTable
{
public:
    explicit RecordTable(RecordDatabase &db); // Status() is the connection's status
    ~RecordTable();
    RecordTable(const RecordTable &) = delete;
    RecordTable &operator=(const RecordTable &) = delete;

    // Tables
    void SelectTable(qint32 tableId);
    void SetKeyField(const QString &field);
    void SetField(const QString &field, const QVariant &value);
    void FindRecord();
    void InsertRecord();
    void UseGivenKey();
    void UpdateRecord();
    void DeleteRecord();

    // Queries
    void OpenQuery(const QString &where, const QString &orderBy);
    void AddParameter(const QVariant &value);
    qint32 Status() const { return m_status; }
    QVariant GetField(const QString &field);
    void MoveNext();
    void CloseQuery();
    qint32 RowCount();
    QString ErrorText(qint32 status) const;

    // Server services
    double ServerNow();
    double TableChangeTime(qint32 tableId);
    // "update Doors set overrideIncrement = N" (N 0..15), "CMD: COMPACT_DB_IMMEDIATE",
    // "CMD: LoadTexts"; anything else is refused with CommandRefused and never executed.
    void ExecuteCommand(const QString &text);

    // The installation (RecordTableInstall.cpp). FileVersion: the version a local file carries,
    // four dot-separated numbers, or a text without dots. ServerRegistryValue: "key\\value name" of
    // the server's settings. CopyServerFile: a published file to a local path, its checksum
    // checked; Status 0 = copied. InstallCheck: 0 when this user may write the program folder.
    QString FileVersion(const QString &path);
    QString ServerRegistryValue(const QString &keyAndValueName);
    void CopyServerFile(const QString &source, const QString &destination);
    qint32 InstallCheck(const QString &programFolder);

    // Logon and rights (per computer name, kept in the database)
    double Logon(const QString &user, const QString &password);
    void LogonPassword(const QString &password);
    qint32 CurrentOperatorID();
    bool LoggedOff();
    void SetComputerName(const QString &name);
    void SetEncoderID(qint32 deviceId);
    void RefreshRights();
    void NextRight(qint32 &tableId, qint32 &bits);
    void NextMaxValidity(qint32 &cardNameId, qint32 &minutes);
    void NextFunction(qint32 &function);
    void CheckRights(qint32 tableId, qint32 bits);
    void CheckFunction(qint32 function);

    // Not part of the client interface: what the object is set to, and the SQL that OpenQuery
    // runs for a WHERE / ORDER BY pair on the selected table (benchmarks compare it with the
    // engine's own client). Empty when the texts are refused. The range estimates that depend on
    // the values are written in only when every parameter is given.
    QString computerName() const { return m_computerName; }
    qint32 encoderID() const { return m_encoderId; }
    qint32 selectedTable() const { return m_table ? m_table->id : -1; }
    QString querySql(const QString &where, const QString &orderBy, const QVariantList &parameters = {}) const;

private:
    struct Pending
    {
        QString field; // canonical name
        QVariant value;
    };
    struct OperatorRecord
    {
        bool found = false;
        qint32 userId = 0;
        qint32 templateId = 0;
        double expireTime = 0;
        QString passwordHash;
    };
    struct LogonRow
    {
        qint32 userId;
        double lastActivity;
        qint32 templateId;
    };
    struct Rights;

    bool begin(bool touchActivity = true);
    bool fail(qint32 status, const QString &detail = QString());
    bool failSql(const QSqlError &error);
    bool needTable();
    const ColumnDef *column(const QString &field) const;
    void clearRow();
    void setRow(QVariantList row);
    const QVariant &rowValue(int i);
    void clearQuery();
    void readAhead();
    bool execute(QSqlQuery &q, const QString &sql, const QVariantList &binds);
    bool runSelect(const QString &sql, const QVariantList &binds);
    bool fetchRow();
    QStringList matchFields(const QList<Pending> &pending) const;
    bool hashPasswords(QList<Pending> &values);
    // A WHERE text checked and rewritten: its SQL tokens, the column each "?" compares with, and the
    // comparisons the range estimates may annotate.
    struct Filter
    {
        QStringList tokens;
        QList<const ColumnDef *> markers;
        QList<RangeTerm> ranges;
    };
    qint32 translateFilter(const QString &where, Filter &filter, QString &detail) const;
    // " WHERE ..." (empty without a condition); with every parameter given, the comparisons carry
    // the estimates the engine wants.
    QString whereClause(const Filter &filter, const QVariantList &parameters) const;
    void buildQuerySql();
    qint32 translateOrder(const QString &orderBy, QString &sql, QString &detail) const;

    bool parameter(const QString &key, QString &value);
    bool setParameter(const QString &key, const QString &value);
    void compactDatabase();

    bool findOperator(const QString &user, OperatorRecord &op);
    bool readMaxInactive();
    bool activeLogons(QList<LogonRow> &logons);
    static double activityStamp(const QList<LogonRow> &logons, double now);
    bool computeRights();
    bool startRights(int Rights::*pos, bool Rights::*fresh);
    int nextRightsIndex(int Rights::*pos, bool Rights::*fresh, qsizetype (*size)(const Rights &));
    void checkOperationCode(qint32 code, qint32 bits);

    RecordDatabase &m_db;
    qint32 m_status = 0;
    QString m_detail; // engine message or reason for the last nonzero status
    QString m_computerName;
    qint32 m_encoderId = 0;

    const TableDef *m_table = nullptr;
    QString m_keyField;
    QList<Pending> m_pending;
    bool m_pendingFound = false; // m_pending is what the last find matched on, and it found a row
    bool m_useGivenKey = false;

    // Open query or find result.
    std::unique_ptr<QSqlQuery> m_query;
    quint64 m_queryGeneration = 0;
    QString m_querySql;
    QString m_countSql;
    Filter m_filter;
    QString m_orderSql;
    QVariantList m_params;
    bool m_queryPending = false; // opened, waiting for its parameters
    qint32 m_rowCount = -1;
    QVariantList m_row;          // current row in table-definition column order
    std::vector<bool> m_rowRead; // which values of m_row are taken from the open query
    // Rows of a find read ahead on SQLite, whose open statement would pin the reader's snapshot.
    std::deque<QVariantList> m_ahead;
    bool m_readAhead = false;
    bool m_hasRow = false;

    std::unique_ptr<Rights> m_rights;
};
