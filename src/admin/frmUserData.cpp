#include "admin/frmUserData.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 14;
constexpr int kHelpContext = 1202;
constexpr int16_t kCaption = 27100;
constexpr int16_t kRequired = -31221;
constexpr int16_t kIdentifierInUse = -31180;
constexpr int16_t kIdentifierOfRemovedUser = -31165;
constexpr int16_t kReuseRemovedUser = 17003;
constexpr int16_t kButtonsYesNo = 17001;
constexpr int16_t kRecordGone = -31227;
constexpr int32_t kInsertErrorCode = 4385;
constexpr int32_t kUpdateErrorCode = 4386;
constexpr int kFreeFieldCount = 4;

struct InputDef
{
    const char *label;
    const char *input;
    int16_t caption; // 0: a free field, captioned by the system parameters
};

const InputDef kInputs[UserFieldCount] = {
    {"lblAlphaID", "txtAlphaID", 27101}, {"lblSurname", "txtSurname", 27102}, {"lblFirstname", "txtFirstname", 27103},
    {"lblAddress1", "txtAddress1", 0},   {"lblAddress2", "txtAddress2", 0},   {"lblZipcode", "txtZipcode", 0},
    {"lblCity", "txtCity", 0},
};

} // namespace

frmUserData::frmUserData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_store(*db.database),
      m_cmdSave(CommandButton(this, "cmdSave", 27104)), m_cmdUpdate(CommandButton(this, "cmdUpdate", 27105)),
      m_cmdClose(CommandButton(this, "cmdClose", 27011))
{
    setObjectName(QStringLiteral("frmUserData"));
    buildControls();
    connect(m_cmdSave, &QPushButton::clicked, this, &frmUserData::cmdSave_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &frmUserData::cmdUpdate_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    setUserID(0);
}

frmUserData::~frmUserData()
{
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmUserData::buildControls()
{
    auto *fields = new QGridLayout;
    for (int i = 0; i < InputCount; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QLatin1String(kInputs[i].label));
        m_inputs[i] = new QLineEdit(this);
        m_inputs[i]->setObjectName(QLatin1String(kInputs[i].input));
        m_inputs[i]->setMinimumWidth(260);
        m_labels[i]->setBuddy(m_inputs[i]);
        if (kInputs[i].caption != 0)
            m_labels[i]->setText(GetText(kInputs[i].caption));
        fields->addWidget(m_labels[i], i, 0);
        fields->addWidget(m_inputs[i], i, 1);
        if (i > 0)
            setTabOrder(m_inputs[i - 1], m_inputs[i]);
    }
    UpdateFieldNames();
    setTabOrder(m_inputs[City], m_cmdSave);
    setTabOrder(m_cmdSave, m_cmdUpdate);
    setTabOrder(m_cmdUpdate, m_cmdClose);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdUpdate);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void frmUserData::UpdateFieldNames()
{
    for (int index = 0; index < kFreeFieldCount; ++index) {
        const QString name = m_db.SystemParams ? m_db.SystemParams->NotDefined(index) : GetText(16120);
        m_labels[Address1 + index]->setText(name + QLatin1Char(':'));
    }
}

void frmUserData::setUserID(qint32 userID)
{
    if (userID != 0 && !load(userID))
        userID = 0;
    m_userID = userID;
    if (userID == 0) {
        for (QLineEdit *input : m_inputs)
            input->clear();
        m_storedAlphaID.clear();
    }
    m_cmdSave->setEnabled(m_session.authority.HasRight(TableId::Users, Authority::Write));
    m_cmdUpdate->setEnabled(m_session.authority.HasRight(TableId::Users, Authority::Edit));
    showMode();
    m_inputs[AlphaID]->setFocus();
}

bool frmUserData::load(qint32 userID)
{
    UserValues stored;
    if (const UserStoreResult loaded = m_store.load(userID, stored); !loaded.ok()) {
        showStoreError(kUpdateErrorCode, loaded);
        return false;
    }
    for (int i = 0; i < InputCount; ++i)
        m_inputs[i]->setText(stored[i]);
    m_storedAlphaID = m_inputs[AlphaID]->text();
    return true;
}

void frmUserData::showMode()
{
    const bool isNew = m_userID == 0;
    m_cmdSave->setVisible(isNew);
    m_cmdUpdate->setVisible(!isNew);
    QString title = GetText(kCaption);
    if (!isNew)
        title += QStringLiteral(" - ") + m_storedAlphaID;
    setWindowTitle(title);
}

void frmUserData::setChoiceRequest(const ChoiceRequest &request)
{
    m_caller = request.caller;
    m_handBack = request.caller ? request.handBack : nullptr;
}

int frmUserData::HelpContextID() const
{
    return kHelpContext;
}

bool frmUserData::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Users, this);
}

void frmUserData::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmUserData::EvaluateAuthority()
{
    const Authority &rights = m_session.authority;
    const bool write = rights.HasRight(TableId::Users, Authority::Write);
    if (!rights.HasRight(TableId::Users, Authority::Read) || (m_userID == 0 && !write)) {
        UnloadWindow(this);
        return;
    }
    // Only ever turned off here; the mode decides when they come on.
    m_cmdSave->setEnabled(m_cmdSave->isEnabled() && write);
    m_cmdUpdate->setEnabled(m_cmdUpdate->isEnabled() && rights.HasRight(TableId::Users, Authority::Edit));
}

void frmUserData::Add(int32_t, int16_t) {}

void frmUserData::Update(int32_t userID)
{
    if (userID == m_userID && userID != 0 && load(userID))
        showMode();
}

void frmUserData::Remove(int32_t userID)
{
    if (userID == m_userID && userID != 0)
        UnloadWindow(this);
}

void frmUserData::Refresh() {}

QString frmUserData::value(Input input) const
{
    return m_inputs[input]->text().trimmed();
}

UserValues frmUserData::values() const
{
    UserValues values;
    for (int i = 0; i < InputCount; ++i)
        values[i] = value(Input(i));
    return values;
}

void frmUserData::focusInput(Input input)
{
    m_inputs[input]->setFocus();
    m_inputs[input]->selectAll();
}

bool frmUserData::checkRequired()
{
    for (Input input : {AlphaID, Surname, Firstname}) {
        if (value(input).isEmpty()) {
            m_program.messages->error(kRequired, {}, {}, this);
            focusInput(input);
            return false;
        }
    }
    return true;
}

void frmUserData::showStoreError(int32_t code, const UserStoreResult &failure)
{
    if (failure.status == RecordStatus::NoRecord)
        m_program.messages->error(kRecordGone, {}, {}, this);
    else
        m_program.messages->errorWithCode(code, failure.errorText, this);
}

void frmUserData::cmdSave_Click()
{
    if (m_userID != 0 || !m_cmdSave->isEnabled() || !checkRequired())
        return;
    if (!m_session.authority.EnsureLogonShared(true))
        return;
    IdentifierOwner owner;
    if (const UserStoreResult found = m_store.findIdentifierOwner(value(AlphaID), 0, owner); !found.ok()) {
        showStoreError(kInsertErrorCode, found);
        return;
    }
    if (owner.userID == 0) {
        insertUser();
        return;
    }
    if (!owner.removed) {
        m_program.messages->error(kIdentifierInUse, {}, {}, this);
        focusInput(AlphaID);
        return;
    }
    MessageRequest question;
    question.textNumber = kReuseRemovedUser;
    question.arguments = {owner.alphaID, owner.surname, owner.firstname};
    question.style = MessageStyle::Question;
    question.buttons = MessageButtons::YesNo;
    question.buttonNumbers = {kButtonsYesNo};
    if (m_program.messages->show(question, this) != 0) {
        focusInput(AlphaID);
        return;
    }
    reuseUser(owner.userID);
}

void frmUserData::insertUser()
{
    qint32 userID = 0;
    if (const UserStoreResult inserted = m_store.insert(values(), userID); !inserted.ok()) {
        showStoreError(kInsertErrorCode, inserted);
        return;
    }
    m_userID = userID;
    m_storedAlphaID = value(AlphaID);
    showMode();
    m_session.notify.NotifyUserAdded(userID, 0);
    if (QPointer<QWidget> caller = m_caller) {
        const auto handBack = m_handBack;
        setChoiceRequest({});
        if (handBack)
            handBack(userID);
        BringWindowForward(caller);
        UnloadWindow(this);
    }
}

void frmUserData::reuseUser(qint32 userID)
{
    if (const UserStoreResult restored = m_store.setRemoved(userID, false); !restored.ok()) {
        showStoreError(kUpdateErrorCode, restored);
        return;
    }
    setUserID(userID);
    // Back in the register: the lists show the user again.
    m_session.notify.NotifyUserAdded(userID, 0);
}

void frmUserData::cmdUpdate_Click()
{
    if (m_userID == 0 || !m_cmdUpdate->isEnabled() || !checkRequired())
        return;
    // Changing only the case keeps the identifier; the user's own row is no conflict.
    if (value(AlphaID).compare(m_storedAlphaID, Qt::CaseInsensitive) != 0) {
        IdentifierOwner owner;
        if (const UserStoreResult found = m_store.findIdentifierOwner(value(AlphaID), m_userID, owner); !found.ok()) {
            showStoreError(kUpdateErrorCode, found);
            return;
        }
        if (owner.userID != 0) {
            if (owner.removed)
                m_program.messages->error(kIdentifierOfRemovedUser, {owner.alphaID, owner.surname, owner.firstname}, {},
                                          this);
            else
                m_program.messages->error(kIdentifierInUse, {}, {}, this);
            focusInput(AlphaID);
            return;
        }
    }
    if (!m_session.authority.EnsureLogonShared(true))
        return;
    if (const UserStoreResult updated = m_store.update(m_userID, values()); !updated.ok()) {
        showStoreError(kUpdateErrorCode, updated);
        return;
    }
    m_storedAlphaID = value(AlphaID);
    showMode();
    m_session.notify.NotifyUserUpdated(m_userID);
}

void frmUserData::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        UnloadWindow(this);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_userID == 0)
            cmdSave_Click();
        else
            cmdUpdate_Click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
