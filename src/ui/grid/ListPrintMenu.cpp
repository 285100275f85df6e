#include "ui/grid/ListPrintMenu.h"

#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/PopupMenu.h"
#include "ui/grid/ListPrinter.h"
#include "ui/grid/RecordGrid.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>

namespace {
constexpr int kMaxTitleLength = 128;
constexpr int16_t kSavedAsPdf = -29899;
} // namespace

ListPrintMenu::ListPrintMenu(RecordGrid &grid, Messages &messages, const QString &reportTitle)
    : m_grid(grid), m_messages(messages), m_reportTitle(reportTitle), m_chooseFile(&chooseSaveFile),
      m_inputBox([&grid](const InputBoxRequest &request, QString &text) { return ShowInputBox(request, text, &grid); })
{
}

void ListPrintMenu::AddItems(PopupMenu &menu, const QString &parentKey) const
{
    menu.AddItem(parentKey, QStringLiteral("F"), GetText(16151));
    menu.AddItem(parentKey, QStringLiteral("N"), GetText(16152));
    menu.AddItem(parentKey, QStringLiteral("P"), GetText(16153));
}

bool ListPrintMenu::Run(const QString &key)
{
    if (key == QLatin1String("F"))
        exportList();
    else if (key == QLatin1String("N"))
        printWithTitle();
    else if (key == QLatin1String("P"))
        print(m_reportTitle);
    else
        return false;
    return true;
}

void ListPrintMenu::exportList()
{
    QString error;
    if (ExportGrid(m_grid, m_chooseFile, GetText(-31485), error) != ExportResult::Failed)
        return;
    MessageRequest request;
    request.textNumber = -31111;
    request.titleNumber = -32767;
    request.style = MessageStyle::Error;
    request.buttonNumbers = {17000};
    request.appendix = error;
    m_messages.show(request, &m_grid);
}

void ListPrintMenu::printWithTitle()
{
    InputBoxRequest request;
    request.title = GetText(-32762);
    request.message = GetText(-31476);
    request.maximumLength = kMaxTitleLength;
    request.defaultText = m_reportTitle;
    QString title;
    if (!m_inputBox(request, title))
        return;
    title = title.left(kMaxTitleLength);
    if (title.isEmpty())
        return;
    print(title);
}

void ListPrintMenu::print(const QString &title)
{
    if (m_printer)
        m_printer(m_grid, title);
    else
        printOnDefaultPrinter(m_grid, title, m_messages, m_pdfFolder);
}

QString DefaultListFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ostrelle/lists");
}

int printOnDefaultPrinter(RecordGrid &grid, const QString &title, Messages &messages, const QString &pdfFolder)
{
    return printTableOnDefaultPrinter(gridTable(grid), title, messages, pdfFolder, &grid);
}

int printTableOnDefaultPrinter(const ListTable &table, const QString &title, Messages &messages,
                               const QString &pdfFolder, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    const QDir folder(pdfFolder.isEmpty() ? DefaultListFolder() : pdfFolder);
    folder.mkpath(QStringLiteral("."));
    const QString stem =
        QStringLiteral("list-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    // A second list within the same second gets a file of its own.
    QString pdf = folder.filePath(stem + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(pdf); ++n)
        pdf = folder.filePath(QStringLiteral("%1-%2.pdf").arg(stem).arg(n));
    const bool toPdf = useDefaultPrinter(printer, pdf);
    const int pages = printList(printer, title, table);
    // Without a printer the operator would not know the list was printed at all.
    if (toPdf && pages > 0)
        messages.information(kSavedAsPdf, {QDir::toNativeSeparators(pdf)}, parent);
    return pages;
}
