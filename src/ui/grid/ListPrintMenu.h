#pragma once

#include "platform/MessageDialog.h"
#include "ui/grid/ListExport.h"

#include <QString>

#include <functional>

class Messages;
class PopupMenu;
class QWidget;
class RecordGrid;

// The print entries every list offers on its grid: "F" export to a file, "N" print with a title
// the operator types, "P" print with the list's report title. What reaches the operator or the
// printer goes through the seams, so tests answer the dialogs and catch the printed pages.
class ListPrintMenu
{
public:
    using InputBox = std::function<bool(const InputBoxRequest &request, QString &text)>;
    using Printer = std::function<int(RecordGrid &grid, const QString &title)>;

    ListPrintMenu(RecordGrid &grid, Messages &messages, const QString &reportTitle);

    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setInputBox(InputBox inputBox) { m_inputBox = std::move(inputBox); }
    void setPrinter(Printer printer) { m_printer = std::move(printer); }
    // Where a list goes as a PDF on a computer without a printer; the temporary folder by default.
    void setPdfFolder(const QString &folder) { m_pdfFolder = folder; }

    // Adds the three entries under parentKey.
    void AddItems(PopupMenu &menu, const QString &parentKey) const;
    // Carries out a chosen key; false for keys that are not the print entries.
    bool Run(const QString &key);

private:
    void exportList();
    void printWithTitle();
    void print(const QString &title);

    RecordGrid &m_grid;
    Messages &m_messages;
    QString m_reportTitle;
    SaveFileChooser m_chooseFile;
    InputBox m_inputBox;
    Printer m_printer; // empty: the default printer
    QString m_pdfFolder;
};

// Prints on the default printer, or, when there is none, into a PDF file in pdfFolder
// (DefaultListFolder() when empty) and tells the operator where it went (message -29899).
// Where lists go as PDFs when the workstation has no printer and the window named no folder.
QString DefaultListFolder();

int printOnDefaultPrinter(RecordGrid &grid, const QString &title, Messages &messages,
                          const QString &pdfFolder = QString());
// The same for rows a window composed itself.
int printTableOnDefaultPrinter(const ListTable &table, const QString &title, Messages &messages,
                               const QString &pdfFolder = QString(), QWidget *parent = nullptr);
