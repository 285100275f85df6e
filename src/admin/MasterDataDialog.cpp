#include "admin/MasterDataDialog.h"

#include "session/Authority.h"
#include "session/Services.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int16_t kCloseCaption = 16103;
constexpr int16_t kCancelCaption = 16118;

} // namespace

MasterDataDialog::MasterDataDialog(const char *objectName, int windowNumber, qint32 tableId, ProgramServices &program,
                                   Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_session(session), m_cmdSave(CommandButton(this, "cmdSave", 27104)),
      m_cmdUpdate(CommandButton(this, "cmdUpdate", 27105)), m_cmdClose(CommandButton(this, "cmdClose", kCloseCaption)),
      m_windowNumber(windowNumber), m_tableId(tableId), m_fields(new QGridLayout),
      m_lblDescription(new QLabel(GetText(29504), this)), m_txtDescription(new QPlainTextEdit(this))
{
    setObjectName(QLatin1String(objectName));
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_txtDescription->setObjectName(QStringLiteral("txtDescription"));
    m_txtDescription->setTabChangesFocus(true);
    m_lblDescription->setBuddy(m_txtDescription);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdUpdate);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_fields);
    layout->addWidget(m_lblDescription);
    layout->addWidget(m_txtDescription, 1);
    layout->addLayout(buttons);
    resize(420, 300);
    connect(m_txtDescription, &QPlainTextEdit::textChanged, this, [this] { setChanged(true); });
    connect(m_cmdSave, &QPushButton::clicked, this, [this] {
        if (m_cmdSave->isEnabled() && !m_stored)
            saveRecord();
    });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] {
        if (m_cmdUpdate->isEnabled() && m_stored)
            updateRecord();
    });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    setStored(false);
}

MasterDataDialog::~MasterDataDialog()
{
    m_session.openDialogs.reset(m_windowNumber);
}

void MasterDataDialog::addField(QLabel *label, QWidget *field)
{
    const int row = m_fields->rowCount();
    label->setBuddy(field);
    m_fields->addWidget(label, row, 0);
    m_fields->addWidget(field, row, 1);
    // The fields are made after the base's controls: Tab goes down the rows, then to the description.
    setTabOrder(field, m_txtDescription);
}

void MasterDataDialog::setStored(bool stored)
{
    m_stored = stored;
    m_cmdSave->setVisible(!stored);
    m_cmdUpdate->setVisible(stored);
    updateButtons();
}

void MasterDataDialog::setChanged(bool changed)
{
    m_changed = changed;
    m_cmdClose->setText(GetText(changed ? kCancelCaption : kCloseCaption));
    updateButtons();
}

void MasterDataDialog::updateButtons()
{
    const Authority &rights = m_session.authority;
    m_cmdSave->setEnabled(m_changed && rights.HasRight(m_tableId, Authority::Write));
    m_cmdUpdate->setEnabled(m_changed && rights.HasRight(m_tableId, Authority::Edit));
}

QString MasterDataDialog::description() const
{
    return m_txtDescription->toPlainText().trimmed();
}

void MasterDataDialog::setDescription(const QString &text)
{
    m_txtDescription->setPlainText(text);
}

bool MasterDataDialog::showOutcome(const SaveOutcome &outcome)
{
    if (outcome.saved)
        return true;
    if (outcome.message != 0)
        m_program.messages->error(outcome.message, outcome.arguments, {}, this);
    else
        m_program.messages->errorWithCode(outcome.errorCode, outcome.errorText, this);
    focusField(outcome.focus);
    return false;
}

bool MasterDataDialog::available()
{
    return m_session.authority.IsTableDialogAvailable(m_tableId, this);
}

void MasterDataDialog::activate()
{
    m_session.openDialogs.set(m_windowNumber);
}

bool MasterDataDialog::checkAuthority()
{
    const Authority &rights = m_session.authority;
    if (!rights.HasRight(m_tableId, Authority::Read) || (!m_stored && !rights.HasRight(m_tableId, Authority::Write))) {
        UnloadWindow(this);
        return false;
    }
    updateButtons();
    return true;
}

void MasterDataDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    // Enter is the default command: Save for a new record, Update for a stored one.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QPushButton *command = m_stored ? m_cmdUpdate : m_cmdSave;
        if (command->isEnabled())
            command->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
