#pragma once

#include "pms/PmsRecord.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

class QTcpServer;
class QTcpSocket;

// PmsLinks.linkState stores these numbers.
enum class PmsLinkState { Listening = 0, Connecting = 1, Linked = 2, Broken = 3, Stopped = 4 };
// The state as the log writes it: "listening", "connecting", ...
QString pmsLinkStateName(PmsLinkState state);

struct PmsLinkConfig
{
    qint32 deviceID = 0;
    bool listen = true; // false: connect to host:port
    QString host;
    quint16 port = 0; // 0 with listen: any free port (tests)
    // An LA goes out after this long without a record either way; nothing received for three
    // times as long breaks the link.
    std::chrono::milliseconds aliveInterval{std::chrono::seconds(30)};
    std::chrono::milliseconds firstRetry{std::chrono::seconds(1)};
    std::chrono::milliseconds lastRetry{std::chrono::seconds(30)};
    QString interfaceType = QStringLiteral("OSTRELLE");
    QString version;
};

// The link to one PMS device: listens for it or connects to it, keeps one TCP connection at a
// time, answers the link records itself and hands every other record to the request handler.
class PmsLink : public QObject
{
    Q_OBJECT
public:
    PmsLink(PmsLinkConfig config, PmsRequestHandler &handler, QObject *parent = nullptr);
    ~PmsLink() override;

    void start();
    // Sends LE on an open connection and closes it; stopped() follows once the connection is gone.
    void stop();

    PmsLinkState state() const { return m_state; }
    QString peer() const { return m_peer; }
    qint32 deviceID() const { return m_config.deviceID; }
    // The port listened on (the one chosen when the configuration said 0); 0 when not listening.
    quint16 listeningPort() const;

signals:
    void stateChanged(PmsLinkState state, const QString &peer);
    void recordIn(const PmsRecord &record);
    void recordOut(const PmsRecord &record);
    // Something the log should say that is no record: a refused connection, a dropped frame.
    void note(const QString &text);
    void stopped();

private:
    void setState(PmsLinkState state);
    void listenNow();
    void connectNow();
    void adopt(QTcpSocket *socket);
    void readRecords();
    void dispatch(const PmsRecord &record);
    void describe(bool answerStart);
    void send(const PmsRecord &record);
    PmsRecord stamped(const char *type) const;
    // Closes the current connection; broken says whether it ended without LE.
    void drop(bool broken, const QString &reason);
    void scheduleRetry();
    void signalStopped();

    PmsLinkConfig m_config;
    PmsRequestHandler &m_handler;
    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_socket;
    PmsFrameReader m_reader;
    PmsLinkState m_state = PmsLinkState::Stopped;
    QString m_peer;
    quint64 m_connection = 0; // counts connections, so a late answer finds out its link is gone
    bool m_startSent = false;
    bool m_aliveSent = false;
    bool m_stopping = false;
    bool m_stopSignalled = false;
    QTimer m_alive;
    QTimer m_silence;
    QTimer m_retry;
    std::chrono::milliseconds m_nextRetry;
};
