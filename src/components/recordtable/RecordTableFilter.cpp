// WHERE and ORDER BY texts: the program builds them from fixed fragments, so they are checked token
// by token and rewritten with quoted field names. Nothing but field names, the fragment keywords and
// operators, decimal numbers and "?" markers passes; values arrive only as bound parameters.
// One further form lets a list filter on rows of another table without reading them itself:
// "field in (select otherField from OtherTable where ...)", its filter checked the same way.
#include "components/recordtable/Dialect.h"
#include "components/recordtable/RecordTable.h"

namespace {

bool isIdentStart(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           c == QLatin1Char('_');
}

bool isIdentChar(QChar c)
{
    return isIdentStart(c) || c.isDigit();
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

const TableDef *tableByName(const QString &name)
{
    for (const TableDef &def : tableDefs())
        if (def.name.compare(name, Qt::CaseInsensitive) == 0)
            return &def;
    return nullptr;
}

// Called before a value token goes to out: notes "field op value" when it stands alone after an
// AND (or first) at the top level. Whether an AND or the end follows is checked once all is read.
void noteComparison(const QStringList &out, const ColumnDef *column, int columnToken, int depth, int marker,
                    double number, QList<RangeTerm> &ranges)
{
    const int k = static_cast<int>(out.size());
    if (depth != 0 || !column || columnToken < 0 || columnToken != k - 2 ||
        (k >= 3 && out.at(k - 3) != QStringLiteral("AND")))
        return;
    if (column->type == ColumnType::Text || column->type == ColumnType::Blob)
        return;
    const QString &op = out.at(k - 1);
    const bool lower = op == QStringLiteral(">=") || op == QStringLiteral(">");
    if (lower || op == QStringLiteral("<=") || op == QStringLiteral("<"))
        ranges.append(RangeTerm{k - 2, column, lower, marker, number});
}

} // namespace

qint32 RecordTable::translateFilter(const QString &where, Filter &filter, QString &detail) const
{
    filter = Filter();
    QStringList &out = filter.tokens;
    QList<const ColumnDef *> &markers = filter.markers;
    bool topLevelOr = false;
    const ColumnDef *lastColumn = nullptr;
    int lastColumnToken = -1; // index in out of the last field name
    int depth = 0;
    const int n = where.size();
    int i = 0;
    // The table whose fields the text names: the selected one, or a sub-select's while inside it.
    const TableDef *table = m_table;
    struct Scope
    {
        int depth;
        const TableDef *outer;
    };
    QList<Scope> scopes;
    auto nextWord = [&where, &i, n]() {
        while (i < n && where.at(i).isSpace())
            ++i;
        const int start = i;
        if (i < n && isIdentStart(where.at(i)))
            while (i < n && isIdentChar(where.at(i)))
                ++i;
        return where.mid(start, i - start);
    };
    while (i < n) {
        const QChar c = where.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (isIdentStart(c)) {
            int j = i;
            while (j < n && isIdentChar(where.at(j)))
                ++j;
            const QString word = where.mid(i, j - i);
            i = j;
            const QString lower = word.toLower();
            if (lower == QStringLiteral("like")) {
                out << m_db.dialect().likeOperator();
            } else if (lower == QStringLiteral("and") || lower == QStringLiteral("or") ||
                       lower == QStringLiteral("not") || lower == QStringLiteral("in") ||
                       lower == QStringLiteral("is") || lower == QStringLiteral("null")) {
                topLevelOr = topLevelOr || (depth == 0 && lower == QStringLiteral("or"));
                out << word.toUpper();
            } else if (lower == QStringLiteral("select")) {
                const int k = static_cast<int>(out.size());
                if (k < 2 || out.at(k - 1) != QStringLiteral("(") || out.at(k - 2) != QStringLiteral("IN")) {
                    detail = QStringLiteral("A sub-select must follow \"in (\".");
                    return RecordStatus::InvalidFilter;
                }
                const QString field = nextWord();
                const QString from = nextWord();
                const QString name = nextWord();
                const QString whereWord = nextWord();
                if (from.compare(QStringLiteral("from"), Qt::CaseInsensitive) != 0 ||
                    whereWord.compare(QStringLiteral("where"), Qt::CaseInsensitive) != 0) {
                    detail = QStringLiteral("A sub-select reads \"select field from table where ...\".");
                    return RecordStatus::InvalidFilter;
                }
                const TableDef *inner = tableByName(name);
                if (!inner) {
                    detail = QStringLiteral("No table %1 for a sub-select.").arg(name);
                    return RecordStatus::InvalidTable;
                }
                const ColumnDef *col = inner->column(field);
                if (!col) {
                    detail = QStringLiteral("%1 has no field %2.").arg(inner->name, field);
                    return RecordStatus::InvalidField;
                }
                out << QStringLiteral("SELECT") << Dialect::quote(col->name) << QStringLiteral("FROM")
                    << Dialect::quote(inner->name) << QStringLiteral("WHERE");
                scopes.append({depth, table});
                table = inner;
                lastColumn = nullptr;
                lastColumnToken = -1;
            } else if (const ColumnDef *col = table->column(word)) {
                lastColumn = col;
                lastColumnToken = out.size();
                out << Dialect::quote(col->name);
            } else {
                detail = QStringLiteral("%1 has no field %2.").arg(table->name, word);
                return RecordStatus::InvalidField;
            }
            continue;
        }
        if (isDigit(c)) {
            int j = i;
            while (j < n && isDigit(where.at(j)))
                ++j;
            if (j + 1 < n && where.at(j) == QLatin1Char('.') && isDigit(where.at(j + 1))) {
                ++j;
                while (j < n && isDigit(where.at(j)))
                    ++j;
            }
            if (j < n && isIdentChar(where.at(j))) {
                detail = QStringLiteral("Malformed number in the filter.");
                return RecordStatus::InvalidFilter;
            }
            const QString number = where.mid(i, j - i);
            i = j;
            // A number compared with a text field is compared as text on both engines.
            const bool text = lastColumn && lastColumn->type == ColumnType::Text;
            if (!text)
                noteComparison(out, lastColumn, lastColumnToken, depth, -1, number.toDouble(), filter.ranges);
            out << (text ? QLatin1Char('\'') + number + QLatin1Char('\'') : number);
            continue;
        }
        if (c == QLatin1Char('?')) {
            noteComparison(out, lastColumn, lastColumnToken, depth, static_cast<int>(markers.size()), 0, filter.ranges);
            markers << lastColumn;
            out << QStringLiteral("?");
            ++i;
            continue;
        }
        const QString two = where.mid(i, 2);
        if (two == QStringLiteral("<>") || two == QStringLiteral("<=") || two == QStringLiteral(">=") ||
            two == QStringLiteral("!=")) {
            out << (two == QStringLiteral("!=") ? QStringLiteral("<>") : two);
            i += 2;
            continue;
        }
        if (two == QStringLiteral("--")) {
            detail = QStringLiteral("Comments are not allowed in a filter.");
            return RecordStatus::InvalidFilter;
        }
        if (c == QLatin1Char('(')) {
            ++depth;
            out << QStringLiteral("(");
            ++i;
            continue;
        }
        if (c == QLatin1Char(')')) {
            if (!scopes.isEmpty() && scopes.constLast().depth == depth) {
                if (out.constLast() == QStringLiteral("WHERE")) {
                    detail = QStringLiteral("A sub-select needs a condition.");
                    return RecordStatus::InvalidFilter;
                }
                table = scopes.takeLast().outer;
                lastColumn = nullptr;
                lastColumnToken = -1;
            }
            if (--depth < 0) {
                detail = QStringLiteral("Unbalanced parentheses in the filter.");
                return RecordStatus::InvalidFilter;
            }
            ++i;
            const int k = out.size();
            if (k >= 3 && out.at(k - 1) == QStringLiteral("(") && out.at(k - 2) == QStringLiteral("IN")) {
                // "field in()" (no item chosen) matches nothing, "field not in()" everything.
                const bool negated = k >= 4 && out.at(k - 3) == QStringLiteral("NOT");
                const int fieldAt = k - (negated ? 4 : 3);
                if (fieldAt != lastColumnToken) {
                    detail = QStringLiteral("An empty set must follow a field name.");
                    return RecordStatus::InvalidFilter;
                }
                out.resize(fieldAt);
                out << (negated ? QStringLiteral("1 = 1") : QStringLiteral("1 = 0"));
                lastColumnToken = -1;
                continue;
            }
            out << QStringLiteral(")");
            continue;
        }
        if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char(',') ||
            c == QLatin1Char('-')) {
            out << QString(c);
            ++i;
            continue;
        }
        detail = QStringLiteral("The character '%1' is not allowed in a filter.").arg(c);
        return RecordStatus::InvalidFilter;
    }
    if (depth != 0) {
        detail = QStringLiteral("Unbalanced parentheses in the filter.");
        return RecordStatus::InvalidFilter;
    }
    // A comparison is a term of the whole filter only in an AND chain, standing between two ANDs.
    if (topLevelOr)
        filter.ranges.clear();
    filter.ranges.removeIf([&out](const RangeTerm &t) {
        return t.token + 3 < out.size() && out.at(t.token + 3) != QStringLiteral("AND");
    });
    return RecordStatus::Ok;
}

QString RecordTable::whereClause(const Filter &filter, const QVariantList &parameters) const
{
    if (filter.tokens.isEmpty())
        return QString();
    QStringList tokens = filter.tokens;
    const Dialect &dialect = m_db.dialect();
    if (dialect.wantsRangeEstimates() && !filter.ranges.isEmpty() && parameters.size() == filter.markers.size()) {
        const QList<double> shares = RangeEstimates::estimate(m_db.sqlDatabase(), filter.ranges, parameters);
        for (int i = 0; i < shares.size(); ++i) {
            if (shares.at(i) < 0)
                continue;
            const int t = filter.ranges.at(i).token;
            tokens[t] = dialect.estimatedTerm(filter.tokens.mid(t, 3).join(QLatin1Char(' ')), shares.at(i));
            tokens[t + 1].clear();
            tokens[t + 2].clear();
        }
        tokens.removeAll(QString());
    }
    return QStringLiteral(" WHERE ") + tokens.join(QLatin1Char(' '));
}

qint32 RecordTable::translateOrder(const QString &orderBy, QString &sql, QString &detail) const
{
    sql.clear();
    if (orderBy.trimmed().isEmpty())
        return RecordStatus::Ok;
    QStringList terms;
    const QStringList parts = orderBy.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QStringList words = part.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const ColumnDef *col = words.isEmpty() ? nullptr : m_table->column(words.first());
        if (!col) {
            detail = QStringLiteral("%1 cannot be sorted by '%2'.").arg(m_table->name, part.trimmed());
            return words.isEmpty() ? RecordStatus::InvalidFilter : RecordStatus::InvalidField;
        }
        QString term = col->type == ColumnType::Text ? m_db.dialect().textOrder(Dialect::quote(col->name))
                                                     : Dialect::quote(col->name);
        if (words.size() == 2 && words.at(1).compare(QStringLiteral("desc"), Qt::CaseInsensitive) == 0) {
            term += QStringLiteral(" DESC");
        } else if (words.size() == 2 && words.at(1).compare(QStringLiteral("asc"), Qt::CaseInsensitive) == 0) {
            term += QStringLiteral(" ASC");
        } else if (words.size() != 1) {
            detail = QStringLiteral("'%1' is no sort order.").arg(part.trimmed());
            return RecordStatus::InvalidFilter;
        }
        terms << term;
    }
    sql = QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    return RecordStatus::Ok;
}
