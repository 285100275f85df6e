#include "components/cardserver/VirtualHandheld.h"

#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Readout.h"

#include <QFile>

VirtualHandheld::VirtualHandheld(const DeviceInfo &info) : DeviceDriver(info), m_folder(info.folder)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &VirtualHandheld::onTimer);
}

qint32 VirtualHandheld::state() const
{
    return m_folder.exists() ? CardServerStatus::Ok : CardServerStatus::DeviceNotReady;
}

void VirtualHandheld::abandon()
{
    m_timer.stop();
    m_phase = Phase::Idle;
}

void VirtualHandheld::program(const QByteArray &setupData)
{
    m_setup = setupData;
    m_phase = Phase::Programming;
    m_timer.start(m_folder.settings().setupMs);
}

void VirtualHandheld::readOut()
{
    m_phase = Phase::Reading;
    m_timer.start(m_folder.settings().readMs);
}

void VirtualHandheld::confirmReadout(const QStringList &files)
{
    m_folder.markRead(files);
}

void VirtualHandheld::onTimer()
{
    const Phase phase = std::exchange(m_phase, Phase::Idle);
    if (phase == Phase::Idle)
        return;
    if (!m_folder.exists()) {
        emit failed(CardServerStatus::DeviceNotReady);
        return;
    }
    if (const std::optional<qint32> fault = m_folder.takeNextStatus()) {
        emit failed(*fault);
        return;
    }
    if (phase == Phase::Programming) {
        emit programmed(m_folder.writeSetup(m_setup) ? CardServerStatus::Ok : CardServerStatus::SetupFailed);
        return;
    }
    const QStringList files = m_folder.pendingReadouts();
    if (files.isEmpty()) {
        emit failed(CardServerStatus::NoReadout);
        return;
    }
    QList<QByteArray> texts;
    for (const QString &name : files) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) {
            emit failed(CardServerStatus::DeviceNotReady);
            return;
        }
        // One byte past the limit is enough for the parser to refuse a read-out that is too large.
        texts << f.read(Readout::kMaxBytes + 1);
    }
    emit readoutReady(files, texts);
}
