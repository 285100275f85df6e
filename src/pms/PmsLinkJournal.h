#pragma once

#include "pms/PmsLink.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class RecordDatabase;

// A record as the log and the PmsLinks row show it: the guest's personal fields masked.
QString maskedPmsRecord(const PmsRecord &record);

// One row of PmsLinks: what the device status window shows about a PMS link.
struct PmsLinkRow
{
    qint32 deviceID = 0;
    PmsLinkState linkState = PmsLinkState::Stopped;
    double stateTime = 0; // OLE date, server time
    QString peer;
    QString serviceComputer;
    QStringList lastRecords; // newest last, "yyyy-MM-dd HH:mm:ss in KR|..."
};

bool writePmsLinkRow(RecordDatabase &db, const PmsLinkRow &row, QString *error);
std::optional<PmsLinkRow> readPmsLinkRow(RecordDatabase &db, qint32 deviceID);

// Writes every record, state change and note of one link to the program's log and keeps the
// link's PmsLinks row. The row changes with the state and with requests and answers; link records
// (LS, LA, ...) go to the log only, so a link that is merely alive writes no rows.
class PmsLinkJournal : public QObject
{
    Q_OBJECT
public:
    using LogSink = std::function<void(const QString &line)>;
    static constexpr int KeptRecords = 10;

    // db may be null (no row is kept then).
    PmsLinkJournal(PmsLink &link, RecordDatabase *db, QString serviceComputer, LogSink log, QObject *parent = nullptr);

    const PmsLinkRow &row() const { return m_row; }

private:
    void record(const char *direction, const PmsRecord &record);
    void log(const QString &text);
    void writeRow();
    QString now() const;

    PmsLink &m_link;
    RecordDatabase *m_db;
    LogSink m_log;
    PmsLinkRow m_row;
};
