#pragma once

#include "components/recordtable/TableDefs.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

// Conversions between the caller's QVariants, the column types and what the drivers return.
namespace Values {

// OLE automation date (days since 1899-12-30, time of day as fraction) of a local date and time.
double oleFromDateTime(const QDateTime &local);
double oleNow();

// The caller's value as the column's type; false with a reason when it does not convert.
// Empty texts and null values become NULL.
bool toColumn(ColumnType type, const QVariant &in, QVariant &out, QString &why);

// A parameter bound without a known column: dates become OLE dates, the rest passes unchanged.
QVariant toParameter(const QVariant &in);

// A driver value as the column's type (qint32, qint16, double, QString, QByteArray or null).
QVariant fromDriver(ColumnType type, const QVariant &raw);

// A number as the text stored in a text column ("Parameters": numbers and dates as decimal text).
QString numberText(double value);

} // namespace Values
