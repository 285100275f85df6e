// WHERE and ORDER BY texts: the program builds them from fixed fragments, so they are checked token
// by token and rewritten with quoted field names. Nothing but field names, the fragment keywords and
// operators, decimal numbers and "?" markers passes; values arrive only as bound parameters.
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

} // namespace

qint32 RecordTable::translateFilter(const QString &where, QString &sql, QList<const ColumnDef *> &markers,
                                    QString &detail) const
{
    QStringList out;
    const ColumnDef *lastColumn = nullptr;
    int lastColumnToken = -1; // index in out of the last field name
    int depth = 0;
    const int n = where.size();
    int i = 0;
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
                out << word.toUpper();
            } else if (const ColumnDef *col = m_table->column(word)) {
                lastColumn = col;
                lastColumnToken = out.size();
                out << Dialect::quote(col->name);
            } else {
                detail = QStringLiteral("%1 has no field %2.").arg(m_table->name, word);
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
            out << (text ? QLatin1Char('\'') + number + QLatin1Char('\'') : number);
            continue;
        }
        if (c == QLatin1Char('?')) {
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
    sql = out.join(QLatin1Char(' '));
    return RecordStatus::Ok;
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
