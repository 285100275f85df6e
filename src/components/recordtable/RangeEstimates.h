#pragma once

#include "components/recordtable/TableDefs.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QVariant>

#include <utility>

// One comparison "field op value" of a filter (op one of >= > <= <, the value a "?" or a number)
// that stands alone between the ANDs of the filter's top level, so the filter holds only where it
// holds.
struct RangeTerm
{
    int token = 0; // the field's index among the filter's tokens; the operator and value follow
    const ColumnDef *column = nullptr;
    bool lower = true; // >= or >
    int marker = -1;   // the value's "?" (index into the parameters), or -1 for a written number
    double number = 0;
};

// Estimates of how many rows a range lets through, for an engine whose planner cannot tell (it
// assumes every range keeps the same share of a table, so a range spanning all the values looks
// as narrow as a five-day window). Only fields whose base column leads an index are estimated:
// elsewhere the estimate could not change the plan.
namespace RangeEstimates {

inline constexpr double NoEstimate = -1.0;

// Smallest and largest stored value per base column ("table.column").
using Extremes = QHash<QString, std::pair<double, double>>;

QString sourceKey(const ColumnDef &column);

// The share of rows each term lets through, in the order of the terms (NoEstimate where there is
// none): the stored values are taken to spread evenly between their extremes. The terms on one
// column are estimated together: the first carries the share of the range they bound, the others 1.
// A column whose value is unknown, NULL or no number, or whose extremes are missing or equal, gets
// no estimate.
QList<double> shares(const QList<RangeTerm> &terms, const QVariantList &parameters, const Extremes &extremes);

// The same with the extremes read from the database: two index lookups per column.
QList<double> estimate(QSqlDatabase db, const QList<RangeTerm> &terms, const QVariantList &parameters);

} // namespace RangeEstimates
