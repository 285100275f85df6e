#include "views/frmCardSearchFilters.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"
#include "views/CardListQuery.h"
#include "views/CardSearchQuery.h"
#include "views/CardSearchRules.h"
#include "views/SearchFilterParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <optional>

namespace {

constexpr int16_t kCaption = 22630;
constexpr int kHelpContext = 1201; // the card list's page
constexpr int16_t kBadDate = -31199;
constexpr int16_t kNoDoor = -31224;
constexpr int16_t kTooLarge = -31223;
constexpr int16_t kErrorTitle = -32767;
constexpr int kStartRole = Qt::UserRole + 2;
constexpr int kStopRole = Qt::UserRole + 3;
constexpr qint32 kNoRegistrationLimit = 0x0FFFFFFF;

// The kinds the search offers, in this order; 270 only where operators log on with a card.
constexpr qint32 kOfferedKinds[] = {256, 258, 259, 266, 269, 263, 260, 271, 267, 268, 275,
                                    257, 262, 264, 265, 272, 261, 273, 276, 277, 278, 279};
constexpr qint32 kOperatorCard = 270;

using namespace SearchFilterParts;

} // namespace

frmCardSearchFilters::frmCardSearchFilters(ProgramServices &program, DatabaseServices &db, Session &session,
                                           QWidget *parent)
    : QDialog(parent), m_program(program), m_db(db), m_session(session), m_tabs(new QTabWidget(this)),
      m_txtAlphaID(edit(this, "txtAlphaID")), m_txtSurname(edit(this, "txtSurname")),
      m_txtFirstname(edit(this, "txtFirstname")), m_txtIssuedBy(edit(this, "txtIssuedBy")),
      m_cboStatus(new QComboBox(this)), m_txtRegFrom(edit(this, "txtRegFrom", QStringLiteral("[0-9A-Fa-f]{0,5}"), 5)),
      m_txtRegTo(edit(this, "txtRegTo", QStringLiteral("[0-9A-Fa-f]{0,5}"), 5)),
      m_txtRoomFrom(edit(this, "txtRoomFrom", QStringLiteral("[0-9]{0,5}"), 5)),
      m_txtRoomTo(edit(this, "txtRoomTo", QStringLiteral("[0-9]{0,5}"), 5)), m_txtIssueFrom(edit(this, "txtIssueFrom")),
      m_txtIssueTo(edit(this, "txtIssueTo")), m_txtStartFrom(edit(this, "txtStartFrom")),
      m_txtStartTo(edit(this, "txtStartTo")), m_txtExpiryFrom(edit(this, "txtExpiryFrom")),
      m_txtExpiryTo(edit(this, "txtExpiryTo")), m_lvwCards(new QTreeWidget(this)),
      m_cmdCheckAll(CommandButton(this, "cmdCheckAll", 22645)),
      m_cmdUncheckAll(CommandButton(this, "cmdUncheckAll", 22646)), m_tvwDoors(new QTreeWidget(this)),
      m_txtDoorName(edit(this, "txtDoorName")), m_cmdClearDoorName(CommandButton(this, "cmdClearDoorName", 22648)),
      m_cmdClearAll(CommandButton(this, "cmdClearAll", 22649)), m_cmdOK(CommandButton(this, "cmdOK", 22650)),
      m_cmdCancel(CommandButton(this, "cmdCancel", 22651))
{
    setObjectName(QStringLiteral("frmCardSearchFilters"));
    setWindowTitle(GetText(kCaption));
    buildControls();
    loadKinds();
    loadDoorGroups(*m_db.database, m_tvwDoors, 0);
    SetCardNameFilters();
    m_txtRoomTo->setText(QString::number(defaultRoomTo()));

    wireKindList(m_lvwCards, m_cmdCheckAll, m_cmdUncheckAll);
    connect(m_tvwDoors, &QTreeWidget::itemExpanded, this, &frmCardSearchFilters::groupExpanded);
    connect(m_tvwDoors, &QTreeWidget::currentItemChanged, this, &frmCardSearchFilters::doorChosen);
    connect(m_cmdClearDoorName, &QPushButton::clicked, this, &frmCardSearchFilters::cmdClearDoorName_Click);
    connect(m_cmdClearAll, &QPushButton::clicked, this, &frmCardSearchFilters::cmdClearAll_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmCardSearchFilters::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmCardSearchFilters::~frmCardSearchFilters() = default;

std::optional<CardSearchFilters> frmCardSearchFilters::Run(ProgramServices &program, DatabaseServices &db,
                                                           Session &session, const CardSearchRequest &request,
                                                           QWidget *parent)
{
    frmCardSearchFilters dialog(program, db, session, parent);
    dialog.prepare(request);
    dialog.exec();
    return dialog.chosen();
}

void frmCardSearchFilters::prepare(const CardSearchRequest &request)
{
    m_preset = request.preset;
    if (!request.start)
        return;
    const CardSearchFilters &start = *request.start;
    if (start.kindFilterActive) {
        ClearCardNameFilters();
        for (int i = 0; i < CardSearchFilters::kKindCount; ++i) {
            if (start.kinds.test(size_t(i)))
                SetCardNameFilter(CardSearchFilters::kFirstKind + i);
        }
    } else {
        // No kind filter lists every kind; the dialog shows that as every kind ticked.
        SetCardNameFilters();
    }
    SetOldFilters(start);
}

int frmCardSearchFilters::HelpContextID() const
{
    return kHelpContext;
}

void frmCardSearchFilters::buildControls()
{
    m_tabs->setObjectName(QStringLiteral("tabFilters"));
    m_cboStatus->setObjectName(QStringLiteral("cboStatus"));
    m_cboStatus->addItem(GetText(22612), 0);
    m_cboStatus->addItem(GetText(22623), 1);
    m_cboStatus->addItem(GetText(22624), 2);
    m_cboStatus->setCurrentIndex(1);

    auto *general = new QWidget;
    general->setObjectName(QStringLiteral("tabGeneral"));
    auto *g = new QGridLayout(general);
    g->addWidget(label(general, 22635, m_txtAlphaID), 0, 0);
    g->addWidget(m_txtAlphaID, 0, 1, 1, 3);
    g->addWidget(label(general, 22636, m_txtSurname), 1, 0);
    g->addWidget(m_txtSurname, 1, 1, 1, 3);
    g->addWidget(label(general, 22637, m_txtFirstname), 2, 0);
    g->addWidget(m_txtFirstname, 2, 1, 1, 3);
    g->addWidget(label(general, 22638, m_txtIssuedBy), 3, 0);
    g->addWidget(m_txtIssuedBy, 3, 1, 1, 3);
    g->addWidget(label(general, 22639, m_cboStatus), 4, 0);
    g->addWidget(m_cboStatus, 4, 1, 1, 3);
    g->addWidget(label(general, 22643), 5, 1);
    g->addWidget(label(general, 22644), 5, 2);
    g->addWidget(label(general, 22640, m_txtRegFrom), 6, 0);
    g->addWidget(m_txtRegFrom, 6, 1);
    g->addWidget(m_txtRegTo, 6, 2);
    g->addWidget(label(general, 22641, m_txtRoomFrom), 7, 0);
    g->addWidget(m_txtRoomFrom, 7, 1);
    g->addWidget(m_txtRoomTo, 7, 2);
    g->setColumnStretch(3, 1);
    g->setRowStretch(8, 1);

    QWidget *dates = datesTab({{20816, m_txtIssueFrom, m_txtIssueTo},
                               {20817, m_txtStartFrom, m_txtStartTo},
                               {20818, m_txtExpiryFrom, m_txtExpiryTo}});
    QWidget *kinds = kindsTab(m_lvwCards, m_cmdCheckAll, m_cmdUncheckAll);
    QWidget *doors = doorsTab(m_tvwDoors, m_txtDoorName, m_cmdClearDoorName);
    layOut(this, m_tabs, general, dates, kinds, doors, m_cmdClearAll, m_cmdOK, m_cmdCancel);

    QWidget *order[] = {m_tabs,         m_txtAlphaID,       m_txtSurname,   m_txtFirstname,  m_txtIssuedBy,
                        m_cboStatus,    m_txtRegFrom,       m_txtRegTo,     m_txtRoomFrom,   m_txtRoomTo,
                        m_txtIssueFrom, m_txtIssueTo,       m_txtStartFrom, m_txtStartTo,    m_txtExpiryFrom,
                        m_txtExpiryTo,  m_lvwCards,         m_cmdCheckAll,  m_cmdUncheckAll, m_tvwDoors,
                        m_txtDoorName,  m_cmdClearDoorName, m_cmdClearAll,  m_cmdOK,         m_cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(520, 400);
}

bool frmCardSearchFilters::mayIssue(qint32 kind) const
{
    return m_session.authority.MayIssueCardKind(kind) ||
           m_session.authority.MayIssueCardKind(kind, Authority::ReferenceSet);
}

qint32 frmCardSearchFilters::defaultRoomTo() const
{
    return m_db.SystemParams && m_db.SystemParams->FiveDigits() ? 99999 : 9999;
}

void frmCardSearchFilters::loadKinds()
{
    QStringList offered;
    for (qint32 kind : kOfferedKinds)
        offered << QString::number(kind);
    if (m_db.SystemParams && m_db.SystemParams->NeedOpCardAtLogon())
        offered << QString::number(kOperatorCard);
    RecordTable names(*m_db.database);
    names.SelectTable(TableId::CardNames);
    names.OpenQuery(QStringLiteral("cardNameID in(") + offered.join(QLatin1Char(',')) + QLatin1Char(')'),
                    Field::cardName);
    for (; names.Status() == RecordStatus::Ok; names.MoveNext()) {
        const qint32 kind = names.GetField(Field::cardNameID).toInt();
        if (!mayIssue(kind))
            continue;
        auto *item = new QTreeWidgetItem(m_lvwCards, {names.GetField(Field::cardName).toString()});
        item->setData(0, kIdRole, kind);
        setTicked(item, false);
    }
}

void frmCardSearchFilters::groupExpanded(QTreeWidgetItem *item)
{
    if (!isGroup(item))
        return;
    if (!m_session.authority.HasRight(TableId::DoorGroups, Authority::Read) ||
        !m_session.authority.HasRight(TableId::Doors, Authority::Read)) {
        item->setExpanded(false);
        return;
    }
    loadGroupDoors(*m_db.database, m_session.frame.busy, item, [](QTreeWidgetItem *door, RecordTable &doors) {
        door->setData(0, kStartRole, doors.GetField(Field::roomIntervalStart).toString().trimmed().toInt());
        door->setData(0, kStopRole, doors.GetField(Field::roomIntervalStop).toString().trimmed().toInt());
    });
}

void frmCardSearchFilters::doorChosen(QTreeWidgetItem *item)
{
    if (!item || !isDoor(item))
        return;
    m_doorID = item->data(0, kIdRole).toInt();
    m_intervalStart = item->data(0, kStartRole).toInt();
    m_intervalStop = item->data(0, kStopRole).toInt();
    m_txtDoorName->setText(item->text(0));
}

void frmCardSearchFilters::cmdClearDoorName_Click()
{
    m_doorID = m_intervalStart = m_intervalStop = 0;
    m_txtDoorName->clear();
    m_tvwDoors->setCurrentItem(nullptr);
}

QList<qint32> frmCardSearchFilters::tickedKinds() const
{
    return SearchFilterParts::tickedKinds(m_lvwCards);
}

void frmCardSearchFilters::ClearCardNameFilters()
{
    setAllTicked(m_lvwCards, false);
}

void frmCardSearchFilters::SetCardNameFilters()
{
    for (int i = 0; i < m_lvwCards->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_lvwCards->topLevelItem(i);
        setTicked(item, mayIssue(item->data(0, kIdRole).toInt()));
    }
}

void frmCardSearchFilters::SetCardNameFilter(qint32 kind)
{
    if (!mayIssue(kind))
        return;
    for (int i = 0; i < m_lvwCards->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_lvwCards->topLevelItem(i);
        if (item->data(0, kIdRole).toInt() == kind)
            setTicked(item, true);
    }
}

void frmCardSearchFilters::SetOldFilters(const CardSearchFilters &f)
{
    m_txtAlphaID->setText(f.alphaID);
    m_txtSurname->setText(f.surname);
    m_txtFirstname->setText(f.firstname);
    m_txtIssuedBy->setText(f.issuedBy);
    m_cboStatus->setCurrentIndex(std::max(0, m_cboStatus->findData(f.statusGroup)));
    // The open bounds show as empty fields.
    const auto showFrom = [](QLineEdit *e, double day) {
        e->setText(day <= OleDate::kEarliestSearchDay ? QString() : formatSearchDate(day));
    };
    const auto showTo = [](QLineEdit *e, double day) {
        e->setText(day >= NoExpiry ? QString() : formatSearchDate(day));
    };
    showFrom(m_txtIssueFrom, f.issueFrom);
    showTo(m_txtIssueTo, f.issueTo);
    showFrom(m_txtStartFrom, f.startFrom);
    showTo(m_txtStartTo, f.startTo);
    showFrom(m_txtExpiryFrom, f.expiryFrom);
    showTo(m_txtExpiryTo, f.expiryTo);
    const auto hex = [](qint32 stored) { return QString::number(quint32(stored) >> 8, 16).toUpper(); };
    m_txtRegFrom->setText(f.registrationFrom <= 0 ? QString() : hex(f.registrationFrom));
    m_txtRegTo->setText(f.registrationTo >= kNoRegistrationLimit ? QString() : hex(f.registrationTo));
    m_txtRoomFrom->setText(f.roomFrom <= 0 ? QString() : QString::number(f.roomFrom));
    m_txtRoomTo->setText(QString::number(f.roomTo));
    m_doorID = f.doorID;
    m_intervalStart = f.intervalStart;
    m_intervalStop = f.intervalStop;
    QString door = f.doorID != 0 ? QString::number(f.doorID) : QString();
    if (f.doorID != 0) {
        RecordTable doors(*m_db.database);
        doors.SelectTable(TableId::Doors);
        doors.SetField(Field::doorID, f.doorID);
        doors.FindRecord();
        if (doors.Status() == RecordStatus::Ok && !doors.GetField(Field::doorName).toString().isEmpty())
            door = doors.GetField(Field::doorName).toString();
    }
    m_txtDoorName->setText(door);
}

void frmCardSearchFilters::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_preset == CardSearchPreset::DoorAccess && !m_presetApplied) {
        m_presetApplied = true;
        applyDoorAccessDefaults();
    }
}

void frmCardSearchFilters::applyDoorAccessDefaults()
{
    SetCardNameFilters();
    cmdClearAll_Click();
    m_txtRoomFrom->setText(QStringLiteral("0"));
    m_txtRoomTo->setText(QString::number(defaultRoomTo()));
    m_tabs->setCurrentIndex(DoorsTab);
    m_tvwDoors->setFocus();
}

void frmCardSearchFilters::cmdClearAll_Click()
{
    for (QLineEdit *e :
         {m_txtAlphaID, m_txtSurname, m_txtFirstname, m_txtIssuedBy, m_txtRegFrom, m_txtRegTo, m_txtRoomFrom,
          m_txtRoomTo, m_txtIssueFrom, m_txtIssueTo, m_txtStartFrom, m_txtStartTo, m_txtExpiryFrom, m_txtExpiryTo})
        e->clear();
    cmdClearDoorName_Click();
}

bool frmCardSearchFilters::refuse(int16_t text, int tab, QWidget *field)
{
    MessageRequest request;
    request.textNumber = text;
    request.style = MessageStyle::Exclamation;
    m_program.messages->show(request, this);
    m_tabs->setCurrentIndex(tab);
    field->setFocus();
    return false;
}

void frmCardSearchFilters::cmdOK_Click()
{
    CardSearchEntry entry;
    entry.alphaID = m_txtAlphaID->text();
    entry.surname = m_txtSurname->text();
    entry.firstname = m_txtFirstname->text();
    entry.issuedBy = m_txtIssuedBy->text();
    entry.statusGroup = m_cboStatus->currentData().toInt();
    QLineEdit *const dateFields[] = {m_txtIssueFrom, m_txtIssueTo,    m_txtStartFrom,
                                     m_txtStartTo,   m_txtExpiryFrom, m_txtExpiryTo};
    for (int i = 0; i < CardSearchEntry::DateCount; ++i)
        entry.dates[size_t(i)] = dateFields[i]->text();
    entry.registrationFrom = m_txtRegFrom->text();
    entry.registrationTo = m_txtRegTo->text();
    entry.roomFrom = m_txtRoomFrom->text();
    entry.roomTo = m_txtRoomTo->text();
    entry.doorID = m_doorID;
    entry.intervalStart = m_intervalStart;
    entry.intervalStop = m_intervalStop;
    entry.doorRequired = m_preset == CardSearchPreset::DoorAccess;
    entry.defaultRoomTo = defaultRoomTo();

    CardSearchCheck check = CheckCardSearch(entry);
    switch (check.problem) {
    case CardSearchCheck::Problem::BadDate:
        refuse(kBadDate, DatesTab, dateFields[check.badDate]);
        return;
    case CardSearchCheck::Problem::NoDoor:
        refuse(kNoDoor, DoorsTab, m_tvwDoors);
        return;
    case CardSearchCheck::Problem::None:
        break;
    }
    // Refuse a search the statistics say would list too many cards.
    const SearchEstimate estimate = EstimateCardSearch(*m_db.database, check.filters);
    if (estimate.tooLarge) {
        MessageRequest request;
        request.textNumber = kTooLarge;
        request.arguments = {QString::number(estimate.allowedDays)};
        request.style = MessageStyle::Exclamation;
        request.titleNumber = kErrorTitle;
        m_program.messages->show(request, this);
        return;
    }
    const QList<qint32> ticked = tickedKinds();
    for (qint32 kind : ticked)
        check.filters.setKind(kind, true);
    check.filters.kindFilterActive = !ticked.isEmpty();
    m_chosen = check.filters;
    accept();
}
