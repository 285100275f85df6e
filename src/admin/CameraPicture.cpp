#include "admin/CameraPicture.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int kNoAnswer = -29759;
constexpr int kNotJpeg = -29758;
constexpr int kRefused = -29757;
constexpr int kHttpStatus = -29751;

} // namespace

CameraPicture::CameraPicture(QObject *parent) : QObject(parent)
{
    // Cameras sit in the hotel's own network; their pictures and passwords never go through a proxy.
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CameraPicture::poll);
    connect(&m_network, &QNetworkAccessManager::finished, this, &CameraPicture::finished);
}

void CameraPicture::start(const QUrl &url, const QString &user, const QString &password)
{
    stop();
    m_url = url;
    m_authorization.clear();
    if (!user.isEmpty())
        m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    if (!m_url.isValid())
        return;
    m_timer.start();
    poll();
}

void CameraPicture::stop()
{
    m_timer.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void CameraPicture::poll()
{
    if (m_reply)
        return;
    QNetworkRequest request(m_url);
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!m_authorization.isEmpty())
        request.setRawHeader("Authorization", m_authorization);
    m_reply = m_network.get(request);
}

void CameraPicture::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return; // answered after a stop or a new start
    m_reply = nullptr;
    const QString where = m_url.toDisplayString();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        emit failed(kNoAnswer, {where});
        return;
    }
    const int code = status.toInt();
    if (code == 401 || code == 403) {
        emit failed(kRefused, {where});
        return;
    }
    if (code != 200) {
        emit failed(kHttpStatus, {where, code});
        return;
    }
    const QByteArray data = reply->readAll();
    QImage picture;
    if (!data.startsWith("\xFF\xD8\xFF") || !picture.loadFromData(data, "JPEG")) {
        emit failed(kNotJpeg, {where});
        return;
    }
    emit pictureArrived(picture);
}
