#include "pms/PmsLink.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// The link records this side describes in its LR records, beside the handler's.
const QList<PmsRecordDescription> &linkRecords()
{
    static const QList<PmsRecordDescription> records{
        {"LS", {"DA", "TI"}}, {"LD", {"DA", "TI", "V#", "IF"}}, {"LA", {"DA", "TI"}}, {"LE", {"DA", "TI"}}};
    return records;
}

QString peerOf(const QTcpSocket &socket)
{
    const QString address = socket.peerAddress().toString();
    return (address.contains(QLatin1Char(':')) ? QLatin1Char('[') + address + QLatin1Char(']') : address) +
           QLatin1Char(':') + QString::number(socket.peerPort());
}

} // namespace

QString pmsLinkStateName(PmsLinkState state)
{
    switch (state) {
    case PmsLinkState::Listening:
        return QStringLiteral("listening");
    case PmsLinkState::Connecting:
        return QStringLiteral("connecting");
    case PmsLinkState::Linked:
        return QStringLiteral("linked");
    case PmsLinkState::Broken:
        return QStringLiteral("broken");
    case PmsLinkState::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

PmsLink::PmsLink(PmsLinkConfig config, PmsRequestHandler &handler, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_handler(handler), m_nextRetry(m_config.firstRetry)
{
    m_alive.setSingleShot(true);
    m_silence.setSingleShot(true);
    m_retry.setSingleShot(true);
    connect(&m_alive, &QTimer::timeout, this, [this] {
        m_aliveSent = true;
        send(stamped("LA"));
    });
    connect(&m_silence, &QTimer::timeout, this, [this] {
        drop(true, QStringLiteral("Nothing received from the PMS for %1 ms; the link is taken as broken")
                       .arg((m_config.aliveInterval * 3).count()));
    });
    connect(&m_retry, &QTimer::timeout, this, [this] { m_config.listen ? listenNow() : connectNow(); });
}

PmsLink::~PmsLink()
{
    if (m_socket)
        m_socket->abort();
}

quint16 PmsLink::listeningPort() const
{
    return m_server && m_server->isListening() ? m_server->serverPort() : 0;
}

void PmsLink::start()
{
    m_stopping = false;
    m_stopSignalled = false;
    m_nextRetry = m_config.firstRetry;
    m_config.listen ? listenNow() : connectNow();
}

void PmsLink::stop()
{
    m_stopping = true;
    m_retry.stop();
    if (m_server)
        m_server->close();
    const QPointer<QTcpSocket> closing = m_socket;
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState && m_state == PmsLinkState::Linked) {
        send(stamped("LE"));
        drop(false, QString());
    } else if (m_socket) {
        m_socket->abort();
        m_socket = nullptr;
    }
    m_peer.clear();
    setState(PmsLinkState::Stopped);
    if (!closing || closing->state() == QAbstractSocket::UnconnectedState)
        signalStopped();
}

void PmsLink::signalStopped()
{
    if (m_stopSignalled)
        return;
    m_stopSignalled = true;
    emit stopped();
}

void PmsLink::setState(PmsLinkState state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(m_state, m_peer);
}

void PmsLink::listenNow()
{
    if (!m_server) {
        m_server = new QTcpServer(this);
        // One PMS at a time: a second connection is refused, the linked PMS keeps its link.
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *incoming = m_server->nextPendingConnection()) {
                if (m_socket || m_stopping) {
                    emit note(QStringLiteral("Refused a connection from %1: linked to %2")
                                  .arg(peerOf(*incoming), m_peer.isEmpty() ? QStringLiteral("nobody") : m_peer));
                    incoming->abort();
                    incoming->deleteLater();
                } else {
                    adopt(incoming);
                }
            }
        });
    }
    const QHostAddress address = m_config.host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
                                     ? QHostAddress(QHostAddress::LocalHost)
                                 : m_config.host == QLatin1String("*") || m_config.host == QLatin1String("0.0.0.0")
                                     ? QHostAddress(QHostAddress::Any)
                                     : QHostAddress(m_config.host);
    if (address.isNull() || !m_server->listen(address, m_config.port)) {
        emit note(
            QStringLiteral("Cannot listen on %1:%2: %3")
                .arg(m_config.host)
                .arg(m_config.port)
                .arg(address.isNull() ? QStringLiteral("not an address of this computer") : m_server->errorString()));
        m_peer.clear();
        setState(PmsLinkState::Broken);
        scheduleRetry();
        return;
    }
    m_nextRetry = m_config.firstRetry;
    m_peer.clear();
    setState(PmsLinkState::Listening);
}

void PmsLink::connectNow()
{
    auto *socket = new QTcpSocket(this);
    m_socket = socket;
    // Connecting after a broken link keeps showing "broken" until the link is back.
    if (m_state != PmsLinkState::Broken)
        setState(PmsLinkState::Connecting);
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        if (socket != m_socket)
            return;
        m_socket = nullptr;
        QObject::disconnect(socket, nullptr, this, nullptr); // from here on a loss is a broken link
        adopt(socket);
        m_startSent = true;
        send(stamped("LS"));
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        if (socket != m_socket || socket->state() == QAbstractSocket::ConnectedState)
            return;
        emit note(QStringLiteral("Cannot connect to %1:%2: %3")
                      .arg(m_config.host)
                      .arg(m_config.port)
                      .arg(socket->errorString()));
        m_socket = nullptr;
        socket->deleteLater();
        scheduleRetry();
    });
    socket->connectToHost(m_config.host, m_config.port);
}

void PmsLink::adopt(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setParent(this);
    ++m_connection;
    m_reader = PmsFrameReader();
    m_startSent = false;
    m_aliveSent = false;
    m_nextRetry = m_config.firstRetry;
    m_peer = peerOf(*socket);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == m_socket)
            readRecords();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            drop(true, QStringLiteral("The PMS closed the connection without LE"));
        socket->deleteLater();
        if (m_stopping && !m_socket)
            signalStopped();
    });
    m_alive.start(m_config.aliveInterval);
    m_silence.start(m_config.aliveInterval * 3);
    if (m_state == PmsLinkState::Linked)
        emit stateChanged(m_state, m_peer); // a new peer is a change even when the state stays
    setState(PmsLinkState::Linked);
}

void PmsLink::readRecords()
{
    m_reader.append(m_socket->readAll());
    m_silence.start(m_config.aliveInterval * 3);
    m_alive.start(m_config.aliveInterval);
    const quint64 connection = m_connection;
    while (m_socket && connection == m_connection) {
        const std::optional<PmsRecord> record = m_reader.next();
        if (!record)
            break;
        if (record->type.isEmpty()) {
            emit note(m_reader.error());
            continue;
        }
        emit recordIn(*record);
        dispatch(*record);
    }
}

void PmsLink::dispatch(const PmsRecord &record)
{
    if (record.type == "LS") {
        // Our own LS answered, or the PMS starting (again): either way it gets the description.
        describe(!m_startSent);
        m_startSent = false;
    } else if (record.type == "LA") {
        if (!m_aliveSent)
            send(stamped("LA"));
        m_aliveSent = false;
    } else if (record.type == "LE") {
        send(stamped("LE"));
        drop(false, QString());
    } else if (record.type == "LD" || record.type == "LR") {
        // The PMS's own description: logged, nothing to answer.
    } else {
        const QPointer<PmsLink> self(this);
        const quint64 connection = m_connection;
        const QByteArray type = record.type;
        m_handler.handle(record, [self, connection, type](const PmsRecord &answer) {
            if (!self)
                return;
            if (connection != self->m_connection || !self->m_socket) {
                emit self->note(QStringLiteral("The %1 answering a %2 was not sent: its connection has closed")
                                    .arg(QString::fromLatin1(answer.type), QString::fromLatin1(type)));
                return;
            }
            self->send(answer);
        });
    }
}

void PmsLink::describe(bool answerStart)
{
    if (answerStart)
        send(stamped("LS"));
    PmsRecord ld = stamped("LD");
    ld.add("V#", m_config.version).add("IF", m_config.interfaceType);
    send(ld);
    QList<PmsRecordDescription> records = m_handler.records();
    records += linkRecords();
    for (const PmsRecordDescription &d : records) {
        PmsRecord lr;
        lr.type = "LR";
        lr.add("RI", QString::fromLatin1(d.type)).add("FL", QString::fromLatin1(d.fields.join()));
        send(lr);
    }
    m_aliveSent = true;
    send(stamped("LA"));
}

PmsRecord PmsLink::stamped(const char *type) const
{
    const QDateTime now = QDateTime::currentDateTime();
    PmsRecord r;
    r.type = type;
    r.add("DA", now.toString(QStringLiteral("yyMMdd"))).add("TI", now.toString(QStringLiteral("HHmmss")));
    return r;
}

void PmsLink::send(const PmsRecord &record)
{
    if (!m_socket)
        return;
    m_socket->write(formatPmsRecord(record));
    m_alive.start(m_config.aliveInterval);
    emit recordOut(record);
}

void PmsLink::drop(bool broken, const QString &reason)
{
    m_alive.stop();
    m_silence.stop();
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    ++m_connection;
    if (!reason.isEmpty())
        emit note(reason);
    if (socket)
        socket->disconnectFromHost(); // writes what is still queued (the LE) first
    if (m_stopping)
        return;
    if (broken) {
        setState(PmsLinkState::Broken);
    } else {
        m_peer.clear();
        setState(m_config.listen ? PmsLinkState::Listening : PmsLinkState::Connecting);
    }
    if (!m_config.listen)
        scheduleRetry();
}

void PmsLink::scheduleRetry()
{
    if (m_stopping)
        return;
    m_retry.start(m_nextRetry);
    m_nextRetry = std::min(m_nextRetry * 2, m_config.lastRetry);
}
