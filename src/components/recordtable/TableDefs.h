#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Table ids: multiples of 16, the same numbers the rights model uses as operation codes.
namespace TableId {
// Stored tables
inline constexpr qint32 Doors = 0;
inline constexpr qint32 Users = 16;
inline constexpr qint32 Operators = 32;
inline constexpr qint32 Cards = 48;
inline constexpr qint32 Devices = 80;
inline constexpr qint32 Events = 96;     // lock events read out of the locks
inline constexpr qint32 Readouts = 112;  // one row per lock read-out
inline constexpr qint32 CardDoors = 128; // guest rooms a room card opens
inline constexpr qint32 CardImages = 144;
inline constexpr qint32 CardNames = 160;
inline constexpr qint32 DoorDevices = 176;
inline constexpr qint32 Logons = 192; // read only: operators logged on per computer name
inline constexpr qint32 Parameters = 208;
inline constexpr qint32 EventNames = 224;
inline constexpr qint32 TableChanges = 240; // read only: kept by triggers
inline constexpr qint32 Notes = 256;
inline constexpr qint32 StatusTexts = 288; // texts of this component's status values
inline constexpr qint32 Clients = 368;
inline constexpr qint32 DoorGroups = 384;
inline constexpr qint32 TemplateRights = 688;
inline constexpr qint32 OperatorTemplates = 704;
inline constexpr qint32 Cameras = 720;
inline constexpr qint32 Options = 848;
inline constexpr qint32 Passwords = 960;
inline constexpr qint32 Pins = 976;
inline constexpr qint32 Wings = 992;
inline constexpr qint32 CameraClients = 1072;
// List views
inline constexpr qint32 DoorCardView = 320;
inline constexpr qint32 CardView = 432;
inline constexpr qint32 UserView = 464;
inline constexpr qint32 EventView = 528;
inline constexpr qint32 DoorGroupView = 576;
inline constexpr qint32 DoorView = 592;
inline constexpr qint32 OperatorView = 736;
inline constexpr qint32 DeviceView = 768;
inline constexpr qint32 TemplateView = 784;
inline constexpr qint32 ReadoutView = 800;
inline constexpr qint32 RoomView = 816;
inline constexpr qint32 CameraView = 832;
inline constexpr qint32 CardStatistics = 944;
inline constexpr qint32 WingView = 1008;
inline constexpr qint32 SubCameraView = 1088;
// Operation codes that guard a function, not a table
inline constexpr qint32 LockEvents = 64;
} // namespace TableId

// OLE date of 2036-01-01 00:00: a card or operator that does not expire.
inline constexpr double NoExpiry = 49675.0;

enum class ColumnType { Int32, Int16, Double, Date, Text, Blob };

struct ColumnDef
{
    QString name;
    ColumnType type = ColumnType::Int32;
    QString defaultValue; // SQL literal or empty
    int since = 1;        // schema version that added the column
    // Where the values come from: the table itself, or the base table and column behind a view
    // column (empty for computed ones); sourceIndexed when an index of that table leads with it.
    QString sourceTable;
    QString sourceColumn;
    bool sourceIndexed = false;
};

// Key rules: Assigned = the component numbers new rows unless UseGivenKey came first;
// Given = the caller always supplies the key; None = rows without a single key column.
enum class KeyRule { Assigned, Given, None };

struct IndexDef
{
    QStringList columns;
    bool unique = false;
    QString where; // partial index condition (column names quoted), or empty
    int since = 1;
};

struct TableDef
{
    qint32 id = -1;
    QString name;
    bool view = false;
    bool writable = true;   // false for views and the tables only the component writes
    QStringList primaryKey; // identifies a row; find and delete match its pending columns
    KeyRule keyRule = KeyRule::None;
    QList<ColumnDef> columns;
    QList<IndexDef> indexes;
    QStringList viewExpressions; // views: the SQL of each column (quoted identifiers, both engines)
    QString viewFrom;            // views: FROM clause
    QString viewWhere;           // views: row condition (quoted identifiers), from viewWhereSince on
    int viewWhereSince = 1;
    QList<qint32> dependsOn;    // views: the stored tables behind them (for TableChangeTime)
    int since = 1;              // schema version that added the table
    QStringList constraints;    // further table constraints (quoted identifiers)
    QHash<QString, int> byName; // column index by exact name

    const ColumnDef *column(const QString &name) const; // case-insensitive
    int columnIndex(const QString &name) const;         // -1 when unknown
    QString viewSql(int version) const;                 // the view's SELECT at a schema version
    QString keyField() const { return primaryKey.value(0); }
};

// The registry of every table and view, in creation order (tables before the views on them).
const QList<TableDef> &tableDefs();
const TableDef *tableDef(qint32 tableId);
