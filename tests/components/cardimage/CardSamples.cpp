#include "CardSamples.h"

namespace CardSamples {

namespace {

// The fields every dialog sets after its blocks, in the dialogs' order.
void commonFields(CardImage &image, qint32 kind, qint32 user, double expire)
{
    image.SetImageOptionA(0);
    image.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int32(kind));
    image.SetImageOptionB(0);
    image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(user));
    image.SetCardField(QStringLiteral("issueTime"), CardFieldValue::fromDate(kIssue));
    image.SetCardField(QStringLiteral("startTime"), CardFieldValue::fromDate(kIssue));
    image.SetCardField(QStringLiteral("expireTime"), CardFieldValue::fromDate(expire));
    image.SetCardField(QStringLiteral("batteryWarningFlag"), CardFieldValue::int16(0));
    image.SetCardField(QStringLiteral("track2"), CardFieldValue::fromText(QString()));
}

} // namespace

CardImage guestCard()
{
    CardImage image;
    image.NewCard();
    image.BeginBlock(97);
    image.AddDoorRange(100, 1204, 1204);
    image.SetCardField(QStringLiteral("mainGuestRoom"), CardFieldValue::int32(1204));
    image.BeginBlock(98);
    image.AddDoorRange(100, 1, 1);
    image.AddDoorRange(100, 3, 3);
    commonFields(image, 256, 1, kCheckOut);
    image.SetCardField(QStringLiteral("numCards"), CardFieldValue::int32(2));
    image.SetCardField(QStringLiteral("familyFlag"), CardFieldValue::fromText(QStringLiteral("1")));
    image.setInstallationId(kInstallation);
    image.setRegistrationNumber(0x00A3F101u);
    return image;
}

CardImage employeeCard()
{
    CardImage image;
    image.BeginBlock(100);
    image.AddBlockValue(0);
    image.AddBlockValue(6);
    image.AddBlockValue(22);
    image.AddDoorRange(100, 100, 250);
    image.BeginBlock(98);
    image.AddDoorRange(100, 1, 1);
    commonFields(image, 260, 42, kCheckOut + 30);
    image.SetCardField(QStringLiteral("mainGuestRoom"), CardFieldValue::int16(0));
    image.SetCardField(QStringLiteral("numCards"), CardFieldValue::int16(1));
    image.setInstallationId(kInstallation);
    image.setRegistrationNumber(0x00000200u);
    return image;
}

CardImage powerDownCard()
{
    CardImage image;
    image.BeginBlock(107);
    image.AddBlockValue(240);
    image.AddDoorRange(100, 305, 305);
    image.SetCardField(QStringLiteral("mainGuestRoom"), CardFieldValue::int32(305));
    image.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int32(267));
    image.SetImageOptionA(0);
    image.SetImageOptionB(0);
    image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(0));
    image.SetCardField(QStringLiteral("issueTime"), CardFieldValue::fromDate(kIssue));
    image.SetCardField(QStringLiteral("startTime"), CardFieldValue::fromDate(kIssue));
    image.SetCardField(QStringLiteral("expireTime"), CardFieldValue::fromDate(kNoExpiry));
    image.SetCardField(QStringLiteral("familyFlag"), CardFieldValue::fromText(QStringLiteral("1")));
    image.setInstallationId(kInstallation);
    return image;
}

CardImage futureArrivalCard()
{
    CardImage image;
    image.BeginBlock(99);
    image.AddBlockDate(kIssue + 7.0);
    image.AddDoorRange(100, 2101, 2101);
    image.SetCardField(QStringLiteral("mainGuestRoom"), CardFieldValue::int32(2101));
    image.BeginBlock(98);
    commonFields(image, 259, 77, kCheckOut + 10);
    image.SetCardField(QStringLiteral("track2"), CardFieldValue::fromText(QStringLiteral("12345=0000ÄÖ")));
    image.SetCardField(QStringLiteral("numCards"), CardFieldValue::int32(1));
    image.setInstallationId(kInstallation);
    image.setRegistrationNumber(0xFFFFFF00u);
    return image;
}

QList<QByteArray> encodedSamples()
{
    QList<QByteArray> out;
    for (const CardImage &image : {guestCard(), employeeCard(), powerDownCard(), futureArrivalCard(), CardImage()}) {
        QByteArray bytes;
        image.encode(bytes);
        out.append(bytes);
    }
    return out;
}

Readout sampleReadout()
{
    Readout readout;
    ReadoutSource unitLog;
    unitLog.kind = 1;
    unitLog.readoutTime = oleAt(kMay2 - 1, 18, 0);
    unitLog.doorID = 0;
    unitLog.events.append(ReadoutEvent{oleAt(kMay2 - 2, 6, 30, 15), 90, false, 0, 0, 0, false});
    readout.sources.append(unitLog);

    ReadoutSource room;
    room.readoutTime = kIssue;
    room.doorID = 1204;
    room.events.append(ReadoutEvent{oleAt(kMay2, 12, 1, 2), 1, true, 0x00A3F101u, 256, 1, false});
    room.events.append(ReadoutEvent{oleAt(kMay2, 12, 1, 2), 1, true, 0x00A3F101u, 256, 1, true});
    room.events.append(ReadoutEvent{oleAt(kMay2, 15, 0, 59), 17, false, 0, 0, 0, false});
    readout.sources.append(room);

    ReadoutSource office;
    office.readoutTime = oleAt(kMay2, 19, 0);
    office.doorID = 12;
    office.events.append(ReadoutEvent{oleAt(kMay2, 7, 45), 2, true, 0x00000200u, 260, 42, false});
    readout.sources.append(office);
    return readout;
}

} // namespace CardSamples
