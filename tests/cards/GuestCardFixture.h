#pragma once

#include "FindChild.h"
#include "SessionFixture.h"
#include "TestEncoder.h"
#include "cards/CardIssue.h"
#include "components/cardserver/CardImage.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

class frmGuestCard;

// A hotel for the guest card dialog: guest rooms 101 to 108, common rooms Pool (1), Gym (2) and
// Bar (3), wing A (rooms 12000..12999) and wing B (rooms 20000..29999) with a room each, a
// virtual encoder that writes at once, both card servers, and an operator "desk" logged on who
// may issue guest and joiner cards for a week.
class GuestCardTest : public SessionTest
{
protected:
    static constexpr qint32 kMaxValidityMinutes = 7 * 1440;

    void SetUp() override;
    void TearDown() override;

    VirtualDeviceFolder folder() const { return m_encoder.folder(); }
    void setWriteTime(int ms) { m_encoder.setWriteTime(ms); }
    void reinsertEjectedCard() { m_encoder.reinsertEjectedCard(); }

    // A card of the kind as far as the encode, without the dialog: block 97 with the given range
    // and main room, block 98 with the common rooms.
    CardIssue::Outcome encodeCard(CardIssue &issue, qint32 kind, qint32 mainRoom, qint32 first, qint32 last,
                                  const QList<qint32> &common, double expireTime, qint32 numCards = 1);
    // That card stored on the first card server; returns its registration number.
    qint32 storeCard(qint32 kind, qint32 mainRoom, qint32 first, qint32 last, const QList<qint32> &common,
                     double expireTime);

    // Puts the card ejected last back into the slot and reads it on the first card server, as the
    // frame's verify command does.
    void readLastCardBack();

    // The dialog, shown, with the test's poll interval; the group chooser fails unless replaced.
    frmGuestCard *openDialog(bool joiner = false);
    // Stored registration numbers of all cards, ascending.
    QList<qint32> storedCards();
    // The stored image of a card.
    CardImage storedImage(qint32 registrationNumber);

    // Records what the encoder shows while it writes (it is cleared when the run ends); needs a
    // write time that the poll can see.
    void watchPrompts();

    qint32 encoder = 0;
    QStringList prompts;
    QPointer<frmGuestCard> dialog;

private:
    TestEncoder m_encoder;
    QTimer m_promptTimer;
};

// The image fields the dialog sets after the header, by name and type, in the order set (the
// server adds the override number).
QList<QPair<QString, CardFieldType>> BodyFields(const CardImage &image);

// The dialog's edit box and command button of that name.
inline QLineEdit *box(QWidget *form, const char *name)
{
    return child<QLineEdit>(form, QLatin1String(name));
}
inline QPushButton *command(QWidget *form, const char *name)
{
    return child<QPushButton>(form, QLatin1String(name));
}
