#include "cards/CardDialog.h"

#include "cards/GuestRules.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "platform/MessageDialog.h"
#include "session/Services.h"
#include "session/UserCreation.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Track2::CounterPrompt Track2::InputBoxPrompt(QWidget *parent)
{
    return [parent](QChar letter, int32_t storedValue) {
        InputBoxRequest request;
        request.title = GetText(-32763);
        request.message = FormatText(GetText(-32244), {QString(letter)});
        request.allowedCharacters = QStringLiteral("0123456789");
        request.maximumLength = 8;
        request.defaultText = QString::number(storedValue);
        QString answer;
        if (!ShowInputBox(request, answer, parent))
            return QString();
        return answer;
    };
}

bool IsCardDialogAvailable(ProgramServices &program, Session &session, qint32 cardNameID, const QList<qint32> &tables,
                           bool confirm, QWidget *parent)
{
    if (!session.authority.EnsureLogon(confirm))
        return false;
    bool allowed = session.authority.MayIssueCardKind(cardNameID);
    for (qint32 table : tables)
        allowed = allowed && session.authority.HasRight(table, 1);
    if (!allowed)
        program.messages->error(-31143, {}, {}, parent);
    return allowed;
}

CardDialog::CardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                       int windowNumber, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_windowNumber(windowNumber)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

CardDialog::~CardDialog()
{
    if (m_windowNumber >= 0 && m_windowNumber < int(m_session.openDialogs.size()))
        m_session.openDialogs.reset(size_t(m_windowNumber));
}

void CardDialog::Activate()
{
    if (m_windowNumber >= 0 && m_windowNumber < int(m_session.openDialogs.size()))
        m_session.openDialogs.set(size_t(m_windowNumber));
}

void CardDialog::EvaluateAuthority()
{
    if (!m_session.authority.MayIssueCardKind(cardNameID())) {
        unload();
        return;
    }
    applyRoomRules();
}

void CardDialog::unload()
{
    UnloadWindow(this);
}

void CardDialog::EvaluateIssueTo()
{
    if (!m_issueToBox)
        return;
    const bool on = m_db.SystemParams && m_db.SystemParams->IssueTo() != 0;
    for (QWidget *control : {static_cast<QWidget *>(m_issueToLabel), static_cast<QWidget *>(m_issueToBox)}) {
        if (!control)
            continue;
        control->setVisible(on);
        control->setEnabled(on);
    }
    if (!on) {
        m_issueToBox->clear();
        m_surname.clear();
        m_firstname.clear();
    }
}

bool CardDialog::IsDialogAvailable()
{
    return IsCardDialogAvailable(m_program, m_session, cardNameID(), shownTables(), false, this);
}

bool CardDialog::ReadCardImageBag()
{
    if (!m_cardServers.firstCardsIntf)
        return false;
    const CardReadBack card = ReadCardImage(*m_cardServers.firstCardsIntf);
    showCard(card);
    if (m_overrideBox) {
        m_overrideBox->setText(QString::number(card.overrideNumber));
        m_overrideBox->setVisible(true);
    }
    if (m_overrideLabel)
        m_overrideLabel->setVisible(true);
    setInputsLocked(true);
    m_readBack = true;
    if (m_issueCommand)
        m_issueCommand->setVisible(false);
    if (m_editCommand) {
        m_editCommand->setVisible(true);
        m_editCommand->setEnabled(true);
    }
    setWindowTitle(ReadBackCaption(dialogTitle(), card, serverNow()));
    return true;
}

void CardDialog::setInputsLocked(bool locked)
{
    m_locked = locked;
    for (const QPointer<QWidget> &input : std::as_const(m_inputs)) {
        if (!input)
            continue;
        if (auto *box = qobject_cast<QLineEdit *>(input.data()))
            box->setReadOnly(locked);
        else
            input->setEnabled(!locked);
    }
}

void CardDialog::leaveReadBack()
{
    m_readBack = false;
    setInputsLocked(false);
    if (m_issueCommand)
        m_issueCommand->setVisible(true);
    if (m_editCommand)
        m_editCommand->setVisible(false);
    if (m_overrideBox)
        m_overrideBox->setVisible(false);
    if (m_overrideLabel)
        m_overrideLabel->setVisible(false);
    setWindowTitle(dialogTitle());
}

void CardDialog::addInput(QWidget *input)
{
    m_inputs.append(input);
}

void CardDialog::setCommands(QPushButton *issue, QPushButton *edit)
{
    m_issueCommand = issue;
    m_editCommand = edit;
    if (m_editCommand) {
        m_editCommand->setVisible(false);
        connect(m_editCommand, &QPushButton::clicked, this, &CardDialog::cmdEdit_Click);
    }
}

void CardDialog::setOverrideNumberControls(QLabel *label, QLineEdit *box)
{
    m_overrideLabel = label;
    m_overrideBox = box;
    box->setReadOnly(true);
    label->setVisible(false);
    box->setVisible(false);
}

void CardDialog::setIssueToControls(QLabel *label, QLineEdit *box)
{
    m_issueToLabel = label;
    m_issueToBox = box;
}

RecordTable &CardDialog::table()
{
    if (!m_table)
        m_table = std::make_unique<RecordTable>(*m_db.database);
    return *m_table;
}

double CardDialog::serverNow()
{
    return table().ServerNow();
}

void CardDialog::cmdEdit_Click()
{
    leaveReadBack();
}

QHBoxLayout *CardDialog::CommandRow(std::initializer_list<QPushButton *> commands)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *command : commands) {
        command->setMinimumWidth(100);
        row->addWidget(command);
    }
    return row;
}

bool CardDialog::handleCommandKey(QKeyEvent *event, QPushButton *issue, const std::function<void()> &close)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *focused = qobject_cast<QPushButton *>(focusWidget()); focused && focused->isEnabled())
            focused->click();
        else if (issue->isVisible() && issue->isEnabled())
            issue->click();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void CardDialog::fail(int16_t message, QWidget *focus)
{
    m_program.messages->error(message, {}, {}, this);
    if (focus)
        focus->setFocus();
}

bool CardDialog::checkIssueTo(QLineEdit *box)
{
    if (m_db.SystemParams->IssueTo() != 0 && box->text().trimmed().isEmpty()) {
        fail(-31155, box);
        return false;
    }
    if (box->text() != m_parsedIssueTo) {
        const GuestRules::IssueToName name = GuestRules::ParseIssueTo(box->text());
        if (name.error != 0) {
            fail(name.error, box);
            return false;
        }
        m_surname = name.surname;
        m_firstname = name.firstname;
        box->setText(name.boxText());
        m_parsedIssueTo = box->text();
        m_issueUser = 0;
    }
    return true;
}

qint32 CardDialog::issueToUser(QLineEdit *box)
{
    if (box->text().trimmed().isEmpty())
        return 1;
    if (m_issueUser == 0)
        m_issueUser = CreateUserFromName(m_program, m_db, m_session, m_surname, m_firstname, this);
    return m_issueUser;
}
