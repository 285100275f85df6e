#pragma once

#include "ui/grid/ListExport.h"

#include <QString>

class QPrinter;
class RecordGrid;

// Prints a list under its report title: title and column titles head every page, the rows follow,
// and each page carries "page / pages" at its foot. Returns the number of pages printed, 0 when
// the printer could not be started.
int printList(QPrinter &printer, const QString &title, const ListTable &table);
int PrintGrid(RecordGrid &grid, const QString &title, QPrinter &printer);

// Points the printer at the default printer; a computer without one prints into the PDF file
// given instead. Returns true when the output goes to that file.
bool useDefaultPrinter(QPrinter &printer, const QString &pdfFallbackFile);
