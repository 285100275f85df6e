#include "cards/CardKinds.h"

#include "components/cardserver/CardRecordState.h"
#include "components/cardserver/RegistrationNumber.h"
#include "core/OleDate.h"
#include "texts/Texts.h"

namespace {
// Card records the server left not yet issued, or marked never issued (docs/card-server.md).
constexpr int16_t kNotConfirmedText = 29700;
constexpr int16_t kNeverIssuedText = 29701;
} // namespace

namespace CardKinds {

const std::vector<CardKind> &all()
{
    static const std::vector<CardKind> kinds = {
        {256, "frmGuestCard", 33, 97, 0, {98}, true, -1},
        {257, "frmGuestCard", 33, 97, 0, {98}, true, -1},
        {258, "frmSuiteCard", 35, 97, 0, {98}, true, -1},
        {259, "frmFutureArrivalCard", 34, 99, 0, {98}, true, -1},
        {260, "frmEmployeeCard", 19, 100, 0, {98}, false, -1},
        {261, "frmSupervisorCard", 21, 100, 0, {98, 113}, false, -1},
        {262, "frmClearanceCard", 23, 101, 0, {}, false, -1},
        {263, "frmStandOpenCard", 27, 102, 103, {}, false, -1},
        {264, "frmPrivacyCard", 26, 104, 0, {}, true, -1},
        {265, "frmBlockingCard", 20, 105, 0, {}, false, -1},
        {266, "frmOneTimeCard", 37, 106, 0, {}, false, -1},
        {267, "frmPowerDownCard", 36, 107, 0, {}, true, -1},
        {268, "frmEmergencyCard", 24, 108, 0, {}, false, -1},
        {269, "frmCancelCard", 22, 109, 0, {}, false, -1},
        {270, "frmOperatorCard", 38, 110, 0, {}, false, -1},
        {271, "frmFunctionCard", 25, 112, 0, {}, false, 0},
        {272, "frmLockingCard", 29, 111, 0, {}, false, -1},
        {273, "frmServiceCard", 30, 100, 0, {98}, false, -1},
        {274, "frmCommonAreaCard", 31, 100, 0, {}, false, -1},
        {275, "frmSystemIDCard", 28, 114, 0, {}, false, -1},
        {276, "frmMaintenanceCard", 32, 100, 0, {98}, false, -1},
        {277, "frmFunctionCard", 25, 112, 0, {}, false, 1},
        {278, "frmFunctionCard", 25, 112, 0, {}, false, 2},
        {279, "frmFunctionCard", 25, 112, 0, {}, false, 3},
    };
    return kinds;
}

const CardKind *find(int32_t cardNameID)
{
    for (const CardKind &kind : all()) {
        if (kind.cardNameID == cardNameID)
            return &kind;
    }
    return nullptr;
}

bool hasLongNumCards(int32_t cardNameID)
{
    return cardNameID >= 256 && cardNameID <= 259;
}

bool hasTextFamilyFlag(int32_t cardNameID)
{
    return cardNameID == 256 || cardNameID == 257 || cardNameID == 259 || cardNameID == 267;
}

bool hasBatteryWarning(int32_t cardNameID)
{
    return cardNameID == 275 || cardNameID == 269;
}

} // namespace CardKinds

QString RegistrationNumberText(quint32 stored)
{
    return FormatRegistrationNumber(stored);
}

QString CardDateTimeText(double ole)
{
    return OleDate::formatShortDate(ole) + QLatin1Char(' ') + OleDate::formatShortTime(ole);
}

int16_t CardStatusTextNumber(int32_t status, double expireTime, double now)
{
    constexpr int32_t valid = 1;
    constexpr int32_t expired = 4;
    if (status == CardRecordState::NotYetIssued)
        return kNotConfirmedText;
    if (status == CardRecordState::NeverIssued)
        return kNeverIssuedText;
    if ((status == valid && expireTime < now) || status == 7)
        status = expired;
    return static_cast<int16_t>(16000 + status);
}

QString ReadBackCaption(const QString &title, quint32 registrationNumber, int32_t status, double expireTime, double now)
{
    return title + QStringLiteral(" - ") + RegistrationNumberText(registrationNumber) + QStringLiteral(" (") +
           GetText(CardStatusTextNumber(status, expireTime, now)) + QLatin1Char(')');
}
