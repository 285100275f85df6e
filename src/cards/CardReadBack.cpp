#include "cards/CardReadBack.h"

#include "cards/CardKinds.h"
#include "components/cardserver/CardsIntf.h"
#include "core/OleDate.h"

int CardReadBack::nights() const
{
    return OleDate::daysBetween(issueTime, expireTime);
}

CardReadBack ReadCardImage(const CardsIntf &cards)
{
    auto number = [&cards](const char *name) { return cards.GetCardField(QLatin1String(name)).toInt(); };
    auto date = [&cards](const char *name) { return cards.GetCardField(QLatin1String(name)).toDouble(); };
    CardReadBack card;
    card.cardNameID = number("cardNameID");
    card.userID = number("userID");
    card.registrationNumber = cards.GetCardField(QStringLiteral("registrationNumber")).toUInt();
    card.status = number("status");
    card.overrideNumber = number("overrideNumber");
    card.mainGuestRoom = number("mainGuestRoom");
    card.numCards = number("numCards");
    card.issueTime = date("issueTime");
    card.startTime = date("startTime");
    card.expireTime = date("expireTime");
    return card;
}

QString ReadBackCaption(const QString &title, const CardReadBack &card, double now)
{
    return ReadBackCaption(title, card.registrationNumber, card.status, card.expireTime, now);
}
