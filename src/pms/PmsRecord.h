#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

// One record of the PMS link protocol: STX, a two-letter record type, then fields separated by
// "|", each a two-character field id and its value, then ETX (docs/pms-interface.md).
struct PmsRecord
{
    QByteArray type; // "KR", "KA", "LS", ...
    QList<QPair<QByteArray, QString>> fields;

    // The value of the first field with this id; a null QString when the record has none.
    QString value(const char *id) const;
    bool has(const char *id) const;
    PmsRecord &add(const char *id, const QString &value);
};

// The bytes of one framed record.
QByteArray formatPmsRecord(const PmsRecord &record);

// Splits a byte stream into records. Bytes outside STX ... ETX are dropped; a frame that does not
// parse is reported as an error and dropped, so one bad frame never stops the link.
class PmsFrameReader
{
public:
    void append(const QByteArray &bytes);
    // The next whole record, or nothing when none is complete yet. A malformed frame gives a record
    // with an empty type and error() set.
    std::optional<PmsRecord> next();
    QString error() const { return m_error; }

private:
    QByteArray m_buffer;
    QString m_error;
};

// The record types and fields one side sends or expects, for the link-record (LR) exchange.
struct PmsRecordDescription
{
    QByteArray type;
    QList<QByteArray> fields;
};

// What the link layer hands key requests (KR, KD, KM, ...) to. The answer may come later, after
// the encoder has written the cards; reply is called exactly once per request.
class PmsRequestHandler
{
public:
    virtual ~PmsRequestHandler() = default;
    // The record types this handler answers and the records it sends, with their fields.
    virtual QList<PmsRecordDescription> records() const = 0;
    virtual void handle(const PmsRecord &request, std::function<void(const PmsRecord &answer)> reply) = 0;
};
