#include "pms/PmsRecord.h"

#include <QStringDecoder>

#include <cctype>

namespace {
constexpr char Stx = '\x02';
constexpr char Etx = '\x03';
// A key request is a few hundred bytes; a frame this long is a peer that never sends ETX.
constexpr qsizetype MaxFrame = 8192;

// Most PMSs send UTF-8 today; older ones send Latin-1 names, which would otherwise turn into
// replacement characters on the card and in the log.
QString decodeValue(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString s = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return s;
}
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
    if ((end < 0 ? m_buffer.size() : end) - start > MaxFrame) {
        // Keep the ETX, if any: bytes outside a frame are dropped by the next call.
        m_buffer.remove(0, end < 0 ? m_buffer.size() : end);
        m_error = QStringLiteral("A frame longer than %1 bytes was dropped").arg(MaxFrame);
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
        record.fields.append({p.left(2), decodeValue(p.mid(2))});
    }
    return record;
}
