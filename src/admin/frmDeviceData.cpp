#include "admin/frmDeviceData.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

constexpr int kWindowNumber = 39;
constexpr int16_t kCaption = 29210;
constexpr int16_t kFolderLabel = 29217;
constexpr int16_t kHostPortLabel = 29218;
constexpr int32_t kLoadErrorCode = 4979;
const QString kWindowKey = QStringLiteral("dlgDeviceData");

QLabel *label(QWidget *parent, const char *name, int16_t text)
{
    auto *l = new QLabel(GetText(text), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

template <class W> W *control(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

frmDeviceData::frmDeviceData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : MasterDataDialog("frmDeviceData", kWindowNumber, TableId::Devices, program, session, parent),
      m_store(*db.database), m_txtName(control<QLineEdit>(this, "txtName")),
      m_cboType(control<QComboBox>(this, "cboType")), m_cboComputer(control<QComboBox>(this, "cboComputer")),
      m_lblPort(label(this, "lblPort", kFolderLabel)), m_txtPort(control<QLineEdit>(this, "txtPort")),
      m_cboConnection(control<QComboBox>(this, "cboConnection")), m_txtAddress(control<QLineEdit>(this, "txtAddress"))
{
    m_cboType->addItem(GetText(29213), DeviceType::Encoder);
    m_cboType->addItem(GetText(29214), DeviceType::Handheld);
    m_cboType->addItem(GetText(29215), DeviceType::PmsInterface);
    m_cboComputer->setEditable(true);
    m_cboComputer->addItems({QStringLiteral("$LOCAL"), QStringLiteral("$SERVER")});
    m_cboConnection->addItem(GetText(29221), PmsConnection::Listen);
    m_cboConnection->addItem(GetText(29222), PmsConnection::Connect);
    m_txtAddress->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_txtAddress));
    addField(label(this, "lblName", 29211), m_txtName);
    addField(label(this, "lblType", 29212), m_cboType);
    addField(label(this, "lblComputer", 29216), m_cboComputer);
    addField(m_lblPort, m_txtPort);
    addField(label(this, "lblConnection", 29220), m_cboConnection);
    addField(label(this, "lblAddress", 29219), m_txtAddress);
    for (QComboBox *list : {m_cboType, m_cboComputer, m_cboConnection}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(20);
    }
    RestoreWindowPlacement(program.registry, this, kWindowKey, 6900, 5100);

    const auto changed = [this] { setChanged(true); };
    connect(m_txtName, &QLineEdit::textChanged, this, changed);
    connect(m_txtPort, &QLineEdit::textChanged, this, changed);
    connect(m_txtAddress, &QLineEdit::textChanged, this, changed);
    connect(m_cboComputer, &QComboBox::editTextChanged, this, changed);
    connect(m_cboConnection, &QComboBox::currentIndexChanged, this, changed);
    connect(m_cboType, &QComboBox::currentIndexChanged, this, [this] {
        showType();
        setChanged(true);
    });
    // The base made its buttons and description first; the fields come before them.
    const QList<QWidget *> order{m_txtName,
                                 m_cboType,
                                 m_cboComputer,
                                 m_txtPort,
                                 m_cboConnection,
                                 m_txtAddress,
                                 findChild<QWidget *>(QStringLiteral("txtDescription")),
                                 m_cmdSave,
                                 m_cmdUpdate,
                                 m_cmdClose};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_session.notify.SubscribeDevices(this, Notify::handleOf(this));
    setDeviceID(0);
}

frmDeviceData::~frmDeviceData()
{
    m_session.notify.UnsubscribeDevices(Notify::handleOf(this));
}

void frmDeviceData::setDeviceID(qint32 deviceID)
{
    DeviceEntry entry;
    if (deviceID != 0) {
        if (const RecordResult loaded = m_store.load(deviceID, entry); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(kLoadErrorCode, loaded));
            entry = {};
        }
    }
    m_deviceID = entry.deviceID;
    m_noteID = entry.noteID;
    m_txtName->setText(entry.name);
    const int type = m_cboType->findData(entry.deviceType);
    m_cboType->setCurrentIndex(type < 0 ? 0 : type);
    m_cboComputer->setEditText(entry.computerName);
    m_txtPort->setText(entry.portName);
    m_cboConnection->setCurrentIndex(entry.componentType == PmsConnection::Connect ? 1 : 0);
    m_txtAddress->setText(entry.address);
    // The key was made from the address: a stored device keeps it.
    m_txtAddress->setReadOnly(m_deviceID != 0);
    setDescription(entry.note);
    showType();
    setWindowTitle(m_deviceID == 0 ? GetText(kCaption) : GetText(kCaption) + QStringLiteral(" - ") + entry.name);
    setStored(m_deviceID != 0);
    setChanged(false);
    m_txtName->setFocus();
}

void frmDeviceData::showType()
{
    const bool pms = m_cboType->currentData().toInt() == DeviceType::PmsInterface;
    m_lblPort->setText(GetText(pms ? kHostPortLabel : kFolderLabel));
    m_cboConnection->setEnabled(pms);
}

void frmDeviceData::closeEvent(QCloseEvent *event)
{
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
    MasterDataDialog::closeEvent(event);
}

void frmDeviceData::Activate()
{
    activate();
    // The frame shows the dialog after it was filled: the name takes the focus then.
    if (!isChanged())
        m_txtName->setFocus();
    checkAuthority();
}

void frmDeviceData::Update(int32_t deviceID)
{
    // Changed elsewhere: show the stored state unless the operator is editing it here.
    if (deviceID == m_deviceID && m_deviceID != 0 && !isChanged())
        setDeviceID(deviceID);
}

void frmDeviceData::Remove(int32_t deviceID)
{
    if (deviceID == m_deviceID && m_deviceID != 0)
        UnloadWindow(this);
}

DeviceEntry frmDeviceData::typed() const
{
    DeviceEntry entry;
    entry.deviceID = m_deviceID;
    entry.name = m_txtName->text().trimmed();
    entry.deviceType = m_cboType->currentData().toInt();
    entry.computerName = m_cboComputer->currentText().trimmed();
    entry.portName = m_txtPort->text();
    entry.address = m_txtAddress->text().trimmed();
    entry.componentType = m_cboConnection->currentData().toInt();
    entry.noteID = m_noteID;
    entry.note = description();
    return entry;
}

void frmDeviceData::focusField(SaveOutcome::Focus focus)
{
    if (focus == SaveOutcome::Focus::Name)
        m_txtName->setFocus();
    else if (focus == SaveOutcome::Focus::Code)
        m_txtPort->setFocus();
    else if (focus == SaveOutcome::Focus::Number)
        m_txtAddress->setFocus();
}

void frmDeviceData::saveRecord()
{
    DeviceEntry entry = typed();
    if (!showOutcome(SaveNewDevice(m_store, entry)))
        return;
    m_session.notify.NotifyDeviceAdded(entry.deviceID);
    setDeviceID(entry.deviceID);
}

void frmDeviceData::updateRecord()
{
    DeviceEntry entry = typed();
    if (!showOutcome(UpdateDevice(m_store, entry)))
        return;
    setChanged(false); // the own Update below reloads the stored state
    m_session.notify.NotifyDeviceUpdated(entry.deviceID);
}
