#include "ui/grid/RecordGrid.h"

#include "ui/grid/RecordGridModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>

RecordGrid::RecordGrid(RecordDatabase &db, QWidget *parent) : QTableView(parent), m_model(new RecordGridModel(db, this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows keep one height, so scrolling never asks the model to measure every row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RecordGrid::headerClicked);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordGrid::applyHiddenColumns);
}

RecordGrid::~RecordGrid() = default;

void RecordGrid::GridComputerName(const QString &name)
{
    m_computerName = name;
    m_model->setComputerName(name);
}

void RecordGrid::GridOption(bool on)
{
    m_option = on;
}

bool RecordGrid::BindTable(qint32 tableId)
{
    return m_model->bindTable(tableId);
}

void RecordGrid::SetCaptions(const QString &captions)
{
    QStringList list = captions.split(QLatin1Char(','));
    for (QString &caption : list)
        caption = caption.trimmed();
    m_model->setCaptions(list);
    applyHiddenColumns();
}

bool RecordGrid::SetColumns(const QString &fields)
{
    return m_model->setColumns(fields.split(QLatin1Char(','), Qt::SkipEmptyParts));
}

void RecordGrid::SetDateColumn(const QString &field)
{
    m_model->setDateColumn(field);
}

void RecordGrid::SetCardNumberColumn(const QString &field)
{
    m_model->setCardNumberColumn(field);
}

void RecordGrid::SetEmptyText(const QString &text, const QString &field)
{
    m_model->setEmptyText(text, field);
}

void RecordGrid::SetFlagSuffix(const QString &field, const QString &suffix, const QString &otherSuffix,
                               const QString &flagField)
{
    m_model->setFlagSuffix(field, suffix, otherSuffix, flagField);
}

void RecordGrid::SetValueText(const QString &field, const QVariant &value, const QString &text)
{
    m_model->setValueText(field, value, text);
}

void RecordGrid::SetListText(const QString &text)
{
    m_listText = text;
}

void RecordGrid::SetDoorFilter(qint32 doorID, qint32 intervalStart, qint32 intervalStop)
{
    m_model->setDoorFilter(doorID, intervalStart, intervalStop);
}

void RecordGrid::RunQuery(const QString &where, const QString &orderBy)
{
    m_sortColumn = -1;
    horizontalHeader()->setSortIndicatorShown(false);
    m_model->runQuery(where, orderBy);
}

void RecordGrid::AddQueryParameter(const QVariant &value)
{
    m_model->addQueryParameter(value);
}

qint32 RecordGrid::RowTotal()
{
    return m_model->rowTotal();
}

QVariant RecordGrid::SelectedValue(const QString &field) const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    const QModelIndex current = rows.isEmpty() ? currentIndex() : rows.first();
    if (!current.isValid())
        return QVariant();
    return m_model->rawValue(current.row(), field);
}

void RecordGrid::ReloadGrid()
{
    m_model->reload();
}

void RecordGrid::ClearGrid()
{
    m_model->clear();
}

bool RecordGrid::LoadReadData(const QString &text)
{
    return m_model->loadReadData(text.toUtf8());
}

qint32 RecordGrid::SourceCount() const
{
    return m_model->sourceCount();
}

qint32 RecordGrid::SourceKind(int index) const
{
    return m_model->sourceKind(index);
}

double RecordGrid::SourceTime(int index) const
{
    return m_model->sourceTime(index);
}

qint32 RecordGrid::SourceDoor(int index) const
{
    return m_model->sourceDoor(index);
}

bool RecordGrid::ShowSource(double readoutTime)
{
    m_sortColumn = -1;
    horizontalHeader()->setSortIndicatorShown(false);
    return m_model->showSource(readoutTime);
}

int RecordGrid::titledColumnCount() const
{
    return static_cast<int>(qMin(m_model->captions().size(), m_model->fields().size()));
}

void RecordGrid::applyHiddenColumns()
{
    const int titled = titledColumnCount();
    for (int column = 0; column < m_model->columnCount(); ++column)
        setColumnHidden(column, column >= titled);
}

void RecordGrid::headerClicked(int section)
{
    if (section < 0 || section >= titledColumnCount())
        return;
    if (section == m_sortColumn)
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        m_sortOrder = Qt::AscendingOrder;
    m_sortColumn = section;
    horizontalHeader()->setSortIndicator(section, m_sortOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    m_model->sortByColumn(section, m_sortOrder);
}
