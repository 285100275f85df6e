#include "cards/StaffCardDialog.h"

#include "cards/CardIssue.h"
#include "cards/CardReceipt.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr qint32 kStaffBlock = 100;
constexpr qint32 kCommonBlock = 98;
constexpr qint32 kRangeKind = 100;
constexpr int32_t kDefaultWidth = 7200; // twips
constexpr int32_t kDefaultHeight = 5400;
constexpr int kLongestWindow = 24;

} // namespace

StaffCardDialog::StaffCardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, const StaffDialogKind &kind,
                                 QWidget *parent)
    : CardDialog(program, db, cardServers, session, kind.windowNumber, parent), m_kind(kind),
      m_frameWindows(frameWindows)
{
    setObjectName(QLatin1String(kind.objectName));
    m_track2Prompt = Track2::InputBoxPrompt(this);
    m_printReceipt = [this] {
        PrintCardReceipt(m_program, m_db, m_cardServers, m_session, receiptFirstNumber(), this);
    };
}

StaffCardDialog::~StaffCardDialog()
{
    if (!m_opened)
        return;
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
    if (m_kind.doors)
        m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    saveSettings();
}

void StaffCardDialog::buildControls()
{
    setWindowTitle(GetText(m_kind.prompt));
    m_fraCard = new QGroupBox(this);
    m_fraCard->setObjectName(QStringLiteral("fraCard"));
    m_fields = new QGridLayout(m_fraCard);
    m_fields->setColumnStretch(1, 1);
    m_fields->setColumnStretch(3, 1);

    const auto digits = QRegularExpression(QStringLiteral("[0-9]*"));
    if (m_kind.user) {
        m_txtIssueTo = makeBox("txtIssueTo");
        m_txtIssueTo->setReadOnly(true);
        m_cmdSelect = CommandButton(m_fraCard, "cmdSelect", 28401);
        addRow("lblIssueTo", 28400, m_txtIssueTo, m_cmdSelect, false);
        connect(m_cmdSelect, &QPushButton::clicked, this, &StaffCardDialog::cmdSelect_Click);
    }
    addOwnRows();
    if (m_kind.roomRange) {
        m_txtRoomFrom = makeBox("txtRoomFrom");
        m_txtRoomTo = makeBox("txtRoomTo");
        for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo})
            box->setValidator(new QRegularExpressionValidator(digits, box));
        addRow("lblRoomFrom", 28402, m_txtRoomFrom, m_txtRoomTo);
    }
    if (m_kind.timeWindow) {
        m_txtTimeZoneFrom = makeBox("txtTimeZoneFrom");
        m_txtTimeZoneTo = makeBox("txtTimeZoneTo");
        addRow("lblTimeZoneFrom", 28403, m_txtTimeZoneFrom, m_txtTimeZoneTo);
    }
    if (m_kind.days) {
        m_txtNumDays = makeBox("txtNumDays");
        m_txtNumDays->setMaxLength(4);
        m_txtNumDays->setValidator(new QRegularExpressionValidator(digits, m_txtNumDays));
        addRow("lblNumDays", 28404, m_txtNumDays);
        if (m_kind.expiry)
            connect(m_txtNumDays, &QLineEdit::textEdited, this, &StaffCardDialog::txtNumDays_Change);
    }
    if (m_kind.expiry) {
        m_txtExpirationDate = makeBox("txtExpirationDate");
        addRow("lblExpirationDate", 28405, m_txtExpirationDate, nullptr, m_kind.days);
    }
    if (m_kind.days && m_kind.expiry)
        connect(m_txtExpirationDate, &QLineEdit::textEdited, this, &StaffCardDialog::txtExpirationDate_Change);
    else if (m_kind.expiry)
        m_txtExpirationDate->setReadOnly(true);

    auto check = [this](const char *name, int16_t caption) {
        auto *box = new QCheckBox(caption ? QString::number(caption) : QString(), m_fraCard);
        box->setObjectName(QLatin1String(name));
        m_fields->addWidget(box, m_fields->rowCount(), 0, 1, 4);
        addInput(box);
        return box;
    };
    if (m_kind.commonRoom)
        m_chkCommonRoom = check("chkCommonRoom", 0); // captioned by the common room's name
    if (m_kind.track2Key)
        m_chkTrack2 = check("chkTrack2", 28306);
    if (m_kind.clearKey)
        m_chkClearFields = check("chkClearFields", 28307);
    if (m_kind.receiptKey)
        m_chkReceipt = check("chkReceipt", 28406);

    m_cmdMakeCard = CommandButton(this, "cmdMakeCard", 28309);
    m_cmdEdit = CommandButton(this, "cmdEdit", 28310);
    m_cmdClose = CommandButton(this, "cmdClose", 16103);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraCard, 1);
    layout->addLayout(CommandRow({m_cmdMakeCard, m_cmdEdit, m_cmdClose}));

    addInput(m_cmdMakeCard);
    setCommands(m_cmdMakeCard, m_cmdEdit);
    connect(m_cmdMakeCard, &QPushButton::clicked, this, &StaffCardDialog::cmdMakeCard_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &CardDialog::unload);
}

void StaffCardDialog::finishOpening()
{
    ApplyFormTexts(this, m_program.texts);
    RestoreWindowPlacement(m_program.registry, this, QLatin1String(m_kind.placementKey), kDefaultWidth, kDefaultHeight);
    loadSettings();
    CheckRoomList();
    if (m_chkCommonRoom)
        findCommonRoom();
    showDefaultTimes();
    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    if (m_kind.doors)
        m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
    m_opened = true;
}

int StaffCardDialog::addRow(const char *labelName, int16_t caption, QWidget *field, QWidget *second, bool fieldIsInput)
{
    const int row = m_fields->rowCount();
    QLabel *label = makeLabel(labelName, caption);
    label->setBuddy(field);
    m_fields->addWidget(label, row, 0);
    if (second) {
        m_fields->addWidget(field, row, 1);
        m_fields->addWidget(second, row, 2, 1, 2);
        addInput(second);
    } else {
        m_fields->addWidget(field, row, 1, 1, 3);
    }
    if (fieldIsInput)
        addInput(field);
    return row;
}

QLabel *StaffCardDialog::makeLabel(const char *name, int16_t caption)
{
    auto *label = new QLabel(QString::number(caption), m_fraCard);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit *StaffCardDialog::makeBox(const char *name)
{
    auto *box = new QLineEdit(m_fraCard);
    box->setObjectName(QLatin1String(name));
    box->installEventFilter(this);
    return box;
}

void StaffCardDialog::loadSettings()
{
    const std::pair<QCheckBox *, const char *> boxes[] = {
        {m_chkClearFields, m_kind.clearKey}, {m_chkReceipt, m_kind.receiptKey}, {m_chkTrack2, m_kind.track2Key}};
    for (const auto &[box, key] : boxes) {
        int32_t value = 0;
        if (box && m_program.registry.ReadLong(QLatin1String(key), value))
            box->setChecked(value != 0);
    }
}

void StaffCardDialog::saveSettings()
{
    SaveWindowPlacement(m_program.registry, this, QLatin1String(m_kind.placementKey),
                        LiteralErrorBox(*m_program.messages, nullptr));
    const std::pair<QCheckBox *, const char *> boxes[] = {
        {m_chkClearFields, m_kind.clearKey}, {m_chkReceipt, m_kind.receiptKey}, {m_chkTrack2, m_kind.track2Key}};
    for (const auto &[box, key] : boxes) {
        if (box)
            m_program.registry.WriteLong(QLatin1String(key), box->isChecked() ? 1 : 0);
    }
}

QList<qint32> StaffCardDialog::shownTables() const
{
    return {TableId::Users, TableId::Doors};
}

QString StaffCardDialog::dialogTitle() const
{
    return GetText(m_kind.prompt);
}

void StaffCardDialog::CheckRoomList()
{
    const int length = m_db.SystemParams && m_db.SystemParams->FiveDigits() ? 5 : 4;
    for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo}) {
        if (box)
            box->setMaxLength(length);
    }
}

void StaffCardDialog::EvaluateAuthority()
{
    if (showsReadBack())
        return;
    CardDialog::EvaluateAuthority();
}

int StaffCardDialog::currentHour()
{
    return OleDate::toTime(serverNow()).hour();
}

std::pair<int, int> StaffCardDialog::defaultHours()
{
    return {m_db.SystemParams->DefaultEmployeeTimeZoneFrom(), m_db.SystemParams->DefaultEmployeeTimeZoneTo()};
}

void StaffCardDialog::showDefaultTimes()
{
    if (!m_txtTimeZoneFrom)
        return;
    const auto [from, to] = defaultHours();
    // A daily window leaves the whole day unshown; a window-bound card shows both hours.
    m_txtTimeZoneFrom->setText(from != 0 || !m_kind.days ? StaffRules::HourText(from) : QString());
    m_txtTimeZoneTo->setText(to != kLongestWindow || !m_kind.days ? StaffRules::HourText(to) : QString());
}

// The user

std::optional<QString> StaffCardDialog::userText(qint32 userID)
{
    return store().userName(userID);
}

void StaffCardDialog::UserID(qint32 userID)
{
    loadUser(userID);
    focusFirstEmpty();
}

void StaffCardDialog::loadUser(qint32 userID)
{
    const std::optional<QString> name = userID > 0 ? userText(userID) : std::nullopt;
    m_userID = name ? userID : 0;
    if (m_txtIssueTo)
        m_txtIssueTo->setText(name.value_or(QString()));
}

void StaffCardDialog::focusFirstEmpty()
{
    for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo, m_txtTimeZoneFrom, m_txtTimeZoneTo, m_txtNumDays}) {
        // Boxes that only show (a looked-up validity, fixed rooms) take no typing.
        if (box && !box->isReadOnly() && box->text().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    m_cmdMakeCard->setFocus();
}

void StaffCardDialog::UpdateUser(qint32 userID)
{
    if (userID != m_userID || m_userID == 0)
        return;
    if (m_db.logonTable && m_db.logonTable->LoggedOff()) {
        unload();
        return;
    }
    loadUser(userID);
}

void StaffCardDialog::RemoveUser(qint32 userID)
{
    if (userID != m_userID)
        return;
    m_userID = 0;
    if (m_txtIssueTo)
        m_txtIssueTo->clear();
}

void StaffCardDialog::cmdSelect_Click()
{
    QPointer<StaffCardDialog> self(this);
    ChoiceRequest request;
    request.caller = this;
    request.handBack = [self](qint32 chosen) {
        if (self)
            self->UserID(chosen);
    };
    OpenChild(m_frameWindows.frameHost, WindowKinds::UserList,
              [&request](UserListWindow &list) { list.setChoiceRequest(request); });
}

void StaffCardDialog::Add(int32_t, int16_t) {}

void StaffCardDialog::Update(int32_t userID)
{
    UpdateUser(userID);
}

void StaffCardDialog::Remove(int32_t userID)
{
    RemoveUser(userID);
}

// Doors: the common-room box follows common room 1.

void StaffCardDialog::findCommonRoom()
{
    const std::optional<StaffCardStore::Door> door = store().commonRoom(1);
    m_commonRoomDoor = door ? door->doorID : -1;
    m_chkCommonRoom->setText(door ? door->name : QString());
    if (!door)
        m_chkCommonRoom->setChecked(false);
    m_chkCommonRoom->setEnabled(door.has_value() && !inputsLocked());
}

void StaffCardDialog::AddDoor(qint32 doorID)
{
    if (m_chkCommonRoom) {
        if (const std::optional<StaffCardStore::Door> door = store().commonRoom(1, doorID)) {
            m_commonRoomDoor = doorID;
            m_chkCommonRoom->setText(door->name);
            m_chkCommonRoom->setEnabled(!inputsLocked());
        }
    }
    doorsChanged(doorID, doorID, false);
}

void StaffCardDialog::UpdateDoor(qint32 doorID)
{
    AddDoor(doorID);
}

void StaffCardDialog::RemoveDoor(qint32 doorID)
{
    if (m_chkCommonRoom && doorID == m_commonRoomDoor) {
        m_commonRoomDoor = -1;
        m_chkCommonRoom->setChecked(false);
        m_chkCommonRoom->setText(QString());
        m_chkCommonRoom->setEnabled(false);
    }
    doorsChanged(doorID, doorID, true);
}

void StaffCardDialog::Add(int32_t doorID)
{
    AddDoor(doorID);
}

void StaffCardDialog::AddRange(int32_t, int32_t) {}

void StaffCardDialog::Update(int32_t doorID, int32_t)
{
    UpdateDoor(doorID);
}

void StaffCardDialog::Remove(int32_t firstDoorID, int32_t lastDoorID)
{
    if (m_commonRoomDoor >= firstDoorID && m_commonRoomDoor <= lastDoorID)
        RemoveDoor(m_commonRoomDoor);
    doorsChanged(firstDoorID, lastDoorID, true);
}

void StaffCardDialog::Refresh() {}

// Field rules

void StaffCardDialog::setDaysText(const QString &text)
{
    if (m_txtNumDays)
        m_txtNumDays->setText(text);
}

void StaffCardDialog::txtNumDays_Change()
{
    m_expiryValid = true;
    const QString days = m_txtNumDays->text();
    if (days.isEmpty()) {
        m_txtExpirationDate->clear();
        return;
    }
    const double now = serverNow();
    int hour = 0;
    if (const std::optional<double> shown = StaffRules::ParseExpiry(m_txtExpirationDate->text(), now, 0))
        hour = OleDate::toTime(*shown).hour();
    m_txtExpirationDate->setText(StaffRules::ExpiryText(StaffRules::ExpiryAfterDays(now, days.toInt(), hour)));
}

void StaffCardDialog::txtExpirationDate_Change()
{
    if (m_txtExpirationDate->text().trimmed().isEmpty()) {
        setDaysText(QString());
        m_expiryValid = true;
        return;
    }
    m_expiryValid = false;
}

bool StaffCardDialog::applyExpiryLeave()
{
    const QString text = m_txtExpirationDate->text().trimmed();
    if (text.isEmpty()) {
        m_expiryValid = true;
        return true;
    }
    const double now = serverNow();
    const int days = m_txtNumDays ? m_txtNumDays->text().toInt() : 0;
    const std::optional<double> expiry = StaffRules::ParseExpiry(text, now, days);
    m_expiryValid = expiry.has_value();
    if (!expiry)
        return false;
    m_txtExpirationDate->setText(StaffRules::ExpiryText(*expiry));
    setDaysText(StaffRules::DaysText(now, *expiry));
    return true;
}

void StaffCardDialog::normaliseHour(QLineEdit *box)
{
    if (const std::optional<int> hour = StaffRules::ParseHour(box->text()))
        box->setText(StaffRules::HourText(*hour));
}

void StaffCardDialog::copyIfEmpty(QLineEdit *target, QLineEdit *source, bool time)
{
    if (!target->text().isEmpty() || source->text().isEmpty())
        return;
    if (time && !StaffRules::ParseHour(source->text()))
        return;
    target->setText(source->text());
}

bool StaffCardDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (!inputsLocked() && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const bool in = event->type() == QEvent::FocusIn;
        if (in && watched == m_txtRoomTo)
            copyIfEmpty(m_txtRoomTo, m_txtRoomFrom, false);
        else if (in && watched == m_txtRoomFrom)
            copyIfEmpty(m_txtRoomFrom, m_txtRoomTo, false);
        else if (in && watched == m_txtTimeZoneFrom)
            copyIfEmpty(m_txtTimeZoneFrom, m_txtTimeZoneTo, true);
        else if (in && watched == m_txtTimeZoneTo)
            copyIfEmpty(m_txtTimeZoneTo, m_txtTimeZoneFrom, true);
        else if (!in && (watched == m_txtTimeZoneFrom || watched == m_txtTimeZoneTo))
            normaliseHour(static_cast<QLineEdit *>(watched));
        else if (!in && watched == m_txtExpirationDate && m_kind.days)
            applyExpiryLeave();
    }
    return CardDialog::eventFilter(watched, event);
}

void StaffCardDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2) {
        if (m_cmdMakeCard->isVisible() && m_cmdMakeCard->isEnabled())
            m_cmdMakeCard->click();
        return;
    }
    if (!handleCommandKey(event, m_cmdMakeCard, [this] { unload(); }))
        CardDialog::keyPressEvent(event);
}

void StaffCardDialog::closeEvent(QCloseEvent *event)
{
    // A running poll stops at its next turn.
    if (m_issue)
        m_issue->cancel();
    CardDialog::closeEvent(event);
}

// Issue

void StaffCardDialog::cmdMakeCard_Click()
{
    if (m_session.cardOperationInProgress) {
        m_program.messages->error(-31197, {}, {}, this);
        return;
    }
    if (issueOwnRun())
        return;
    double expiry = 0;
    StaffRules::TimeWindow window;
    if (validate(expiry, window))
        runIssue(expiry, window);
}

bool StaffCardDialog::validate(double &expiry, StaffRules::TimeWindow &window)
{
    if (!checkOwnInputs())
        return false;
    if (m_kind.user && m_userID == 0) {
        fail(-31202, m_cmdSelect);
        return false;
    }
    for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo}) {
        if (box && box->text().trimmed().isEmpty()) {
            fail(-31228, box);
            return false;
        }
    }
    const double now = serverNow();
    const qint32 maxMinutes = m_session.authority.MaxCardValidity(cardNameID());
    switch (ownExpiry(expiry)) {
    case OwnExpiry::Refused:
        return false;
    case OwnExpiry::Given:
        return checkDoors() && IsCardDialogAvailable(m_program, m_session, cardNameID(), shownTables(), true, this);
    case OwnExpiry::Typed:
        break;
    }
    if (m_kind.timeWindow) {
        window = m_kind.days ? StaffRules::DailyWindow(m_txtTimeZoneFrom->text(), m_txtTimeZoneTo->text())
                             : StaffRules::OneShotWindow(m_txtTimeZoneFrom->text(), m_txtTimeZoneTo->text(), now);
        if (window.error != 0) {
            fail(window.error, window.focus == StaffRules::TimeWindow::From ? m_txtTimeZoneFrom : m_txtTimeZoneTo);
            return false;
        }
    }
    if (!m_kind.days) {
        expiry = window.expiry;
        m_txtExpirationDate->setText(StaffRules::ExpiryText(expiry));
        if (const int16_t error = StaffRules::CheckExpiry(now, expiry, maxMinutes)) {
            fail(error, m_txtTimeZoneTo);
            return false;
        }
        return checkDoors() && IsCardDialogAvailable(m_program, m_session, cardNameID(), shownTables(), true, this);
    }

    // The operator card takes the expiry as it stands; the staff cards apply the leave rule first.
    if (m_kind.roomRange || m_kind.timeWindow)
        applyExpiryLeave();
    if (!m_expiryValid) {
        fail(-31199, m_txtExpirationDate);
        return false;
    }
    const int days = m_txtNumDays->text().toInt();
    std::optional<double> typed = StaffRules::ParseExpiry(m_txtExpirationDate->text(), now, days);
    if (typed) {
        if (const int16_t error = StaffRules::CheckExpiry(now, *typed, maxMinutes)) {
            fail(error, m_txtExpirationDate);
            return false;
        }
    }
    if (m_txtNumDays->text().trimmed().isEmpty()) {
        fail(-31201, m_txtNumDays);
        return false;
    }
    expiry = typed ? *typed : StaffRules::ExpiryAfterDays(now, days, 0);
    return checkDoors() && IsCardDialogAvailable(m_program, m_session, cardNameID(), shownTables(), true, this);
}

bool StaffCardDialog::checkDoors()
{
    const qint32 first = m_txtRoomFrom->text().toInt();
    const qint32 last = m_txtRoomTo->text().toInt();
    // Window-bound cards open the doors of the range only; the others also the door intervals.
    if (!store().rangeOpensDoors(first, last, m_kind.days)) {
        fail(-31179, m_txtRoomFrom);
        return false;
    }
    return true;
}

void StaffCardDialog::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kStaffBlock);
    cards.AddBlockValue(firstBlockValue());
    cards.AddBlockValue(m_window.from);
    cards.AddBlockValue(m_window.to);
    cards.AddDoorRange(kRangeKind, m_txtRoomFrom->text().toInt(), m_txtRoomTo->text().toInt());
    if (m_chkCommonRoom && m_chkCommonRoom->isChecked()) {
        cards.BeginBlock(kCommonBlock);
        cards.AddDoorRange(kRangeKind, 1, 1);
    }
    addFurtherBlocks(cards);
}

void StaffCardDialog::runIssue(double expiry, const StaffRules::TimeWindow &window)
{
    CardIssue issue(m_program, m_cardServers, m_session, this, m_kind.errorCode);
    issue.setPollInterval(m_pollInterval);
    issue.setIssueCommand(m_cmdMakeCard);
    issue.setValidCardIsError(!m_kind.days);
    issue.setLockInputs([this](bool locked) {
        setInputsLocked(locked);
        if (!locked && m_chkCommonRoom)
            m_chkCommonRoom->setEnabled(m_commonRoomDoor >= 0);
        if (!locked)
            inputsUnlocked();
    });
    prepareIssue(issue);
    if (!issue.begin())
        return;
    m_issue = &issue;
    m_window = window;
    const QString track2 = m_chkTrack2 && m_chkTrack2->isChecked()
                               ? Track2::BuildTrack2(false, *m_db.SystemParams, m_track2Prompt)
                               : QString();
    const QString prompt = dialogTitle();
    const qint32 user = cardUser();
    bool written = false;
    while (issue.newCard()) {
        addBlocks(issue.cards());
        CardFields fields;
        fields.cardNameID = cardNameID();
        fields.userID = user;
        fields.issueTime = fields.startTime = serverNow();
        fields.expireTime = expiry;
        fields.track2 = track2;
        if (!issue.setFields(fields))
            break;
        const CardIssue::Outcome outcome = issue.encode(prompt, batchMode());
        if (outcome == CardIssue::Outcome::Closing) {
            if (issue.dialogOpen())
                m_issue = nullptr;
            return;
        }
        if (!issue.dialogOpen())
            break;
        if (outcome == CardIssue::Outcome::Done) {
            written = true;
            afterCard();
            if (anotherCard())
                continue;
            if (m_chkReceipt && m_chkReceipt->isChecked() && m_printReceipt)
                m_printReceipt();
            break;
        }
        if (outcome != CardIssue::Outcome::ValidCardInEncoder || !issue.reencode())
            break;
        // The new card ends when the one in the encoder does.
        expiry = issue.validCardExpireTime();
        m_txtExpirationDate->setText(StaffRules::ExpiryText(expiry));
        setDaysText(StaffRules::DaysText(serverNow(), expiry));
        m_expiryValid = true;
    }
    issue.waitUntilReady();
    if (!issue.dialogOpen())
        return;
    m_issue = nullptr;
    if (written && m_chkClearFields && m_chkClearFields->isChecked())
        clearFields();
    issue.finish();
}

void StaffCardDialog::clearFields()
{
    for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo, m_txtNumDays}) {
        if (box)
            box->clear();
    }
    if (m_kind.days) {
        m_txtExpirationDate->clear();
        m_expiryValid = true;
        if (m_txtTimeZoneFrom) {
            m_txtTimeZoneFrom->clear();
            m_txtTimeZoneTo->clear();
        }
    } else {
        showDefaultTimes();
    }
    if (m_chkCommonRoom)
        m_chkCommonRoom->setChecked(false);
    clearOwnFields();
    if (m_kind.user)
        RemoveUser(m_userID);
}

// View mode

bool StaffCardDialog::offerEdit()
{
    return m_session.authority.MayIssueCardKind(cardNameID());
}

bool StaffCardDialog::ReadCardImageBag()
{
    if (!CardDialog::ReadCardImageBag())
        return false;
    const bool edit = offerEdit();
    m_cmdEdit->setVisible(edit);
    m_cmdEdit->setEnabled(edit);
    return true;
}

void StaffCardDialog::showCard(const CardReadBack &card)
{
    setDaysText(card.expireTime > 0 ? QString::number(card.nights()) : QString());
    if (m_txtExpirationDate)
        m_txtExpirationDate->setText(card.expireTime > 0 ? StaffRules::ExpiryText(card.expireTime) : QString());
    if (m_chkCommonRoom)
        m_chkCommonRoom->setChecked(false);
    CardsIntf &cards = *m_cardServers.firstCardsIntf;
    qint32 kind = 0, block = 0, first = 0, last = 0;
    while (cards.GetNextRange(kind, block, first, last) == 0) {
        if (block == kCommonBlock && m_chkCommonRoom) {
            m_chkCommonRoom->setChecked(m_commonRoomDoor >= 0);
        } else if (block == kStaffBlock && m_txtRoomFrom) {
            m_txtRoomFrom->setText(QString::number(first));
            m_txtRoomTo->setText(QString::number(last));
        }
        if (block == kStaffBlock && m_txtTimeZoneFrom) {
            cards.GetNextValue();
            const qint32 from = cards.GetNextValue();
            const qint32 to = cards.GetNextValue();
            const bool wholeDay = from == 0 && to == kLongestWindow;
            m_txtTimeZoneFrom->setText(wholeDay ? QString() : StaffRules::HourText(from));
            m_txtTimeZoneTo->setText(wholeDay ? QString() : StaffRules::HourText(to));
        }
        showOwnBlock(block, first, last);
    }
    loadUser(card.userID);
}

void StaffCardDialog::leaveReadBack()
{
    CardDialog::leaveReadBack();
    if (m_chkCommonRoom)
        m_chkCommonRoom->setEnabled(m_commonRoomDoor >= 0);
    if (m_txtExpirationDate && !m_kind.days)
        m_txtExpirationDate->setReadOnly(true);
    inputsUnlocked();
    EvaluateAuthority();
}
