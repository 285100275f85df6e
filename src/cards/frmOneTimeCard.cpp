#include "cards/frmOneTimeCard.h"

#include "cards/CardIssue.h"
#include "cards/CardKinds.h"
#include "cards/GuestCardStore.h"
#include "cards/RoomCardRules.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/WindowPlacement.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int16_t kTitle = 23400;
constexpr int kHelpContext = 1005;
constexpr qint32 kOneTime = 266;
constexpr int32_t kOneTimeBlock = 106;
constexpr int32_t kRangeKind = 100;
constexpr int16_t kClose = 16103;
constexpr int16_t kCancel = 16118;
const QString kPlacementKey = QStringLiteral("dlgOneTime");

} // namespace

frmOneTimeCard::frmOneTimeCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                               Session &session, QWidget *parent)
    : CardDialog(program, db, cardServers, session, kWindowNumber, parent)
{
    setObjectName(QStringLiteral("frmOneTimeCard"));
    buildControls();
    EvaluateIssueTo();
    setWindowTitle(dialogTitle());
    RestoreWindowPlacement(m_program.registry, this, kPlacementKey);
}

frmOneTimeCard::~frmOneTimeCard()
{
    SaveWindowPlacement(m_program.registry, this, kPlacementKey, LiteralErrorBox(*m_program.messages, nullptr));
}

void frmOneTimeCard::buildControls()
{
    auto label = [this](const char *name, int16_t text) {
        auto *l = new QLabel(GetText(text), this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto box = [this](const char *name) {
        auto *b = new QLineEdit(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    auto button = [this](const char *name, int16_t text) {
        auto *b = new QPushButton(GetText(text), this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QLabel *lblRoomFrom = label("lblRoomFrom", 28603);
    m_txtRoomFrom = box("txtRoomFrom");
    QLabel *lblRoomTo = label("lblRoomTo", 28604);
    m_txtRoomTo = box("txtRoomTo");
    QLabel *lblNumHours = label("lblNumHours", 28605);
    m_txtNumHours = box("txtNumHours");
    QLabel *lblExpirationDate = label("lblExpirationDate", 28606);
    m_txtExpirationDate = box("txtExpirationDate");
    m_lblIssueTo = label("lblIssueTo", 28304);
    m_txtIssueTo = box("txtIssueTo");
    m_lblOverrideNumber = label("lblOverrideNumber", 28308);
    m_txtOverrideNumber = box("txtOverrideNumber");
    m_cmdMakeCard = button("cmdMakeCard", 28309);
    m_cmdEdit = button("cmdEdit", 28310);
    m_cmdClose = button("cmdClose", kClose);

    const auto digits = QRegularExpression(QStringLiteral("[0-9]*"));
    for (QLineEdit *number : {m_txtRoomFrom, m_txtRoomTo, m_txtNumHours}) {
        number->setMaxLength(number == m_txtNumHours ? 4 : 5);
        number->setValidator(new QRegularExpressionValidator(digits, number));
    }
    m_txtIssueTo->setMaxLength(2 * 32 + 2);
    // Computed from the hours.
    m_txtExpirationDate->setReadOnly(true);
    m_txtExpirationDate->setFocusPolicy(Qt::NoFocus);

    auto *fields = new QGridLayout;
    int row = 0;
    for (auto [l, b] : {std::pair{lblRoomFrom, m_txtRoomFrom}, std::pair{lblRoomTo, m_txtRoomTo},
                        std::pair{lblNumHours, m_txtNumHours}, std::pair{lblExpirationDate, m_txtExpirationDate},
                        std::pair{m_lblIssueTo, m_txtIssueTo}, std::pair{m_lblOverrideNumber, m_txtOverrideNumber}}) {
        l->setBuddy(b);
        fields->addWidget(l, row, 0);
        fields->addWidget(b, row++, 1);
    }
    fields->setRowStretch(row, 1);
    fields->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(CommandRow({m_cmdMakeCard, m_cmdEdit, m_cmdClose}));

    for (QWidget *input :
         std::initializer_list<QWidget *>{m_txtRoomFrom, m_txtRoomTo, m_txtNumHours, m_txtIssueTo, m_cmdMakeCard})
        addInput(input);
    setCommands(m_cmdMakeCard, m_cmdEdit);
    setOverrideNumberControls(m_lblOverrideNumber, m_txtOverrideNumber);
    setIssueToControls(m_lblIssueTo, m_txtIssueTo);

    connect(m_txtNumHours, &QLineEdit::textChanged, this, &frmOneTimeCard::txtNumHours_Change);
    connect(m_cmdMakeCard, &QPushButton::clicked, this, &frmOneTimeCard::cmdMakeCard_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmOneTimeCard::cmdClose_Click);
}

qint32 frmOneTimeCard::cardNameID() const
{
    return kOneTime;
}

int frmOneTimeCard::HelpContextID() const
{
    return kHelpContext;
}

QList<qint32> frmOneTimeCard::shownTables() const
{
    return {TableId::Users};
}

QString frmOneTimeCard::dialogTitle() const
{
    return GetText(kTitle);
}

void frmOneTimeCard::setHours(const QString &text)
{
    m_settingHours = true;
    m_txtNumHours->setText(text);
    m_settingHours = false;
}

void frmOneTimeCard::txtNumHours_Change()
{
    if (m_settingHours)
        return;
    const std::optional<int> hours = RoomCardRules::OneTimeHours(m_txtNumHours->text());
    m_expiration.reset();
    if (hours)
        m_expiration = RoomCardRules::OneTimeExpiry(serverNow(), *hours);
    m_txtExpirationDate->setText(m_expiration ? CardDateTimeText(*m_expiration) : QString());
}

bool frmOneTimeCard::validate(qint32 &from, qint32 &to, double &expireTime)
{
    const RoomCardRules::DoorRangeEntry range =
        RoomCardRules::ParseDoorRange(m_txtRoomFrom->text(), m_txtRoomTo->text());
    if (range.error != 0) {
        fail(range.error, m_txtRoomFrom->text().trimmed().isEmpty() ? m_txtRoomFrom : m_txtRoomTo);
        return false;
    }
    if (range.swapped) {
        m_txtRoomFrom->setText(QString::number(range.from));
        m_txtRoomTo->setText(QString::number(range.to));
    }
    from = range.from;
    to = range.to;

    if (RoomCardRules::OneTimeHours(m_txtNumHours->text()).value_or(0) == 0) {
        fail(-31178, m_txtNumHours);
        return false;
    }
    const double now = serverNow();
    expireTime = m_expiration.value_or(0);
    if (expireTime < now) {
        fail(-31173, m_txtNumHours);
        return false;
    }
    if (!m_session.authority.CheckCardValidity(kOneTime, now, expireTime)) {
        m_txtNumHours->setFocus();
        return false;
    }
    if (!RoomCardRules::HasDoorInRange(table(), from, to)) {
        fail(-31179, m_txtRoomFrom);
        return false;
    }
    if (!checkIssueTo(m_txtIssueTo))
        return false;
    return IsDialogAvailable();
}

void frmOneTimeCard::cmdMakeCard_Click()
{
    if (m_session.cardOperationInProgress) {
        m_program.messages->error(-31197, {}, {}, this);
        return;
    }
    qint32 from = 0;
    qint32 to = 0;
    double expireTime = 0;
    if (validate(from, to, expireTime))
        runIssue(from, to, expireTime);
}

void frmOneTimeCard::runIssue(qint32 from, qint32 to, double expireTime)
{
    CardIssue issue(m_program, m_cardServers, m_session, this, kErrorCode);
    issue.setPollInterval(m_pollInterval);
    issue.setIssueCommand(m_cmdMakeCard);
    issue.setLockInputs([this](bool locked) {
        setInputsLocked(locked);
        m_cmdClose->setText(GetText(locked ? kCancel : kClose));
    });
    if (!issue.begin())
        return;
    m_issue = &issue;
    const qint32 userID = issueToUser(m_txtIssueTo);
    if (issue.newCard()) {
        CardsIntf &cards = issue.cards();
        cards.BeginBlock(kOneTimeBlock);
        cards.AddDoorRange(kRangeKind, from, to);
        CardFields fields;
        fields.cardNameID = kOneTime;
        fields.userID = userID;
        fields.issueTime = fields.startTime = serverNow();
        fields.expireTime = expireTime;
        if (issue.setFields(fields)) {
            const CardIssue::Outcome outcome = issue.encode(GetText(kTitle));
            if (outcome == CardIssue::Outcome::Closing) {
                if (issue.dialogOpen())
                    m_issue = nullptr;
                return;
            }
            // The operator takes the valid card's expiry and issues again.
            if (outcome == CardIssue::Outcome::ValidCardInEncoder && issue.dialogOpen() && issue.reencode()) {
                const double expiry = issue.validCardExpireTime();
                m_expiration = expiry;
                m_txtExpirationDate->setText(CardDateTimeText(expiry));
                const std::optional<int> hours = RoomCardRules::HoursUntil(serverNow(), expiry);
                setHours(hours ? QString::number(*hours) : QString());
            }
        }
    }
    issue.waitUntilReady();
    if (!issue.dialogOpen())
        return;
    m_issue = nullptr;
    issue.finish();
}

void frmOneTimeCard::showCard(const CardReadBack &card)
{
    CardsIntf &cards = *m_cardServers.firstCardsIntf;
    qint32 kind = 0, block = 0, first = 0, last = 0;
    m_txtRoomFrom->clear();
    m_txtRoomTo->clear();
    while (cards.GetNextRange(kind, block, first, last) == 0) {
        if (block == kOneTimeBlock) {
            m_txtRoomFrom->setText(QString::number(first));
            m_txtRoomTo->setText(QString::number(last));
        }
    }
    const std::optional<int> hours = RoomCardRules::HoursUntil(card.issueTime, card.expireTime);
    setHours(hours ? QString::number(*hours) : QString());
    m_txtExpirationDate->setText(CardDateTimeText(card.expireTime));
    m_txtIssueTo->setText(GuestCardStore(table()).issueToText(card.userID));
    m_parsedIssueTo = m_txtIssueTo->text();
}

void frmOneTimeCard::keyPressEvent(QKeyEvent *event)
{
    if (!handleCommandKey(event, m_cmdMakeCard, [this] { cmdClose_Click(); }))
        CardDialog::keyPressEvent(event);
}

// While a card is being made the command cancels it.
void frmOneTimeCard::cmdClose_Click()
{
    if (m_issue) {
        m_issue->cancel();
        return;
    }
    unload();
}
