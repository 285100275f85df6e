#pragma once

#include "ui/grid/RecordGridModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class RecordGrid;

// What a printed or exported list shows: the titled columns in the order the operator arranged
// them, and the cell texts of every row of the query (rows not yet fetched are read first).
struct ListTable
{
    QStringList titles;
    QList<QStringList> rows;
};
ListTable gridTable(RecordGrid &grid, RecordGridModel::Years years = RecordGridModel::Years::AsShown);

// Windows-1252, the 8-bit code page list files are written in; characters it lacks become "?".
QByteArray encodeWindows1252(const QString &text);
// The titles and then each row, cells separated by tabs, every line ending in CR LF.
QByteArray exportText(const ListTable &table);

// A save dialog filter in the "description|pattern|..." form of the texts, as a Qt filter.
QString saveDialogFilter(const QString &pairs);

// Asks for the file to write; an empty answer means the operator cancelled.
using SaveFileChooser = std::function<QString(QWidget *parent, const QString &filter, const QString &defaultSuffix)>;
QString chooseSaveFile(QWidget *parent, const QString &filter, const QString &defaultSuffix);

enum class ExportResult { Written, Cancelled, Failed };
// Exports the grid to the file the chooser names (default extension "xls"); error holds the reason
// of a failure.
ExportResult ExportGrid(RecordGrid &grid, const SaveFileChooser &choose, const QString &filter, QString &error);
