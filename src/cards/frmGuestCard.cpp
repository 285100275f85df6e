#include "cards/frmGuestCard.h"

#include "cards/CardIssue.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/TickImages.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int16_t kGuestTitle = 23500;
constexpr int16_t kJoinerTitle = 23501;
constexpr int kGuestHelpContext = 1001;
constexpr int kJoinerHelpContext = 1002;
constexpr int16_t kBusyLoading = 1; // -31998
constexpr int kCommonNumberRole = Qt::UserRole;
constexpr int kDoorRole = Qt::UserRole + 1;
constexpr int kTickedRole = Qt::UserRole + 2;
constexpr int kNameRole = Qt::UserRole + 3;
constexpr int kKeyRole = Qt::UserRole + 4; // the common-room number and "D"

QString commonRoomText(const QString &name, qint32 number)
{
    return name + QStringLiteral(" (") + QString::number(number) + QLatin1Char(')');
}

QString hourOnly(double ole)
{
    const double day = OleDate::wholeDay(ole);
    const int hour = OleDate::toTime(ole).hour();
    return GuestRules::CheckOutText(day + hour / 24.0);
}

} // namespace

frmGuestCard::frmGuestCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                           QWidget *parent)
    : frmGuestCard(Setup{"frmGuestCard", kWindowNumber, kGuestTitle, kGuestHelpContext, kErrorCode, "fGuestTrack2",
                         "fGuestClear", false},
                   program, db, cardServers, session, parent)
{
}

frmGuestCard::frmGuestCard(const Setup &setup, ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                           Session &session, QWidget *parent)
    : CardDialog(program, db, cardServers, session, setup.windowNumber, parent), m_setup(setup)
{
    setObjectName(QLatin1String(setup.objectName));
    m_track2Prompt = Track2::InputBoxPrompt(this);
    buildControls();
    ApplyFormTexts(this, m_program.texts);

    loadSettings();
    if (m_setup.placementKey)
        RestoreWindowPlacement(m_program.registry, this, QLatin1String(m_setup.placementKey));
    CheckRoomList();
    UpdateCheckOutTime();
    EvaluateIssueTo();
    setJoiner(false);
    resetNights();
    fillCommonRooms();
    m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
}

frmGuestCard::~frmGuestCard()
{
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    saveSettings();
    // A run still polling sees the dialog gone through its guarded pointer.
}

void frmGuestCard::buildControls()
{
    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(QLatin1String(text), this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto box = [this](const char *name) {
        auto *b = new QLineEdit(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    auto button = [this](const char *name, const char *text) {
        auto *b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    setWindowTitle(QString::number(m_setup.title));
    m_lblRoomNumber = label("lblRoomNumber", "28300");
    m_txtRoomNumber = box("txtRoomNumber");
    m_lblNumNights = label("lblNumNights", "28301");
    m_txtNumNights = box("txtNumNights");
    m_lblCheckOut = label("lblCheckOut", "28302");
    m_txtCheckOut = box("txtCheckOut");
    m_lblNumCards = label("lblNumCards", "28303");
    m_txtNumCards = box("txtNumCards");
    m_lblIssueTo = label("lblIssueTo", "28304");
    m_txtIssueTo = box("txtIssueTo");
    m_lblCommonRooms = label("lblCommonRooms", "28305");
    m_lvwCommonRooms = new QListWidget(this);
    m_lvwCommonRooms->setObjectName(QStringLiteral("lvwCommonRooms"));
    m_chkTrack2 = new QCheckBox(QStringLiteral("28306"), this);
    m_chkTrack2->setObjectName(QStringLiteral("chkTrack2"));
    m_chkClearFields = new QCheckBox(QStringLiteral("28307"), this);
    m_chkClearFields->setObjectName(QStringLiteral("chkClearFields"));
    m_lblOverrideNumber = label("lblOverrideNumber", "28308");
    m_txtOverrideNumber = box("txtOverrideNumber");
    m_cmdMakeCard = button("cmdMakeCard", "28309");
    m_cmdEdit = button("cmdEdit", "28310");
    m_cmdGroupCheckIn = button("cmdGroupCheckIn", "28311");
    m_cmdClose = button("cmdClose", "16103");

    for (auto [l, b] : {std::pair{m_lblRoomNumber, m_txtRoomNumber}, std::pair{m_lblNumNights, m_txtNumNights},
                        std::pair{m_lblCheckOut, m_txtCheckOut}, std::pair{m_lblNumCards, m_txtNumCards},
                        std::pair{m_lblIssueTo, m_txtIssueTo}, std::pair{m_lblOverrideNumber, m_txtOverrideNumber}})
        l->setBuddy(b);
    m_lblCommonRooms->setBuddy(m_lvwCommonRooms);

    const auto digits = QRegularExpression(QStringLiteral("[0-9]*"));
    m_txtNumNights->setMaxLength(3);
    m_txtNumNights->setValidator(new QRegularExpressionValidator(digits, m_txtNumNights));
    m_txtNumCards->setMaxLength(3);
    m_txtNumCards->setValidator(new QRegularExpressionValidator(digits, m_txtNumCards));
    m_txtIssueTo->setMaxLength(2 * 32 + 2);
    for (QLineEdit *number : {m_txtNumNights, m_txtNumCards, m_txtOverrideNumber})
        number->setMaximumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    m_lvwCommonRooms->setIconSize(QSize(16, 16));
    m_lvwCommonRooms->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwCommonRooms->setMinimumWidth(220);

    auto *fields = new QGridLayout;
    m_fieldGrid = fields;
    int row = 0;
    fields->addWidget(m_lblRoomNumber, row, 0);
    fields->addWidget(m_txtRoomNumber, row, 1);
    fields->addWidget(m_cmdGroupCheckIn, row++, 2);
    row = kExtraFieldRow + 1;
    fields->addWidget(m_lblNumNights, row, 0);
    fields->addWidget(m_txtNumNights, row++, 1);
    fields->addWidget(m_lblCheckOut, row, 0);
    fields->addWidget(m_txtCheckOut, row++, 1, 1, 2);
    fields->addWidget(m_lblNumCards, row, 0);
    fields->addWidget(m_txtNumCards, row++, 1);
    fields->addWidget(m_lblIssueTo, row, 0);
    fields->addWidget(m_txtIssueTo, row++, 1, 1, 2);
    fields->addWidget(m_lblOverrideNumber, row, 0);
    fields->addWidget(m_txtOverrideNumber, row++, 1);
    fields->addWidget(m_chkTrack2, row++, 0, 1, 3);
    fields->addWidget(m_chkClearFields, row++, 0, 1, 3);
    fields->setRowStretch(row, 1);
    fields->setColumnStretch(1, 1);

    auto *rooms = new QVBoxLayout;
    m_roomListsColumn = rooms;
    rooms->addWidget(m_lblCommonRooms);
    rooms->addWidget(m_lvwCommonRooms, 1);

    auto *top = new QHBoxLayout;
    top->addLayout(fields, 3);
    top->addSpacing(12);
    top->addLayout(rooms, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(CommandRow({m_cmdMakeCard, m_cmdEdit, m_cmdClose}));

    setTabOrder(m_txtRoomNumber, m_cmdGroupCheckIn);
    setTabOrder(m_cmdGroupCheckIn, m_txtNumNights);
    setTabOrder(m_txtNumNights, m_txtCheckOut);
    setTabOrder(m_txtCheckOut, m_txtNumCards);
    setTabOrder(m_txtNumCards, m_txtIssueTo);
    setTabOrder(m_txtIssueTo, m_lvwCommonRooms);
    setTabOrder(m_lvwCommonRooms, m_chkTrack2);
    setTabOrder(m_chkTrack2, m_chkClearFields);
    setTabOrder(m_chkClearFields, m_cmdMakeCard);
    setTabOrder(m_cmdMakeCard, m_cmdEdit);
    setTabOrder(m_cmdEdit, m_cmdClose);

    for (QWidget *input : std::initializer_list<QWidget *>{m_txtRoomNumber, m_txtNumNights, m_txtCheckOut,
                                                           m_txtNumCards, m_txtIssueTo, m_lvwCommonRooms, m_chkTrack2,
                                                           m_chkClearFields, m_cmdMakeCard, m_cmdGroupCheckIn})
        addInput(input);
    setCommands(m_cmdMakeCard, m_cmdEdit);
    setOverrideNumberControls(m_lblOverrideNumber, m_txtOverrideNumber);
    setIssueToControls(m_lblIssueTo, m_txtIssueTo);

    m_txtRoomNumber->installEventFilter(this);
    m_txtCheckOut->installEventFilter(this);
    m_lvwCommonRooms->installEventFilter(this);
    connect(m_txtRoomNumber, &QLineEdit::textEdited, this, [this] { m_roomValidated = false; });
    connect(m_txtNumNights, &QLineEdit::textChanged, this, &frmGuestCard::txtNumNights_Change);
    connect(m_lvwCommonRooms, &QListWidget::itemClicked, this, &frmGuestCard::lvwCommonRooms_Click);
    connect(m_cmdMakeCard, &QPushButton::clicked, this, &frmGuestCard::cmdMakeCard_Click);
    connect(m_cmdGroupCheckIn, &QPushButton::clicked, this, &frmGuestCard::cmdGroupCheckIn_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmGuestCard::cmdClose_Click);
}

void frmGuestCard::loadSettings()
{
    int32_t track2 = 0;
    int32_t clear = 0;
    if (!m_program.registry.ReadLong(QLatin1String(m_setup.track2Setting), track2))
        track2 = 0;
    if (!m_program.registry.ReadLong(QLatin1String(m_setup.clearSetting), clear))
        clear = 0;
    m_chkTrack2->setChecked(track2 != 0);
    m_chkClearFields->setChecked(clear != 0);
}

void frmGuestCard::saveSettings()
{
    if (m_setup.placementKey)
        SaveWindowPlacement(m_program.registry, this, QLatin1String(m_setup.placementKey),
                            LiteralErrorBox(*m_program.messages, nullptr));
    m_program.registry.WriteLong(QLatin1String(m_setup.track2Setting), m_chkTrack2->isChecked() ? 1 : 0);
    m_program.registry.WriteLong(QLatin1String(m_setup.clearSetting), m_chkClearFields->isChecked() ? 1 : 0);
}

qint32 frmGuestCard::cardNameID() const
{
    return m_joiner ? 257 : 256;
}

QList<qint32> frmGuestCard::shownTables() const
{
    return {TableId::Doors};
}

QString frmGuestCard::dialogTitle() const
{
    return GetText(m_joiner ? kJoinerTitle : m_setup.title);
}

int frmGuestCard::HelpContextID() const
{
    return m_joiner ? kJoinerHelpContext : m_setup.helpContext;
}

void frmGuestCard::setJoiner(bool joiner)
{
    // The run in progress keeps the mode it started with.
    if (m_issue)
        return;
    const bool wasJoiner = m_joiner;
    m_joiner = joiner;
    const clsSystemParams &params = *m_db.SystemParams;
    m_txtNumCards->setText(QString::number(joiner ? params.DefaultJoinerCards() : params.DefaultGuestCards()));
    if (joiner) {
        setNights(QString());
        m_txtCheckOut->clear();
        m_groupMode = false;
        m_groupRooms.clear();
        m_txtRoomNumber->setEnabled(true);
    } else if (wasJoiner && m_txtNumNights->text().isEmpty()) {
        resetNights();
    }
    m_cmdGroupCheckIn->setVisible(!joiner);
    m_txtRoomNumber->clear();
    m_room = 0;
    m_roomValidated = false;
    m_connectedRooms.clear();
    leaveReadBack();
    applyFamilyGreying();
}

void frmGuestCard::CheckRoomList()
{
    const clsSystemParams &params = *m_db.SystemParams;
    m_txtRoomNumber->setMaxLength(GuestRules::RoomNumberMaxLength(params.FiveDigits(), params.WingCodes()));
    if (!m_groupMode)
        m_txtRoomNumber->setText(
            GuestRules::CheckRoomEntry(m_txtRoomNumber->text(), params.FiveDigits(), params.WingCodes()));
}

void frmGuestCard::applyRoomRules()
{
    CheckRoomList();
}

void frmGuestCard::UpdateCheckOutTime()
{
    m_checkOutHour = GuestRules::DefaultCheckOutHour(m_db.SystemParams->NormalCheckOut());
}

// Room box

bool frmGuestCard::validateRoomEntry()
{
    if (m_groupMode)
        return true;
    m_roomValidated = true;
    const qint32 before = m_room;
    m_room = 0;
    m_validatedEntry = m_txtRoomNumber->text();
    const QString entry = m_txtRoomNumber->text().trimmed();
    const qint32 room = entry.isEmpty() ? 0 : store().guestRoom(entry, m_db.SystemParams->WingCodes());
    if (room != before)
        mainRoomChanged(room);
    if (room == 0)
        return false;
    m_room = room;
    showRoom(room);
    m_validatedEntry = m_txtRoomNumber->text();
    if (m_joiner)
        roomCheck(room, false);
    return true;
}

bool frmGuestCard::roomEntryValidated() const
{
    return m_roomValidated && m_txtRoomNumber->text() == m_validatedEntry;
}

void frmGuestCard::showRoom(qint32 room)
{
    m_txtRoomNumber->setText(room == 0 ? QString() : roomText(room));
}

QString frmGuestCard::roomText(qint32 room)
{
    if (!m_db.SystemParams->WingCodes())
        return QString::number(room);
    return store().splitRoom(room).text();
}

int frmGuestCard::roomCheck(qint32 room, bool silent)
{
    const bool family = m_db.SystemParams->Family();
    CardsIntf *second =
        m_cardServers.secondCardsIntf ? m_cardServers.secondCardsIntf.get() : m_cardServers.firstCardsIntf.get();
    if (m_joiner)
        m_connectedRooms.clear();
    if (!second)
        return GuestRules::RoomCheck::NoCard;
    const double now = serverNow();
    const GuestRules::RoomCheck check = store().checkRoom(*second, room, now, m_joiner, family, silent);
    if (!m_joiner || check.result != GuestRules::RoomCheck::ValidCard)
        return check.result;
    if (!silent) {
        if (m_txtNumNights->text().isEmpty()) {
            m_txtCheckOut->setText(hourOnly(check.expireTime));
            setNights(QString::number(GuestRules::NightsUntil(now, check.expireTime)));
        }
        if (check.imageLoaded) {
            untickAll();
            tickRanges(check.commonRanges);
        }
    }
    m_connectedRooms = check.connectedRooms;
    return check.result;
}

// Nights and check-out

void frmGuestCard::setNights(const QString &text)
{
    m_settingNights = true;
    m_txtNumNights->setText(text);
    m_settingNights = false;
}

void frmGuestCard::txtNumNights_Change()
{
    if (m_settingNights)
        return;
    const QString text = m_txtNumNights->text();
    if (text.isEmpty()) {
        m_txtCheckOut->clear();
        return;
    }
    const double checkOut = GuestRules::CheckOutAfterNights(nightsFrom(), text.toInt(), currentCheckOutHour());
    m_txtCheckOut->setText(GuestRules::CheckOutText(checkOut));
}

int frmGuestCard::currentCheckOutHour() const
{
    if (const std::optional<double> value = GuestRules::ParseCheckOut(m_txtCheckOut->text()))
        return OleDate::toTime(*value).hour();
    return m_checkOutHour;
}

void frmGuestCard::txtCheckOut_LostFocus()
{
    if (m_txtCheckOut->text().trimmed().isEmpty()) {
        setNights(QString());
        return;
    }
    const std::optional<double> value = GuestRules::ParseCheckOut(m_txtCheckOut->text());
    const double from = nightsFrom();
    if (value && *value > from)
        setNights(QString::number(GuestRules::NightsUntil(from, *value)));
}

double frmGuestCard::nightsFrom()
{
    return serverNow();
}

void frmGuestCard::resetNights()
{
    m_txtCheckOut->clear();
    m_txtNumNights->setText(QString());
    m_txtNumNights->setText(QString::number(m_db.SystemParams->DefaultNights()));
}

// Common rooms

void frmGuestCard::fillCommonRooms()
{
    SetBusyState(m_session.frame.busy, kBusyLoading);
    m_lvwCommonRooms->clear();
    for (const GuestCardStore::Door &door : store().commonRooms())
        addCommonRoom(door.doorID, door.name, door.commonRoom, false);
    applyFamilyGreying();
    SetBusyState(m_session.frame.busy, 0);
}

void frmGuestCard::addCommonRoom(qint32 doorID, const QString &name, qint32 number, bool ticked)
{
    const QString text = commonRoomText(name, number);
    int row = 0;
    while (row < m_lvwCommonRooms->count() &&
           m_lvwCommonRooms->item(row)->data(kNameRole).toString().compare(name) <= 0)
        ++row;
    auto *item = new QListWidgetItem(text);
    item->setData(kCommonNumberRole, number);
    item->setData(kDoorRole, doorID);
    item->setData(kNameRole, name);
    item->setData(kKeyRole, QString::number(number) + QLatin1Char('D'));
    item->setToolTip(text);
    m_lvwCommonRooms->insertItem(row, item);
    setTicked(item, ticked);
}

QListWidgetItem *frmGuestCard::commonRoomItem(qint32 doorID) const
{
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row) {
        if (m_lvwCommonRooms->item(row)->data(kDoorRole).toInt() == doorID)
            return m_lvwCommonRooms->item(row);
    }
    return nullptr;
}

void frmGuestCard::setTicked(QListWidgetItem *item, bool ticked)
{
    item->setData(kTickedRole, ticked);
    item->setIcon(TickImage(ticked ? Tick::Ticked : Tick::Unticked));
}

bool frmGuestCard::isTicked(const QListWidgetItem *item)
{
    return item->data(kTickedRole).toBool();
}

void frmGuestCard::untickAll()
{
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row)
        setTicked(m_lvwCommonRooms->item(row), false);
}

void frmGuestCard::tickRanges(const QList<GuestRules::RoomRange> &ranges)
{
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row) {
        QListWidgetItem *item = m_lvwCommonRooms->item(row);
        const qint32 number = item->data(kCommonNumberRole).toInt();
        for (const GuestRules::RoomRange &range : ranges) {
            if (range.contains(number))
                setTicked(item, true);
        }
    }
}

QList<qint32> frmGuestCard::tickedCommonRooms() const
{
    QList<qint32> numbers;
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row) {
        const QListWidgetItem *item = m_lvwCommonRooms->item(row);
        if (item->data(kTickedRole).toBool())
            numbers << item->data(kCommonNumberRole).toInt();
    }
    return numbers;
}

void frmGuestCard::applyFamilyGreying()
{
    // A family's joiner shares the guest's common rooms; only the first stays the joiner's choice.
    const bool grey = m_joiner && m_db.SystemParams->Family();
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row) {
        QListWidgetItem *item = m_lvwCommonRooms->item(row);
        const bool greyed = grey && item->data(kCommonNumberRole).toInt() != GuestCardStore::kFirstCommonRoom;
        item->setFlags(greyed ? item->flags() & ~Qt::ItemIsEnabled : item->flags() | Qt::ItemIsEnabled);
        if (greyed)
            setTicked(item, false);
    }
}

void frmGuestCard::lvwCommonRooms_Click(QListWidgetItem *item)
{
    if (!item || inputsLocked() || !(item->flags() & Qt::ItemIsEnabled))
        return;
    setTicked(item, !item->data(kTickedRole).toBool());
}

void frmGuestCard::AddDoor(int doorID)
{
    Add(doorID);
}

void frmGuestCard::UpdateDoor(int doorID)
{
    Update(doorID, 0);
}

void frmGuestCard::RemoveDoor(int doorID)
{
    Remove(doorID, doorID);
}

void frmGuestCard::Add(int32_t doorID)
{
    AddRange(doorID, doorID);
}

void frmGuestCard::AddRange(int32_t firstDoorID, int32_t lastDoorID)
{
    for (const GuestCardStore::Door &door : store().commonRoomsBetween(firstDoorID, lastDoorID)) {
        if (!commonRoomItem(door.doorID))
            addCommonRoom(door.doorID, door.name, door.commonRoom, false);
    }
    applyFamilyGreying();
}

void frmGuestCard::Update(int32_t doorID, int32_t)
{
    bool ticked = false;
    if (QListWidgetItem *item = commonRoomItem(doorID)) {
        ticked = item->data(kTickedRole).toBool();
        delete item;
    }
    const std::optional<GuestCardStore::Door> door = store().door(doorID);
    if (!door)
        return;
    if (GuestCardStore::isCommonRoom(door->commonRoom))
        addCommonRoom(doorID, door->name, door->commonRoom, ticked);
    applyFamilyGreying();
}

void frmGuestCard::Remove(int32_t firstDoorID, int32_t lastDoorID)
{
    for (int row = m_lvwCommonRooms->count() - 1; row >= 0; --row) {
        const qint32 door = m_lvwCommonRooms->item(row)->data(kDoorRole).toInt();
        if (door >= firstDoorID && door <= lastDoorID)
            delete m_lvwCommonRooms->takeItem(row);
    }
}

void frmGuestCard::Refresh()
{
    const QList<qint32> ticked = tickedCommonRooms();
    fillCommonRooms();
    for (int row = 0; row < m_lvwCommonRooms->count(); ++row) {
        QListWidgetItem *item = m_lvwCommonRooms->item(row);
        if (ticked.contains(item->data(kCommonNumberRole).toInt()) && (item->flags() & Qt::ItemIsEnabled))
            setTicked(item, true);
    }
}

// Read back

void frmGuestCard::showCard(const CardReadBack &card)
{
    if ((card.cardNameID == 257) != m_joiner)
        setJoiner(card.cardNameID == 257);
    m_groupMode = false;
    m_groupRooms.clear();
    m_txtRoomNumber->setEnabled(true);
    showRoom(card.mainGuestRoom);
    m_txtCheckOut->setText(hourOnly(card.expireTime));
    setNights(QString::number(card.nights()));
    m_txtNumCards->setText(QString::number(card.numCards));

    m_txtIssueTo->setText(store().issueToText(card.userID));

    untickAll();
    QList<GuestRules::RoomRange> common;
    QList<QPair<qint32, GuestRules::RoomRange>> ranges;
    CardsIntf &cards = *m_cardServers.firstCardsIntf;
    qint32 kind = 0, block = 0, first = 0, last = 0;
    while (cards.GetNextRange(kind, block, first, last) == 0) {
        if (block == 98)
            common.push_back({first, last});
        ranges.push_back({block, {first, last}});
    }
    tickRanges(common);
    showRoomRanges(card, ranges);
}

void frmGuestCard::leaveReadBack()
{
    CardDialog::leaveReadBack();
    m_txtOverrideNumber->clear();
}

// Keyboard

bool frmGuestCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtRoomNumber && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier)) {
            const QChar typed = GuestRules::FilterRoomKey(text.at(0), m_db.SystemParams->WingCodes());
            if (!typed.isNull() && !m_txtRoomNumber->isReadOnly())
                m_txtRoomNumber->insert(typed);
            if (!typed.isNull())
                m_roomValidated = false;
            return true;
        }
    } else if (watched == m_txtRoomNumber && event->type() == QEvent::FocusOut) {
        if (!inputsLocked() && !roomEntryValidated())
            validateRoomEntry();
    } else if (watched == m_txtCheckOut && event->type() == QEvent::FocusOut) {
        if (!inputsLocked())
            txtCheckOut_LostFocus();
    } else if (watched == m_lvwCommonRooms && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
            lvwCommonRooms_Click(m_lvwCommonRooms->currentItem());
            return true;
        }
    }
    return CardDialog::eventFilter(watched, event);
}

void frmGuestCard::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2)
        newGuest();
    else if (!handleCommandKey(event, m_cmdMakeCard, [this] { cmdClose_Click(); }))
        CardDialog::keyPressEvent(event);
}

void frmGuestCard::cancelIssue()
{
    if (m_issue)
        m_issue->cancel();
}

// While a card is being made the command cancels it.
void frmGuestCard::cmdClose_Click()
{
    if (m_issue) {
        m_issue->cancel();
        return;
    }
    unload();
}

// F2: the next guest at the desk. Leaves a card shown read-only and starts from the defaults.
void frmGuestCard::newGuest()
{
    if (m_issue)
        return;
    if (showsReadBack())
        leaveReadBack();
    if (!m_groupMode) {
        m_txtRoomNumber->clear();
        m_room = 0;
        m_roomValidated = false;
    }
    clearFields();
    if (m_joiner) {
        setNights(QString());
        m_txtCheckOut->clear();
    }
    m_txtRoomNumber->setFocus();
}
