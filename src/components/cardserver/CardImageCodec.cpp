// The byte layout of a card image; docs/card-format.md describes it field by field.
#include "components/cardserver/CardImage.h"
#include "components/cardserver/Crc32.h"

#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <bit>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'O', 'S', 'C', 'I'};
constexpr quint8 kKnownFlags = 0x0F;

// Header offsets.
constexpr qsizetype kOffVersion = 4;
constexpr qsizetype kOffFlags = 5;
constexpr qsizetype kOffLength = 6;
constexpr qsizetype kOffInstallation = 8;
constexpr qsizetype kOffKind = 12;
constexpr qsizetype kOffRegistration = 16;
constexpr qsizetype kOffIssueTime = 20;
constexpr qsizetype kOffExpireTime = 28;
constexpr qsizetype kOffOptionA = 36;
constexpr qsizetype kOffOptionB = 37;
constexpr qsizetype kOffBlockCount = 38;
constexpr qsizetype kOffFieldCount = 39;

class Writer
{
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void u16(quint16 v) { put(v); }
    void u32(quint32 v) { put(v); }
    void i32(qint32 v) { put(quint32(v)); }
    void f64(double v) { put(std::bit_cast<quint64>(v)); }
    void bytes(QByteArrayView b) { m_out.append(b); }
    QByteArray &out() { return m_out; }

private:
    template <typename T> void put(T v)
    {
        char buf[sizeof(T)];
        qToLittleEndian(v, buf);
        m_out.append(buf, sizeof(T));
    }
    QByteArray m_out;
};

// Reads the content between the header and the CRC; every take() is checked against the end.
class Reader
{
public:
    Reader(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    bool has(qsizetype n) const { return n >= 0 && m_size - m_pos >= n; }
    bool atEnd() const { return m_pos == m_size; }
    quint8 u8() { return quint8(m_data[m_pos++]); }
    quint16 u16() { return get<quint16>(); }
    qint32 i32() { return qint32(get<quint32>()); }
    double f64() { return std::bit_cast<double>(get<quint64>()); }
    QByteArrayView bytes(qsizetype n)
    {
        QByteArrayView v(m_data + m_pos, n);
        m_pos += n;
        return v;
    }

private:
    template <typename T> T get()
    {
        const T v = qFromLittleEndian<T>(m_data + m_pos);
        m_pos += sizeof(T);
        return v;
    }
    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

bool headerName(const QString &name)
{
    return name == u"cardNameID" || name == u"registrationNumber" || name == u"issueTime" || name == u"expireTime";
}

// Strict UTF-8: invalid sequences and anything that would not encode back to the same bytes
// (a leading byte-order mark the decoder would swallow) are refused.
bool decodeText(QByteArrayView bytes, QString &text)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

} // namespace

qint32 CardImage::encode(QByteArray &out) const
{
    out.clear();
    const qsizetype size = encodedSize();
    if (size > kMaxSize)
        return CardFormatStatus::TooLarge;

    Writer w;
    w.out().reserve(size);
    w.bytes(QByteArrayView(kMagic, 4));
    w.u8(kFormatVersion);
    w.u8(m_flags);
    w.u16(quint16(size));
    w.u32(m_installationId);
    w.i32(m_kind);
    w.u32(m_registration);
    w.f64(m_issueTime);
    w.f64(m_expireTime);
    w.u8(m_optionA);
    w.u8(m_optionB);
    w.u8(quint8(m_blocks.size()));
    w.u8(quint8(m_fields.size()));
    for (const CardBlock &block : m_blocks) {
        w.u8(block.type);
        w.u8(quint8(block.values.size()));
        w.u8(quint8(block.dates.size()));
        w.u8(quint8(block.ranges.size()));
        for (const qint32 value : block.values)
            w.i32(value);
        for (const double date : block.dates)
            w.f64(date);
        for (const DoorRange &range : block.ranges) {
            w.u8(range.kind);
            w.i32(range.first);
            w.i32(range.last);
        }
    }
    for (const CardField &field : m_fields) {
        w.u8(quint8(field.name.size()));
        w.bytes(field.name.toLatin1());
        w.u8(quint8(field.value.type));
        switch (field.value.type) {
        case CardFieldType::Int16:
            w.u16(quint16(qint16(field.value.integer)));
            break;
        case CardFieldType::Int32:
            w.i32(field.value.integer);
            break;
        case CardFieldType::Date:
            w.f64(field.value.date);
            break;
        case CardFieldType::Text: {
            const QByteArray text = field.value.text.toUtf8();
            w.u8(quint8(text.size()));
            w.bytes(text);
            break;
        }
        }
    }
    w.u32(crc32(w.out()));
    out = std::move(w.out());
    return CardFormatStatus::Ok;
}

qint32 CardImage::decode(QByteArrayView bytes, CardImage &out)
{
    out = CardImage();
    const qsizetype size = bytes.size();
    const char *data = bytes.data();
    if (size == 0)
        return CardFormatStatus::Blank;
    if (size > kMaxSize)
        return CardFormatStatus::TooLarge;
    if (std::memcmp(data, kMagic, size_t(std::min<qsizetype>(size, 4))) != 0)
        return CardFormatStatus::NotCardImage;
    if (size <= kOffVersion)
        return CardFormatStatus::Truncated;
    if (quint8(data[kOffVersion]) != kFormatVersion)
        return CardFormatStatus::BadVersion;
    if (size < kOffLength + 2)
        return CardFormatStatus::Truncated;
    const qsizetype declared = qFromLittleEndian<quint16>(data + kOffLength);
    if (declared > kMaxSize)
        return CardFormatStatus::TooLarge;
    if (declared < kMinSize)
        return CardFormatStatus::BadLength;
    if (size < declared)
        return CardFormatStatus::Truncated;
    if (size > declared)
        return CardFormatStatus::BadLength;
    const qsizetype contentEnd = size - kCrcSize;
    if (crc32(QByteArrayView(data, contentEnd)) != qFromLittleEndian<quint32>(data + contentEnd))
        return CardFormatStatus::BadChecksum;

    CardImage image;
    image.m_flags = quint8(data[kOffFlags]);
    image.m_installationId = qFromLittleEndian<quint32>(data + kOffInstallation);
    image.m_kind = qFromLittleEndian<qint32>(data + kOffKind);
    image.m_registration = qFromLittleEndian<quint32>(data + kOffRegistration);
    image.m_issueTime = std::bit_cast<double>(qFromLittleEndian<quint64>(data + kOffIssueTime));
    image.m_expireTime = std::bit_cast<double>(qFromLittleEndian<quint64>(data + kOffExpireTime));
    image.m_optionA = quint8(data[kOffOptionA]);
    image.m_optionB = quint8(data[kOffOptionB]);
    const int blockCount = quint8(data[kOffBlockCount]);
    const int fieldCount = quint8(data[kOffFieldCount]);

    // A header value that is not set is zero, so every image has exactly one encoding.
    const quint8 flags = image.m_flags;
    const auto unsetIsZero = [&](quint8 flag, qsizetype offset, qsizetype width) {
        if (flags & flag)
            return true;
        for (qsizetype i = 0; i < width; ++i) {
            if (data[offset + i] != 0)
                return false;
        }
        return true;
    };
    if ((flags & ~kKnownFlags) != 0 || !unsetIsZero(HasKind, kOffKind, 4) ||
        !unsetIsZero(HasRegistration, kOffRegistration, 4) || !unsetIsZero(HasIssueTime, kOffIssueTime, 8) ||
        !unsetIsZero(HasExpireTime, kOffExpireTime, 8) || !isValidDate(image.m_issueTime) ||
        !isValidDate(image.m_expireTime))
        return CardFormatStatus::BadContent;

    Reader r(data + kHeaderSize, contentEnd - kHeaderSize);
    for (int b = 0; b < blockCount; ++b) {
        if (!r.has(4))
            return CardFormatStatus::BadCount;
        CardBlock block;
        block.type = r.u8();
        const int values = r.u8();
        const int dates = r.u8();
        const int ranges = r.u8();
        if (block.type == 0)
            return CardFormatStatus::BadContent;
        if (!r.has(4 * values + 8 * dates + 9 * ranges))
            return CardFormatStatus::BadCount;
        for (int i = 0; i < values; ++i)
            block.values.append(r.i32());
        for (int i = 0; i < dates; ++i) {
            block.dates.append(r.f64());
            if (!isValidDate(block.dates.last()))
                return CardFormatStatus::BadContent;
        }
        for (int i = 0; i < ranges; ++i) {
            DoorRange range;
            range.kind = r.u8();
            range.first = r.i32();
            range.last = r.i32();
            if (range.first < 0 || range.first > range.last)
                return CardFormatStatus::BadContent;
            block.ranges.append(range);
        }
        image.m_blocks.append(block);
    }

    QSet<QString> names;
    for (int f = 0; f < fieldCount; ++f) {
        if (!r.has(1))
            return CardFormatStatus::BadCount;
        const int nameLength = r.u8();
        if (!r.has(nameLength + 1))
            return CardFormatStatus::BadCount;
        const QString name = QString::fromLatin1(r.bytes(nameLength));
        const quint8 type = r.u8();
        if (!isValidFieldName(name) || headerName(name) || names.contains(name))
            return CardFormatStatus::BadContent;
        names.insert(name);
        CardFieldValue value;
        switch (type) {
        case quint8(CardFieldType::Int16):
            if (!r.has(2))
                return CardFormatStatus::BadCount;
            value = CardFieldValue::int16(qint16(r.u16()));
            break;
        case quint8(CardFieldType::Int32):
            if (!r.has(4))
                return CardFormatStatus::BadCount;
            value = CardFieldValue::int32(r.i32());
            break;
        case quint8(CardFieldType::Date):
            if (!r.has(8))
                return CardFormatStatus::BadCount;
            value = CardFieldValue::fromDate(r.f64());
            if (!isValidDate(value.date))
                return CardFormatStatus::BadContent;
            break;
        case quint8(CardFieldType::Text): {
            if (!r.has(1))
                return CardFormatStatus::BadCount;
            const int length = r.u8();
            if (!r.has(length))
                return CardFormatStatus::BadCount;
            QString text;
            if (!decodeText(r.bytes(length), text))
                return CardFormatStatus::BadContent;
            value = CardFieldValue::fromText(text);
            break;
        }
        default:
            return CardFormatStatus::BadContent;
        }
        image.m_fields.append(CardField{name, value});
    }
    if (!r.atEnd())
        return CardFormatStatus::BadCount;

    out = std::move(image);
    return CardFormatStatus::Ok;
}
