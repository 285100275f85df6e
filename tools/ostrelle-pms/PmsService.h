#pragma once

#include "pms/PmsLink.h"
#include "pms/PmsLinkJournal.h"
#include "session/Services.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// The interface service without windows: it logs on to the database as a workstation of its own,
// finds the PMS device rows this computer serves and keeps one link per row.
class PmsService : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString connection;      // the database; empty: the registry's settings, as the workstation
        QString computer;        // the computer whose PMS device rows are served
        QString client;          // the service's own workstation name in the database
        QString deviceDirectory; // empty: the card server's default
        QString user;            // the operator the service works as
        QString password;
        QString logFile;
        std::chrono::milliseconds aliveInterval{std::chrono::seconds(30)};
    };
    // One handler per device row; it lives as long as the row's link.
    using HandlerFactory = std::function<std::unique_ptr<PmsRequestHandler>(PmsService &, qint32 deviceID)>;

    PmsService(Options options, const QString &programPath);
    ~PmsService() override;

    // Texts, database, card servers, the client row and the operator's logon. False with *error.
    bool open(QString *error);
    // Starts a link per served PMS device row; false with *error when there is none or a row is
    // unusable (then nothing runs).
    bool startLinks(const HandlerFactory &makeHandler, QString *error);
    // LE to every linked PMS, PmsLinks rows "stopped", the operator logged off; stopped() follows.
    void stop();
    void log(const QString &line);

    ProgramServices &program() { return m_program; }
    DatabaseServices &db() { return m_db; }
    CardServers &cardServers() { return m_cardServers; }
    Session &session() { return m_session; }

signals:
    void stopped();

private:
    struct Served
    {
        std::unique_ptr<PmsRequestHandler> handler;
        std::unique_ptr<PmsLink> link;
        std::unique_ptr<PmsLinkJournal> journal;
    };
    void linkStopped();

    Options m_options;
    clsLog m_log;
    ProgramServices m_program;
    DatabaseServices m_db;
    CardServers m_cardServers;
    Session m_session;
    std::vector<Served> m_links;
    int m_running = 0;
};

// Whether the database of this connection string runs on this computer ("$SERVER" rows).
bool DatabaseIsLocal(const QString &connection, const QString &computer);
