#include "admin/frmOperatorData.h"

#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Authority.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int kWindowNumber = 17;
constexpr int16_t kCaption = 29056;
constexpr int32_t kLoadErrorCode = 4627;

qint32 rwed(const Authority &rights, qint32 tableId)
{
    qint32 bits = 0;
    for (qint32 bit : {Authority::Read, Authority::Write, Authority::Edit, Authority::Delete})
        bits |= rights.HasRight(tableId, bit) ? bit : 0;
    return bits;
}

QLabel *fieldLabel(QWidget *parent, const char *name, int16_t text)
{
    auto *label = new QLabel(GetText(text), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

frmOperatorData::frmOperatorData(ProgramServices &program, DatabaseServices &db, Session &session,
                                 FrameWindows &frameWindows, QWidget *parent)
    : MasterDataDialog("frmOperatorData", kWindowNumber, TableId::Operators, program, session, parent), m_db(db),
      m_frameWindows(frameWindows), m_store(*db.database), m_txtUser(new QLineEdit(this)),
      m_cmdChoose(CommandButton(this, "cmdChoose", 29058)), m_cboOpTemplate(new QComboBox(this)),
      m_txtPassword(new QLineEdit(this)), m_txtRepeatPassword(new QLineEdit(this)), m_dtpExpires(new QDateEdit(this)),
      m_chkNoExpiry(new QCheckBox(GetText(29063), this))
{
    m_txtUser->setObjectName(QStringLiteral("txtUser"));
    m_txtUser->setReadOnly(true);
    m_cboOpTemplate->setObjectName(QStringLiteral("cboOpTemplate"));
    for (QLineEdit *box : {m_txtPassword, m_txtRepeatPassword}) {
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(64);
    }
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtRepeatPassword->setObjectName(QStringLiteral("txtRepeatPassword"));
    m_dtpExpires->setObjectName(QStringLiteral("dtpExpires"));
    m_dtpExpires->setCalendarPopup(true);
    m_chkNoExpiry->setObjectName(QStringLiteral("chkNoExpiry"));

    auto *user = new QWidget(this);
    auto *userRow = new QHBoxLayout(user);
    userRow->setContentsMargins(0, 0, 0, 0);
    m_txtUser->setParent(user);
    m_cmdChoose->setParent(user);
    userRow->addWidget(m_txtUser, 1);
    userRow->addWidget(m_cmdChoose);
    auto *expiry = new QWidget(this);
    auto *expiryRow = new QHBoxLayout(expiry);
    expiryRow->setContentsMargins(0, 0, 0, 0);
    m_dtpExpires->setParent(expiry);
    m_chkNoExpiry->setParent(expiry);
    expiryRow->addWidget(m_dtpExpires);
    expiryRow->addWidget(m_chkNoExpiry);
    expiryRow->addStretch(1);
    addField(fieldLabel(this, "lblUser", 29057), user);
    addField(fieldLabel(this, "lblOpTemplate", 29059), m_cboOpTemplate);
    addField(fieldLabel(this, "lblPassword", 29060), m_txtPassword);
    addField(fieldLabel(this, "lblRepeatPassword", 29061), m_txtRepeatPassword);
    addField(fieldLabel(this, "lblExpires", 29062), expiry);
    resize(480, 340);

    const auto changed = [this] {
        if (!m_loading)
            setChanged(true);
    };
    for (QLineEdit *box : {m_txtPassword, m_txtRepeatPassword})
        connect(box, &QLineEdit::textChanged, this, changed);
    connect(m_cboOpTemplate, &QComboBox::currentIndexChanged, this, changed);
    connect(m_dtpExpires, &QDateEdit::dateChanged, this, changed);
    connect(m_chkNoExpiry, &QCheckBox::toggled, this, [this, changed] {
        m_dtpExpires->setEnabled(!m_chkNoExpiry->isChecked());
        changed();
    });
    connect(m_cmdChoose, &QPushButton::clicked, this, &frmOperatorData::chooseUser);
    m_session.notify.SubscribeOperators(this, Notify::handleOf(this));
    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    setOperatorUserID(0);
}

frmOperatorData::~frmOperatorData()
{
    m_session.notify.UnsubscribeOperators(Notify::handleOf(this));
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
}

void frmOperatorData::fillTemplates()
{
    QList<std::pair<qint32, QString>> templates;
    if (const RecordResult read = m_store.templates(templates); !read.ok())
        showOutcome(SaveOutcome::failed(kLoadErrorCode, read));
    m_cboOpTemplate->clear();
    for (const auto &[id, name] : templates)
        m_cboOpTemplate->addItem(name, id);
}

void frmOperatorData::setOperatorUserID(qint32 userID)
{
    OperatorStore::Operator op;
    op.expireTime = NoExpiry;
    if (userID != 0) {
        if (const RecordResult loaded = m_store.load(userID, op); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(kLoadErrorCode, loaded));
            op = {};
            op.expireTime = NoExpiry;
        }
    }
    m_loading = true;
    m_op = op;
    m_stored = m_op.userID != 0;
    m_txtUser->setText(m_op.userName);
    m_cmdChoose->setEnabled(!m_stored); // the user is the key
    fillTemplates();
    m_cboOpTemplate->setCurrentIndex(m_cboOpTemplate->findData(m_op.operatorTemplateID));
    m_txtPassword->clear();
    m_txtRepeatPassword->clear();
    m_txtPassword->setPlaceholderText(m_op.hasPassword ? GetText(29065) : QString());
    const bool never = m_op.expireTime >= NoExpiry;
    m_chkNoExpiry->setChecked(never);
    m_dtpExpires->setEnabled(!never);
    m_dtpExpires->setDate(never ? OleDate::toDate(m_store.now()).addYears(1) : OleDate::toDate(m_op.expireTime));
    setDescription(m_op.note);
    m_loading = false;
    setWindowTitle(m_stored ? GetText(kCaption) + QStringLiteral(" - ") + m_op.userName : GetText(kCaption));
    setStored(m_stored);
    setChanged(false);
    showPasswordRight();
    (m_stored ? static_cast<QWidget *>(m_cboOpTemplate) : m_cmdChoose)->setFocus();
}

void frmOperatorData::showPasswordRight()
{
    const Authority &rights = m_session.authority;
    const bool may =
        OperatorRightsOf(rwed(rights, TableId::Operators), rwed(rights, TableId::Passwords), m_stored, m_op.hasPassword)
            .password;
    m_txtPassword->setEnabled(may);
    m_txtRepeatPassword->setEnabled(may);
}

void frmOperatorData::Activate()
{
    activate();
    EvaluateAuthority();
}

void frmOperatorData::EvaluateAuthority()
{
    if (checkAuthority())
        showPasswordRight();
}

void frmOperatorData::chooseUser()
{
    QPointer<frmOperatorData> self(this);
    ChoiceRequest request;
    request.caller = this;
    request.autoClose = true;
    request.handBack = [self](qint32 chosen) {
        if (self)
            self->userChosen(chosen);
    };
    OpenChild(m_frameWindows.frameHost, WindowKinds::UserList,
              [&request](UserListWindow &list) { list.setChoiceRequest(request); });
}

void frmOperatorData::userChosen(qint32 userID)
{
    if (m_stored)
        return;
    QString name;
    if (const RecordResult read = m_store.userName(userID, name); !read.ok()) {
        showOutcome(SaveOutcome::failed(kLoadErrorCode, read));
        return;
    }
    m_op.userID = userID;
    m_txtUser->setText(name);
    setChanged(true);
    m_cboOpTemplate->setFocus();
}

void frmOperatorData::Update(int32_t userID)
{
    if (m_stored && userID == m_op.userID && !isChanged())
        setOperatorUserID(userID);
}

void frmOperatorData::Remove(int32_t userID)
{
    if (m_stored && userID == m_op.userID)
        UnloadWindow(this);
}

void frmOperatorData::focusField(SaveOutcome::Focus)
{
    using F = OperatorSave::Field;
    switch (m_failedField) {
    case F::User:
        m_cmdChoose->setFocus();
        break;
    case F::Template:
        m_cboOpTemplate->setFocus();
        break;
    case F::Expiry:
        m_dtpExpires->setFocus();
        break;
    case F::Password:
        m_txtPassword->clear();
        m_txtRepeatPassword->clear();
        m_txtPassword->setFocus();
        break;
    case F::None:
        break;
    }
}

void frmOperatorData::save(bool stored)
{
    OperatorStore::Operator op = m_op;
    op.operatorTemplateID = m_cboOpTemplate->currentData().toInt();
    op.expireTime = m_chkNoExpiry->isChecked() ? NoExpiry : OleDate::endOfDay(OleDate::fromDate(m_dtpExpires->date()));
    op.note = description();
    // Without the password right the boxes are disabled and stay empty: the stored password stays.
    const PasswordRules rules = PasswordRulesOf(m_db.SystemParams->PINMinLength(), m_db.SystemParams->PINMandatory());
    const OperatorSave saved =
        SaveOperator(m_store, op, stored, m_txtPassword->text(), m_txtRepeatPassword->text(), rules, m_store.now());
    m_failedField = saved.field;
    if (!showOutcome(saved.outcome))
        return;
    setOperatorUserID(op.userID);
    if (stored)
        m_session.notify.NotifyOperatorUpdated(op.userID);
    else
        m_session.notify.NotifyOperatorAdded(op.userID);
}

void frmOperatorData::saveRecord()
{
    save(false);
}

void frmOperatorData::updateRecord()
{
    save(true);
}
