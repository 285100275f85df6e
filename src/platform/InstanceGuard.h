#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running workstation per user: the first instance listens on a per-user local socket; a
// later one finds it there, asks it to come to the front and ends.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit InstanceGuard(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~InstanceGuard() override;

    // $XDG_RUNTIME_DIR/ostrelle.instance (private to the user), else ostrelle-<uid>.instance in
    // the temporary folder.
    static QString defaultServerName();

    QString serverName() const { return m_name; }

    // When an instance already listens under the name: asks it to come to the front, true.
    bool ActivatePreviousInstance();
    // Takes the name for this instance (replacing a socket a crashed instance left behind).
    bool listen();
    bool isListening() const;

signals:
    // A later instance asked this one to bring its main window to the front.
    void activationRequested();

private:
    void onNewConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};
