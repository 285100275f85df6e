// libFuzzer target for the WHERE / ORDER BY checker of RecordTable. Input: a byte choosing the table,
// a byte of flags (bit 0: give every "?" a value, which brings in the range estimates), the WHERE
// text, a NUL, the ORDER BY text. Whatever the checker accepts is prepared by SQLite on a database
// of the schema, with an authorizer watching: it must be one statement that only reads the
// registry's tables, keeps every value in a "?" (no literal but digits), holds no comment, selects
// the table's own columns, and has sub-selects only as "in (select field from Table where ...)".
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDriver>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

void check(bool ok, const char *what, const QString &sql)
{
    if (!ok) {
        std::fprintf(stderr, "where_fuzz: %s\n%s\n", what, qPrintable(sql));
        std::abort();
    }
}

struct Watch
{
    bool refused = false;
    QString what;
};

bool isRegistryTable(const char *name)
{
    for (const TableDef &def : tableDefs()) {
        if (def.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Only what the filter's own text does is judged; a view's definition may do more.
int authorize(void *context, int action, const char *a, const char *b, const char *database, const char *inner)
{
    auto *watch = static_cast<Watch *>(context);
    if (inner)
        return SQLITE_OK;
    bool fine = false;
    switch (action) {
    case SQLITE_SELECT:
        fine = true;
        break;
    case SQLITE_READ:
        fine = (!database || std::strcmp(database, "main") == 0) && a && isRegistryTable(a);
        break;
    case SQLITE_FUNCTION:
        fine = b && (sqlite3_stricmp(b, "like") == 0 || sqlite3_stricmp(b, "likelihood") == 0);
        break;
    default:
        break;
    }
    if (!fine && !watch->refused) {
        watch->refused = true;
        watch->what =
            QStringLiteral("action %1 (%2, %3) in %4")
                .arg(action)
                .arg(QLatin1String(a ? a : ""), QLatin1String(b ? b : ""), QLatin1String(database ? database : "-"));
    }
    return SQLITE_OK;
}

// The words of the statement outside quoted identifiers, each quoted identifier as "\"", and the
// statement's comments and literals judged on the way.
QStringList words(const QString &sql)
{
    QStringList out;
    QString word;
    auto flush = [&]() {
        if (!word.isEmpty())
            out << word;
        word.clear();
    };
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == u'"') {
            flush();
            for (++i; i < sql.size(); ++i) {
                if (sql.at(i) == u'"' && !(i + 1 < sql.size() && sql.at(i + 1) == u'"'))
                    break;
                if (sql.at(i) == u'"')
                    ++i;
            }
            out << QStringLiteral("\"");
        } else if (c == u'\'') {
            flush();
            const qsizetype close = sql.indexOf(u'\'', i + 1);
            check(close > i, "unclosed literal", sql);
            for (qsizetype j = i + 1; j < close; ++j)
                check((sql.at(j) >= u'0' && sql.at(j) <= u'9') || sql.at(j) == u'.', "a literal that is no number",
                      sql);
            i = close;
        } else if (c == u'-' && i + 1 < sql.size() && sql.at(i + 1) == u'-') {
            check(false, "a comment", sql);
        } else if (c == u'/' || c == u';') {
            check(false, "a comment or a second statement", sql);
        } else if (c == u'(' || c == u')' || c == u',') {
            flush();
            out << QString(c);
        } else if (c.isSpace()) {
            flush();
        } else {
            word += c.toUpper();
        }
    }
    flush();
    return out;
}

struct Database
{
    RecordDatabase db;
    sqlite3 *handle = nullptr;
    std::map<qint32, std::unique_ptr<RecordTable>> tables;
};

Database &database()
{
    static Database *instance = [] {
        auto *d = new Database;
        if (!d->db.open(QStringLiteral("sqlite::memory:")) || !d->db.createSchema()) {
            std::fprintf(stderr, "where_fuzz: no database: %s\n", qPrintable(d->db.errorText()));
            std::exit(1);
        }
        const QVariant handle = d->db.sqlDatabase().driver()->handle();
        d->handle = *static_cast<sqlite3 *const *>(handle.constData());
        return d;
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    database();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    Database &d = database();
    const TableDef &def = tableDefs().at(data[0] % tableDefs().size());
    const bool withValues = data[1] & 1;
    const char *text = reinterpret_cast<const char *>(data) + 2;
    const size_t length = size - 2;
    const size_t nul = std::find(text, text + length, '\0') - text;
    const QString where = QString::fromUtf8(text, qsizetype(nul));
    const QString orderBy = nul < length ? QString::fromUtf8(text + nul + 1, qsizetype(length - nul - 1)) : QString();

    std::unique_ptr<RecordTable> &table = d.tables[def.id];
    if (!table) {
        table = std::make_unique<RecordTable>(d.db);
        table->SelectTable(def.id);
    }
    const qsizetype markers = where.count(QLatin1Char('?'));
    QVariantList values;
    if (withValues && markers <= 16) {
        for (qsizetype i = 0; i < markers; ++i)
            values << QVariant(qint32(i + 1));
    }
    const QString sql = table->querySql(where, orderBy, values);
    if (sql.isEmpty())
        return 0;

    const QStringList w = words(sql);
    static const QRegularExpression selectWord(QStringLiteral("\\bselect\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    check(w.count(QStringLiteral("SELECT")) == 1 + where.count(selectWord), "a select the text did not ask for", sql);
    for (qsizetype i = 1; i < w.size(); ++i) {
        if (w.at(i) != QStringLiteral("SELECT"))
            continue;
        // in ( SELECT "field" FROM "Table" WHERE
        check(i >= 2 && w.at(i - 2) == QStringLiteral("IN") && w.at(i - 1) == QStringLiteral("("),
              "a sub-select outside \"in (\"", sql);
        check(i + 4 < w.size() && w.at(i + 1) == QStringLiteral("\"") && w.at(i + 2) == QStringLiteral("FROM") &&
                  w.at(i + 3) == QStringLiteral("\"") && w.at(i + 4) == QStringLiteral("WHERE"),
              "a sub-select that is not \"select field from table where\"", sql);
    }

    Watch watch;
    sqlite3_set_authorizer(d.handle, authorize, &watch);
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(d.handle, utf8.constData(), int(utf8.size()), &statement, &tail);
    sqlite3_set_authorizer(d.handle, nullptr, nullptr);
    check(!watch.refused, qPrintable(QStringLiteral("the statement does more than read: ") + watch.what), sql);
    if (rc != SQLITE_OK) // the checker passes token sequences the engine may refuse as syntax
        return 0;
    check(QByteArray(tail).trimmed().isEmpty(), "a second statement", sql);
    check(sqlite3_bind_parameter_count(statement) == markers, "values outside the \"?\" markers", sql);
    check(sqlite3_column_count(statement) == def.columns.size(), "columns other than the table's", sql);
    sqlite3_finalize(statement);
    return 0;
}
