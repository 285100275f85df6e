#include "admin/frmXrefOpTemplate.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "session/Workstation.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 45;
constexpr int kHelpContext = 1208;
constexpr int16_t kCaption = 29696;
constexpr int16_t kAllowedMark = 29633;
constexpr int16_t kBarredMark = 29634;

} // namespace

frmXrefOpTemplate::frmXrefOpTemplate(ProgramServices &program, DatabaseServices &db, Session &session,
                                     FrameWindows &frameWindows, QWidget *parent)
    : QWidget(parent), m_program(program), m_session(session), m_frameWindows(frameWindows), m_store(*db.database),
      m_grdXref(new QTableWidget(this))
{
    setObjectName(QStringLiteral("frmXrefOpTemplate"));
    setWindowTitle(GetText(kCaption));
    m_grdXref->setObjectName(QStringLiteral("grdXref"));
    m_grdXref->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdXref->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdXref->setSelectionMode(QAbstractItemView::SingleSelection);
    QPushButton *close = CommandButton(this, "cmdClose", 29607);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grdXref, 1);
    layout->addLayout(buttons);
    resize(640, 400);
    connect(close, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    connect(m_grdXref, &QTableWidget::cellActivated, this, [this](int row, int) { openTemplate(row); });
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    m_session.notify.SubscribeOperatorTemplates(&m_templateEvents, Notify::handleOf(this));
    Reload();
}

frmXrefOpTemplate::~frmXrefOpTemplate()
{
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
    m_session.notify.UnsubscribeOperatorTemplates(Notify::handleOf(this));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmXrefOpTemplate::Reload()
{
    TemplateCrossReference xref;
    if (const OpTemplateResult read = m_store.loadCrossReference(xref); !read.ok()) {
        m_program.messages->errorWithCode(read.errorCode, read.errorText, this);
        return;
    }
    m_xref = xref;
    m_grdXref->clear();
    m_grdXref->setRowCount(int(xref.templates.size()));
    m_grdXref->setColumnCount(int(xref.doorAreas.size()));
    QStringList rows, columns;
    for (const auto &[id, name] : std::as_const(xref.templates))
        rows << name;
    for (const auto &[id, name] : std::as_const(xref.doorAreas))
        columns << name;
    m_grdXref->setVerticalHeaderLabels(rows);
    m_grdXref->setHorizontalHeaderLabels(columns);
    const QString allowed = GetText(kAllowedMark), barred = GetText(kBarredMark);
    for (int row = 0; row < xref.templates.size(); ++row) {
        for (int column = 0; column < xref.doorAreas.size(); ++column) {
            const bool isBarred = xref.barred.contains({xref.templates[row].first, xref.doorAreas[column].first});
            auto *cell = new QTableWidgetItem(isBarred ? barred : allowed);
            cell->setTextAlignment(Qt::AlignCenter);
            m_grdXref->setItem(row, column, cell);
        }
    }
    m_grdXref->resizeColumnsToContents();
}

void frmXrefOpTemplate::openTemplate(int row)
{
    if (row < 0 || row >= m_xref.templates.size())
        return;
    const qint32 templateID = m_xref.templates[row].first;
    OpenChild(m_frameWindows.frameHost, WindowKinds::OpTemplateData,
              [templateID](OpTemplateDataWindow &w) { w.setOperatorTemplateID(templateID); });
}

int frmXrefOpTemplate::HelpContextID() const
{
    return kHelpContext;
}

bool frmXrefOpTemplate::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::OperatorTemplates, this);
}

void frmXrefOpTemplate::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmXrefOpTemplate::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::OperatorTemplates, Authority::Read))
        UnloadWindow(this);
}

void frmXrefOpTemplate::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
