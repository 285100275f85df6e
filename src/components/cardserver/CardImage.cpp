#include "components/cardserver/CardImage.h"

#include <cmath>
#include <limits>

namespace {

const QString kCardNameID = QStringLiteral("cardNameID");
const QString kRegistrationNumber = QStringLiteral("registrationNumber");
const QString kIssueTime = QStringLiteral("issueTime");
const QString kExpireTime = QStringLiteral("expireTime");

qsizetype valueSize(const CardFieldValue &value)
{
    switch (value.type) {
    case CardFieldType::Int16:
        return 2;
    case CardFieldType::Int32:
        return 4;
    case CardFieldType::Date:
        return 8;
    case CardFieldType::Text:
        return 1 + value.text.toUtf8().size();
    }
    return 0;
}

qsizetype blockSize(const CardBlock &block)
{
    return 4 + 4 * block.values.size() + 8 * block.dates.size() + 9 * block.ranges.size();
}

} // namespace

CardFieldValue CardFieldValue::int16(qint16 value)
{
    CardFieldValue v;
    v.type = CardFieldType::Int16;
    v.integer = value;
    return v;
}

CardFieldValue CardFieldValue::int32(qint32 value)
{
    CardFieldValue v;
    v.type = CardFieldType::Int32;
    v.integer = value;
    return v;
}

CardFieldValue CardFieldValue::fromDate(double ole)
{
    CardFieldValue v;
    v.type = CardFieldType::Date;
    v.date = ole;
    return v;
}

CardFieldValue CardFieldValue::fromText(const QString &text)
{
    CardFieldValue v;
    v.type = CardFieldType::Text;
    v.text = text;
    return v;
}

std::optional<CardFieldValue> CardFieldValue::fromVariant(const QVariant &value)
{
    constexpr qint64 lo = std::numeric_limits<qint32>::min();
    constexpr qint64 hi = std::numeric_limits<qint32>::max();
    switch (value.metaType().id()) {
    case QMetaType::Short:
        return int16(value.value<qint16>());
    case QMetaType::Int:
        return int32(value.toInt());
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 n = value.toULongLong();
        return n <= quint64(hi) ? std::optional(int32(qint32(n))) : std::nullopt;
    }
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qint64 n = value.toLongLong();
        return n >= lo && n <= hi ? std::optional(int32(qint32(n))) : std::nullopt;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDate(value.toDouble());
    case QMetaType::QString:
        return fromText(value.toString());
    default:
        return std::nullopt;
    }
}

QVariant CardFieldValue::toVariant() const
{
    switch (type) {
    case CardFieldType::Int16:
        return QVariant::fromValue(qint16(integer));
    case CardFieldType::Int32:
        return QVariant::fromValue(integer);
    case CardFieldType::Date:
        return QVariant::fromValue(date);
    case CardFieldType::Text:
        return QVariant::fromValue(text);
    }
    return {};
}

void CardImage::NewCard()
{
    *this = CardImage();
}

qint32 CardImage::checkRoom(qsizetype extra) const
{
    return encodedSize() + extra > kMaxSize ? CardFormatStatus::TooLarge : CardFormatStatus::Ok;
}

qint32 CardImage::BeginBlock(qint32 type)
{
    if (type < 1 || type > 255)
        return CardFormatStatus::InvalidArgument;
    if (m_blocks.size() >= kMaxCount)
        return CardFormatStatus::TooLarge;
    if (const qint32 status = checkRoom(blockSize(CardBlock{})))
        return status;
    CardBlock block;
    block.type = quint8(type);
    m_blocks.append(block);
    return CardFormatStatus::Ok;
}

qint32 CardImage::AddBlockValue(qint32 value)
{
    if (m_blocks.isEmpty())
        return CardFormatStatus::NoBlock;
    if (m_blocks.last().values.size() >= kMaxCount)
        return CardFormatStatus::TooLarge;
    if (const qint32 status = checkRoom(4))
        return status;
    m_blocks.last().values.append(value);
    return CardFormatStatus::Ok;
}

qint32 CardImage::AddBlockDate(double date)
{
    if (m_blocks.isEmpty())
        return CardFormatStatus::NoBlock;
    if (!isValidDate(date))
        return CardFormatStatus::InvalidArgument;
    if (m_blocks.last().dates.size() >= kMaxCount)
        return CardFormatStatus::TooLarge;
    if (const qint32 status = checkRoom(8))
        return status;
    m_blocks.last().dates.append(date);
    return CardFormatStatus::Ok;
}

qint32 CardImage::AddDoorRange(qint32 kind, qint32 first, qint32 last)
{
    if (m_blocks.isEmpty())
        return CardFormatStatus::NoBlock;
    if (kind < 0 || kind > 255 || first < 0 || first > last)
        return CardFormatStatus::InvalidArgument;
    if (m_blocks.last().ranges.size() >= kMaxCount)
        return CardFormatStatus::TooLarge;
    if (const qint32 status = checkRoom(9))
        return status;
    m_blocks.last().ranges.append(DoorRange{quint8(kind), first, last});
    return CardFormatStatus::Ok;
}

qint32 CardImage::SetImageOptionA(qint32 option)
{
    if (option < 0 || option > 255)
        return CardFormatStatus::InvalidArgument;
    m_optionA = quint8(option);
    return CardFormatStatus::Ok;
}

qint32 CardImage::SetImageOptionB(qint32 option)
{
    if (option < 0 || option > 255)
        return CardFormatStatus::InvalidArgument;
    m_optionB = quint8(option);
    return CardFormatStatus::Ok;
}

bool CardImage::isValidFieldName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxFieldName)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'_';
        if (!letter && (i == 0 || !other))
            return false;
    }
    return true;
}

bool CardImage::isValidDate(double date)
{
    return std::isfinite(date) && date >= kMinDate && date < kMaxDate;
}

qsizetype CardImage::fieldSize(const QString &name, const CardFieldValue &value)
{
    return 1 + name.size() + 1 + valueSize(value);
}

qint32 CardImage::SetCardField(const QString &name, const CardFieldValue &value)
{
    if (!isValidFieldName(name))
        return CardFormatStatus::InvalidArgument;
    const bool integer = value.type == CardFieldType::Int16 || value.type == CardFieldType::Int32;
    if (name == kCardNameID || name == kRegistrationNumber) {
        if (!integer)
            return CardFormatStatus::InvalidArgument;
        if (name == kCardNameID) {
            m_kind = value.integer;
            m_flags |= HasKind;
        } else {
            setRegistrationNumber(quint32(value.integer));
        }
        return CardFormatStatus::Ok;
    }
    if (name == kIssueTime || name == kExpireTime) {
        if (value.type != CardFieldType::Date || !isValidDate(value.date))
            return CardFormatStatus::InvalidArgument;
        if (name == kIssueTime) {
            m_issueTime = value.date;
            m_flags |= HasIssueTime;
        } else {
            m_expireTime = value.date;
            m_flags |= HasExpireTime;
        }
        return CardFormatStatus::Ok;
    }

    // Normalise, so what is kept is exactly what a decoded card gives back.
    CardFieldValue kept;
    switch (value.type) {
    case CardFieldType::Int16:
        if (value.integer < -32768 || value.integer > 32767)
            return CardFormatStatus::InvalidArgument;
        kept = CardFieldValue::int16(qint16(value.integer));
        break;
    case CardFieldType::Int32:
        kept = CardFieldValue::int32(value.integer);
        break;
    case CardFieldType::Date:
        if (!isValidDate(value.date))
            return CardFormatStatus::InvalidArgument;
        kept = CardFieldValue::fromDate(value.date);
        break;
    case CardFieldType::Text:
        if (!value.text.isValidUtf16() || value.text.toUtf8().size() > kMaxFieldText)
            return CardFormatStatus::InvalidArgument;
        kept = CardFieldValue::fromText(value.text);
        break;
    default:
        return CardFormatStatus::InvalidArgument;
    }

    for (CardField &field : m_fields) {
        if (field.name != name)
            continue;
        if (const qint32 status = checkRoom(valueSize(kept) - valueSize(field.value)))
            return status;
        field.value = kept;
        return CardFormatStatus::Ok;
    }
    if (m_fields.size() >= kMaxCount)
        return CardFormatStatus::TooLarge;
    if (const qint32 status = checkRoom(fieldSize(name, kept)))
        return status;
    m_fields.append(CardField{name, kept});
    return CardFormatStatus::Ok;
}

std::optional<CardFieldValue> CardImage::GetCardField(const QString &name) const
{
    if (name == kCardNameID)
        return (m_flags & HasKind) ? std::optional(CardFieldValue::int32(m_kind)) : std::nullopt;
    if (name == kRegistrationNumber)
        return (m_flags & HasRegistration) ? std::optional(CardFieldValue::int32(qint32(m_registration)))
                                           : std::nullopt;
    if (name == kIssueTime)
        return (m_flags & HasIssueTime) ? std::optional(CardFieldValue::fromDate(m_issueTime)) : std::nullopt;
    if (name == kExpireTime)
        return (m_flags & HasExpireTime) ? std::optional(CardFieldValue::fromDate(m_expireTime)) : std::nullopt;
    for (const CardField &field : m_fields) {
        if (field.name == name)
            return field.value;
    }
    return std::nullopt;
}

QList<CardField> CardImage::fields() const
{
    QList<CardField> all;
    for (const QString &name : {kCardNameID, kRegistrationNumber, kIssueTime, kExpireTime}) {
        if (const auto value = GetCardField(name))
            all.append(CardField{name, *value});
    }
    all.append(m_fields);
    return all;
}

std::optional<quint32> CardImage::registrationNumber() const
{
    return (m_flags & HasRegistration) ? std::optional(m_registration) : std::nullopt;
}

void CardImage::setRegistrationNumber(quint32 stored)
{
    m_registration = stored;
    m_flags |= HasRegistration;
}

bool CardImage::isEmpty() const
{
    return m_flags == 0 && m_blocks.isEmpty() && m_fields.isEmpty() && m_optionA == 0 && m_optionB == 0;
}

qint32 CardImage::GetNextRange(qint32 &kind, qint32 &blockType, qint32 &first, qint32 &last)
{
    qsizetype b = m_walkBlock;
    qsizetype r = m_walkRange;
    while (b < m_blocks.size() && r >= m_blocks.at(b).ranges.size()) {
        ++b;
        r = 0;
    }
    if (b >= m_blocks.size()) {
        m_walkBlock = m_blocks.size();
        kind = blockType = first = last = 0;
        return CardFormatStatus::NoMore;
    }
    if (b != m_walkBlock)
        m_walkValue = 0;
    m_walkBlock = b;
    m_walkRange = r + 1;
    const DoorRange &range = m_blocks.at(b).ranges.at(r);
    kind = range.kind;
    blockType = m_blocks.at(b).type;
    first = range.first;
    last = range.last;
    return CardFormatStatus::Ok;
}

qint32 CardImage::GetNextValue(qint32 &value)
{
    if (m_walkBlock >= m_blocks.size() || m_walkValue >= m_blocks.at(m_walkBlock).values.size()) {
        value = 0;
        return CardFormatStatus::NoMore;
    }
    value = m_blocks.at(m_walkBlock).values.at(m_walkValue++);
    return CardFormatStatus::Ok;
}

void CardImage::rewind()
{
    m_walkBlock = m_walkRange = m_walkValue = 0;
}

qsizetype CardImage::encodedSize() const
{
    qsizetype size = kMinSize;
    for (const CardBlock &block : m_blocks)
        size += blockSize(block);
    for (const CardField &field : m_fields)
        size += fieldSize(field.name, field.value);
    return size;
}

bool CardImage::operator==(const CardImage &other) const
{
    return m_installationId == other.m_installationId && m_flags == other.m_flags && m_kind == other.m_kind &&
           m_registration == other.m_registration && m_issueTime == other.m_issueTime &&
           m_expireTime == other.m_expireTime && m_optionA == other.m_optionA && m_optionB == other.m_optionB &&
           m_blocks == other.m_blocks && m_fields == other.m_fields;
}
