#include "session/frmLogon.h"

#include "session/Logon.h"
#include "session/Services.h"
#include "ui/FormTexts.h"
#include "ui/Twips.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The password-only mode drops the user-ID row.
constexpr int32_t kUserRowTwips = 360;
} // namespace

frmLogon::frmLogon(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   QWidget *parent)
    : QDialog(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_fraLogon(new QGroupBox(QStringLiteral("26101"), this)),
      m_lblID(new QLabel(QStringLiteral("26102"), m_fraLogon)),
      m_lblPassword(new QLabel(QStringLiteral("26103"), m_fraLogon)), m_txtUserID(new QLineEdit(m_fraLogon)),
      m_txtPassword(new QLineEdit(m_fraLogon)), m_cmdOK(new QPushButton(QStringLiteral("17000"), this)),
      m_cmdCancel(new QPushButton(QStringLiteral("16118"), this))
{
    setObjectName(QStringLiteral("frmLogon"));
    setWindowTitle(QStringLiteral("26100"));
    setModal(true);
    m_fraLogon->setObjectName(QStringLiteral("fraLogon"));
    m_lblID->setObjectName(QStringLiteral("lblID"));
    m_lblPassword->setObjectName(QStringLiteral("lblPassword"));
    m_txtUserID->setObjectName(QStringLiteral("txtUserID"));
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_lblID->setBuddy(m_txtUserID);
    m_lblPassword->setBuddy(m_txtPassword);

    auto *form = new QFormLayout(m_fraLogon);
    form->addRow(m_lblID, m_txtUserID);
    form->addRow(m_lblPassword, m_txtPassword);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraLogon);
    layout->addLayout(buttons);

    m_cmdOK->setDefault(true);
    m_cmdOK->setAutoDefault(true);
    m_cmdCancel->setAutoDefault(false);
    setTabOrder(m_txtUserID, m_txtPassword);
    setTabOrder(m_txtPassword, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmLogon::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmLogon::reject);

    ApplyFormTexts(this, m_program.texts);
    if (m_program.LocalParams.RememberUserID())
        m_txtUserID->setText(m_session.logon.lastUserID);
    adjustSize();
    m_fullHeight = height();
    setFixedSize(size());
}

void frmLogon::setLogonMode(int mode)
{
    m_mode = mode == 1 ? 1 : 0;
    const bool withUser = m_mode == 0;
    m_lblID->setVisible(withUser);
    m_txtUserID->setVisible(withUser);
    m_lblID->setEnabled(withUser);
    m_txtUserID->setEnabled(withUser);
    const int shorter = withUser ? 0 : twipsToPixels(kUserRowTwips, twipsPerPixelY(this));
    setFixedHeight(m_fullHeight - shorter);
}

void frmLogon::setPassword(const QString &password)
{
    m_txtPassword->setText(password);
}

void frmLogon::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_mode == 0 && m_txtUserID->text().isEmpty())
        m_txtUserID->setFocus();
    else
        m_txtPassword->setFocus();
}

void frmLogon::accept()
{
    const auto finish = [this] {
        m_success = true;
        QDialog::accept();
    };
    switch (RunLogonCommand(m_program, m_db, m_cardServers, m_session, m_mode, m_txtUserID->text(),
                            m_txtPassword->text(), this, finish)) {
    case LogonOutcome::LoggedOn:
        if (!m_success)
            finish();
        break;
    case LogonOutcome::FocusUserID:
        m_txtUserID->setFocus();
        break;
    case LogonOutcome::FocusPassword:
        m_txtPassword->setFocus();
        m_txtPassword->selectAll();
        break;
    case LogonOutcome::Stay:
        break;
    }
}

void frmLogon::reject()
{
    m_success = false;
    CancelLogon(m_session);
    QDialog::reject();
}

bool RunLogonDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    int mode, QWidget *parent, const QString &passwordPreset)
{
    frmLogon dialog(program, db, cardServers, session, parent);
    dialog.setLogonMode(mode);
    dialog.setPassword(passwordPreset);
    dialog.exec();
    return dialog.Success();
}
