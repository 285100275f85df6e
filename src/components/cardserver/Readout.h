#pragma once

#include "components/cardserver/CardFormatStatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A handheld unit's read-out (docs/readout-format.md): the sources it collected, each with the
// events it holds. Times are OLE automation dates kept to the second.
struct ReadoutEvent
{
    double eventTime = 0.0;
    qint32 eventCode = 0;
    // An event without a card (a mechanical key, a battery alarm) has no registration number,
    // card kind or user.
    bool hasCard = false;
    quint32 registrationNumber = 0; // stored form: number × 256 + copy index
    qint32 cardNameID = 0;
    qint32 userID = 0;
    bool repeat = false;
    bool operator==(const ReadoutEvent &) const = default;
};

struct ReadoutSource
{
    static constexpr qint32 kLock = 2; // the read-out of a lock; the only kind the event lists show
    qint32 kind = kLock;
    double readoutTime = 0.0;
    qint32 doorID = 0;
    QList<ReadoutEvent> events;
    bool operator==(const ReadoutSource &) const = default;
};

struct Readout
{
    static constexpr int kFormatVersion = 1;
    static constexpr qsizetype kMaxBytes = 4 * 1024 * 1024;
    static constexpr qsizetype kMaxLine = 255; // bytes, without the line end
    static constexpr qsizetype kMaxSources = 4096;
    static constexpr qsizetype kMaxEvents = 65536; // over all sources
    QList<ReadoutSource> sources;
    bool operator==(const Readout &) const = default;
};

struct ReadoutParseResult
{
    qint32 status = CardFormatStatus::Ok;
    int line = 0;   // 1-based line of the fault; 0 when the status is Ok or concerns the whole text
    QString reason; // what is wrong with that line, for the log
    Readout readout;
};

// Strict: the first fault ends the parse and the result carries no sources.
ReadoutParseResult parseReadout(QByteArrayView text);
// The canonical text of a read-out: LF line ends, no comments, times rounded to the second.
QByteArray writeReadout(const Readout &readout);

// "YYYY-MM-DDTHH:MM:SS" (wall-clock time) and OLE dates, as the read-out writes them; years
// 1900 to 2099. parseReadoutTime returns false for anything else.
bool parseReadoutTime(QByteArrayView text, double &ole);
QByteArray formatReadoutTime(double ole);
