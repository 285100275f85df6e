#include "ui/grid/Filter.h"

#include "core/OleDate.h"

#include <QRegularExpression>

#include <limits>

namespace {
QString operatorText(FilterBuilder::Compare op)
{
    switch (op) {
    case FilterBuilder::Compare::Equal:
        return QStringLiteral(" = ?");
    case FilterBuilder::Compare::NotEqual:
        return QStringLiteral(" <> ?");
    case FilterBuilder::Compare::Greater:
        return QStringLiteral(" > ?");
    case FilterBuilder::Compare::Less:
        return QStringLiteral(" < ?");
    case FilterBuilder::Compare::GreaterOrEqual:
        return QStringLiteral(" >= ?");
    case FilterBuilder::Compare::LessOrEqual:
        return QStringLiteral(" <= ?");
    }
    return {};
}

QString joinedNumbers(const QList<qint32> &numbers)
{
    QStringList parts;
    parts.reserve(numbers.size());
    for (qint32 number : numbers)
        parts << QString::number(number);
    return parts.join(QLatin1Char(','));
}
} // namespace

bool IsInlineInteger(const QVariant &value, qint32 *number)
{
    qint64 wide = 0;
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        wide = value.toLongLong();
        break;
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > static_cast<qulonglong>(std::numeric_limits<qint32>::max()))
            return false;
        wide = static_cast<qint64>(unsignedValue);
        break;
    }
    case QMetaType::QString: {
        // Digits only: no blanks, signs of their own, or anything that would end the list.
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,10}$"));
        const QString text = value.toString();
        if (!digits.match(text).hasMatch())
            return false;
        wide = text.toLongLong();
        break;
    }
    default:
        return false;
    }
    if (wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return false;
    if (number)
        *number = static_cast<qint32>(wide);
    return true;
}

bool FilterBuilder::acceptField(const QString &field)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (name.match(field).hasMatch())
        return true;
    refuse(QStringLiteral("\"%1\" is not a field name").arg(field));
    return false;
}

void FilterBuilder::append(const QString &condition)
{
    if (!m_where.isEmpty())
        m_where += QStringLiteral(" and ");
    m_where += condition;
}

void FilterBuilder::refuse(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
}

FilterBuilder &FilterBuilder::compare(const QString &field, Compare op, const QVariant &value)
{
    if (!acceptField(field))
        return *this;
    append(field + operatorText(op));
    m_values << value;
    return *this;
}

FilterBuilder &FilterBuilder::range(const QString &field, const QVariant &from, const QVariant &to)
{
    if (!acceptField(field))
        return *this;
    append(field + QStringLiteral(" >= ? and ") + field + QStringLiteral(" <= ?"));
    m_values << from << to;
    return *this;
}

FilterBuilder &FilterBuilder::dayRange(const QString &field, double fromDay, double toDay)
{
    return range(field, fromDay, OleDate::endOfDay(toDay));
}

FilterBuilder &FilterBuilder::upToDay(const QString &field, double toDay)
{
    return compare(field, Compare::LessOrEqual, OleDate::endOfDay(toDay));
}

FilterBuilder &FilterBuilder::inlineRange(const QString &field, qint32 from, qint32 to)
{
    if (!acceptField(field))
        return *this;
    append(field + QStringLiteral(" >= ") + QString::number(from) + QStringLiteral(" and ") + field +
           QStringLiteral(" <= ") + QString::number(to));
    return *this;
}

FilterBuilder &FilterBuilder::like(const QString &field, const QString &prefix)
{
    if (!acceptField(field))
        return *this;
    if (prefix.isEmpty())
        return *this;
    append(field + QStringLiteral(" like ?"));
    m_values << QVariant(prefix + QLatin1Char('%'));
    return *this;
}

FilterBuilder &FilterBuilder::set(const QString &field, const QString &keyword, const QVariantList &values,
                                  qsizetype minCount, qsizetype maxCount)
{
    if (!acceptField(field))
        return *this;
    if (values.size() < minCount || values.size() > maxCount) {
        refuse(QStringLiteral("%1:%2 takes %3 to %4 values, not %5")
                   .arg(field, keyword.trimmed())
                   .arg(minCount)
                   .arg(maxCount)
                   .arg(values.size()));
        return *this;
    }
    QStringList markers(values.size(), QStringLiteral("?"));
    append(field + keyword + markers.join(QLatin1Char(',')) + QLatin1Char(')'));
    m_values += values;
    return *this;
}

FilterBuilder &FilterBuilder::in(const QString &field, const QVariantList &values)
{
    return set(field, QStringLiteral(" in("), values, 2, 3);
}

FilterBuilder &FilterBuilder::notIn(const QString &field, const QVariantList &values)
{
    return set(field, QStringLiteral(" not in("), values, 2, 2);
}

FilterBuilder &FilterBuilder::inNumbers(const QString &field, const QList<qint32> &numbers)
{
    if (!acceptField(field))
        return *this;
    append(field + QStringLiteral(" in(") + joinedNumbers(numbers) + QLatin1Char(')'));
    return *this;
}

FilterBuilder &FilterBuilder::inNumbers(const QString &field, const QVariantList &numbers)
{
    QList<qint32> checked;
    checked.reserve(numbers.size());
    for (const QVariant &value : numbers) {
        qint32 number = 0;
        if (!IsInlineInteger(value, &number)) {
            refuse(QStringLiteral("%1 in(): %2 is not an integer").arg(field, value.toString()));
            return *this;
        }
        checked << number;
    }
    return inNumbers(field, checked);
}

FilterBuilder &FilterBuilder::beforeOrNull(const QString &field, const QVariant &value)
{
    if (!acceptField(field))
        return *this;
    append(QLatin1Char('(') + field + QStringLiteral(" < ? or ") + field + QStringLiteral(" is NULL)"));
    m_values << value;
    return *this;
}

FilterBuilder &FilterBuilder::either(const QString &a, const QString &b, const QVariant &aValue, const QVariant &bValue)
{
    if (!acceptField(a) || !acceptField(b))
        return *this;
    append(QLatin1Char('(') + a + QStringLiteral(" = ? or ") + b + QStringLiteral(" = ?)"));
    m_values << aValue << bValue;
    return *this;
}

QString OrderBy(const QString &field, bool descending)
{
    return descending ? field + QStringLiteral(" desc") : field;
}
