#pragma once

#include "components/cardserver/DeviceDriver.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QTimer>

// A handheld unit that is a folder: programming it writes setup.txt, and the read-out texts it
// collected from the locks wait in readouts/ until the server has read them.
class VirtualHandheld final : public DeviceDriver
{
    Q_OBJECT
public:
    explicit VirtualHandheld(const DeviceInfo &info);

    bool isHandheld() const override { return true; }
    qint32 state() const override;
    bool isIdle() const override { return m_phase == Phase::Idle; }
    void abandon() override;

    void program(const QByteArray &setupData) override;
    void readOut() override;
    void confirmReadout(const QStringList &files) override;

private:
    enum class Phase { Idle, Programming, Reading };

    void onTimer();

    VirtualDeviceFolder m_folder;
    QTimer m_timer;
    Phase m_phase = Phase::Idle;
    QByteArray m_setup;
};
