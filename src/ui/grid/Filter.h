#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Builds the WHERE text of a query from the fixed fragments the database component understands,
// with "?" markers and the values to bind in marker order. Field names are never user input;
// user input only reaches the query as a bound value (or, for inline number sets, as validated
// integers).
class FilterBuilder
{
public:
    enum class Compare { Equal, NotEqual, Greater, Less, GreaterOrEqual, LessOrEqual };

    // field " = ?" and the other one-value comparisons.
    FilterBuilder &compare(const QString &field, Compare op, const QVariant &value);
    FilterBuilder &equal(const QString &field, const QVariant &value) { return compare(field, Compare::Equal, value); }

    // field " >= ? and " field " <= ?".
    FilterBuilder &range(const QString &field, const QVariant &from, const QVariant &to);
    // A closed range of days: the upper day is widened to 23:59:59 of that day.
    FilterBuilder &dayRange(const QString &field, double fromDay, double toDay);
    // field " <= ?" with a day widened to 23:59:59 of that day.
    FilterBuilder &upToDay(const QString &field, double toDay);
    // field " >= " from " and " field " <= " to, values written into the text.
    FilterBuilder &inlineRange(const QString &field, qint32 from, qint32 to);

    // field " like ?" bound to the typed text followed by "%"; an empty text adds nothing.
    FilterBuilder &like(const QString &field, const QString &prefix);

    // field " in(?,?)" / " in(?,?,?)" and field " not in(?,?)": small fixed sets.
    FilterBuilder &in(const QString &field, const QVariantList &values);
    FilterBuilder &notIn(const QString &field, const QVariantList &values);

    // field " in(" numbers joined by "," ")": written inline, so every value must be an integer.
    FilterBuilder &inNumbers(const QString &field, const QList<qint32> &numbers);
    FilterBuilder &inNumbers(const QString &field, const QVariantList &numbers);

    // "(" field " < ? or " field " is NULL)".
    FilterBuilder &beforeOrNull(const QString &field, const QVariant &value);

    // "(" a " = ? or " b " = ?)".
    FilterBuilder &either(const QString &a, const QString &b, const QVariant &aValue, const QVariant &bValue);
    FilterBuilder &either(const QString &a, const QString &b, const QVariant &value)
    {
        return either(a, b, value, value);
    }

    QString where() const { return m_where; }
    QVariantList values() const { return m_values; }
    bool isEmpty() const { return m_where.isEmpty(); }

    // False once a condition was refused (a field that is not a plain name, a set of the wrong
    // size, a non-integer in an inline set); the filter must then not be run, since it would be wider than asked for.
    bool isValid() const { return m_error.isEmpty(); }
    QString errorText() const { return m_error; }

private:
    bool acceptField(const QString &field);
    void append(const QString &condition);
    void refuse(const QString &why);
    FilterBuilder &set(const QString &field, const QString &keyword, const QVariantList &values, qsizetype minCount,
                       qsizetype maxCount);

    QString m_where;
    QVariantList m_values;
    QString m_error;
};

// The ORDER BY argument: a field name, optionally followed by " desc".
QString OrderBy(const QString &field, bool descending = false);

// Whether value can be written inline as a decimal 32-bit integer.
bool IsInlineInteger(const QVariant &value, qint32 *number = nullptr);
