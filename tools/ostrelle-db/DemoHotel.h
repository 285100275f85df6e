#pragma once

#include <QList>
#include <QString>

class RecordDatabase;

// The demo hotel: three door areas, 60 guest rooms on two floors, eight common rooms, a few
// entrance, zone, private and plain doors, operator templates and operators, staff and guests,
// a virtual encoder and a virtual handheld unit. docs/demo-data.md describes it.
namespace DemoHotel {

struct Logon
{
    QString user;
    QString password;
    qint32 templateId;
    QString templateName;
};

// The demo operators with their fixed passwords, in the order the command prints them.
const QList<Logon> &logons();

inline constexpr qint32 SupervisorTemplateId = 300;
inline constexpr qint32 FrontDeskTemplateId = 700;
inline constexpr qint32 NightTemplateId = 1000;

// Seeds the hotel into a database that holds the required rows and nothing else.
bool seed(RecordDatabase &db, QString &error);

// Stores the card image of every issued card that has none, encoded as the card server encodes
// it, so that the demo's cards open in their card dialogs. Room cards carry their rooms as the
// guest card dialog writes them; the others carry the card fields only.
bool storeCardImages(RecordDatabase &db, QString &error);

} // namespace DemoHotel
