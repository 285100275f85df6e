#include "components/cardserver/VirtualEncoder.h"

#include "components/cardserver/CardServerStatus.h"

#include <QDateTime>

VirtualEncoder::VirtualEncoder(const DeviceInfo &info) : DeviceDriver(info), m_folder(info.folder)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &VirtualEncoder::onTimer);
}

qint32 VirtualEncoder::state() const
{
    return m_folder.exists() ? CardServerStatus::Ok : CardServerStatus::DeviceNotReady;
}

void VirtualEncoder::abandon()
{
    // A written card is never left in the slot to be written over by the next job.
    if (m_phase == Phase::Ejecting)
        putOut();
    m_timer.stop();
    m_phase = Phase::Idle;
    m_maker = nullptr;
}

void VirtualEncoder::start(Phase phase, int delayMs)
{
    m_phase = phase;
    m_timer.start(delayMs);
}

void VirtualEncoder::waitForCard()
{
    m_settings = m_folder.settings();
    m_waitClock.start();
    start(Phase::WaitForBlank, 0);
}

void VirtualEncoder::read()
{
    m_settings = m_folder.settings();
    m_waitClock.start();
    start(Phase::WaitForCard, 0);
}

void VirtualEncoder::write(ImageMaker maker)
{
    m_maker = std::move(maker);
    start(Phase::Writing, m_settings.writeMs);
}

void VirtualEncoder::eject()
{
    start(Phase::Ejecting, m_settings.ejectMs);
}

bool VirtualEncoder::peekCard(QByteArray &bytes) const
{
    const std::optional<QByteArray> card = m_folder.card();
    if (!card)
        return false;
    bytes = *card;
    return true;
}

bool VirtualEncoder::erase()
{
    const std::optional<QByteArray> card = m_folder.card();
    if (!card || !m_lastWritten || *card != *m_lastWritten)
        return false;
    // Read back as every write is: only a blank slot counts as erased.
    if (!m_folder.insertCard(QByteArray()) || m_folder.card() != QByteArray())
        return false;
    m_lastWritten.reset();
    return true;
}

void VirtualEncoder::showPrompt(const QString &text)
{
    m_folder.setPrompt(text);
}

void VirtualEncoder::fail(qint32 status)
{
    m_phase = Phase::Idle;
    m_maker = nullptr;
    emit failed(status);
}

void VirtualEncoder::putOut()
{
    // In auto mode the card leaves the slot; in manual mode the operator takes it out.
    const std::optional<QByteArray> card = m_folder.card();
    if (!m_settings.manual && card && m_lastWritten && *card == *m_lastWritten) {
        m_folder.ejectToTray(trayName());
        m_lastWritten.reset();
    }
}

QString VirtualEncoder::trayName()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return QStringLiteral("%1-%2.card").arg(stamp).arg(++m_ejected, 6, 10, QLatin1Char('0'));
}

bool VirtualEncoder::isFreshCard(const std::optional<QByteArray> &card) const
{
    return card && (!m_lastWritten || *card != *m_lastWritten);
}

void VirtualEncoder::onTimer()
{
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::WaitForBlank:
    case Phase::WaitForCard:
        pollSlot();
        return;
    case Phase::Writing:
        finishWrite();
        return;
    case Phase::Reading:
        finishRead();
        return;
    case Phase::Ejecting:
        putOut();
        m_phase = Phase::Idle;
        emit ejected();
        return;
    }
}

void VirtualEncoder::pollSlot()
{
    if (!m_folder.exists()) {
        fail(CardServerStatus::DeviceNotReady);
        return;
    }
    if (m_folder.takeCancel()) {
        fail(CardServerStatus::Cancelled);
        return;
    }
    const std::optional<QByteArray> card = m_folder.card();
    if (m_phase == Phase::WaitForCard) {
        if (card) {
            start(Phase::Reading, m_settings.readMs);
            return;
        }
    } else if (!m_settings.manual) {
        // The hopper always has a blank card; a card put into the slot is used first.
        m_phase = Phase::Idle;
        emit cardReady(card.value_or(QByteArray()));
        return;
    } else if (isFreshCard(card)) {
        m_phase = Phase::Idle;
        emit cardReady(*card);
        return;
    }
    if (m_settings.cardWaitMs > 0 && m_waitClock.elapsed() >= m_settings.cardWaitMs) {
        fail(CardServerStatus::NoCard);
        return;
    }
    m_timer.start(m_settings.pollMs);
}

void VirtualEncoder::finishWrite()
{
    if (const std::optional<qint32> fault = m_folder.takeNextStatus()) {
        fail(*fault);
        return;
    }
    QByteArray image;
    const ImageMaker maker = std::exchange(m_maker, nullptr);
    const qint32 status = maker ? maker(image) : CardServerStatus::WriteFailed;
    if (status != CardServerStatus::Ok) {
        fail(status);
        return;
    }
    // Read back what landed on the card: a partial write must not count as a card.
    const bool ok = m_folder.insertCard(image) && m_folder.card() == image;
    m_lastWritten = image;
    m_phase = Phase::Idle;
    emit written(ok ? CardServerStatus::Ok : CardServerStatus::WriteFailed);
}

void VirtualEncoder::finishRead()
{
    if (const std::optional<qint32> fault = m_folder.takeNextStatus()) {
        fail(*fault);
        return;
    }
    const std::optional<QByteArray> card = m_folder.card();
    if (!card) {
        // Taken out while it was read: wait for it again.
        start(Phase::WaitForCard, m_settings.pollMs);
        return;
    }
    m_phase = Phase::Idle;
    emit cardRead(*card);
}
