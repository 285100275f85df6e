#pragma once

#include "platform/MessageDialog.h"
#include "ui/grid/ListExport.h"

#include <QString>

#include <functional>

class Messages;
class PopupMenu;
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

    // Adds the three entries under parentKey.
    void AddItems(PopupMenu &menu, const QString &parentKey) const;
    // Carries out a chosen key; false for keys that are not the print entries.
    bool Run(const QString &key);

private:
    void exportList();
    void printWithTitle();

    RecordGrid &m_grid;
    Messages &m_messages;
    QString m_reportTitle;
    SaveFileChooser m_chooseFile;
    InputBox m_inputBox;
    Printer m_printer;
};

// Prints on the default printer, or into a PDF file in the temporary folder when there is none.
int printOnDefaultPrinter(RecordGrid &grid, const QString &title);
