#include "views/frmEventSearchFilters.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"
#include "views/CardSearchRules.h"
#include "views/SearchFilterParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

constexpr int16_t kCaption = 28800;
constexpr int kHelpContext = 1205; // the event list's page
constexpr int16_t kBadDate = -31199;
constexpr int16_t kTooWide = -31186;

// The kinds whose events the search offers, in this order.
constexpr qint32 kOfferedKinds[] = {256, 258, 259, 266, 260, 267, 268, 257, 276, 261, 273};

using namespace SearchFilterParts;

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
    loadDoorGroups(*m_db.database, m_tvwDoors, 1);
    setAllTicked(m_lvwCards, true);

    wireKindList(m_lvwCards, m_cmdCheckAllCards, m_cmdUncheckAllCards);
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

    QWidget *dates = datesTab({{21204, m_txtEventFrom, m_txtEventTo}, {21206, m_txtReadoutFrom, m_txtReadoutTo}});
    QWidget *kinds = kindsTab(m_lvwCards, m_cmdCheckAllCards, m_cmdUncheckAllCards);
    QWidget *doors = doorsTab(m_tvwDoors, m_txtDoorName, m_cmdClearDoorName);
    layOut(this, m_tabs, general, dates, kinds, doors, m_cmdClearAll, m_cmdOK, m_cmdCancel);
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

void frmEventSearchFilters::groupExpanded(QTreeWidgetItem *item)
{
    if (isGroup(item))
        loadGroupDoors(*m_db.database, m_session.frame.busy, item);
}

void frmEventSearchFilters::doorChosen(QTreeWidgetItem *item)
{
    if (!item || !isDoor(item))
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

QList<qint32> frmEventSearchFilters::tickedKinds() const
{
    return SearchFilterParts::tickedKinds(m_lvwCards);
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
