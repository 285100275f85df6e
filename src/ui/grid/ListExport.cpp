#include "ui/grid/ListExport.h"

#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QSaveFile>

namespace {

// Code points of 0x80..0x9F in Windows-1252; 0 where the code page has no character.
constexpr char16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toWindows1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

ListTable gridTable(RecordGrid &grid, RecordGridModel::Years years)
{
    RecordGridModel *model = grid.gridModel();
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    if (model->status() != 0) // a failed read must not pass for a short list
        return {};

    QList<int> columns;
    const QHeaderView *header = grid.horizontalHeader();
    const int titled = grid.titledColumnCount();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < titled && !grid.isColumnHidden(logical))
            columns << logical;
    }
    ListTable table;
    for (int column : columns)
        table.titles << model->captions().at(column);
    table.rows.reserve(model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column : columns)
            cells << model->displayText(row, column, years);
        table.rows << cells;
    }
    return table;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4())
        out += toWindows1252(c);
    return out;
}

QByteArray exportText(const ListTable &table)
{
    QByteArray out = encodeWindows1252(table.titles.join(QLatin1Char('\t'))) + "\r\n";
    for (const QStringList &row : table.rows)
        out += encodeWindows1252(row.join(QLatin1Char('\t'))) + "\r\n";
    return out;
}

QString saveDialogFilter(const QString &pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return pairs;
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

QString chooseSaveFile(QWidget *parent, const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

ExportResult ExportGrid(RecordGrid &grid, const SaveFileChooser &choose, const QString &filter, QString &error)
{
    error.clear();
    QString path = choose(&grid, saveDialogFilter(filter), QStringLiteral("xls"));
    if (path.isEmpty())
        return ExportResult::Cancelled;
    // The default extension applies whichever chooser answered.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xls");
    const ListTable table = gridTable(grid, RecordGridModel::Years::Full);
    if (grid.gridModel()->status() != 0) {
        error = grid.gridModel()->errorText();
        return ExportResult::Failed;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(exportText(table)) < 0 || !file.commit()) {
        error = file.errorString();
        return ExportResult::Failed;
    }
    return ExportResult::Written;
}
