#include "cards/frmSuiteCard.h"

#include "cards/CardIssue.h"
#include "components/cardserver/CardsIntf.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int16_t kTitle = 23600;
constexpr int16_t kLeftCaption = 28601;
constexpr int16_t kRightCaption = 28602;
constexpr int16_t kYesNo = 17001;
constexpr int kHelpContext = 1003;
constexpr qint32 kSuite = 258;
constexpr int32_t kGuestBlock = 97;
constexpr int32_t kCommonBlock = 98;
constexpr int32_t kRangeKind = 100;
constexpr int kDoorRole = Qt::UserRole + 1;
constexpr int kKeyRole = Qt::UserRole + 4; // the doorID and "D"

} // namespace

QList<qint32> frmSuiteCard::doorsOf(const QListWidget *list, bool tickedOnly)
{
    QList<qint32> doors;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem *item = list->item(row);
        if (!tickedOnly || isTicked(item))
            doors << item->data(kDoorRole).toInt();
    }
    return doors;
}

frmSuiteCard::frmSuiteCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                           QWidget *parent)
    : frmGuestCard(Setup{"frmSuiteCard", kWindowNumber, kTitle, kHelpContext, kErrorCode, "fSuiteTrack2", "fSuiteClear",
                         true, "dlgSuite"},
                   program, db, cardServers, session, parent)
{
    auto makeList = [this](const char *labelName, int16_t caption, const char *listName, QLabel *&label,
                           QListWidget *&list) {
        label = new QLabel(GetText(caption), this);
        label->setObjectName(QLatin1String(labelName));
        list = new QListWidget(this);
        list->setObjectName(QLatin1String(listName));
        list->setIconSize(QSize(16, 16));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        label->setBuddy(list);
        addInput(list);
        connect(list, &QListWidget::itemClicked, this, &frmSuiteCard::suiteList_Click);
        auto *column = new QVBoxLayout;
        column->addWidget(label);
        column->addWidget(list, 1);
        return column;
    };
    auto *suite = new QHBoxLayout;
    suite->addLayout(makeList("lblSuiteLeft", kLeftCaption, "lvwSuiteLeft", m_lblSuiteLeft, m_lvwSuiteLeft));
    suite->addLayout(makeList("lblSuiteRight", kRightCaption, "lvwSuiteRight", m_lblSuiteRight, m_lvwSuiteRight));
    m_roomListsColumn->addLayout(suite, 1);
    setTabOrder(m_lvwCommonRooms, m_lvwSuiteLeft);
    setTabOrder(m_lvwSuiteLeft, m_lvwSuiteRight);
    setTabOrder(m_lvwSuiteRight, m_chkTrack2);
    // One card per run: no group of rooms.
    m_cmdGroupCheckIn->setVisible(false);
    setWindowTitle(dialogTitle());
}

qint32 frmSuiteCard::cardNameID() const
{
    return kSuite;
}

QList<qint32> frmSuiteCard::leftRooms() const
{
    return doorsOf(m_lvwSuiteLeft, false);
}

QList<qint32> frmSuiteCard::rightRooms() const
{
    return doorsOf(m_lvwSuiteRight, false);
}

QList<qint32> frmSuiteCard::tickedSuiteRooms() const
{
    return doorsOf(m_lvwSuiteLeft, true) + doorsOf(m_lvwSuiteRight, true);
}

void frmSuiteCard::mainRoomChanged(qint32 room)
{
    fillSuiteLists(room);
}

void frmSuiteCard::fillSuiteLists(qint32 room)
{
    RoomCardRules::SuiteNeighbours neighbours;
    if (room != 0)
        neighbours = RoomCardRules::FindSuiteNeighbours(table(), room, m_db.SystemParams->FiveDigits());
    fillList(m_lvwSuiteLeft, neighbours.left);
    fillList(m_lvwSuiteRight, neighbours.right);
}

void frmSuiteCard::refreshSuiteLists()
{
    // A card shown read-back keeps the lists it was shown with.
    if (showsReadBack())
        return;
    const QList<qint32> ticked = tickedSuiteRooms();
    fillSuiteLists(m_room);
    for (QListWidget *list : {m_lvwSuiteLeft, m_lvwSuiteRight}) {
        for (int row = 0; row < list->count(); ++row) {
            if (ticked.contains(list->item(row)->data(kDoorRole).toInt()))
                setTicked(list->item(row), true);
        }
    }
}

void frmSuiteCard::AddRange(int32_t firstDoorID, int32_t lastDoorID)
{
    frmGuestCard::AddRange(firstDoorID, lastDoorID);
    refreshSuiteLists();
}

void frmSuiteCard::Update(int32_t doorID, int32_t second)
{
    frmGuestCard::Update(doorID, second);
    refreshSuiteLists();
}

void frmSuiteCard::Remove(int32_t firstDoorID, int32_t lastDoorID)
{
    frmGuestCard::Remove(firstDoorID, lastDoorID);
    refreshSuiteLists();
}

void frmSuiteCard::Refresh()
{
    frmGuestCard::Refresh();
    refreshSuiteLists();
}

void frmSuiteCard::fillList(QListWidget *list, const QList<RoomCardRules::SuiteRoom> &rooms)
{
    list->clear();
    for (const RoomCardRules::SuiteRoom &room : rooms) {
        auto *item = new QListWidgetItem(room.name, list);
        item->setData(kDoorRole, room.doorID);
        item->setData(kKeyRole, QString::number(room.doorID) + QLatin1Char('D'));
        setTicked(item, false);
    }
}

void frmSuiteCard::suiteList_Click(QListWidgetItem *item)
{
    if (item && !inputsLocked())
        setTicked(item, !isTicked(item));
}

void frmSuiteCard::showRoomRanges(const CardReadBack &card, const QList<QPair<qint32, GuestRules::RoomRange>> &ranges)
{
    // The lists around the card's main room, ticked where its room block opens them. The room
    // counts as entered, so that a new card from this one (cmdEdit) keeps the ticks.
    fillSuiteLists(card.mainGuestRoom);
    m_room = card.mainGuestRoom;
    m_roomValidated = true;
    m_validatedEntry = m_txtRoomNumber->text();
    for (QListWidget *list : {m_lvwSuiteLeft, m_lvwSuiteRight}) {
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem *item = list->item(row);
            for (const auto &[block, range] : ranges) {
                if (block == kGuestBlock && range.contains(item->data(kDoorRole).toInt()))
                    setTicked(item, true);
            }
        }
    }
}

void frmSuiteCard::clearFields()
{
    frmGuestCard::clearFields();
    for (QListWidget *list : {m_lvwSuiteLeft, m_lvwSuiteRight}) {
        for (int row = 0; row < list->count(); ++row)
            setTicked(list->item(row), false);
    }
}

void frmSuiteCard::cmdMakeCard_Click()
{
    if (!roomEntryValidated())
        validateRoomEntry();
    if (m_session.cardOperationInProgress) {
        m_program.messages->error(-31197, {}, {}, this);
        return;
    }
    qint32 room = 0;
    double expireTime = 0;
    if (validateSuite(room, expireTime))
        runSuiteIssue(room, expireTime);
}

bool frmSuiteCard::validateSuite(qint32 &room, double &expireTime)
{
    const QString entry = m_txtRoomNumber->text().trimmed();
    if (entry.isEmpty()) {
        fail(-31207, m_txtRoomNumber);
        return false;
    }
    room = store().guestRoom(entry, m_db.SystemParams->WingCodes());
    if (room == 0) {
        fail(-31182, m_txtRoomNumber);
        return false;
    }
    double startTime = 0;
    const double now = serverNow();
    if (!validateStay() || !validateExpiry(now, startTime, expireTime))
        return false;
    const QList<qint32> ticked = tickedSuiteRooms();
    if (ticked.isEmpty()) {
        fail(-31137, m_lvwSuiteLeft);
        return false;
    }
    QStringList occupied;
    for (QListWidget *list : {m_lvwSuiteLeft, m_lvwSuiteRight}) {
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem *item = list->item(row);
            if (isTicked(item) && RoomCardRules::IsRoomOccupied(table(), item->data(kDoorRole).toInt(), now))
                occupied << item->text();
        }
    }
    if (!occupied.isEmpty() && ask(m_program, -32487, kYesNo, {occupied.join(QStringLiteral(", "))}, this) != 0)
        return false;
    return IsDialogAvailable();
}

void frmSuiteCard::runSuiteIssue(qint32 room, double expireTime)
{
    const QString track2 =
        m_chkTrack2->isChecked() ? Track2::BuildTrack2(true, *m_db.SystemParams, m_track2Prompt) : QString();
    CardIssue issue(m_program, m_cardServers, m_session, this, kErrorCode);
    issue.setPollInterval(m_pollInterval);
    issue.setValidCardIsError(true);
    issue.setIssueCommand(m_cmdMakeCard);
    issue.setLockInputs([this](bool locked) { setIssueLock(locked); });
    if (!issue.begin())
        return;
    m_issue = &issue;

    const QList<qint32> suiteRooms = tickedSuiteRooms();
    const QList<qint32> common = tickedCommonRooms();
    const QString description = dialogTitle() + QStringLiteral(", ") + roomText(room);
    CardIssue::Outcome outcome = CardIssue::Outcome::Failed;
    const qint32 userID = issueToUser(m_txtIssueTo);
    if (issue.newCard()) {
        CardsIntf &cards = issue.cards();
        cards.BeginBlock(kGuestBlock);
        cards.AddDoorRange(kRangeKind, room, room);
        cards.SetCardField(QStringLiteral("mainGuestRoom"), room);
        for (qint32 door : suiteRooms)
            cards.AddDoorRange(kRangeKind, door, door);
        cards.BeginBlock(kCommonBlock);
        for (qint32 number : common)
            cards.AddDoorRange(kRangeKind, number, number);
        CardFields fields;
        fields.cardNameID = kSuite;
        fields.userID = userID;
        fields.issueTime = fields.startTime = serverNow();
        fields.expireTime = expireTime;
        fields.track2 = track2;
        fields.numCards = m_txtNumCards->text().toInt();
        if (issue.setFields(fields))
            outcome = issue.encode(description);
        if (outcome == CardIssue::Outcome::Closing) {
            if (issue.dialogOpen())
                m_issue = nullptr;
            return;
        }
    }
    issue.waitUntilReady();
    if (!issue.dialogOpen())
        return;
    m_issue = nullptr;
    if (outcome == CardIssue::Outcome::Done && m_chkClearFields->isChecked()) {
        m_txtRoomNumber->clear();
        m_room = 0;
        m_roomValidated = false;
        fillSuiteLists(0);
        clearFields();
    }
    issue.finish();
}
