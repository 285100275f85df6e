#pragma once

#include "components/cardserver/DeviceDriver.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QElapsedTimer>
#include <QTimer>

#include <optional>

// A card encoder whose slot is a folder: the card in it is a file. In auto mode a blank card is
// always ready and written cards go to the out tray; in manual mode the encoder waits until a card
// is put into the slot (ostrelle-encoder insert) and leaves the written card there.
class VirtualEncoder final : public DeviceDriver
{
    Q_OBJECT
public:
    explicit VirtualEncoder(const DeviceInfo &info);

    bool isEncoder() const override { return true; }
    qint32 state() const override;
    bool isIdle() const override { return m_phase == Phase::Idle; }
    void abandon() override;

    void waitForCard() override;
    void write(ImageMaker maker) override;
    void eject() override;
    void read() override;
    bool peekCard(QByteArray &bytes) const override;
    bool erase() override;
    void showPrompt(const QString &text) override;

private:
    enum class Phase { Idle, WaitForBlank, Writing, Ejecting, WaitForCard, Reading };

    void start(Phase phase, int delayMs);
    void onTimer();
    void pollSlot();
    void finishWrite();
    void finishRead();
    void fail(qint32 status);
    void putOut();
    QString trayName();
    // Manual mode: a card the encoder did not just write itself.
    bool isFreshCard(const std::optional<QByteArray> &card) const;

    VirtualDeviceFolder m_folder;
    VirtualDeviceFolder::Settings m_settings;
    QTimer m_timer;
    QElapsedTimer m_waitClock;
    Phase m_phase = Phase::Idle;
    ImageMaker m_maker;
    std::optional<QByteArray> m_lastWritten;
    int m_ejected = 0;
};
