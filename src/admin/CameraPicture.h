#pragma once

#include <QImage>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

class QNetworkReply;

// Polls a camera's JPEG snapshot URL about once a second, never with a request still running.
// A request that has not finished after 1000 ms counts as no answer: on this platform it stands
// in for the echo test of whether a camera answers. The user and password go in a basic
// authorisation header only, never into a URL or a message.
class CameraPicture : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 1000;
    static constexpr int kTimeoutMs = 1000;

    explicit CameraPicture(QObject *parent = nullptr);

    // Polls url from now on (the first request at once); an invalid url stops polling.
    void start(const QUrl &url, const QString &user, const QString &password);
    void stop();

signals:
    void pictureArrived(const QImage &picture);
    // The text number of what went wrong and its arguments.
    void failed(int message, const QVariantList &arguments);

private:
    void poll();
    void finished(QNetworkReply *reply);

    QNetworkAccessManager m_network;
    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    QByteArray m_authorization;
};
