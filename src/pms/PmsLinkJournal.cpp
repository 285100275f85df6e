#include "pms/PmsLinkJournal.h"

#include "components/recordtable/RecordDatabase.h"
#include "core/OleDate.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// Fields that name or reach a person: guest name, first name, title, e-mail, telephone.
bool isPersonal(const QByteArray &id)
{
    return id == "GN" || id == "GF" || id == "GT" || id == "EM" || id == "PH";
}
} // namespace

QString maskedPmsRecord(const PmsRecord &record)
{
    QString text = QString::fromLatin1(record.type) + QLatin1Char('|');
    for (const auto &f : record.fields) {
        // The mask does not tell the length of the name either; an empty field stays visibly empty.
        const QString value = isPersonal(f.first) && !f.second.isEmpty() ? QStringLiteral("***") : f.second;
        text += QString::fromLatin1(f.first) + value + QLatin1Char('|');
    }
    return text;
}

bool writePmsLinkRow(RecordDatabase &db, const PmsLinkRow &row, QString *error)
{
    if (db.ensureConnected() != 0) {
        *error = db.errorText();
        return false;
    }
    const QVariantList values{
        int(row.linkState), row.stateTime, row.peer, row.serviceComputer, row.lastRecords.join(QLatin1Char('\n')),
        row.deviceID};
    QSqlQuery q(db.sqlDatabase());
    auto run = [&](const QString &sql) {
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (q.exec())
            return true;
        *error = q.lastError().text();
        db.checkConnectionLost();
        return false;
    };
    if (!run(QStringLiteral("UPDATE \"PmsLinks\" SET \"linkState\" = ?, \"stateTime\" = ?, \"peer\" = ?, "
                            "\"serviceComputer\" = ?, \"lastRecords\" = ? WHERE \"deviceID\" = ?")))
        return false;
    if (q.numRowsAffected() > 0)
        return true;
    return run(QStringLiteral("INSERT INTO \"PmsLinks\" (\"linkState\", \"stateTime\", \"peer\", \"serviceComputer\", "
                              "\"lastRecords\", \"deviceID\") VALUES (?, ?, ?, ?, ?, ?)"));
}

std::optional<PmsLinkRow> readPmsLinkRow(RecordDatabase &db, qint32 deviceID)
{
    if (db.ensureConnected() != 0)
        return std::nullopt;
    QSqlQuery q(db.sqlDatabase());
    q.prepare(QStringLiteral("SELECT \"linkState\", \"stateTime\", \"peer\", \"serviceComputer\", \"lastRecords\" "
                             "FROM \"PmsLinks\" WHERE \"deviceID\" = ?"));
    q.addBindValue(deviceID);
    if (!q.exec() || !q.next())
        return std::nullopt;
    PmsLinkRow row;
    row.deviceID = deviceID;
    const int state = q.value(0).toInt();
    if (state < int(PmsLinkState::Listening) || state > int(PmsLinkState::Stopped))
        return std::nullopt;
    row.linkState = PmsLinkState(state);
    row.stateTime = q.value(1).toDouble();
    row.peer = q.value(2).toString();
    row.serviceComputer = q.value(3).toString();
    const QString last = q.value(4).toString();
    if (!last.isEmpty())
        row.lastRecords = last.split(QLatin1Char('\n'));
    return row;
}

PmsLinkJournal::PmsLinkJournal(PmsLink &link, RecordDatabase *db, QString serviceComputer, LogSink logSink,
                               QObject *parent)
    : QObject(parent), m_link(link), m_db(db), m_log(std::move(logSink))
{
    m_row.deviceID = link.deviceID();
    m_row.serviceComputer = std::move(serviceComputer);
    connect(&link, &PmsLink::recordIn, this, [this](const PmsRecord &r) { record("in", r); });
    connect(&link, &PmsLink::recordOut, this, [this](const PmsRecord &r) { record("out", r); });
    connect(&link, &PmsLink::note, this, [this](const QString &text) { log(text); });
    connect(&link, &PmsLink::stateChanged, this, [this](PmsLinkState state, const QString &peer) {
        m_row.linkState = state;
        m_row.stateTime = m_db ? m_db->cheapNow() : OleDate::fromDateTime(QDateTime::currentDateTime());
        m_row.peer = peer;
        const QString name = pmsLinkStateName(state);
        log(peer.isEmpty() ? name : name + QLatin1Char(' ') + peer);
        writeRow();
    });
}

void PmsLinkJournal::record(const char *direction, const PmsRecord &record)
{
    const QString text = QString::fromLatin1(direction) + QLatin1Char(' ') + maskedPmsRecord(record);
    log(text);
    if (record.type.startsWith('L'))
        return;
    m_row.lastRecords.append(now() + QLatin1Char(' ') + text);
    while (m_row.lastRecords.size() > KeptRecords)
        m_row.lastRecords.removeFirst();
    writeRow();
}

void PmsLinkJournal::log(const QString &text)
{
    if (m_log)
        m_log(now() + QStringLiteral(" PMS %1 ").arg(m_row.deviceID) + text);
}

void PmsLinkJournal::writeRow()
{
    if (!m_db)
        return;
    QString error;
    if (!writePmsLinkRow(*m_db, m_row, &error))
        log(QStringLiteral("PmsLinks row not written: ") + error);
}

QString PmsLinkJournal::now() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
