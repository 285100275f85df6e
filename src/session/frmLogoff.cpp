#include "session/frmLogoff.h"

#include "session/Logon.h"
#include "session/Services.h"
#include "ui/FormTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmLogoff::frmLogoff(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QDialog(parent), m_program(program), m_db(db), m_session(session), m_lstOperators(new QListWidget(this)),
      m_cmdLogOff(new QPushButton(QStringLiteral("26111"), this)),
      m_cmdCancel(new QPushButton(QStringLiteral("16118"), this))
{
    setObjectName(QStringLiteral("frmLogoff"));
    setWindowTitle(QStringLiteral("26110"));
    setModal(true);
    auto *lblOperators = new QLabel(QStringLiteral("26112"), this);
    lblOperators->setObjectName(QStringLiteral("lblOperators"));
    lblOperators->setBuddy(m_lstOperators);
    m_lstOperators->setObjectName(QStringLiteral("lstOperators"));
    m_lstOperators->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_cmdLogOff->setObjectName(QStringLiteral("cmdLogOff"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdLogOff);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblOperators);
    layout->addWidget(m_lstOperators);
    layout->addLayout(buttons);

    m_cmdLogOff->setDefault(true);
    m_cmdCancel->setAutoDefault(false);
    setTabOrder(m_lstOperators, m_cmdLogOff);
    setTabOrder(m_cmdLogOff, m_cmdCancel);
    connect(m_cmdLogOff, &QPushButton::clicked, this, &frmLogoff::cmdLogOff_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmLogoff::reject);

    ApplyFormTexts(this, m_program.texts);
    for (int32_t userID : std::as_const(m_session.logon.operators)) {
        auto *item = new QListWidgetItem(LoggedOnOperatorText(m_db, userID), m_lstOperators);
        item->setData(Qt::UserRole, userID);
    }
    if (m_lstOperators->count() > 0)
        m_lstOperators->setCurrentRow(0);
}

void frmLogoff::cmdLogOff_Click()
{
    QList<LogoffEntry> chosen;
    for (int row = 0; row < m_lstOperators->count(); ++row) {
        const QListWidgetItem *item = m_lstOperators->item(row);
        if (item->isSelected())
            chosen.append({item->text(), item->data(Qt::UserRole).toInt()});
    }
    LogOffOperators(m_db, m_session, chosen);
    accept();
}

void RunLogoffDialog(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
{
    frmLogoff dialog(program, db, session, parent);
    dialog.exec();
}
