#include "admin/MasterDataList.h"

#include "session/Authority.h"
#include "session/Workstation.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kHelpContext = 1202;
const QString kPrintRoot = QStringLiteral("M0");

} // namespace

MasterDataList::MasterDataList(const Setup &setup, ProgramServices &program, DatabaseServices &db, Session &session,
                               FrameWindows &frameWindows, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session), m_frameWindows(frameWindows), m_setup(setup),
      m_grid(new RecordGrid(*db.database, this)), m_cmdAdd(CommandButton(this, "cmdAdd", 27006)),
      m_cmdRemove(CommandButton(this, "cmdRemove", 27007)),
      m_cmdProperties(CommandButton(this, "cmdProperties", 27008)), m_cmdPrint(CommandButton(this, "cmdPrint", 27009)),
      m_cmdClose(CommandButton(this, "cmdClose", 27011)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_grid, *program.messages, GetText(setup.caption))), m_popup(this)
{
    setObjectName(QLatin1String(setup.objectName));
    setWindowTitle(GetText(setup.caption));
    m_grid->setObjectName(QLatin1String(setup.gridName));
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->GridComputerName(program.ComputerName);
    m_grid->GridOption(true);
    m_grid->BindTable(setup.viewId);
    QStringList captions;
    for (int16_t number : setup.columnCaptions)
        captions << GetText(number).replace(QLatin1Char(','), QLatin1Char(' ')); // the grid splits at commas
    m_grid->SetCaptions(captions.join(QLatin1Char(',')));
    m_grid->SetColumns(setup.columns);
    m_grid->SetListText(GetText(setup.caption));
    RestoreGridLayout(program.registry, m_grid, setup.columnKey);

    auto *layout = new QVBoxLayout(this);
    if (setup.withSearch) {
        m_lblSearch = new QLabel(GetText(27005), this);
        m_lblSearch->setObjectName(QStringLiteral("lblSearch"));
        m_txtSearch = new QLineEdit(this);
        m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
        m_lblSearch->setBuddy(m_txtSearch);
        auto *search = new QHBoxLayout;
        search->addWidget(m_lblSearch);
        search->addWidget(m_txtSearch, 1);
        layout->addLayout(search);
        connect(m_txtSearch, &QLineEdit::textEdited, this, &MasterDataList::runSearch);
    }
    layout->addWidget(m_grid, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdAdd, m_cmdRemove, m_cmdProperties, m_cmdPrint})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    layout->addLayout(buttons);
    resize(620, 380);

    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MasterDataList::updateButtons);
    connect(m_grid, &QAbstractItemView::activated, this, [this] {
        if (m_cmdProperties->isEnabled() && !selectedRows().isEmpty())
            openRow(selectedRows().first());
    });
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] {
        if (m_cmdAdd->isEnabled())
            addRecord();
    });
    connect(m_cmdRemove, &QPushButton::clicked, this, [this] {
        const QList<int> rows = selectedRows();
        if (m_cmdRemove->isEnabled() && !rows.isEmpty())
            removeRows(rows);
    });
    connect(m_cmdProperties, &QPushButton::clicked, this, [this] {
        const QList<int> rows = selectedRows();
        if (m_cmdProperties->isEnabled() && !rows.isEmpty())
            openRow(rows.first());
    });
    connect(m_cmdPrint, &QPushButton::clicked, this, &MasterDataList::showPrintMenu);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    updateButtons();
}

MasterDataList::~MasterDataList()
{
    SaveGridLayout(m_program.registry, m_grid, m_setup.columnKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(m_setup.windowNumber);
}

bool MasterDataList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(readTable(), this);
}

void MasterDataList::Activate()
{
    m_session.openDialogs.set(m_setup.windowNumber);
    EvaluateAuthority();
}

void MasterDataList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(readTable(), Authority::Read)) {
        UnloadWindow(this);
        return;
    }
    updateButtons();
}

int MasterDataList::HelpContextID() const
{
    return kHelpContext;
}

void MasterDataList::RefreshTableList()
{
    m_grid->ReloadGrid();
    m_rows = m_grid->RowTotal();
    updateButtons();
}

void MasterDataList::runSearch()
{
    const Query q = query(m_txtSearch ? m_txtSearch->text() : QString());
    m_grid->ClearGrid();
    m_grid->RunQuery(q.where, q.orderBy);
    for (const QVariant &value : q.parameters)
        m_grid->AddQueryParameter(value);
    m_rows = m_grid->RowTotal();
    updateButtons();
}

QVariant MasterDataList::rowValue(int row, const QString &field) const
{
    return m_grid->gridModel()->rawValue(row, field);
}

QList<int> MasterDataList::selectedRows() const
{
    QList<int> rows;
    if (m_grid->selectionModel()) {
        for (const QModelIndex &index : m_grid->selectionModel()->selectedRows())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MasterDataList::updateButtons()
{
    const Authority &rights = m_session.authority;
    const bool selected = m_rows > 0 && !selectedRows().isEmpty();
    m_cmdAdd->setEnabled(rights.HasRight(m_setup.tableId, Authority::Write));
    m_cmdRemove->setEnabled(selected && rights.HasRight(m_setup.tableId, Authority::Delete));
    m_cmdProperties->setEnabled(selected);
    m_cmdPrint->setEnabled(m_rows > 0);
}

void MasterDataList::showPrintMenu()
{
    m_popup.Clear();
    m_popup.CreateRoot(QStringLiteral("HIDDEN"), kPrintRoot);
    m_printMenu->AddItems(m_popup, kPrintRoot);
    const QString key = m_popup.Show(kPrintRoot, m_cmdPrint->mapToGlobal(QPoint(0, m_cmdPrint->height())));
    if (!key.isEmpty())
        m_printMenu->Run(key);
}

void MasterDataList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
