#pragma once

#include "pms/PmsRecord.h"

#include <QList>
#include <QString>
#include <QtGlobal>

struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// Key requests of the PMS (docs/pms-interface.md, "Key requests"): KR issues guest cards (new
// key) or joiner cards (duplicate key), KM issues a new card for a changed departure, KD makes
// the room's valid cards invalid as a cancel card does. Every request is checked as the guest
// card dialog checks it and issued through the same card issuing run, without a window. A
// request is stored in PmsRequests under a key made of its identifiers, so a resent request gets
// the stored answer and issues nothing.
class PmsKeyService : public PmsRequestHandler
{
public:
    // linkDevice is the PMS device row the requests come from (stored with each request).
    PmsKeyService(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                  qint32 linkDevice = 0);

    QList<PmsRecordDescription> records() const override;
    void handle(const PmsRecord &request, std::function<void(const PmsRecord &answer)> reply) override;

    // The encoder's status poll (250 ms; tests poll without waiting).
    void setPollInterval(int ms) { m_pollInterval = ms; }
    // A request still marked running after this many minutes was abandoned (the service stopped
    // while it ran) and is worked on again.
    static constexpr int kAbandonedMinutes = 10;

    // The identifiers a request is known by: the record type and the fields that say what is
    // asked for, never the guest's name or the record's own date and time.
    static QString requestKey(const PmsRecord &request);

    struct Answer
    {
        QString status; // AS
        QString text;   // CT
        QList<qint32> cards;
    };

private:
    Answer keyRequest(const PmsRecord &request, bool modify);
    Answer keyDelete(const PmsRecord &request);
    PmsRecord answerRecord(const PmsRecord &request, const Answer &answer) const;
    QString roomText(qint32 room);

    enum class Claim { New, Done, Running, Failed };
    Claim claim(const QString &key, const QByteArray &type, PmsRecord &stored);
    void settle(const QString &key, const PmsRecord &answer, const Answer &result);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    qint32 m_linkDevice;
    int m_pollInterval = 250;
    QString m_claimError; // the database's text when a request could not be looked up
};
