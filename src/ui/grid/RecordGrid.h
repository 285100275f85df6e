#pragma once

#include <QString>
#include <QTableView>
#include <QVariant>

class RecordDatabase;
class RecordGridModel;

// The list control every list window stands on: it reads a list view through RecordTable, shows
// the declared columns (trailing fields without a caption stay hidden but readable), fetches rows
// as they scroll into view and re-reads the query in another order on a header click. The
// operations carry the names the list windows call them by, in their set-up order.
class RecordGrid : public QTableView
{
    Q_OBJECT

public:
    explicit RecordGrid(RecordDatabase &db, QWidget *parent = nullptr);
    ~RecordGrid() override;

    void GridComputerName(const QString &name);
    void GridOption(bool on);
    bool BindTable(qint32 tableId);
    void SetCaptions(const QString &captions); // joined by ","
    bool SetColumns(const QString &fields);    // joined by ","
    void SetDateColumn(const QString &field);
    void SetCardNumberColumn(const QString &field);
    void SetEmptyText(const QString &text, const QString &field);
    void SetFlagSuffix(const QString &field, const QString &suffix, const QString &otherSuffix,
                       const QString &flagField);
    void SetValueText(const QString &field, const QVariant &value, const QString &text);
    void SetListText(const QString &text);
    // Cards that open that door (see RecordGridModel::setDoorFilter); door 0 drops the filter.
    void SetDoorFilter(qint32 doorID, qint32 intervalStart, qint32 intervalStop);
    void RunQuery(const QString &where, const QString &orderBy);
    void AddQueryParameter(const QVariant &value);
    qint32 RowTotal();
    QVariant SelectedValue(const QString &field) const;
    void ReloadGrid();
    void ClearGrid();
    // Read-out operations: the rows come from a handheld unit's read-out text (see
    // RecordGridModel::loadReadData). Sources are numbered from 1; kind 2 is the read-out of a lock.
    bool LoadReadData(const QString &text);
    qint32 SourceCount() const;
    qint32 SourceKind(int index) const;
    double SourceTime(int index) const;
    qint32 SourceDoor(int index) const;
    bool ShowSource(double readoutTime);

    RecordGridModel *gridModel() const { return m_model; }
    bool gridOption() const { return m_option; }
    QString listText() const { return m_listText; }
    QString computerName() const { return m_computerName; }
    // The columns that carry a caption, in model order: what printing and export show.
    int titledColumnCount() const;

private:
    void applyHiddenColumns();
    void headerClicked(int section);

    RecordGridModel *m_model;
    QString m_computerName;
    QString m_listText;
    bool m_option = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
