#pragma once

#include <QString>

#include <cstdint>

class CardsIntf;

// The fields of a card read on the encoder (or a stored image loaded), as a card dialog shows
// them read-only.
struct CardReadBack
{
    int32_t cardNameID = 0;
    int32_t userID = 0;
    quint32 registrationNumber = 0;
    int32_t status = 0;
    int32_t overrideNumber = 0;
    int32_t mainGuestRoom = 0;
    int32_t numCards = 0;
    double issueTime = 0;
    double startTime = 0;
    double expireTime = 0;

    // Room cards: the whole days from issue to expiry.
    int nights() const;
};

CardReadBack ReadCardImage(const CardsIntf &cards);

// The dialog's caption while it shows the card: its title, the number and the status text.
QString ReadBackCaption(const QString &title, const CardReadBack &card, double now);
