#include "cards/frmPrivacyCard.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"

#include <QGridLayout>

namespace {

constexpr qint32 kPrivacyBlock = 104;
constexpr qint32 kRangeKind = 100;

} // namespace

const StaffDialogKind frmPrivacyCard::kKind = {.objectName = "frmPrivacyCard",
                                               .cardNameID = 264,
                                               .windowNumber = 26,
                                               .prompt = 22200,
                                               .errorCode = 4208,
                                               .helpContext = 1104,
                                               .placementKey = "dlgPrivacy",
                                               .user = false,
                                               .roomRange = false,
                                               .timeWindow = false,
                                               .commonRoom = false};

frmPrivacyCard::frmPrivacyCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                               Session &session, FrameWindows &frameWindows, QWidget *parent)
    : frmServiceCard(program, db, cardServers, session, frameWindows, kKind, -31182, parent)
{
    m_fields->setRowStretch(m_fields->rowCount(), 1);
}

QList<qint32> frmPrivacyCard::shownTables() const
{
    return {TableId::Users};
}

void frmPrivacyCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kPrivacyBlock);
    cards.AddDoorRange(kRangeKind, m_room, m_room);
    cards.SetCardField(QStringLiteral("mainGuestRoom"), m_room);
}

void frmPrivacyCard::showOwnBlock(qint32 block, qint32 first, qint32)
{
    if (block == kPrivacyBlock)
        showRoom(first);
}

void frmPrivacyCard::doorsChanged(qint32 first, qint32 last, bool removed)
{
    if (removed && m_room >= first && m_room <= last)
        m_roomResolved = false;
}
