#pragma once

#include "components/cardserver/CardFormatStatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// The types a card field keeps: the VARIANT types the card dialogs pass.
enum class CardFieldType : quint8 { Int16 = 1, Int32 = 2, Date = 3, Text = 4 };

struct CardFieldValue
{
    CardFieldType type = CardFieldType::Int32;
    qint32 integer = 0; // Int16 and Int32
    double date = 0.0;  // Date: an OLE automation date
    QString text;       // Text

    static CardFieldValue int16(qint16 value);
    static CardFieldValue int32(qint32 value);
    static CardFieldValue fromDate(double ole);
    static CardFieldValue fromText(const QString &text);
    // qint16 → Int16; int, or an unsigned or 64-bit number in the 32-bit range → Int32;
    // double → Date; QString → Text; anything else has no card field type.
    static std::optional<CardFieldValue> fromVariant(const QVariant &value);
    QVariant toVariant() const;

    bool operator==(const CardFieldValue &) const = default;
};

struct CardField
{
    QString name;
    CardFieldValue value;
    bool operator==(const CardField &) const = default;
};

struct DoorRange
{
    quint8 kind = 100;
    qint32 first = 0;
    qint32 last = 0;
    bool operator==(const DoorRange &) const = default;
};

struct CardBlock
{
    quint8 type = 0;
    QList<qint32> values;
    QList<double> dates;
    QList<DoorRange> ranges;
    bool operator==(const CardBlock &) const = default;
};

// One card image: a header (installation, card kind, registration number, issue and expire time),
// an ordered list of blocks, and named card fields. The card dialogs build it through the
// card-encoding server's calls; encode() and decode() convert it to and from the bytes on a card
// (docs/card-format.md). Every call that can refuse returns a CardFormatStatus.
//
// The fields "cardNameID" (32-bit), "registrationNumber" (32-bit, stored form), "issueTime" and
// "expireTime" (dates) live in the header; every other name is kept in the field list in the order
// it was first set.
class CardImage
{
public:
    static constexpr quint8 kFormatVersion = 1;
    static constexpr qsizetype kHeaderSize = 40;
    static constexpr qsizetype kCrcSize = 4;
    static constexpr qsizetype kMinSize = kHeaderSize + kCrcSize;
    // The largest image a card holds; a guest card with eight rooms, eight common rooms and a
    // track-2 string needs under 400 bytes.
    static constexpr qsizetype kMaxSize = 4096;
    static constexpr int kMaxFieldName = 32;
    static constexpr int kMaxFieldText = 255;
    static constexpr int kMaxCount = 255; // blocks, fields, and values, dates, ranges per block
    // Dates outside the range of OLE automation dates (years 100 to 9999) are refused.
    static constexpr double kMinDate = -657434.0;
    static constexpr double kMaxDate = 2958466.0;

    // Building, in the card-encoding server's terms.
    void NewCard();
    qint32 BeginBlock(qint32 type);
    qint32 AddBlockValue(qint32 value);
    qint32 AddBlockDate(double date);
    qint32 AddDoorRange(qint32 kind, qint32 first, qint32 last);
    qint32 SetImageOptionA(qint32 option);
    qint32 SetImageOptionB(qint32 option);
    // Setting a name again replaces its value in place.
    qint32 SetCardField(const QString &name, const CardFieldValue &value);
    std::optional<CardFieldValue> GetCardField(const QString &name) const;

    // Walking the door ranges of every block in order. GetNextValue gives the next value of the
    // block the last range came from (before the first range: of the first block); both return
    // NoMore, and zeros, when there is nothing further.
    qint32 GetNextRange(qint32 &kind, qint32 &blockType, qint32 &first, qint32 &last);
    qint32 GetNextValue(qint32 &value);
    void rewind();

    // Set by the server, not by the dialogs.
    quint32 installationId() const { return m_installationId; }
    void setInstallationId(quint32 id) { m_installationId = id; }
    std::optional<quint32> registrationNumber() const;
    void setRegistrationNumber(quint32 stored);

    quint8 imageOptionA() const { return m_optionA; }
    quint8 imageOptionB() const { return m_optionB; }
    const QList<CardBlock> &blocks() const { return m_blocks; }
    // The header fields that are set, then the other fields in the order they were set.
    QList<CardField> fields() const;
    bool isEmpty() const;

    qsizetype encodedSize() const;
    qint32 encode(QByteArray &out) const;
    // Strict: anything encode() would not have written is refused; out is then empty.
    static qint32 decode(QByteArrayView bytes, CardImage &out);

    // Content only; the walk position does not count.
    bool operator==(const CardImage &other) const;

private:
    enum HeaderFlag : quint8 { HasKind = 1, HasIssueTime = 2, HasExpireTime = 4, HasRegistration = 8 };

    static bool isValidFieldName(const QString &name);
    static bool isValidDate(double date);
    static qsizetype fieldSize(const QString &name, const CardFieldValue &value);
    qint32 checkRoom(qsizetype extra) const;

    quint32 m_installationId = 0;
    quint8 m_flags = 0;
    qint32 m_kind = 0;
    quint32 m_registration = 0;
    double m_issueTime = 0.0;
    double m_expireTime = 0.0;
    quint8 m_optionA = 0;
    quint8 m_optionB = 0;
    QList<CardBlock> m_blocks;
    QList<CardField> m_fields;

    qsizetype m_walkBlock = 0;
    qsizetype m_walkRange = 0;
    qsizetype m_walkValue = 0;
};
