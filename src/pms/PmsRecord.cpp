#include "pms/PmsRecord.h"

#include <cctype>

namespace {
constexpr char Stx = '\x02';
constexpr char Etx = '\x03';
} // namespace

QString PmsRecord::value(const char *id) const
{
    for (const auto &f : fields) {
        if (f.first == id)
            return f.second.isNull() ? QStringLiteral("") : f.second;
    }
    return QString();
}

bool PmsRecord::has(const char *id) const
{
    for (const auto &f : fields) {
        if (f.first == id)
            return true;
    }
    return false;
}

PmsRecord &PmsRecord::add(const char *id, const QString &value)
{
    fields.append({QByteArray(id), value});
    return *this;
}

QByteArray formatPmsRecord(const PmsRecord &record)
{
    QByteArray out;
    out += Stx;
    out += record.type;
    out += '|';
    for (const auto &f : record.fields) {
        // A separator or frame byte inside a value would split the record on the other side.
        QByteArray v = f.second.toUtf8();
        v.replace('|', ' ').replace(Stx, ' ').replace(Etx, ' ');
        out += f.first + v + '|';
    }
    out += Etx;
    return out;
}

void PmsFrameReader::append(const QByteArray &bytes)
{
    m_buffer += bytes;
}

std::optional<PmsRecord> PmsFrameReader::next()
{
    const qsizetype start = m_buffer.indexOf(Stx);
    if (start < 0) {
        m_buffer.clear();
        return std::nullopt;
    }
    // A second STX before the ETX means the first frame was cut off: start again there.
    qsizetype end = m_buffer.indexOf(Etx, start + 1);
    const qsizetype restart = m_buffer.indexOf(Stx, start + 1);
    if (restart >= 0 && (end < 0 || restart < end)) {
        m_buffer.remove(0, restart);
        m_error = QStringLiteral("A frame without its end was dropped");
        return PmsRecord{};
    }
    if (end < 0) {
        m_buffer.remove(0, start);
        return std::nullopt;
    }
    const QByteArray body = m_buffer.mid(start + 1, end - start - 1);
    m_buffer.remove(0, end + 1);
    m_error.clear();

    const QList<QByteArray> parts = body.split('|');
    PmsRecord record;
    record.type = parts.value(0);
    if (record.type.size() != 2 || !std::isalpha(static_cast<unsigned char>(record.type[0])) ||
        !std::isalpha(static_cast<unsigned char>(record.type[1]))) {
        m_error = QStringLiteral("A frame without a two-letter record type was dropped");
        return PmsRecord{};
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray &p = parts[i];
        if (p.isEmpty())
            continue; // the trailing separator
        if (p.size() < 2) {
            m_error = QStringLiteral("A field without a two-character id was dropped with its record");
            return PmsRecord{};
        }
        record.fields.append({p.left(2), QString::fromUtf8(p.mid(2))});
    }
    return record;
}
