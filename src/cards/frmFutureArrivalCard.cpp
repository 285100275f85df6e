#include "cards/frmFutureArrivalCard.h"

#include "cards/RoomCardRules.h"
#include "components/cardserver/CardsIntf.h"
#include "session/Services.h"
#include "texts/Texts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int16_t kTitle = 22500;
constexpr int16_t kCheckInCaption = 28600;
constexpr int kHelpContext = 1004;
constexpr qint32 kFutureArrival = 259;
constexpr int32_t kArrivalBlock = 99;
constexpr int32_t kRangeKind = 100;

} // namespace

frmFutureArrivalCard::frmFutureArrivalCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                           Session &session, QWidget *parent)
    : frmGuestCard(Setup{"frmFutureArrivalCard", kWindowNumber, kTitle, kHelpContext, kErrorCode, "fGuestTrack2",
                         "fGuestClear", true},
                   program, db, cardServers, session, parent)
{
    m_lblCheckIn = new QLabel(GetText(kCheckInCaption), this);
    m_lblCheckIn->setObjectName(QStringLiteral("lblCheckIn"));
    m_txtCheckIn = new QLineEdit(this);
    m_txtCheckIn->setObjectName(QStringLiteral("txtCheckIn"));
    m_lblCheckIn->setBuddy(m_txtCheckIn);
    m_fieldGrid->addWidget(m_lblCheckIn, kExtraFieldRow, 0);
    m_fieldGrid->addWidget(m_txtCheckIn, kExtraFieldRow, 1, 1, 2);
    setTabOrder(m_cmdGroupCheckIn, m_txtCheckIn);
    setTabOrder(m_txtCheckIn, m_txtNumNights);
    addInput(m_txtCheckIn);
    // The check-out follows the check-in as it follows the nights.
    connect(m_txtCheckIn, &QLineEdit::editingFinished, this, [this] {
        if (!inputsLocked())
            txtNumNights_Change();
    });
    setWindowTitle(dialogTitle());
}

qint32 frmFutureArrivalCard::cardNameID() const
{
    return kFutureArrival;
}

double frmFutureArrivalCard::nightsFrom()
{
    if (const std::optional<double> checkIn = GuestRules::ParseCheckOut(m_txtCheckIn->text()))
        return *checkIn;
    return serverNow();
}

bool frmFutureArrivalCard::validateExpiry(double now, double &startTime, double &expireTime)
{
    const RoomCardRules::ArrivalCheck check =
        RoomCardRules::CheckArrival(m_txtCheckIn->text(), m_txtCheckOut->text(), m_txtNumNights->text().toInt(),
                                    currentCheckOutHour(), now, m_session.authority.MaxCardValidity(kFutureArrival));
    if (check.error != 0) {
        fail(check.error, check.focus == RoomCardRules::ArrivalCheck::CheckIn ? m_txtCheckIn : m_txtCheckOut);
        return false;
    }
    m_checkIn = startTime = check.checkIn;
    expireTime = check.checkOut;
    return true;
}

void frmFutureArrivalCard::addRoomBlock(CardsIntf &cards, qint32 room, bool, const QList<qint32> &)
{
    cards.BeginBlock(kArrivalBlock);
    cards.AddBlockDate(m_checkIn);
    cards.AddDoorRange(kRangeKind, room, room);
    cards.SetCardField(QStringLiteral("mainGuestRoom"), room);
}

void frmFutureArrivalCard::showCard(const CardReadBack &card)
{
    frmGuestCard::showCard(card);
    m_txtCheckIn->setText(GuestRules::CheckOutText(card.startTime));
}

void frmFutureArrivalCard::clearFields()
{
    m_txtCheckIn->clear();
    frmGuestCard::clearFields();
}
