#include "admin/frmOpTemplateList.h"

#include "admin/OpTemplateRules.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "session/Workstation.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 8;
constexpr int kHelpContext = 1208;
constexpr int16_t kCaption = 29600;
constexpr int16_t kNotAllowed = -31143;
constexpr int16_t kRemoveQuestion = -29848;
constexpr int16_t kAssigned = -29847;
constexpr int16_t kButtonsYesNo = 17001;
const QString kColumnKey = QStringLiteral("tlvTemplatesCol");
const QString kColumns = QStringLiteral("operatorTemplateName,noteText,operatorTemplateID");

const QString kMenuRoot = QStringLiteral("O0");
const QString kMenuAdd = QStringLiteral("OA");
const QString kMenuRemove = QStringLiteral("OR");
const QString kMenuProperties = QStringLiteral("OP");

} // namespace

frmOpTemplateList::frmOpTemplateList(ProgramServices &program, DatabaseServices &db, Session &session,
                                     FrameWindows &frameWindows, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_frameWindows(frameWindows),
      m_store(*db.database), m_tlvTemplates(new RecordGrid(*db.database, this)),
      m_cmdAdd(CommandButton(this, "cmdAdd", 29603)), m_cmdRemove(CommandButton(this, "cmdRemove", 29604)),
      m_cmdProperties(CommandButton(this, "cmdProperties", 29605)), m_cmdPrint(CommandButton(this, "cmdPrint", 29606)),
      m_cmdClose(CommandButton(this, "cmdClose", 29607)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_tlvTemplates, *program.messages, GetText(kCaption))), m_popup(this)
{
    setObjectName(QStringLiteral("frmOpTemplateList"));
    setWindowTitle(GetText(kCaption));
    m_tlvTemplates->setObjectName(QStringLiteral("tlvTemplates"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdAdd, m_cmdRemove, m_cmdProperties, m_cmdPrint})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tlvTemplates, 1);
    layout->addLayout(buttons);
    resize(560, 380);

    m_tlvTemplates->GridComputerName(m_program.ComputerName);
    m_tlvTemplates->GridOption(true);
    m_tlvTemplates->BindTable(TableId::TemplateView);
    m_tlvTemplates->SetCaptions(GetText(29601) + QLatin1Char(',') + GetText(29602));
    m_tlvTemplates->SetColumns(kColumns);
    m_tlvTemplates->SetListText(GetText(kCaption));
    RestoreGridLayout(m_program.registry, m_tlvTemplates, kColumnKey);

    connect(m_tlvTemplates->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmOpTemplateList::updateButtons);
    connect(m_tlvTemplates, &QAbstractItemView::activated, this, &frmOpTemplateList::cmdProperties_Click);
    m_tlvTemplates->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tlvTemplates, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { ShowListMenu(m_tlvTemplates->viewport()->mapToGlobal(pos)); });
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmOpTemplateList::cmdAdd_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &frmOpTemplateList::cmdRemove_Click);
    connect(m_cmdProperties, &QPushButton::clicked, this, &frmOpTemplateList::cmdProperties_Click);
    connect(m_cmdPrint, &QPushButton::clicked, this,
            [this] { ShowListMenu(m_cmdPrint->mapToGlobal(QPoint(0, m_cmdPrint->height())), true); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });

    m_session.notify.SubscribeOperatorTemplates(this, Notify::handleOf(this));
    m_tlvTemplates->RunQuery(QString(), Field::operatorTemplateName);
    m_rows = m_tlvTemplates->RowTotal();
    updateButtons();
}

frmOpTemplateList::~frmOpTemplateList()
{
    m_session.notify.UnsubscribeOperatorTemplates(Notify::handleOf(this));
    SaveGridLayout(m_program.registry, m_tlvTemplates, kColumnKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(kWindowNumber);
}

int frmOpTemplateList::HelpContextID() const
{
    return kHelpContext;
}

bool frmOpTemplateList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::TemplateView, this);
}

void frmOpTemplateList::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmOpTemplateList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::TemplateView, Authority::Read)) {
        UnloadWindow(this);
        return;
    }
    updateButtons();
}

void frmOpTemplateList::RefreshTableList()
{
    m_tlvTemplates->ReloadGrid();
    m_rows = m_tlvTemplates->RowTotal();
    updateButtons();
}

void frmOpTemplateList::Add(int32_t)
{
    RefreshTableList();
}

void frmOpTemplateList::Update(int32_t)
{
    RefreshTableList();
}

void frmOpTemplateList::Remove(int32_t)
{
    RefreshTableList();
}

void frmOpTemplateList::Refresh()
{
    RefreshTableList();
}

void frmOpTemplateList::updateButtons()
{
    const Authority &rights = m_session.authority;
    const bool rows = m_rows > 0;
    m_cmdAdd->setEnabled(rights.HasRight(TableId::OperatorTemplates, Authority::Write));
    m_cmdRemove->setEnabled(rows && rights.HasRight(TableId::OperatorTemplates, Authority::Delete));
    m_cmdProperties->setEnabled(rows);
    m_cmdPrint->setEnabled(rows);
}

qint32 frmOpTemplateList::selectedTemplateID() const
{
    if (!m_tlvTemplates->selectionModel() || !m_tlvTemplates->selectionModel()->hasSelection())
        return 0;
    return m_tlvTemplates->SelectedValue(Field::operatorTemplateID).toInt();
}

void frmOpTemplateList::cmdAdd_Click()
{
    if (m_cmdAdd->isEnabled())
        OpenChild(m_frameWindows.frameHost, WindowKinds::OpTemplateData,
                  [](OpTemplateDataWindow &w) { w.NewRecord(); });
}

void frmOpTemplateList::cmdProperties_Click()
{
    const qint32 templateID = selectedTemplateID();
    if (!m_cmdProperties->isEnabled() || templateID <= 0)
        return;
    OpenChild(m_frameWindows.frameHost, WindowKinds::OpTemplateData,
              [templateID](OpTemplateDataWindow &w) { w.setOperatorTemplateID(templateID); });
}

void frmOpTemplateList::cmdRemove_Click()
{
    const qint32 templateID = selectedTemplateID();
    if (!m_cmdRemove->isEnabled() || templateID <= 0)
        return;
    const QString name = m_tlvTemplates->SelectedValue(Field::operatorTemplateName).toString();
    qint32 ownTemplate = 0;
    if (const OpTemplateResult read = m_store.operatorTemplate(m_session.logon.CurrentOperatorID, ownTemplate);
        !read.ok()) {
        m_program.messages->errorWithCode(read.errorCode, read.errorText, this);
        return;
    }
    // The reference template decides how denied commands show; it stays.
    const int16_t refusal =
        templateID == kReferenceTemplate ? kNotAllowed : TemplateChangeRefusal(ownTemplate, templateID);
    if (refusal != 0) {
        m_program.messages->error(refusal, {}, {}, this);
        return;
    }
    int operators = 0;
    if (const OpTemplateResult read = m_store.countOperators(templateID, operators); !read.ok()) {
        m_program.messages->errorWithCode(read.errorCode, read.errorText, this);
        return;
    }
    if (operators > 0) {
        m_program.messages->error(kAssigned, {name}, {}, this);
        return;
    }
    MessageRequest question;
    question.textNumber = kRemoveQuestion;
    question.arguments = {name};
    question.style = MessageStyle::Question;
    question.buttons = MessageButtons::YesNo;
    question.buttonNumbers = {kButtonsYesNo};
    if (m_program.messages->show(question, this) != 0)
        return;
    if (const OpTemplateResult removed = m_store.remove(templateID); !removed.ok()) {
        m_program.messages->errorWithCode(removed.errorCode, removed.errorText, this);
        return;
    }
    m_session.notify.NotifyOperatorTemplateRemoved(templateID);
}

void frmOpTemplateList::ShowListMenu(const QPoint &globalPos, bool printOnly)
{
    const bool selected = selectedTemplateID() > 0;
    m_popup.Clear();
    m_popup.CreateRoot(QStringLiteral("HIDDEN"), kMenuRoot);
    if (!printOnly) {
        m_popup.AddItem(kMenuRoot, kMenuAdd, m_cmdAdd->text(), m_cmdAdd->isEnabled());
        m_popup.AddItem(kMenuRoot, kMenuRemove, m_cmdRemove->text(), m_cmdRemove->isEnabled() && selected);
        m_popup.AddItem(kMenuRoot, kMenuProperties, m_cmdProperties->text(), m_cmdProperties->isEnabled() && selected);
        m_popup.AddItem(kMenuRoot, QStringLiteral("O1"), QStringLiteral("-"));
    }
    m_printMenu->AddItems(m_popup, kMenuRoot);
    runMenuKey(m_popup.Show(kMenuRoot, globalPos));
}

void frmOpTemplateList::runMenuKey(const QString &key)
{
    if (key.isEmpty() || m_printMenu->Run(key))
        return;
    if (key == kMenuAdd)
        cmdAdd_Click();
    else if (key == kMenuRemove)
        cmdRemove_Click();
    else if (key == kMenuProperties)
        cmdProperties_Click();
}

void frmOpTemplateList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
