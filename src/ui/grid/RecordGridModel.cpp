#include "ui/grid/RecordGridModel.h"

#include "components/cardserver/Readout.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "texts/LocaleFormat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

// Values of one field compare as numbers when both are numbers (a date column against a date),
// otherwise as texts.
bool sameValue(const QVariant &a, const QVariant &b)
{
    bool okA = false;
    bool okB = false;
    const double da = a.toDouble(&okA);
    const double db = b.toDouble(&okB);
    if (okA && okB)
        return std::abs(da - db) < 1e-9;
    return a.toString() == b.toString();
}

bool isEmpty(const QVariant &value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

RecordGridModel::RecordGridModel(RecordDatabase &db, QObject *parent) : QAbstractTableModel(parent), m_db(db) {}

RecordGridModel::~RecordGridModel() = default;

void RecordGridModel::setComputerName(const QString &name)
{
    m_computerName = name;
    if (m_table)
        m_table->SetComputerName(name);
}

bool RecordGridModel::bindTable(qint32 tableId)
{
    beginResetModel();
    closeQuery();
    m_rows.clear();
    m_haveQuery = false;
    m_table.reset();
    m_tableId = -1;
    const bool known = tableDef(tableId) != nullptr;
    if (known) {
        m_tableId = tableId;
        m_table = std::make_unique<RecordTable>(m_db);
        if (!m_computerName.isEmpty())
            m_table->SetComputerName(m_computerName);
        m_table->SelectTable(tableId);
        if (m_table->Status() != RecordStatus::Ok)
            fail();
    }
    endResetModel();
    return known;
}

void RecordGridModel::setCaptions(const QStringList &captions)
{
    m_captions = captions;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

bool RecordGridModel::setColumns(const QStringList &fields)
{
    const TableDef *def = tableDef(m_tableId);
    QStringList canonical;
    bool ok = def != nullptr;
    for (const QString &field : fields) {
        const ColumnDef *col = def ? def->column(field.trimmed()) : nullptr;
        if (!col) {
            ok = false;
            continue;
        }
        canonical << col->name;
    }
    beginResetModel();
    closeQuery();
    m_rows.clear();
    m_fields = canonical;
    updateReadFields();
    endResetModel();
    return ok;
}

void RecordGridModel::setDateColumn(const QString &field)
{
    m_dateFields << field.trimmed().toLower();
}

void RecordGridModel::setCardNumberColumn(const QString &field)
{
    m_cardNumberFields << field.trimmed().toLower();
}

void RecordGridModel::setEmptyText(const QString &text, const QString &field)
{
    m_emptyTexts.insert(field.trimmed().toLower(), text);
}

void RecordGridModel::setFlagSuffix(const QString &field, const QString &suffix, const QString &otherSuffix,
                                    const QString &flagField)
{
    m_flagSuffixes.insert(field.trimmed().toLower(), {suffix, otherSuffix, flagField.trimmed()});
    updateReadFields();
}

void RecordGridModel::setValueText(const QString &field, const QVariant &value, const QString &text)
{
    m_valueTexts[field.trimmed().toLower()].append({value, text});
}

void RecordGridModel::updateReadFields()
{
    m_readFields = m_fields;
    const TableDef *def = tableDef(m_tableId);
    for (const FlagSuffix &flag : std::as_const(m_flagSuffixes)) {
        const ColumnDef *col = def ? def->column(flag.flagField) : nullptr;
        if (col && readIndex(col->name) < 0)
            m_readFields << col->name;
    }
}

int RecordGridModel::readIndex(const QString &field) const
{
    const QString name = field.trimmed();
    for (int i = 0; i < m_readFields.size(); ++i)
        if (m_readFields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void RecordGridModel::runQuery(const QString &where, const QString &orderBy)
{
    m_readout.reset();
    m_shownSource.reset();
    m_where = where;
    m_orderBy = orderBy;
    m_params.clear();
    // A WHERE text holds no literals, so every "?" is a parameter marker.
    m_markers = static_cast<int>(where.count(QLatin1Char('?')));
    m_haveQuery = true;
    if (m_markers == 0)
        execute();
}

void RecordGridModel::setDoorFilter(qint32 doorID, qint32 intervalStart, qint32 intervalStop)
{
    m_doorID = doorID;
    m_intervalStart = intervalStart;
    m_intervalStop = intervalStop;
}

void RecordGridModel::addQueryParameter(const QVariant &value)
{
    if (!m_haveQuery || m_params.size() >= m_markers)
        return;
    m_params << value;
    if (m_params.size() == m_markers)
        execute();
}

void RecordGridModel::reload()
{
    if (m_readout) {
        if (m_shownSource)
            showSource(*m_shownSource);
        return;
    }
    if (m_haveQuery && m_params.size() == m_markers)
        execute();
}

void RecordGridModel::clear()
{
    beginResetModel();
    closeQuery();
    m_rows.clear();
    endResetModel();
}

void RecordGridModel::sortByColumn(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_fields.size())
        return;
    if (m_readout) {
        // A read-out's rows are all in memory: sorted here, by value, not by the shown text.
        beginResetModel();
        std::stable_sort(m_rows.begin(), m_rows.end(), [column, order](const QVariantList &a, const QVariantList &b) {
            const QPartialOrdering c = QVariant::compare(a.at(column), b.at(column));
            return order == Qt::AscendingOrder ? c == QPartialOrdering::Less : c == QPartialOrdering::Greater;
        });
        endResetModel();
        return;
    }
    m_orderBy = m_fields.at(column) + (order == Qt::AscendingOrder ? QStringLiteral(" asc") : QStringLiteral(" desc"));
    reload();
}

void RecordGridModel::closeQuery()
{
    if (m_open && m_table)
        m_table->CloseQuery();
    m_open = false;
}

bool RecordGridModel::fail()
{
    m_status = m_table ? m_table->Status() : RecordStatus::InvalidTable;
    m_errorText = m_table ? m_table->ErrorText(m_status) : QString();
    return false;
}

void RecordGridModel::execute()
{
    beginResetModel();
    closeQuery();
    m_rows.clear();
    m_status = RecordStatus::Ok;
    m_errorText.clear();
    if (!m_table) {
        m_status = RecordStatus::InvalidTable;
        endResetModel();
        return;
    }
    QString where = m_where;
    QVariantList params = m_params;
    if (m_doorID != 0) {
        // One semi-join on the CardDoors index: an OR beside it would make PostgreSQL test every row
        // against the whole sub-select.
        const bool interval = m_intervalStart > 0 && m_intervalStop >= m_intervalStart;
        const QString door =
            QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where doorID = ?") +
            (interval ? QStringLiteral(" or doorID >= ? and doorID <= ?)") : QStringLiteral(")"));
        // Parentheses only around a filter with an OR: the range estimates read the top level.
        static const QRegularExpression orWord(QStringLiteral("\\bor\\b"), QRegularExpression::CaseInsensitiveOption);
        if (where.trimmed().isEmpty())
            where = door;
        else if (where.contains(orWord))
            where = QStringLiteral("(") + where + QStringLiteral(") and ") + door;
        else
            where += QStringLiteral(" and ") + door;
        params << m_doorID;
        if (interval)
            params << m_intervalStart << m_intervalStop;
    }
    m_table->OpenQuery(where, m_orderBy);
    for (const QVariant &value : std::as_const(params)) {
        if (m_table->Status() != RecordStatus::Ok)
            break;
        m_table->AddParameter(value);
    }
    const qint32 status = m_table->Status();
    if (status == RecordStatus::Ok) {
        m_open = true;
        readBatch(m_rows);
    } else if (status != RecordStatus::NoRecord) {
        fail();
    }
    endResetModel();
}

bool RecordGridModel::readBatch(QList<QVariantList> &into)
{
    for (int n = 0; n < kBatchSize && m_open; ++n) {
        QVariantList row;
        row.reserve(m_readFields.size());
        for (const QString &field : std::as_const(m_readFields)) {
            row << m_table->GetField(field);
            if (m_table->Status() != RecordStatus::Ok) {
                // NoRecord: the query ran out of rows.
                if (m_table->Status() != RecordStatus::NoRecord)
                    fail();
                closeQuery();
                return m_status == RecordStatus::Ok;
            }
        }
        into << row;
        m_table->MoveNext();
        if (m_table->Status() != RecordStatus::Ok) {
            if (m_table->Status() != RecordStatus::NoRecord)
                fail();
            closeQuery();
        }
    }
    return m_status == RecordStatus::Ok;
}

bool RecordGridModel::loadReadData(const QByteArray &text)
{
    beginResetModel();
    closeQuery();
    m_rows.clear();
    m_haveQuery = false;
    m_shownSource.reset();
    m_lookups.clear();
    ReadoutParseResult parsed = parseReadout(text);
    m_readStatus = parsed.status;
    m_readout = std::make_unique<Readout>(std::move(parsed.readout));
    endResetModel();
    return m_readStatus == 0;
}

int RecordGridModel::sourceCount() const
{
    return m_readout ? static_cast<int>(m_readout->sources.size()) : 0;
}

qint32 RecordGridModel::sourceKind(int index) const
{
    return index >= 1 && index <= sourceCount() ? m_readout->sources.at(index - 1).kind : 0;
}

double RecordGridModel::sourceTime(int index) const
{
    return index >= 1 && index <= sourceCount() ? m_readout->sources.at(index - 1).readoutTime : 0.0;
}

qint32 RecordGridModel::sourceDoor(int index) const
{
    return index >= 1 && index <= sourceCount() ? m_readout->sources.at(index - 1).doorID : 0;
}

bool RecordGridModel::showSource(double readoutTime)
{
    beginResetModel();
    m_rows.clear();
    m_shownSource.reset();
    bool found = false;
    if (m_readout) {
        for (const ReadoutSource &source : std::as_const(m_readout->sources)) {
            // Sources are told apart by their read-out time, kept to the second.
            if (std::abs(source.readoutTime - readoutTime) * 86400.0 >= 0.5)
                continue;
            m_shownSource = source.readoutTime;
            for (const ReadoutEvent &event : source.events)
                m_rows << readoutRow(source, event);
            // The events in time order, as the read-out list shows a stored read-out.
            const int timeIndex = readIndex(Field::eventTime);
            if (timeIndex >= 0)
                std::stable_sort(m_rows.begin(), m_rows.end(),
                                 [timeIndex](const QVariantList &a, const QVariantList &b) {
                                     return a.at(timeIndex).toDouble() < b.at(timeIndex).toDouble();
                                 });
            found = true;
            break;
        }
    }
    endResetModel();
    return found;
}

QVariantList RecordGridModel::readoutRow(const ReadoutSource &source, const ReadoutEvent &event)
{
    const QVariant card = event.hasCard ? QVariant(qint32(event.registrationNumber)) : QVariant();
    const QVariant kind = event.hasCard ? QVariant(event.cardNameID) : QVariant();
    const QVariant user = event.hasCard ? QVariant(event.userID) : QVariant();
    QVariantList row;
    row.reserve(m_readFields.size());
    for (const QString &name : std::as_const(m_readFields)) {
        const QString field = name.toLower();
        QVariant value;
        if (field == QLatin1String("doorid"))
            value = source.doorID;
        else if (field == QLatin1String("readouttime"))
            value = source.readoutTime;
        else if (field == QLatin1String("doorname"))
            value = lookUp(TableId::Doors, Field::doorID, source.doorID, Field::doorName);
        else if (field == QLatin1String("eventtime"))
            value = event.eventTime;
        else if (field == QLatin1String("eventcode"))
            value = event.eventCode;
        else if (field == QLatin1String("eventname"))
            value = lookUp(TableId::EventNames, Field::eventCode, event.eventCode, Field::eventName);
        else if (field == QLatin1String("repeatflag"))
            value = event.repeat ? 1 : 0;
        else if (field == QLatin1String("registrationnumber"))
            value = card;
        else if (field == QLatin1String("cardnameid"))
            value = kind;
        else if (field == QLatin1String("cardname"))
            value = lookUp(TableId::CardNames, Field::cardNameID, kind, Field::cardName);
        else if (field == QLatin1String("userid"))
            value = user;
        else if (field == QLatin1String("alphaid") || field == QLatin1String("surname") ||
                 field == QLatin1String("firstname"))
            value = lookUp(TableId::Users, Field::userID, user, name);
        else if (field == QLatin1String("issueoperatoralphaid"))
            value =
                lookUp(TableId::Users, Field::userID,
                       lookUp(TableId::Cards, Field::registrationNumber, card, Field::issueOperatorID), Field::alphaID);
        row << value;
    }
    return row;
}

QVariant RecordGridModel::lookUp(qint32 tableId, const QString &keyField, const QVariant &key, const QString &field)
{
    if (key.isNull())
        return QVariant();
    const QString cacheKey = QStringLiteral("%1/%2/%3/%4").arg(tableId).arg(keyField, key.toString(), field);
    const auto cached = m_lookups.constFind(cacheKey);
    if (cached != m_lookups.constEnd())
        return *cached;
    RecordTable table(m_db);
    if (!m_computerName.isEmpty())
        table.SetComputerName(m_computerName);
    table.SelectTable(tableId);
    table.OpenQuery(keyField + QStringLiteral(" = ?"), QString());
    table.AddParameter(key);
    const QVariant value = table.Status() == RecordStatus::Ok ? table.GetField(field) : QVariant();
    const QVariant found = table.Status() == RecordStatus::Ok ? value : QVariant();
    table.CloseQuery();
    m_lookups.insert(cacheKey, found);
    return found;
}

qint32 RecordGridModel::rowTotal()
{
    if (!m_open)
        return static_cast<qint32>(m_rows.size());
    const qint32 total = m_table->RowCount();
    if (m_table->Status() != RecordStatus::Ok) {
        fail();
        return static_cast<qint32>(m_rows.size());
    }
    return total;
}

QVariant RecordGridModel::rawValue(int row, const QString &field) const
{
    const int i = readIndex(field);
    if (row < 0 || row >= m_rows.size() || i < 0)
        return QVariant();
    return m_rows.at(row).at(i);
}

QString RecordGridModel::displayText(int row, int column, Years years) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return QString();
    const QVariantList &values = m_rows.at(row);
    const QVariant &value = values.at(column);
    const QString key = m_fields.at(column).toLower();

    QString text;
    bool decided = false;
    const auto valueTexts = m_valueTexts.constFind(key);
    if (valueTexts != m_valueTexts.constEnd() && !value.isNull()) {
        for (const ValueText &vt : *valueTexts) {
            if (sameValue(value, vt.value)) {
                text = vt.text;
                decided = true;
                break;
            }
        }
    }
    if (!decided && isEmpty(value)) {
        text = m_emptyTexts.value(key);
        decided = true;
    }
    if (!decided) {
        if (m_dateFields.contains(key))
            text = formatDateTime(value.toDouble(), years);
        else if (m_cardNumberFields.contains(key))
            text = formatCardNumber(value.toLongLong());
        else if (value.typeId() == QMetaType::Double)
            text = QLocale().toString(value.toDouble(), 'g', 15);
        else
            text = value.toString();
    }
    const auto flag = m_flagSuffixes.constFind(key);
    if (flag != m_flagSuffixes.constEnd()) {
        const int f = readIndex(flag->flagField);
        const bool set = f >= 0 && values.at(f).toLongLong() != 0;
        text += set ? flag->suffix : flag->otherSuffix;
    }
    return text;
}

QString RecordGridModel::formatDateTime(double ole, Years years)
{
    // Before 1899-12-30 the whole days count back but the fraction still counts the time forward.
    const qint64 msecs = std::llround(ole * 86400000.0);
    const qint64 days = msecs / 86400000;
    const qint64 rest = std::abs(msecs % 86400000);
    const QDate date = QDate(1899, 12, 30).addDays(days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(rest));
    const QLocale locale;
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (years == Years::Full && !dateFormat.contains(QLatin1String("yyyy")))
        dateFormat.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, dateFormat) + QLatin1Char(' ') + locale.toString(time, ShortTimeFormat(locale));
}

QString RecordGridModel::formatCardNumber(qint64 stored)
{
    const quint32 shown = (static_cast<quint32>(stored) >> 8) & 0xFFFFFu;
    return QStringLiteral("%1").arg(shown, 5, 16, QLatin1Char('0')).toUpper();
}

int RecordGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecordGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant RecordGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayText(index.row(), index.column());
    return QVariant();
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0)
        return QVariant();
    if (section < m_captions.size())
        return m_captions.at(section);
    return QVariant();
}

bool RecordGridModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_open;
}

void RecordGridModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_open)
        return;
    QList<QVariantList> batch;
    readBatch(batch);
    if (batch.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    m_rows.append(batch);
    endInsertRows();
}
