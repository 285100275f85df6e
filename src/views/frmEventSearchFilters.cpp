#include "views/frmEventSearchFilters.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/FormTexts.h"
#include "ui/TickImages.h"
#include "views/CardSearchRules.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int16_t kCaption = 28800;
constexpr int kHelpContext = 1205; // the event list's page
constexpr int16_t kBadDate = -31199;
constexpr int16_t kTooWide = -31186;
constexpr int16_t kStateLoadingDoors = 1; // -31998
constexpr int kIdRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

// The kinds whose events the search offers, in this order.
constexpr qint32 kOfferedKinds[] = {256, 258, 259, 266, 260, 267, 268, 257, 276, 261, 273};

QLineEdit *edit(QWidget *parent, const char *name, const QString &pattern = QString(), int maxLength = 32)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    if (!pattern.isEmpty())
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), e));
    return e;
}

QLabel *label(QWidget *parent, int16_t text, QWidget *buddy = nullptr)
{
    auto *l = new QLabel(GetText(text), parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

} // namespace

frmEventSearchFilters::frmEventSearchFilters(ProgramServices &program, DatabaseServices &db, Session &session,
                                             QWidget *parent)
    : QDialog(parent), m_program(program), m_db(db), m_session(session), m_tabs(new QTabWidget(this)),
      m_txtAlphaID(edit(this, "txtAlphaID")), m_txtSurname(edit(this, "txtSurname")),
      m_txtFirstname(edit(this, "txtFirstname")),
      m_txtRegFrom(edit(this, "txtRegFrom", QStringLiteral("[0-9A-Fa-f]{0,5}"), 5)),
      m_txtRegTo(edit(this, "txtRegTo", QStringLiteral("[0-9A-Fa-f]{0,5}"), 5)),
      m_txtEventFrom(edit(this, "txtEventFrom")), m_txtEventTo(edit(this, "txtEventTo")),
      m_txtReadoutFrom(edit(this, "txtReadoutFrom")), m_txtReadoutTo(edit(this, "txtReadoutTo")),
      m_lvwCards(new QTreeWidget(this)), m_cmdCheckAllCards(CommandButton(this, "cmdCheckAllCards", 22645)),
      m_cmdUncheckAllCards(CommandButton(this, "cmdUncheckAllCards", 22646)), m_tvwDoors(new QTreeWidget(this)),
      m_txtDoorName(edit(this, "txtDoorName")), m_cmdClearDoorName(CommandButton(this, "cmdClearDoorName", 22648)),
      m_cmdClearAll(CommandButton(this, "cmdClearAll", 22649)), m_cmdOK(CommandButton(this, "cmdOK", 22650)),
      m_cmdCancel(CommandButton(this, "cmdCancel", 22651))
{
    setObjectName(QStringLiteral("frmEventSearchFilters"));
    setWindowTitle(GetText(kCaption));
    buildControls();
    loadKinds();
    loadDoorGroups();
    setAllTicked(true);

    connect(m_lvwCards, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        setTicked(item, item->data(0, kKeyRole).toString() != QStringLiteral("Y"));
    });
    connect(m_cmdCheckAllCards, &QPushButton::clicked, this, [this] { setAllTicked(true); });
    connect(m_cmdUncheckAllCards, &QPushButton::clicked, this, [this] { setAllTicked(false); });
    connect(m_tvwDoors, &QTreeWidget::itemExpanded, this, &frmEventSearchFilters::groupExpanded);
    connect(m_tvwDoors, &QTreeWidget::currentItemChanged, this, &frmEventSearchFilters::doorChosen);
    connect(m_cmdClearDoorName, &QPushButton::clicked, this, &frmEventSearchFilters::cmdClearDoorName_Click);
    connect(m_cmdClearAll, &QPushButton::clicked, this, &frmEventSearchFilters::cmdClearAll_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmEventSearchFilters::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEventSearchFilters::~frmEventSearchFilters() = default;

int frmEventSearchFilters::HelpContextID() const
{
    return kHelpContext;
}

void frmEventSearchFilters::buildControls()
{
    m_tabs->setObjectName(QStringLiteral("tabFilters"));
    auto *general = new QWidget;
    general->setObjectName(QStringLiteral("tabGeneral"));
    auto *g = new QGridLayout(general);
    g->addWidget(label(general, 22635, m_txtAlphaID), 0, 0);
    g->addWidget(m_txtAlphaID, 0, 1, 1, 3);
    g->addWidget(label(general, 22636, m_txtSurname), 1, 0);
    g->addWidget(m_txtSurname, 1, 1, 1, 3);
    g->addWidget(label(general, 22637, m_txtFirstname), 2, 0);
    g->addWidget(m_txtFirstname, 2, 1, 1, 3);
    g->addWidget(label(general, 22643), 3, 1);
    g->addWidget(label(general, 22644), 3, 2);
    g->addWidget(label(general, 22640, m_txtRegFrom), 4, 0);
    g->addWidget(m_txtRegFrom, 4, 1);
    g->addWidget(m_txtRegTo, 4, 2);
    g->setColumnStretch(3, 1);
    g->setRowStretch(5, 1);

    auto *dates = new QWidget;
    dates->setObjectName(QStringLiteral("tabDates"));
    auto *d = new QGridLayout(dates);
    d->addWidget(label(dates, 22643), 0, 1);
    d->addWidget(label(dates, 22644), 0, 2);
    const std::tuple<int16_t, QLineEdit *, QLineEdit *> rows[] = {{21204, m_txtEventFrom, m_txtEventTo},
                                                                  {21206, m_txtReadoutFrom, m_txtReadoutTo}};
    int row = 1;
    for (const auto &[caption, from, to] : rows) {
        from->setPlaceholderText(searchDateFormat());
        to->setPlaceholderText(searchDateFormat());
        d->addWidget(label(dates, caption, from), row, 0);
        d->addWidget(from, row, 1);
        d->addWidget(to, row, 2);
        ++row;
    }
    d->setColumnStretch(3, 1);
    d->setRowStretch(row, 1);

    auto *kinds = new QWidget;
    kinds->setObjectName(QStringLiteral("tabKinds"));
    m_lvwCards->setObjectName(QStringLiteral("lvwCards"));
    m_lvwCards->setHeaderHidden(true);
    m_lvwCards->setRootIsDecorated(false);
    auto *k = new QVBoxLayout(kinds);
    k->addWidget(m_lvwCards, 1);
    auto *kindButtons = new QHBoxLayout;
    kindButtons->addWidget(m_cmdCheckAllCards);
    kindButtons->addWidget(m_cmdUncheckAllCards);
    kindButtons->addStretch(1);
    k->addLayout(kindButtons);

    auto *doors = new QWidget;
    doors->setObjectName(QStringLiteral("tabDoors"));
    m_tvwDoors->setObjectName(QStringLiteral("tvwDoors"));
    m_tvwDoors->setHeaderHidden(true);
    m_txtDoorName->setReadOnly(true);
    auto *o = new QVBoxLayout(doors);
    o->addWidget(m_tvwDoors, 1);
    auto *doorRow = new QHBoxLayout;
    doorRow->addWidget(label(doors, 22647, m_tvwDoors));
    doorRow->addWidget(m_txtDoorName, 1);
    doorRow->addWidget(m_cmdClearDoorName);
    o->addLayout(doorRow);

    m_tabs->addTab(general, GetText(22631));
    m_tabs->addTab(dates, GetText(22632));
    m_tabs->addTab(kinds, GetText(22633));
    m_tabs->addTab(doors, GetText(22634));

    m_cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdClearAll);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    resize(520, 400);
}

void frmEventSearchFilters::loadKinds()
{
    QList<qint32> offered(std::begin(kOfferedKinds), std::end(kOfferedKinds));
    QStringList numbers;
    for (qint32 kind : offered)
        numbers << QString::number(kind);
    RecordTable names(*m_db.database);
    names.SelectTable(TableId::CardNames);
    names.OpenQuery(QStringLiteral("cardNameID in(") + numbers.join(QLatin1Char(',')) + QLatin1Char(')'),
                    Field::cardName);
    for (; names.Status() == RecordStatus::Ok; names.MoveNext()) {
        auto *item = new QTreeWidgetItem(m_lvwCards, {names.GetField(Field::cardName).toString()});
        item->setData(0, kIdRole, names.GetField(Field::cardNameID).toInt());
        setTicked(item, false);
    }
}

void frmEventSearchFilters::loadDoorGroups()
{
    RecordTable groups(*m_db.database);
    groups.SelectTable(TableId::DoorGroups);
    groups.OpenQuery(QStringLiteral("doorGroupID >= ?"), Field::doorGroupName);
    groups.AddParameter(1);
    for (; groups.Status() == RecordStatus::Ok; groups.MoveNext()) {
        const qint32 id = groups.GetField(Field::doorGroupID).toInt();
        auto *item = new QTreeWidgetItem(m_tvwDoors, {groups.GetField(Field::doorGroupName).toString()});
        item->setData(0, kKeyRole, QString::number(id) + QLatin1Char('A'));
        item->setData(0, kIdRole, id);
        new QTreeWidgetItem(item); // placeholder until the area is first opened
    }
}

void frmEventSearchFilters::groupExpanded(QTreeWidgetItem *item)
{
    if (!item->data(0, kKeyRole).toString().endsWith(QLatin1Char('A')))
        return;
    if (item->childCount() != 1 || !item->child(0)->data(0, kKeyRole).isNull())
        return; // loaded before
    delete item->takeChild(0);
    SetBusyState(m_session.frame.busy, kStateLoadingDoors);
    RecordTable doors(*m_db.database);
    doors.SelectTable(TableId::Doors);
    doors.OpenQuery(QStringLiteral("doorGroupID = ?"), Field::doorName);
    doors.AddParameter(item->data(0, kIdRole).toInt());
    for (; doors.Status() == RecordStatus::Ok; doors.MoveNext()) {
        const qint32 id = doors.GetField(Field::doorID).toInt();
        QString name = doors.GetField(Field::doorName).toString();
        if (name.isEmpty())
            name = QString::number(id);
        auto *door = new QTreeWidgetItem(item, {name});
        door->setData(0, kKeyRole, QString::number(id) + QLatin1Char('D'));
        door->setData(0, kIdRole, id);
    }
    SetBusyState(m_session.frame.busy, 0);
}

void frmEventSearchFilters::doorChosen(QTreeWidgetItem *item)
{
    if (!item || !item->data(0, kKeyRole).toString().endsWith(QLatin1Char('D')))
        return;
    m_doorID = item->data(0, kIdRole).toInt();
    m_txtDoorName->setText(item->text(0));
}

void frmEventSearchFilters::cmdClearDoorName_Click()
{
    m_doorID = EventSearchFilters::kNoDoor;
    m_txtDoorName->clear();
    m_tvwDoors->setCurrentItem(nullptr);
}

void frmEventSearchFilters::setTicked(QTreeWidgetItem *item, bool ticked)
{
    item->setData(0, kKeyRole, ticked ? QStringLiteral("Y") : QStringLiteral("N"));
    item->setIcon(0, TickImage(ticked ? Tick::Ticked : Tick::Unticked));
}

void frmEventSearchFilters::setAllTicked(bool ticked)
{
    for (int i = 0; i < m_lvwCards->topLevelItemCount(); ++i)
        setTicked(m_lvwCards->topLevelItem(i), ticked);
}

QList<qint32> frmEventSearchFilters::tickedKinds() const
{
    QList<qint32> kinds;
    for (int i = 0; i < m_lvwCards->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_lvwCards->topLevelItem(i);
        if (item->data(0, kKeyRole).toString() == QStringLiteral("Y"))
            kinds << item->data(0, kIdRole).toInt();
    }
    return kinds;
}

void frmEventSearchFilters::SetOldFilters(const EventSearchFilters &f)
{
    for (int i = 0; i < m_lvwCards->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_lvwCards->topLevelItem(i);
        setTicked(item, !f.kindFilterActive || f.hasKind(item->data(0, kIdRole).toInt()));
    }
    m_txtAlphaID->setText(f.alphaID);
    m_txtSurname->setText(f.surname);
    m_txtFirstname->setText(f.firstname);
    // The open bounds show as empty fields.
    const auto showFrom = [](QLineEdit *e, double day) {
        e->setText(day <= EventSearchFilters::kEmptyFrom ? QString() : formatSearchDate(day));
    };
    const auto showTo = [](QLineEdit *e, double day) {
        e->setText(day >= EventSearchFilters::kEmptyTo ? QString() : formatSearchDate(day));
    };
    showFrom(m_txtEventFrom, f.eventFrom);
    showTo(m_txtEventTo, f.eventTo);
    showFrom(m_txtReadoutFrom, f.readoutFrom);
    showTo(m_txtReadoutTo, f.readoutTo);
    const auto hex = [](qint32 stored) { return QString::number(quint32(stored) >> 8, 16).toUpper(); };
    m_txtRegFrom->setText(f.registrationFrom <= 0 ? QString() : hex(f.registrationFrom));
    m_txtRegTo->setText(f.registrationTo >= 0x0FFFFFFF ? QString() : hex(f.registrationTo));
    m_doorID = f.doorID;
    QString door;
    if (f.doorID != EventSearchFilters::kNoDoor) {
        RecordTable doors(*m_db.database);
        doors.SelectTable(TableId::Doors);
        doors.SetField(Field::doorID, f.doorID);
        doors.FindRecord();
        door = doors.Status() == RecordStatus::Ok ? doors.GetField(Field::doorName).toString() : QString();
        if (door.isEmpty())
            door = QString::number(f.doorID);
    }
    m_txtDoorName->setText(door);
}

void frmEventSearchFilters::cmdClearAll_Click()
{
    for (QLineEdit *e : {m_txtAlphaID, m_txtSurname, m_txtFirstname, m_txtRegFrom, m_txtRegTo, m_txtEventFrom,
                         m_txtEventTo, m_txtReadoutFrom, m_txtReadoutTo})
        e->clear();
    cmdClearDoorName_Click();
}

void frmEventSearchFilters::refuse(int16_t text, int tab, QWidget *field)
{
    m_tabs->setCurrentIndex(tab);
    field->setFocus();
    MessageRequest request;
    request.textNumber = text;
    request.style = MessageStyle::Exclamation;
    m_program.messages->show(request, this);
}

void frmEventSearchFilters::cmdOK_Click()
{
    EventSearchEntry entry;
    entry.registrationFrom = m_txtRegFrom->text();
    entry.registrationTo = m_txtRegTo->text();
    QLineEdit *const dateFields[] = {m_txtEventFrom, m_txtEventTo, m_txtReadoutFrom, m_txtReadoutTo};
    for (int i = 0; i < EventSearchEntry::DateCount; ++i)
        entry.dates[size_t(i)] = dateFields[i]->text();
    entry.alphaID = m_txtAlphaID->text();
    entry.surname = m_txtSurname->text();
    entry.firstname = m_txtFirstname->text();
    entry.doorID = m_doorID;
    entry.tickedKinds = tickedKinds();
    const EventSearchCheck check = checkEventSearch(entry);
    switch (check.problem) {
    case EventSearchCheck::Problem::BadDate:
        refuse(kBadDate, DatesTab, dateFields[check.badDate]);
        return;
    case EventSearchCheck::Problem::TooWide:
        refuse(kTooWide, DatesTab, m_txtEventFrom);
        return;
    case EventSearchCheck::Problem::None:
        break;
    }
    m_chosen = check.filters;
    accept();
}
