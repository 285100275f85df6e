#include "components/recordtable/Values.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace Values {
namespace {

const QDate kOleEpoch(1899, 12, 30);

bool isIntegerType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatType(const QVariant &v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

// A number from a variant: integers, floats, booleans, numeric texts (C locale), dates.
bool toNumber(const QVariant &in, double &out)
{
    if (isIntegerType(in)) {
        out = static_cast<double>(in.toLongLong());
        return true;
    }
    if (isFloatType(in)) {
        out = in.toDouble();
        return std::isfinite(out);
    }
    if (in.typeId() == QMetaType::Bool) {
        out = in.toBool() ? 1 : 0;
        return true;
    }
    if (in.typeId() == QMetaType::QDateTime) {
        out = oleFromDateTime(in.toDateTime().toLocalTime());
        return true;
    }
    if (in.typeId() == QMetaType::QDate) {
        out = kOleEpoch.daysTo(in.toDate());
        return true;
    }
    if (in.typeId() == QMetaType::QString) {
        bool ok = false;
        out = QLocale::c().toDouble(in.toString().trimmed(), &ok);
        return ok && std::isfinite(out);
    }
    return false;
}

bool isEmpty(const QVariant &in)
{
    return !in.isValid() || in.isNull() || (in.typeId() == QMetaType::QString && in.toString().isEmpty());
}

} // namespace

double oleFromDateTime(const QDateTime &local)
{
    return static_cast<double>(kOleEpoch.daysTo(local.date())) + local.time().msecsSinceStartOfDay() / 86400000.0;
}

double oleNow()
{
    return oleFromDateTime(QDateTime::currentDateTime());
}

bool toColumn(ColumnType type, const QVariant &in, QVariant &out, QString &why)
{
    if (type == ColumnType::Blob) {
        if (!in.isValid() || in.isNull()) {
            out = QVariant(QMetaType(QMetaType::QByteArray));
            return true;
        }
        if (in.typeId() == QMetaType::QByteArray)
            out = in;
        else
            out = in.toString().toUtf8();
        return true;
    }
    if (type == ColumnType::Text) {
        if (!in.isValid() || in.isNull()) {
            out = QVariant(QMetaType(QMetaType::QString));
        } else if (in.typeId() == QMetaType::Bool) {
            out = in.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        } else if (isFloatType(in)) {
            out = numberText(in.toDouble());
        } else if (in.typeId() == QMetaType::QByteArray) {
            out = QString::fromUtf8(in.toByteArray());
        } else if (in.canConvert<QString>()) {
            out = in.toString();
        } else {
            why = QStringLiteral("a value of type %1 is no text").arg(QString::fromLatin1(in.typeName()));
            return false;
        }
        return true;
    }
    if (isEmpty(in)) {
        out = QVariant(QMetaType(type == ColumnType::Int32   ? QMetaType::Int
                                 : type == ColumnType::Int16 ? QMetaType::Short
                                                             : QMetaType::Double));
        return true;
    }
    double number = 0;
    if (!toNumber(in, number)) {
        why = QStringLiteral("'%1' is not a number").arg(in.toString().left(40));
        return false;
    }
    switch (type) {
    case ColumnType::Int32:
    case ColumnType::Int16: {
        const double rounded = std::nearbyint(number); // rounds half to even, as the client's conversions do
        const double lo = type == ColumnType::Int16 ? -32768.0 : double(std::numeric_limits<qint32>::min());
        const double hi = type == ColumnType::Int16 ? 32767.0 : double(std::numeric_limits<qint32>::max());
        if (rounded < lo || rounded > hi) {
            why = QStringLiteral("%1 is out of range for a %2-bit number")
                      .arg(numberText(number))
                      .arg(type == ColumnType::Int16 ? 16 : 32);
            return false;
        }
        out = static_cast<qint32>(rounded);
        return true;
    }
    default:
        out = number;
        return true;
    }
}

QVariant toParameter(const QVariant &in)
{
    if (in.typeId() == QMetaType::QDateTime || in.typeId() == QMetaType::QDate) {
        double d = 0;
        toNumber(in, d);
        return d;
    }
    if (in.typeId() == QMetaType::Short || in.typeId() == QMetaType::UShort || in.typeId() == QMetaType::Char ||
        in.typeId() == QMetaType::SChar || in.typeId() == QMetaType::UChar)
        return in.toInt();
    if (in.typeId() == QMetaType::Bool)
        return in.toBool() ? 1 : 0;
    return in;
}

QVariant fromDriver(ColumnType type, const QVariant &raw)
{
    if (!raw.isValid() || raw.isNull())
        return QVariant();
    // Most values arrive in the column's own type and are handed on as they are.
    const int have = raw.typeId();
    if ((type == ColumnType::Int32 && have == QMetaType::Int) ||
        ((type == ColumnType::Double || type == ColumnType::Date) && have == QMetaType::Double) ||
        (type == ColumnType::Text && have == QMetaType::QString) ||
        (type == ColumnType::Blob && have == QMetaType::QByteArray))
        return raw;
    bool ok = true;
    switch (type) {
    case ColumnType::Int32: {
        const qint64 v = raw.toLongLong(&ok);
        if (!ok)
            return QVariant();
        return static_cast<qint32>(v);
    }
    case ColumnType::Int16: {
        const qint64 v = raw.toLongLong(&ok);
        if (!ok)
            return QVariant();
        return QVariant::fromValue(static_cast<qint16>(v));
    }
    case ColumnType::Double:
    case ColumnType::Date: {
        const double v = raw.toDouble(&ok);
        return ok ? QVariant(v) : QVariant();
    }
    case ColumnType::Text:
        return raw.toString();
    case ColumnType::Blob:
        return raw.toByteArray();
    }
    return raw;
}

QString numberText(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

} // namespace Values
