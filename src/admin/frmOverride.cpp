#include "admin/frmOverride.h"

#include "cards/OverrideStore.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "session/Services.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"
#include "ui/frmLog.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 47;
constexpr int16_t kCaption = 29520;
constexpr int16_t kConfirmSave = -32498;
constexpr int16_t kButtonsYesNo = 17001;
constexpr int16_t kNotAllowed = -31143;
constexpr int16_t kDoorNotFound = 25601;
constexpr int16_t kDoorNotUpdated = 25602;
const QString kWindowKey = QStringLiteral("dlgOverride");
constexpr int32_t kDefaultWidth = 5280; // twips
constexpr int32_t kDefaultHeight = 8055;

QString chooseRoomFile(QWidget *parent)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Roomfile.dat (*.dat)"));
    dialog.setDefaultSuffix(QStringLiteral("dat"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                   : QString();
}

} // namespace

frmOverride::frmOverride(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_lvwOverride(new QTreeWidget(this)),
      m_cboOffset(new QComboBox(this)), m_cmdOpen(CommandButton(this, "cmdOpen", 29521)),
      m_cmdSave(CommandButton(this, "cmdSave", 27104)), m_cmdClose(CommandButton(this, "cmdClose", 16103)),
      m_log(std::make_unique<frmLog>(program.registry, LiteralErrorBox(*program.messages, nullptr))),
      m_chooseFile(chooseRoomFile)
{
    setObjectName(QStringLiteral("frmOverride"));
    setWindowTitle(GetText(kCaption));
    m_lvwOverride->setObjectName(QStringLiteral("lvwOverride"));
    m_lvwOverride->setRootIsDecorated(false);
    m_lvwOverride->setHeaderLabels({GetText(25510), GetText(25511), GetText(25512)});
    m_cboOffset->setObjectName(QStringLiteral("cboOffset"));
    for (int offset = 0; offset < kOverrideOffsetCount; ++offset)
        m_cboOffset->addItem(QString::number(offset), offset);
    m_cboOffset->setCurrentIndex(kDefaultOverrideOffset);
    auto *lblOffset = new QLabel(GetText(29522), this);
    lblOffset->setObjectName(QStringLiteral("lblOffset"));
    lblOffset->setBuddy(m_cboOffset);

    // The window is narrow by default: the file and offset above the rows, the commands below.
    auto *source = new QHBoxLayout;
    source->addWidget(m_cmdOpen);
    source->addStretch(1);
    source->addWidget(lblOffset);
    source->addWidget(m_cboOffset);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addWidget(m_lvwOverride, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(program.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);

    connect(m_cmdOpen, &QPushButton::clicked, this, &frmOverride::cmdOpen_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmOverride::cmdSave_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
}

frmOverride::~frmOverride()
{
    m_session.openDialogs.reset(kWindowNumber);
}

void frmOverride::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
}

bool frmOverride::LoadRoomfile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const QByteArray bytes = file.readAll();
    if (size < 1 || bytes.size() != size)
        return false;
    const std::optional<QList<RoomOverride>> rooms = ParseRoomFile(bytes);
    if (!rooms)
        return false;
    m_rows = *rooms;
    m_lvwOverride->clear();
    for (const RoomOverride &room : m_rows)
        new QTreeWidgetItem(m_lvwOverride, {room.door, room.room, QString::number(room.overrideNumber)});
    return true;
}

void frmOverride::cmdOpen_Click()
{
    const QString fileName = m_chooseFile(this);
    if (!fileName.isEmpty())
        LoadRoomfile(fileName);
}

bool frmOverride::operatorMaySave()
{
    Authority &authority = m_session.authority;
    if (!m_db.logonTable || m_db.logonTable->LoggedOff()) {
        // A fresh logon, and the operator starts the save again.
        authority.EnsureLogon(false);
        return false;
    }
    if (!authority.EnsureLogon(true))
        return false;
    qint32 templateID = 0;
    OverrideStore(*m_db.database).operatorTemplate(m_db.logonTable->CurrentOperatorID(), templateID);
    if (!TemplateMaySaveOverrides(templateID)) {
        m_program.messages->error(kNotAllowed, {}, {}, this);
        return false;
    }
    return true;
}

void frmOverride::cmdSave_Click()
{
    if (!m_cmdSave->isEnabled())
        return;
    MessageRequest question = MessageRequest::fromStyle(kConfirmSave, 4 + 32, 0);
    question.buttonNumbers = {kButtonsYesNo};
    if (m_program.messages->show(question, this) != 0 || !operatorMaySave() || m_rows.isEmpty())
        return;
    m_log->Clear();
    SetBusyPointer(true);
    const int offset = m_cboOffset->currentData().toInt();
    OverrideStore store(*m_db.database);
    bool failed = false;
    for (const RoomOverride &row : std::as_const(m_rows)) {
        const OverrideStore::RowOutcome outcome = store.saveRow(row, offset);
        if (outcome == OverrideStore::RowOutcome::Saved)
            continue;
        failed = true;
        const int16_t text = outcome == OverrideStore::RowOutcome::DoorNotFound ? kDoorNotFound : kDoorNotUpdated;
        m_log->AddLog(FormatText(GetText(text), {row.door, row.room}));
    }
    SetBusyPointer(false);
    if (failed)
        m_log->ShowLog();
    else
        m_log->close();
    m_cmdSave->setEnabled(false);
}

void frmOverride::closeEvent(QCloseEvent *event)
{
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_log->close();
    QWidget::closeEvent(event);
}

void frmOverride::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
