#include "components/cardserver/Readout.h"

#include <QDate>
#include <QSet>
#include <QStringDecoder>

#include <cmath>
#include <optional>

namespace {

// QDate(1899, 12, 30).toJulianDay(): day 0 of OLE automation dates.
constexpr qint64 kOleEpochJulianDay = 2415019;

struct Fault
{
    qint32 status;
    QString reason;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QList<QByteArrayView> tokens(QByteArrayView line)
{
    QList<QByteArrayView> out;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            out.append(line.sliced(start, i - start));
    }
    return out;
}

// Decimal digits only (no sign, at most ten), within [lo, hi].
bool number(QByteArrayView token, qint64 lo, qint64 hi, qint64 &value)
{
    if (token.isEmpty() || token.size() > 10)
        return false;
    qint64 n = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    if (n < lo || n > hi)
        return false;
    value = n;
    return true;
}

bool hex8(QByteArrayView token, quint32 &value)
{
    if (token.size() != 8)
        return false;
    quint32 n = 0;
    for (const char c : token) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        n = n * 16 + quint32(digit);
    }
    value = n;
    return true;
}

int digits(QByteArrayView text, qsizetype at, qsizetype count)
{
    int n = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

// Printable ASCII and tabs outside comments; comments may hold any UTF-8 text.
bool cleanLine(QByteArrayView line, bool comment)
{
    for (const char c : line) {
        const auto u = quint8(c);
        if (u == '\t' || (u >= 0x20 && u < 0x7F))
            continue;
        if (!comment || u < 0x80)
            return false;
    }
    if (!comment)
        return true;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // decode() is lazy: the text must be made for the decoder to look at the bytes.
    const QString text = decoder.decode(line);
    return !decoder.hasError();
}

class Parser
{
public:
    ReadoutParseResult run(QByteArrayView text);

private:
    std::optional<Fault> line(QByteArrayView content);
    std::optional<Fault> header(const QList<QByteArrayView> &t);
    std::optional<Fault> source(const QList<QByteArrayView> &t);
    std::optional<Fault> event(const QList<QByteArrayView> &t);
    std::optional<Fault> end(const QList<QByteArrayView> &t);

    enum class State { BeforeHeader, Body, AfterEnd } m_state = State::BeforeHeader;
    Readout m_readout;
    qsizetype m_events = 0;
    QSet<double> m_times;
};

Fault invalid(const QString &reason)
{
    return Fault{CardFormatStatus::ReadoutInvalid, reason};
}

ReadoutParseResult Parser::run(QByteArrayView text)
{
    ReadoutParseResult result;
    if (text.size() > Readout::kMaxBytes) {
        result.status = CardFormatStatus::ReadoutTooLarge;
        result.reason = QStringLiteral("more than %1 bytes").arg(Readout::kMaxBytes);
        return result;
    }
    int lineNumber = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        ++lineNumber;
        qsizetype eol = text.indexOf('\n', pos);
        const qsizetype next = eol < 0 ? text.size() : eol + 1;
        if (eol < 0)
            eol = text.size();
        QByteArrayView content = text.sliced(pos, eol - pos);
        pos = next;
        if (content.endsWith('\r'))
            content.chop(1);
        std::optional<Fault> fault;
        if (content.size() > Readout::kMaxLine)
            fault = invalid(QStringLiteral("line longer than %1 bytes").arg(Readout::kMaxLine));
        else
            fault = line(content);
        if (fault) {
            result.status = fault->status;
            result.line = lineNumber;
            result.reason = fault->reason;
            return result;
        }
    }
    if (m_state != State::AfterEnd) {
        result.status = CardFormatStatus::ReadoutTruncated;
        result.line = lineNumber + 1;
        result.reason =
            m_state == State::BeforeHeader ? QStringLiteral("no READOUT line") : QStringLiteral("no END line");
        return result;
    }
    result.readout = std::move(m_readout);
    return result;
}

std::optional<Fault> Parser::line(QByteArrayView content)
{
    qsizetype first = 0;
    while (first < content.size() && isBlank(content[first]))
        ++first;
    const bool comment = first < content.size() && content[first] == '#';
    if (!cleanLine(content, comment))
        return invalid(QStringLiteral("control character or non-ASCII byte"));
    if (comment || first == content.size())
        return std::nullopt;

    const QList<QByteArrayView> t = tokens(content);
    if (m_state == State::AfterEnd)
        return invalid(QStringLiteral("text after the END line"));
    if (m_state == State::BeforeHeader)
        return header(t);
    if (t[0] == "SOURCE")
        return source(t);
    if (t[0] == "EVENT")
        return event(t);
    if (t[0] == "END")
        return end(t);
    return invalid(QStringLiteral("unknown line \"%1\"").arg(QString::fromLatin1(t[0])));
}

std::optional<Fault> Parser::header(const QList<QByteArrayView> &t)
{
    if (t[0] != "READOUT")
        return invalid(QStringLiteral("the first line must be READOUT"));
    qint64 version = 0;
    if (t.size() != 2 || !number(t[1], 1, 9999, version))
        return invalid(QStringLiteral("READOUT takes one version number"));
    if (version != Readout::kFormatVersion)
        return Fault{CardFormatStatus::ReadoutBadVersion, QStringLiteral("format version %1").arg(version)};
    m_state = State::Body;
    return std::nullopt;
}

std::optional<Fault> Parser::source(const QList<QByteArrayView> &t)
{
    if (t.size() != 4)
        return invalid(QStringLiteral("SOURCE takes kind, read-out time and door"));
    ReadoutSource s;
    qint64 kind = 0;
    qint64 door = 0;
    if (!number(t[1], 1, 255, kind))
        return invalid(QStringLiteral("source kind must be 1 to 255"));
    if (!parseReadoutTime(t[2], s.readoutTime))
        return invalid(QStringLiteral("invalid read-out time"));
    if (!number(t[3], 0, 0x7FFFFFFF, door))
        return invalid(QStringLiteral("invalid door number"));
    if (m_readout.sources.size() >= Readout::kMaxSources)
        return Fault{CardFormatStatus::ReadoutTooLarge,
                     QStringLiteral("more than %1 sources").arg(Readout::kMaxSources)};
    // The event lists pick a source by its read-out time.
    if (m_times.contains(s.readoutTime))
        return invalid(QStringLiteral("a second source with the same read-out time"));
    m_times.insert(s.readoutTime);
    s.kind = qint32(kind);
    s.doorID = qint32(door);
    m_readout.sources.append(s);
    return std::nullopt;
}

std::optional<Fault> Parser::event(const QList<QByteArrayView> &t)
{
    if (m_readout.sources.isEmpty())
        return invalid(QStringLiteral("EVENT before the first SOURCE"));
    if (t.size() != 7)
        return invalid(QStringLiteral("EVENT takes time, code, registration number, card kind, user and repeat"));
    ReadoutEvent e;
    qint64 code = 0;
    qint64 repeat = 0;
    if (!parseReadoutTime(t[1], e.eventTime))
        return invalid(QStringLiteral("invalid event time"));
    if (!number(t[2], 0, 65535, code))
        return invalid(QStringLiteral("event code must be 0 to 65535"));
    const int dashes = int(t[3] == "-") + int(t[4] == "-") + int(t[5] == "-");
    if (dashes == 3) {
        e.hasCard = false;
    } else if (dashes != 0) {
        return invalid(QStringLiteral("registration number, card kind and user are all given or all \"-\""));
    } else {
        qint64 kind = 0;
        qint64 user = 0;
        if (!hex8(t[3], e.registrationNumber))
            return invalid(QStringLiteral("registration number must be eight upper-case hexadecimal digits"));
        if (!number(t[4], 256, 280, kind))
            return invalid(QStringLiteral("card kind must be 256 to 280"));
        if (!number(t[5], 0, 0x7FFFFFFF, user))
            return invalid(QStringLiteral("invalid user"));
        e.hasCard = true;
        e.cardNameID = qint32(kind);
        e.userID = qint32(user);
    }
    if (!number(t[6], 0, 1, repeat))
        return invalid(QStringLiteral("repeat flag must be 0 or 1"));
    if (m_events >= Readout::kMaxEvents)
        return Fault{CardFormatStatus::ReadoutTooLarge, QStringLiteral("more than %1 events").arg(Readout::kMaxEvents)};
    e.eventCode = qint32(code);
    e.repeat = repeat == 1;
    m_readout.sources.last().events.append(e);
    ++m_events;
    return std::nullopt;
}

std::optional<Fault> Parser::end(const QList<QByteArrayView> &t)
{
    qint64 sources = 0;
    qint64 events = 0;
    if (t.size() != 3 || !number(t[1], 0, 9999999999, sources) || !number(t[2], 0, 9999999999, events))
        return invalid(QStringLiteral("END takes the numbers of sources and events"));
    if (sources != m_readout.sources.size() || events != m_events)
        return invalid(QStringLiteral("END counts %1 sources and %2 events, the read-out holds %3 and %4")
                           .arg(sources)
                           .arg(events)
                           .arg(m_readout.sources.size())
                           .arg(m_events));
    m_state = State::AfterEnd;
    return std::nullopt;
}

} // namespace

ReadoutParseResult parseReadout(QByteArrayView text)
{
    return Parser().run(text);
}

QByteArray writeReadout(const Readout &readout)
{
    QByteArray out = "READOUT " + QByteArray::number(Readout::kFormatVersion) + '\n';
    qsizetype events = 0;
    for (const ReadoutSource &source : readout.sources) {
        out += "SOURCE " + QByteArray::number(source.kind) + ' ' + formatReadoutTime(source.readoutTime) + ' ' +
               QByteArray::number(source.doorID) + '\n';
        for (const ReadoutEvent &e : source.events) {
            out += "EVENT " + formatReadoutTime(e.eventTime) + ' ' + QByteArray::number(e.eventCode) + ' ';
            if (e.hasCard) {
                out += QByteArray::number(e.registrationNumber, 16).toUpper().rightJustified(8, '0') + ' ' +
                       QByteArray::number(e.cardNameID) + ' ' + QByteArray::number(e.userID);
            } else {
                out += "- - -";
            }
            out += e.repeat ? " 1\n" : " 0\n";
        }
        events += source.events.size();
    }
    out += "END " + QByteArray::number(readout.sources.size()) + ' ' + QByteArray::number(events) + '\n';
    return out;
}

bool parseReadoutTime(QByteArrayView text, double &ole)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return false;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 1900 || year > 2099 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    ole = double(date.toJulianDay() - kOleEpochJulianDay) + (hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
}

QByteArray formatReadoutTime(double ole)
{
    if (!std::isfinite(ole) || ole < 0 || ole > 1e7)
        return QByteArrayLiteral("invalid-time");
    qint64 days = qint64(std::floor(ole));
    qint64 seconds = std::llround((ole - double(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    const QDate date = QDate::fromJulianDay(days + kOleEpochJulianDay);
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}
