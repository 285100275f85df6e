#include "cards/frmOperatorCard.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "ui/FrameHost.h"

#include <QLineEdit>

namespace {

constexpr qint32 kOperatorBlock = 110;
constexpr qint32 kRangeKind = 100;

} // namespace

const StaffDialogKind frmOperatorCard::kKind = {.objectName = "frmOperatorCard",
                                                .cardNameID = 270,
                                                .windowNumber = 38,
                                                .prompt = 24800,
                                                .errorCode = 4656,
                                                .helpContext = 1110,
                                                .placementKey = "dlgOpCard",
                                                .receiptKey = "fOperatorReceipt",
                                                .roomRange = false,
                                                .timeWindow = false,
                                                .commonRoom = false,
                                                .doors = false};

frmOperatorCard::frmOperatorCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
    m_session.notify.SubscribeOperators(this, Notify::handleOf(this));
}

frmOperatorCard::~frmOperatorCard()
{
    m_session.notify.UnsubscribeOperators(Notify::handleOf(this));
}

void frmOperatorCard::addOwnRows()
{
    m_txtOpTemplate = makeBox("txtOpTemplate");
    m_txtOpTemplate->setReadOnly(true);
    addRow("lblOpTemplate", 28409, m_txtOpTemplate, nullptr, false);
}

QList<qint32> frmOperatorCard::shownTables() const
{
    return {TableId::Users};
}

std::optional<QString> frmOperatorCard::userText(qint32 userID)
{
    std::optional<QString> name = StaffCardDialog::userText(userID);
    const std::optional<QString> operatorTemplate = name ? store().operatorTemplate(userID) : std::nullopt;
    m_txtOpTemplate->setText(operatorTemplate.value_or(QString()));
    if (!operatorTemplate)
        return std::nullopt;
    return name;
}

void frmOperatorCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kOperatorBlock);
    cards.AddBlockValue(0);
    cards.AddDoorRange(kRangeKind, 0, 0);
}

void frmOperatorCard::afterCard()
{
    for (QObject *window : m_session.notify.openWindows()) {
        if (auto *list = dynamic_cast<OperatorListWindow *>(window))
            list->RefreshTableList();
    }
}

bool frmOperatorCard::offerEdit()
{
    return StaffCardDialog::offerEdit() && m_db.SystemParams->NeedOpCardAtLogon();
}

void frmOperatorCard::openUserChooser(const ChoiceRequest &request)
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::OperatorList,
              [&request](OperatorListWindow &list) { list.setChoiceRequest(request); });
}
