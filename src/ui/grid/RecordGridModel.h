#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class RecordDatabase;
struct Readout;
struct ReadoutEvent;
struct ReadoutSource;
class RecordTable;

// The rows of one list view, read through RecordTable in batches as the view scrolls, with the
// display rules the list windows declare (dates, card numbers, value texts, empty texts, suffixes).
// Fields beyond the captions are read and kept but have no caption; the grid hides them.
class RecordGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kBatchSize = 256;

    explicit RecordGridModel(RecordDatabase &db, QObject *parent = nullptr);
    ~RecordGridModel() override;

    void setComputerName(const QString &name);
    bool bindTable(qint32 tableId); // false for an id that is no table or view
    void setCaptions(const QStringList &captions);
    bool setColumns(const QStringList &fields); // false when a field is not in the bound view
    void setDateColumn(const QString &field);
    void setCardNumberColumn(const QString &field);
    void setEmptyText(const QString &text, const QString &field);
    void setFlagSuffix(const QString &field, const QString &suffix, const QString &otherSuffix,
                       const QString &flagField);
    void setValueText(const QString &field, const QVariant &value, const QString &text);

    // The query runs once every "?" of the WHERE text has its parameter.
    void runQuery(const QString &where, const QString &orderBy);
    // Cards that open the door: cards whose rooms in CardDoors include the door or, with an
    // interval, lie inside it. Door 0 lists every card. Applies from the next query (or reload) on;
    // the bound view needs registrationNumber.
    void setDoorFilter(qint32 doorID, qint32 intervalStart, qint32 intervalStop);
    void addQueryParameter(const QVariant &value);
    void reload();
    void clear();
    // Re-reads the last query ordered by that column.
    void sortByColumn(int column, Qt::SortOrder order);

    // Read-out mode: the rows come from a handheld unit's read-out text instead of a query. The
    // text's sources are kept; showSource shows the events of the source read out at that time,
    // with the names (door, card kind, event, user, issuing operator) looked up in the database.
    // False (and no sources) when the text does not parse; readStatus() then says why.
    bool loadReadData(const QByteArray &text);
    int sourceCount() const;
    // 1-based; 0 for an index without a source.
    qint32 sourceKind(int index) const;
    double sourceTime(int index) const;
    qint32 sourceDoor(int index) const;
    // False when no source was read out at that time (the list is then empty).
    bool showSource(double readoutTime);
    qint32 readStatus() const { return m_readStatus; }

    qint32 rowTotal();
    QVariant rawValue(int row, const QString &field) const;
    // Exported lists write four-digit years: a spreadsheet reads "9/4/31" as 1931.
    enum class Years { AsShown, Full };
    QString displayText(int row, int column, Years years = Years::AsShown) const;

    const QStringList &captions() const { return m_captions; }
    const QStringList &fields() const { return m_fields; }
    int rowsRead() const { return static_cast<int>(m_rows.size()); }
    bool allRead() const { return !m_open; }
    // Status of the last database call of the grid (0 = success) and its text.
    qint32 status() const { return m_status; }
    QString errorText() const { return m_errorText; }
    QString orderBy() const { return m_orderBy; }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // "short date" and the time without seconds of an OLE date, in the default locale.
    static QString formatDateTime(double ole, Years years = Years::AsShown);
    // The shown card number: stored value / 256 as five upper-case hexadecimal digits.
    static QString formatCardNumber(qint64 stored);

private:
    struct FlagSuffix
    {
        QString suffix;
        QString otherSuffix;
        QString flagField;
    };
    struct ValueText
    {
        QVariant value;
        QString text;
    };

    void execute();
    QVariantList readoutRow(const ReadoutSource &source, const ReadoutEvent &event);
    QVariant lookUp(qint32 tableId, const QString &keyField, const QVariant &key, const QString &field);
    void closeQuery();
    bool readBatch(QList<QVariantList> &into);
    bool fail();
    int readIndex(const QString &field) const;
    void updateReadFields();

    RecordDatabase &m_db;
    std::unique_ptr<RecordTable> m_table;
    QString m_computerName;
    qint32 m_tableId = -1;
    QStringList m_captions;
    QStringList m_fields;
    QStringList m_readFields; // m_fields plus flag fields that are not columns
    QStringList m_dateFields;
    QStringList m_cardNumberFields;
    QHash<QString, QString> m_emptyTexts;
    QHash<QString, FlagSuffix> m_flagSuffixes;
    QHash<QString, QList<ValueText>> m_valueTexts;

    QString m_where;
    QString m_orderBy;
    QVariantList m_params;
    int m_markers = 0;
    qint32 m_doorID = 0;
    qint32 m_intervalStart = 0;
    qint32 m_intervalStop = 0;
    bool m_haveQuery = false;
    bool m_open = false; // rows remain to be read
    QList<QVariantList> m_rows;
    std::unique_ptr<Readout> m_readout; // set in read-out mode
    std::optional<double> m_shownSource;
    qint32 m_readStatus = 0;
    QHash<QString, QVariant> m_lookups; // "table/key field/key/field" -> value, for one read-out
    qint32 m_status = 0;
    QString m_errorText;
};
