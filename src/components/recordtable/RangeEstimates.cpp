#include "components/recordtable/RangeEstimates.h"

#include "components/recordtable/Dialect.h"

#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace RangeEstimates {
namespace {

bool numberOf(const QVariant &v, double &out)
{
    if (v.isNull())
        return false;
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        out = v.toDouble();
        return std::isfinite(out);
    default:
        return false; // a text stored in a number column: no estimate
    }
}

bool estimable(const RangeTerm &term)
{
    return term.column && term.column->sourceIndexed;
}

} // namespace

QString sourceKey(const ColumnDef &column)
{
    return column.sourceTable + QLatin1Char('.') + column.sourceColumn;
}

QList<double> shares(const QList<RangeTerm> &terms, const QVariantList &parameters, const Extremes &extremes)
{
    QList<double> out(terms.size(), NoEstimate);
    QStringList order;
    QHash<QString, QList<int>> byColumn;
    for (int i = 0; i < terms.size(); ++i) {
        if (!estimable(terms.at(i)))
            continue;
        const QString key = sourceKey(*terms.at(i).column);
        if (!byColumn.contains(key))
            order << key;
        byColumn[key] << i;
    }
    for (const QString &key : order) {
        const auto extreme = extremes.constFind(key);
        if (extreme == extremes.constEnd())
            continue;
        const auto [least, greatest] = *extreme;
        if (!(greatest > least))
            continue;
        const QList<int> &indexes = byColumn.value(key);
        double low = -std::numeric_limits<double>::infinity();
        double high = std::numeric_limits<double>::infinity();
        bool known = true;
        for (const int i : indexes) {
            const RangeTerm &t = terms.at(i);
            double value = t.number;
            if (t.marker >= 0 && !numberOf(parameters.value(t.marker), value)) {
                known = false;
                break;
            }
            if (t.lower)
                low = std::max(low, value);
            else
                high = std::min(high, value);
        }
        if (!known)
            continue;
        const double share = (std::min(high, greatest) - std::max(low, least)) / (greatest - least);
        out[indexes.first()] = std::clamp(share, 0.0, 1.0);
        for (qsizetype k = 1; k < indexes.size(); ++k)
            out[indexes.at(k)] = 1.0;
    }
    return out;
}

QList<double> estimate(QSqlDatabase db, const QList<RangeTerm> &terms, const QVariantList &parameters)
{
    QStringList keys, columns;
    for (const RangeTerm &t : terms) {
        if (!estimable(t) || keys.contains(sourceKey(*t.column)))
            continue;
        keys << sourceKey(*t.column);
        // One aggregate per subquery: only then does the engine read it off the index's ends.
        for (const char *f : {"MIN", "MAX"}) {
            columns << QStringLiteral("(SELECT %1(%2) FROM %3)")
                           .arg(QLatin1String(f), Dialect::quote(t.column->sourceColumn),
                                Dialect::quote(t.column->sourceTable));
        }
    }
    Extremes extremes;
    if (keys.isEmpty())
        return shares(terms, parameters, extremes);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", "))) && q.next()) {
        for (int i = 0; i < keys.size(); ++i) {
            double least = 0, greatest = 0;
            if (numberOf(q.value(2 * i), least) && numberOf(q.value(2 * i + 1), greatest))
                extremes.insert(keys.at(i), {least, greatest});
        }
    }
    // Without extremes (a failed read) the terms go unestimated and the query runs as written.
    return shares(terms, parameters, extremes);
}

} // namespace RangeEstimates
