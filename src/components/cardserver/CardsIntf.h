#pragma once

#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardStore.h"
#include "components/cardserver/DeviceDriver.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class RecordDatabase;

// The installation's card-encoding server, reached through this one object: it builds a card
// image, writes it on the selected encoder, stores every issued card with its registration number,
// reads cards and stored images back and drives handheld units (docs/card-server.md).
//
// Long operations (EncodeCard, ReadCard, ReadDevice, SetupDevice) return at once; the device runs
// them from the event loop and GetStatus reports the busy statuses until the outcome. Every other
// call answers at once. Calls return a status (0 = success) unless they return a value; the status
// of the last operation is also what GetStatus gives.
class CardsIntf : public QObject
{
    Q_OBJECT
public:
    // The steps of issuing one copy, in order (docs/card-server.md, "Card records").
    enum class IssueStep {
        Storing,            // the transaction is open, the rows are not written yet
        CommitNotYetIssued, // the rows are written, their commit comes next
        Writing,            // the rows are committed as not yet issued, the card is written next
        Written,            // the card is written, the row is marked issued next
        CommitIssued,       // the row is marked issued, its commit comes next
    };

    struct Setup
    {
        // Where the folders of virtual devices with a relative port lie.
        QString deviceDirectory;
        // Fault seam (ostrelle-faults, tests): called at each step with the copy's stored number.
        std::function<void(IssueStep, quint32 stored)> onIssueStep = {};
    };

    CardsIntf(RecordDatabase &db, Setup setup, QObject *parent = nullptr);
    ~CardsIntf() override;

    // OSTRELLE_DEVICE_DIR, else the demo installation's devices folder. For main() and the tools.
    static QString defaultDeviceDirectory();

    qint32 Negotiate(const QString &computerName);

    // Building the image.
    qint32 NewCard();
    qint32 BeginBlock(qint32 blockType);
    qint32 AddBlockValue(qint32 value);
    qint32 AddBlockDate(double date);
    qint32 AddDoorRange(qint32 kind, qint32 first, qint32 last);
    qint32 SetImageOptionA(qint32 option);
    qint32 SetImageOptionB(qint32 option);
    qint32 SetCardField(const QString &name, const QVariant &value);
    // A null QVariant when the image has no such field.
    QVariant GetCardField(const QString &name) const;

    // Devices and jobs.
    qint32 SelectDevice(qint32 deviceNumber);
    // Copies of one card an EncodeCard makes at most (numCards); their indexes are the low byte
    // of the stored registration number.
    static constexpr qint32 MaxCopies = 256;
    qint32 EncodeCard(const QString &description);
    qint32 ReadCard(const QString &prompt);
    qint32 ReadDevice(const QString &prompt);
    qint32 CheckEncoder();
    qint32 GetStatus() const { return m_status; }
    // "short|long".
    QString GetStatusText(qint32 status) const;
    qint32 SetActive(qint32 flag);
    qint32 SetBatchMode(qint32 flag);
    qint32 IsReady() const;
    qint32 ShowPrompt(const QString &text);

    // Stored and read images.
    qint32 LoadCard(qint32 registrationNumber);
    qint32 GetNextRange(qint32 &kind, qint32 &blockType, qint32 &first, qint32 &last);
    qint32 GetNextValue();
    qint32 GetRegistrationNumber() const { return m_lastRegistration; }
    double GetCardExpireTime() const { return m_validCardExpire; }

    // Handheld units and device monitoring.
    QString GetReadData() const { return m_readData; }
    qint32 SetupDevice(qint32 promptText);
    qint32 QueryDevice(qint32 deviceNumber);
    qint32 StartDevice(qint32 deviceNumber);
    qint32 StopDevice(qint32 deviceNumber);

    // Operator-card logon: the user and expiry of the valid operator card in the encoder.
    qint32 LogonOperator(qint32 &userID, double &expireTime);

    // Not part of the client interface.
    const CardImage &image() const { return m_image; }
    qint32 selectedDevice() const { return m_driver ? m_driver->info().deviceID : 0; }
    QString deviceDirectory() const { return m_setup.deviceDirectory; }

private:
    enum class Job { None, Encode, Read, Program, Readout };
    enum class EncodeStep { WaitForEject, WaitForCard, Writing, Ejecting };

    qint32 builder(qint32 status);
    qint32 setStatus(qint32 status, const QString &detail = QString());
    qint32 deviceFor(qint32 deviceNumber, DeviceInfo &info);
    // The selected device's state, a stopped device counting as not ready.
    qint32 deviceState() const;
    void attach(std::unique_ptr<DeviceDriver> driver);
    void beginJob(Job job, qint32 status);
    void finish(qint32 status, const QString &detail = QString());
    void startCopy();
    bool isValidCardOfRoom(const QByteArray &contents);
    qint32 makeCopy(QByteArray &bytes);
    void step(IssueStep step);
    // The written copy's record could not be completed: erase the card and say so.
    void notConfirmed(const CardImage &image);
    // Decodes a card or stored image into the current image; the card-format status on failure.
    qint32 takeImage(const QByteArray &bytes);

    void onCardReady(const QByteArray &contents);
    void onWritten(qint32 status);
    void onEjected();
    void onCardRead(const QByteArray &contents);
    void onProgrammed(qint32 status);
    void onReadout(const QStringList &files, const QList<QByteArray> &texts);
    void onFailed(qint32 status);

    CardStore m_store;
    Setup m_setup;
    QString m_computerName;

    CardImage m_image;
    qint32 m_imageError = 0;                 // the first builder call refused since NewCard
    QHash<QString, QVariant> m_storedFields; // read back from the database, not from the card

    std::unique_ptr<DeviceDriver> m_driver;

    qint32 m_status = 0;
    qint32 m_detailStatus = 0;
    QString m_detail;
    bool m_batchMode = false;
    bool m_active = false;

    Job m_job = Job::None;
    EncodeStep m_step = EncodeStep::WaitForCard;
    bool m_ejectPending = false;
    CardImage m_work;    // the image being encoded, safe from NewCard during a batch
    CardImage m_written; // the copy on the card, as stored
    int m_copies = 1;
    int m_copy = 0;
    qint32 m_number = 0;
    quint32 m_installation = 0;
    qint16 m_override = 0;
    bool m_hasOverride = false;

    qint32 m_lastRegistration = 0;
    double m_validCardExpire = 0;
    QByteArray m_acknowledgedCard; // the valid card the caller was told about; written over next time
    QString m_readData;
};
