#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A device as the Devices table describes it (device type 0 = card encoder, 2 = handheld unit).
struct DeviceInfo
{
    static constexpr qint32 kEncoder = 0;
    static constexpr qint32 kHandheld = 2;

    qint32 deviceID = 0;
    qint32 deviceType = kEncoder;
    QString deviceName;
    QString portName;
    QString folder; // where a virtual device keeps its state
};

// What the card-encoding server asks of a device. Every operation returns at once and reports
// through exactly one of the signals later, from the event loop, never from inside the call; a
// driver runs one operation at a time. The server maps the steps to the statuses the client polls.
class DeviceDriver : public QObject
{
    Q_OBJECT
public:
    // Called when the written bytes are about to reach the card: fills in the image and returns 0,
    // or a status that stops the write before anything is written.
    using ImageMaker = std::function<qint32(QByteArray &image)>;

    explicit DeviceDriver(const DeviceInfo &info) : m_info(info) {}
    ~DeviceDriver() override = default;

    const DeviceInfo &info() const { return m_info; }
    virtual bool isEncoder() const { return false; }
    virtual bool isHandheld() const { return false; }

    // The device's state at once: 0 when it can take an operation, else a status.
    virtual qint32 state() const = 0;
    virtual bool isIdle() const = 0;
    // Stops the running operation; no signal follows.
    virtual void abandon() = 0;

    // Encoders. waitForCard → cardReady(contents) or failed; write → written(status) or failed;
    // eject → ejected; read → cardRead(contents) or failed.
    virtual void waitForCard() {}
    virtual void write(ImageMaker) {}
    virtual void eject() {}
    virtual void read() {}
    // The card in the slot right now (no waiting); false when there is none.
    virtual bool peekCard(QByteArray &) const { return false; }
    // At once: blanks the card this driver just wrote while it is still in the slot. False when it
    // could not (the card is gone, or the slot cannot be written).
    virtual bool erase() { return false; }
    virtual void showPrompt(const QString &) {}

    // Handheld units. program → programmed(status); readOut → readoutReady(files, texts) or failed.
    virtual void program(const QByteArray &) {}
    virtual void readOut() {}
    // The server has the read-outs of the last readOut (and stored them when it stores read-outs).
    virtual void confirmReadout(const QStringList &) {}

signals:
    void cardReady(const QByteArray &contents);
    void written(qint32 status);
    void ejected();
    void cardRead(const QByteArray &contents);
    void programmed(qint32 status);
    void readoutReady(const QStringList &files, const QList<QByteArray> &texts);
    void failed(qint32 status);

private:
    DeviceInfo m_info;
};

// The shipped drivers: virtual devices over a folder (VirtualDeviceFolder). Null for a device type
// without a driver.
std::unique_ptr<DeviceDriver> createVirtualDriver(const DeviceInfo &info);
