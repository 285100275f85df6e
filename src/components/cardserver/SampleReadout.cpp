#include "components/cardserver/SampleReadout.h"

#include "components/cardserver/CardImage.h"
#include "components/cardserver/Readout.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QByteArray sampleReadout(const VirtualDeviceFolder &encoder, const QList<qint32> &doors, double now)
{
    QList<ReadoutEvent> cardEvents;
    const QFileInfoList tray = QDir(encoder.trayPath()).entryInfoList(QDir::Files, QDir::Time);
    for (const QFileInfo &f : tray.mid(0, 5)) {
        QFile file(f.filePath());
        CardImage card;
        if (!file.open(QIODevice::ReadOnly) || CardImage::decode(file.readAll(), card) != 0)
            continue;
        ReadoutEvent e;
        e.eventCode = 1;
        e.hasCard = card.registrationNumber().has_value();
        e.registrationNumber = card.registrationNumber().value_or(0);
        e.cardNameID = card.GetCardField(QStringLiteral("cardNameID")).value_or(CardFieldValue()).integer;
        e.userID = card.GetCardField(QStringLiteral("userID")).value_or(CardFieldValue()).integer;
        if (e.hasCard && e.cardNameID >= 256 && e.cardNameID <= 280)
            cardEvents << e;
    }
    Readout r;
    for (int i = 0; i < doors.size(); ++i) {
        ReadoutSource s;
        s.doorID = doors.at(i);
        s.readoutTime = now - (doors.size() - i) / 1440.0; // a minute apart
        double t = s.readoutTime - 0.5;
        for (ReadoutEvent e : cardEvents) {
            e.eventTime = t;
            t += 1.0 / 24;
            s.events << e;
        }
        ReadoutEvent battery;
        battery.eventCode = 13;
        battery.eventTime = s.readoutTime - 1;
        s.events.prepend(battery);
        r.sources << s;
    }
    return writeReadout(r);
}
