#include "admin/frmOpTemplateData.h"

#include "admin/OpTemplateRules.h"
#include "admin/frmEditMaxValidity.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/grid/ListPrintMenu.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kWindowNumber = 18;
constexpr int kHelpContext = 1208;
constexpr int16_t kCaption = 25100;
constexpr int16_t kRecordGone = -31227;
constexpr int16_t kNameInUse = -31123;
constexpr int16_t kNameMissing = -29849;
constexpr int16_t kNotAllowed = 29630;
constexpr int16_t kValidityFormat = 29631;
constexpr int16_t kFunctionFormat = 29632;
constexpr int16_t kAllowedMark = 29633;
constexpr int16_t kBarredMark = 29634;
constexpr int kRightColumns = 4; // read, write, edit, delete after the table's name

// The tables whose rights the dialog offers, with their names; the other entries of the 69 keep
// what they hold.
struct TableEntry
{
    qint32 tableId;
    int16_t name;
};
constexpr TableEntry kTables[] = {
    {0, 29640},   {16, 29641},  {32, 29642},  {48, 29643},   {64, 29644},   {80, 29645},   {176, 29646}, {208, 29647},
    {384, 29648}, {432, 29649}, {688, 29650}, {704, 29651},  {720, 29652},  {736, 29653},  {768, 29654}, {784, 29655},
    {832, 29656}, {960, 29657}, {992, 29658}, {1008, 29659}, {1072, 29660}, {1088, 29661},
};
// Special functions with a fixed meaning are named by 29670 + n, the others by their number.
constexpr int kNamedFunctions[] = {3, 4, 6, 9, 10, 19};
constexpr int16_t kFunctionNames = 29670;

QString validityText(qint32 minutes)
{
    if (minutes <= 0)
        return GetText(kNotAllowed);
    const ValidityParts parts = SplitValidity(minutes);
    return FormatText(GetText(kValidityFormat), {parts.days, parts.hours, parts.minutes});
}

QTreeWidget *listControl(QWidget *parent, const char *name, const QList<int16_t> &captions)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    QStringList headers;
    for (int16_t caption : captions)
        headers << GetText(caption);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return list;
}

} // namespace

frmOpTemplateData::frmOpTemplateData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_store(*db.database),
      m_txtName(new QLineEdit(this)), m_txtDescription(new QLineEdit(this)), m_tabs(new QTabWidget(this)),
      m_lvwDB(listControl(this, "lvwDB", {29616, 29617, 29618, 29619, 29620})),
      m_lvwCards(listControl(this, "lvwCards", {29621, 29622})),
      m_lvwDoorAreas(listControl(this, "lvwDoorAreas", {29623, 29624})), m_cmdNew(CommandButton(this, "cmdNew", 29625)),
      m_cmdSave(CommandButton(this, "cmdSave", 29626)), m_cmdUpdate(CommandButton(this, "cmdUpdate", 29627)),
      m_cmdEdit(CommandButton(this, "cmdEdit", 29628)), m_cmdPrint(CommandButton(this, "cmdPrint", 29606)),
      m_cmdClose(CommandButton(this, "cmdClose", 29607))
{
    setObjectName(QStringLiteral("frmOpTemplateData"));
    buildControls();
    connect(m_cmdNew, &QPushButton::clicked, this, &frmOpTemplateData::cmdNew_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmOpTemplateData::cmdSave_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &frmOpTemplateData::cmdUpdate_Click);
    connect(m_cmdEdit, &QPushButton::clicked, this, &frmOpTemplateData::cmdEdit_Click);
    connect(m_cmdPrint, &QPushButton::clicked, this, &frmOpTemplateData::cmdPrint_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    connect(m_lvwDB, &QTreeWidget::itemChanged, this, &frmOpTemplateData::tableItemChanged);
    connect(m_lvwDoorAreas, &QTreeWidget::itemChanged, this, &frmOpTemplateData::doorAreaItemChanged);
    connect(m_lvwCards, &QTreeWidget::itemActivated, this, &frmOpTemplateData::cmdEdit_Click);
    connect(m_lvwCards, &QTreeWidget::currentItemChanged, this,
            [this] { m_cmdEdit->setEnabled(m_lvwCards->currentItem() != nullptr); });
    for (int n = 0; n < Authority::FunctionCount; ++n) {
        connect(m_chkMisc[n], &QCheckBox::toggled, this, [this, n](bool on) {
            if (!m_showing)
                m_rights.functions.set(n, on);
        });
    }

    std::array<QString, Authority::CardKindCount> names;
    if (const OpTemplateResult read = m_store.loadCardNames(names); !read.ok())
        showStoreError(read);
    for (int index = 0; index < Authority::CardKindCount; ++index) {
        auto *item = new QTreeWidgetItem(m_lvwCards);
        item->setText(0, names[index].isEmpty() ? QString::number(Authority::FirstCardKind + index) : names[index]);
    }
    m_lvwCards->setCurrentItem(m_lvwCards->topLevelItem(0));
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    m_session.notify.SubscribeOperatorTemplates(&m_templateEvents, Notify::handleOf(this));
    setOperatorTemplateID(0);
}

frmOpTemplateData::~frmOpTemplateData()
{
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
    m_session.notify.UnsubscribeOperatorTemplates(Notify::handleOf(this));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmOpTemplateData::buildControls()
{
    m_txtName->setObjectName(QStringLiteral("txtName"));
    m_txtDescription->setObjectName(QStringLiteral("txtDescription"));
    auto *lblName = new QLabel(GetText(29610), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setBuddy(m_txtName);
    auto *lblDescription = new QLabel(GetText(29611), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setBuddy(m_txtDescription);
    auto *fields = new QGridLayout;
    fields->addWidget(lblName, 0, 0);
    fields->addWidget(m_txtName, 0, 1);
    fields->addWidget(lblDescription, 1, 0);
    fields->addWidget(m_txtDescription, 1, 1);

    m_tabs->setObjectName(QStringLiteral("tabRights"));
    m_tabs->addTab(buildTablesPage(), GetText(29612));
    m_tabs->addTab(buildCardsPage(), GetText(29613));
    m_tabs->addTab(buildFunctionsPage(), GetText(29614));
    m_tabs->addTab(buildDoorAreasPage(), GetText(29615));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdNew);
    buttons->addWidget(m_cmdPrint);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdUpdate);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    setTabOrder(m_txtName, m_txtDescription);
    setTabOrder(m_txtDescription, m_tabs);
    resize(620, 560);
}

QWidget *frmOpTemplateData::buildTablesPage()
{
    for (const TableEntry &entry : kTables) {
        auto *item = new QTreeWidgetItem(m_lvwDB);
        item->setText(0, GetText(entry.name));
        item->setData(0, Qt::UserRole, entry.tableId);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    for (int column = 1; column <= kRightColumns; ++column)
        m_lvwDB->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    return m_lvwDB;
}

QWidget *frmOpTemplateData::buildCardsPage()
{
    m_lvwCards->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_lvwCards, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdEdit);
    layout->addLayout(buttons);
    return page;
}

QWidget *frmOpTemplateData::buildFunctionsPage()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    const int rows = (Authority::FunctionCount + 1) / 2;
    for (int n = 0; n < Authority::FunctionCount; ++n) {
        const bool named =
            std::find(std::begin(kNamedFunctions), std::end(kNamedFunctions), n) != std::end(kNamedFunctions);
        auto *box = new QCheckBox(
            named ? GetText(int16_t(kFunctionNames + n)) : FormatText(GetText(kFunctionFormat), {n}), page);
        box->setObjectName(QStringLiteral("chkMisc%1").arg(n));
        grid->addWidget(box, n % rows, n / rows);
        m_chkMisc[n] = box;
    }
    grid->setRowStretch(rows, 1);
    return page;
}

QWidget *frmOpTemplateData::buildDoorAreasPage()
{
    m_lvwDoorAreas->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    return m_lvwDoorAreas;
}

void frmOpTemplateData::setOperatorTemplateID(qint32 operatorTemplateID)
{
    if (operatorTemplateID != 0 && !load(operatorTemplateID))
        operatorTemplateID = 0;
    m_templateID = operatorTemplateID;
    if (operatorTemplateID == 0) {
        m_stored = {};
        m_rights = {};
        m_txtName->clear();
        m_txtDescription->clear();
    }
    m_doorAreas.clear();
    reloadDoorAreas();
    showRights();
    m_cmdSave->setEnabled(m_session.authority.HasRight(TableId::OperatorTemplates, Authority::Write));
    m_cmdUpdate->setEnabled(m_session.authority.HasRight(TableId::OperatorTemplates, Authority::Edit));
    showMode();
    m_txtName->setFocus();
}

bool frmOpTemplateData::load(qint32 templateID)
{
    OpTemplateRecord stored;
    OpTemplateRights rights;
    if (const OpTemplateResult loaded = m_store.load(templateID, stored, rights); !loaded.ok()) {
        showStoreError(loaded);
        return false;
    }
    m_stored = stored;
    m_rights = rights;
    m_txtName->setText(stored.name);
    m_txtDescription->setText(stored.description);
    return true;
}

void frmOpTemplateData::showMode()
{
    const bool isNew = m_templateID == 0;
    m_cmdSave->setVisible(isNew);
    m_cmdUpdate->setVisible(!isNew);
    setWindowTitle(isNew ? GetText(kCaption) : m_stored.name + QStringLiteral(" - ") + GetText(kCaption));
}

void frmOpTemplateData::showRights()
{
    m_showing = true;
    for (int row = 0; row < m_lvwDB->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_lvwDB->topLevelItem(row);
        const qint32 bits = m_rights.tables[item->data(0, Qt::UserRole).toInt() / 16];
        for (int column = 1; column <= kRightColumns; ++column)
            item->setCheckState(column, (bits & (1 << (column - 1))) ? Qt::Checked : Qt::Unchecked);
    }
    for (int index = 0; index < Authority::CardKindCount; ++index)
        showValidity(index);
    for (int n = 0; n < Authority::FunctionCount; ++n)
        m_chkMisc[n]->setChecked(m_rights.functions[n]);
    m_showing = false;
}

void frmOpTemplateData::showValidity(int index)
{
    if (QTreeWidgetItem *item = m_lvwCards->topLevelItem(index))
        item->setText(1, validityText(m_rights.validity[index]));
}

void frmOpTemplateData::reloadDoorAreas()
{
    QList<DoorAreaMark> areas;
    if (const OpTemplateResult read = m_store.loadDoorAreas(m_templateID, areas); !read.ok()) {
        showStoreError(read);
        return;
    }
    // Marks made here and not yet saved outlive the reload.
    for (DoorAreaMark &area : areas) {
        for (const DoorAreaMark &shown : std::as_const(m_doorAreas)) {
            if (shown.doorGroupID == area.doorGroupID && m_templateID == m_shownAreasOf)
                area.barred = shown.barred;
        }
    }
    m_doorAreas = areas;
    m_shownAreasOf = m_templateID;
    showDoorAreas();
}

void frmOpTemplateData::showDoorAreas()
{
    m_showing = true;
    m_lvwDoorAreas->clear();
    for (const DoorAreaMark &area : std::as_const(m_doorAreas)) {
        auto *item = new QTreeWidgetItem(m_lvwDoorAreas);
        item->setText(0, area.name);
        item->setData(0, Qt::UserRole, area.doorGroupID);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(1, area.barred ? Qt::Unchecked : Qt::Checked);
        item->setText(1, GetText(area.barred ? kBarredMark : kAllowedMark));
    }
    m_showing = false;
}

void frmOpTemplateData::tableItemChanged(QTreeWidgetItem *item, int column)
{
    if (m_showing || column < 1 || column > kRightColumns)
        return;
    qint32 &bits = m_rights.tables[item->data(0, Qt::UserRole).toInt() / 16];
    const qint32 bit = 1 << (column - 1);
    bits = item->checkState(column) == Qt::Checked ? (bits | bit) : (bits & ~bit);
}

void frmOpTemplateData::doorAreaItemChanged(QTreeWidgetItem *item, int column)
{
    const int row = m_lvwDoorAreas->indexOfTopLevelItem(item);
    if (m_showing || column != 1 || row < 0 || row >= m_doorAreas.size())
        return;
    m_doorAreas[row].barred = item->checkState(1) != Qt::Checked;
    m_showing = true;
    item->setText(1, GetText(m_doorAreas[row].barred ? kBarredMark : kAllowedMark));
    m_showing = false;
}

void frmOpTemplateData::cmdEdit_Click()
{
    QTreeWidgetItem *item = m_lvwCards->currentItem();
    if (!item)
        return;
    const int index = m_lvwCards->indexOfTopLevelItem(item);
    qint32 chosen = m_rights.validity[index];
    bool accepted = false;
    if (m_validityPrompt) {
        accepted = m_validityPrompt(chosen, chosen);
    } else {
        frmEditMaxValidity dialog(this);
        dialog.setCurrentValidity(chosen);
        dialog.exec();
        accepted = !dialog.Cancel();
        chosen = dialog.MaxValidity();
    }
    if (!accepted)
        return;
    m_rights.validity[index] = chosen;
    showValidity(index);
}

void frmOpTemplateData::cmdPrint_Click()
{
    // The template as shown, unsaved changes included: one section per page of the dialog.
    ListTable table{{GetText(29635), GetText(29636)}, {}};
    auto section = [&table](int16_t caption) { table.rows.append({GetText(caption), QString()}); };
    section(29612);
    for (int row = 0; row < m_lvwDB->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = m_lvwDB->topLevelItem(row);
        QStringList rights;
        for (int column = 1; column <= kRightColumns; ++column) {
            if (item->checkState(column) == Qt::Checked)
                rights << m_lvwDB->headerItem()->text(column);
        }
        table.rows.append({item->text(0), rights.join(QStringLiteral(", "))});
    }
    section(29613);
    for (int row = 0; row < m_lvwCards->topLevelItemCount(); ++row)
        table.rows.append({m_lvwCards->topLevelItem(row)->text(0), m_lvwCards->topLevelItem(row)->text(1)});
    section(29614);
    for (const QCheckBox *box : m_chkMisc) {
        if (box->isChecked())
            table.rows.append({box->text().remove(QLatin1Char('&')), GetText(kAllowedMark)});
    }
    section(29615);
    for (const DoorAreaMark &area : std::as_const(m_doorAreas))
        table.rows.append({area.name, GetText(area.barred ? kBarredMark : kAllowedMark)});
    printTableOnDefaultPrinter(table, windowTitle(), *m_program.messages, QString(), this);
}

void frmOpTemplateData::setChoiceRequest(const ChoiceRequest &request)
{
    m_caller = request.caller;
    m_handBack = request.caller ? request.handBack : nullptr;
}

int frmOpTemplateData::HelpContextID() const
{
    return kHelpContext;
}

bool frmOpTemplateData::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::OperatorTemplates, this);
}

void frmOpTemplateData::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmOpTemplateData::EvaluateAuthority()
{
    const Authority &rights = m_session.authority;
    const bool write = rights.HasRight(TableId::OperatorTemplates, Authority::Write);
    if (!rights.HasRight(TableId::OperatorTemplates, Authority::Read) || (m_templateID == 0 && !write)) {
        UnloadWindow(this);
        return;
    }
    // Only ever turned off here; the mode decides when they come on.
    m_cmdSave->setEnabled(m_cmdSave->isEnabled() && write);
    m_cmdUpdate->setEnabled(m_cmdUpdate->isEnabled() && rights.HasRight(TableId::OperatorTemplates, Authority::Edit));
    m_cmdNew->setEnabled(write);
}

void frmOpTemplateData::Add(int32_t, int16_t)
{
    reloadDoorAreas();
}

void frmOpTemplateData::Update(int32_t)
{
    reloadDoorAreas();
}

void frmOpTemplateData::Remove(int32_t)
{
    reloadDoorAreas();
}

void frmOpTemplateData::UpdateOperatorTemplate(int32_t operatorTemplateID)
{
    if (operatorTemplateID != 0 && operatorTemplateID == m_templateID && load(operatorTemplateID)) {
        m_doorAreas.clear();
        reloadDoorAreas();
        showRights();
        showMode();
    }
}

void frmOpTemplateData::RemoveOperatorTemplate(int32_t operatorTemplateID)
{
    if (operatorTemplateID != 0 && operatorTemplateID == m_templateID)
        UnloadWindow(this);
}

OpTemplateRecord frmOpTemplateData::record() const
{
    return {m_txtName->text().trimmed(), m_txtDescription->text().trimmed(), m_stored.noteID};
}

void frmOpTemplateData::showStoreError(const OpTemplateResult &failure)
{
    if (failure.status == RecordStatus::NoRecord)
        m_program.messages->error(kRecordGone, {}, {}, this);
    else
        m_program.messages->errorWithCode(failure.errorCode, failure.errorText, this);
}

void frmOpTemplateData::setBusy(bool busy)
{
    if (m_session.frame.busy)
        m_session.frame.busy->SetBusyPointer(busy);
}

void frmOpTemplateData::cmdNew_Click()
{
    if (m_cmdNew->isEnabled())
        setOperatorTemplateID(0);
}

void frmOpTemplateData::cmdSave_Click()
{
    if (m_templateID != 0 || !m_cmdSave->isEnabled())
        return;
    OpTemplateRecord typed = record();
    qint32 namesake = 0;
    if (typed.name.isEmpty()) {
        m_program.messages->error(kNameMissing, {}, {}, this);
        m_txtName->setFocus();
        return;
    }
    if (const OpTemplateResult found = m_store.findNamed(typed.name, 0, namesake); !found.ok()) {
        showStoreError(found);
        return;
    }
    if (namesake != 0) {
        m_program.messages->error(kNameInUse, {}, {}, this);
        m_txtName->setFocus();
        return;
    }
    setBusy(true);
    qint32 templateID = 0;
    OpTemplateResult saved = m_store.create(typed, templateID);
    if (saved.ok())
        saved = m_store.writeRights(templateID, m_rights, m_doorAreas, RightsWrite::NewTemplate);
    setBusy(false);
    if (templateID != 0) {
        // The template exists even when some of its rows failed: the dialog keeps what was
        // ticked, and Update writes the rows again.
        m_templateID = templateID;
        m_shownAreasOf = templateID;
        m_stored = typed;
        showMode();
        m_session.notify.NotifyOperatorTemplateAdded(templateID);
    }
    if (!saved.ok()) {
        showStoreError(saved);
        return;
    }
    if (QPointer<QWidget> caller = m_caller) {
        const auto handBack = m_handBack;
        setChoiceRequest({});
        if (handBack)
            handBack(templateID);
        BringWindowForward(caller);
        UnloadWindow(this);
    }
}

void frmOpTemplateData::cmdUpdate_Click()
{
    if (m_templateID == 0 || !m_cmdUpdate->isEnabled())
        return;
    OpTemplateRecord typed = record();
    if (typed.name.isEmpty()) {
        m_program.messages->error(kNameMissing, {}, {}, this);
        m_txtName->setFocus();
        return;
    }
    if (!SameTemplateName(typed.name, m_stored.name)) {
        qint32 namesake = 0;
        if (const OpTemplateResult found = m_store.findNamed(typed.name, m_templateID, namesake); !found.ok()) {
            showStoreError(found);
            return;
        }
        if (namesake != 0) {
            m_program.messages->error(kNameInUse, {}, {}, this);
            m_txtName->setFocus();
            return;
        }
    }
    qint32 ownTemplate = 0;
    if (const OpTemplateResult read = m_store.operatorTemplate(m_session.logon.CurrentOperatorID, ownTemplate);
        !read.ok()) {
        m_program.messages->errorWithCode(read.errorCode, read.errorText, this);
        return;
    }
    if (const int16_t refusal = TemplateChangeRefusal(ownTemplate, m_templateID); refusal != 0) {
        m_program.messages->error(refusal, {}, {}, this);
        return;
    }
    setBusy(true);
    OpTemplateResult saved = m_store.change(m_templateID, typed);
    m_stored.noteID = typed.noteID;
    if (saved.ok()) {
        m_stored.name = typed.name;
        m_stored.description = typed.description;
        showMode();
        saved = m_store.writeRights(m_templateID, m_rights, m_doorAreas, RightsWrite::ChangedTemplate);
    }
    setBusy(false);
    if (!saved.ok()) {
        showStoreError(saved);
        return;
    }
    afterUpdate();
}

void frmOpTemplateData::afterUpdate()
{
    m_session.notify.NotifyOperatorTemplateUpdated(m_templateID);
    m_session.authority.LoadOperatorRights(true);
    m_session.authority.LoadReferenceRights();
    if (m_session.frame.setupMenus)
        m_session.frame.setupMenus();
}

void frmOpTemplateData::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
