#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// The on-disk side of a virtual device: one folder per device, named by the device's port
// (docs/card-server.md). The card-encoding server's drivers and the ostrelle-encoder tool both work
// through this class, so the two never disagree about a file name.
//
//   device.ini       kind, mode and timing
//   card             the card in the encoder's slot; an empty file is a blank card
//   out/             cards the encoder ejected in auto mode
//   fault            the status the next write or read ends with (fault injection), used once
//   cancel           the encoder's cancel button was pressed, used once
//   prompt           the text the encoder shows
//   readouts/        read-out texts waiting on the handheld unit; readouts/read/ after a read
//   setup.txt        what the handheld unit was last programmed with
//   stopped-<id>     device <id> was stopped; every server object and workstation sees it
class VirtualDeviceFolder
{
public:
    enum class Kind { Encoder, Handheld };

    struct Settings
    {
        Kind kind = Kind::Encoder;
        bool manual = false;    // encoder: wait for an inserted card instead of taking a blank one
        int writeMs = 1000;     // writing one card
        int readMs = 500;       // reading a card or a handheld unit
        int ejectMs = 300;      // ejecting a written card
        int setupMs = 1500;     // programming a handheld unit
        int cardWaitMs = 30000; // how long the encoder waits for a card; 0 = until cancelled
        int pollMs = 100;       // how often the slot is looked at while waiting
    };

    explicit VirtualDeviceFolder(QString path) : m_path(std::move(path)) {}

    // The folder of a device: an absolute port is the folder itself, a relative one lies under
    // baseDir; a device without a port gets "device<id>".
    static QString resolvePort(const QString &baseDir, const QString &port, qint32 deviceId);

    QString path() const { return m_path; }
    bool exists() const;
    // Makes the folder and writes the default settings of the kind when it has none.
    bool create(Kind kind);

    Settings settings() const;
    bool writeSettings(const Settings &settings);

    // The encoder's slot.
    QString cardPath() const;
    bool hasCard() const;
    // nullopt when the slot is empty; an empty array is a blank card.
    std::optional<QByteArray> card() const;
    bool insertCard(const QByteArray &bytes);
    bool removeCard();
    // Moves the card in the slot to out/ under the given name; returns the new path ("" on failure).
    QString ejectToTray(const QString &name);
    QString trayPath() const;
    // The newest card in out/, or "" when there is none.
    QString newestEjected() const;

    // Fault injection and the cancel button; take* reads and removes.
    bool setNextStatus(qint32 status);
    std::optional<qint32> takeNextStatus();
    bool pressCancel();
    bool takeCancel();

    // A stop is kept in the folder, not in one server object: the workstation that stops a
    // device and the one issuing cards on it are different objects (or processes).
    bool setStopped(qint32 deviceId, bool stopped);
    bool isStopped(qint32 deviceId) const;

    bool setPrompt(const QString &text); // "" clears
    QString prompt() const;

    // The handheld unit.
    QString readoutPath() const;
    // Pending read-out files, oldest name first.
    QStringList pendingReadouts() const;
    bool addReadout(const QByteArray &text, QString *fileName = nullptr);
    // Moves read-out files to readouts/read/ once the server has them.
    bool markRead(const QStringList &files);
    bool writeSetup(const QByteArray &data);
    QByteArray setup() const;

private:
    QString file(const char *name) const;

    QString m_path;
};
