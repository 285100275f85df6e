#include "ui/grid/ListPrinter.h"

#include "ui/grid/RecordGrid.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace {

// Natural column widths, narrowed in proportion when the page is too small for all of them.
QList<int> columnWidths(const ListTable &table, const QFontMetrics &metrics, const QFontMetrics &headingMetrics,
                        int pageWidth, int gap)
{
    QList<int> widths;
    for (int c = 0; c < table.titles.size(); ++c) {
        int width = headingMetrics.horizontalAdvance(table.titles.at(c));
        for (const QStringList &row : table.rows)
            width = std::max(width, metrics.horizontalAdvance(row.value(c)));
        widths << width + gap;
    }
    int total = 0;
    for (int w : widths)
        total += w;
    if (total > pageWidth && total > 0) {
        for (int &w : widths)
            w = static_cast<int>(static_cast<qint64>(w) * pageWidth / total);
    }
    return widths;
}

void drawRow(QPainter &painter, const QStringList &cells, const QList<int> &widths, int left, int top, int height,
             int gap)
{
    const QFontMetrics metrics = painter.fontMetrics();
    int x = left;
    for (int c = 0; c < widths.size(); ++c) {
        // Half the gap is slack: the elision measures in fractions the advances round away.
        const int width = std::max(0, widths.at(c) - gap / 2);
        painter.drawText(QRect(x, top, width, height), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(cells.value(c), Qt::ElideRight, width));
        x += widths.at(c);
    }
}

} // namespace

int printList(QPrinter &printer, const QString &title, const ListTable &table)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRect page = printer.pageLayout()
                           .paintRectPixels(printer.resolution())
                           .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());

    QFont body(QStringLiteral("Sans Serif"), 9);
    QFont heading = body;
    heading.setBold(true);
    QFont titleFont = body;
    titleFont.setPointSize(13);
    titleFont.setBold(true);

    // Measured with the painter's own fonts, so what is measured is what is drawn.
    painter.setFont(heading);
    const QFontMetrics headingMetrics = painter.fontMetrics();
    painter.setFont(titleFont);
    const int titleHeight = painter.fontMetrics().height() * 3 / 2;
    painter.setFont(body);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height() * 5 / 4;
    const int gap = metrics.horizontalAdvance(QStringLiteral("MM"));
    const QList<int> widths = columnWidths(table, metrics, headingMetrics, page.width(), gap);

    const int rowsTop = page.top() + titleHeight + line * 3 / 2;
    const int rowsBottom = page.bottom() - line * 2;
    const int perPage = std::max(1, (rowsBottom - rowsTop) / line);
    const int pages = std::max<int>(1, static_cast<int>((table.rows.size() + perPage - 1) / perPage));

    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage())
            return p;
        painter.setFont(titleFont);
        painter.drawText(QRect(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
                         title);
        painter.setFont(heading);
        drawRow(painter, table.titles, widths, page.left(), page.top() + titleHeight, line, gap);
        painter.drawLine(page.left(), rowsTop - line / 4, page.right(), rowsTop - line / 4);
        painter.setFont(body);
        const int first = p * perPage;
        const int last = std::min<int>(static_cast<int>(table.rows.size()), first + perPage);
        for (int r = first; r < last; ++r)
            drawRow(painter, table.rows.at(r), widths, page.left(), rowsTop + (r - first) * line, line, gap);
        painter.drawText(QRect(page.left(), page.bottom() - line, page.width(), line), Qt::AlignHCenter,
                         QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
    }
    painter.end();
    return pages;
}

int PrintGrid(RecordGrid &grid, const QString &title, QPrinter &printer)
{
    const ListTable table = gridTable(grid);
    return printList(printer, title, table);
}

bool useDefaultPrinter(QPrinter &printer, const QString &pdfFallbackFile)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        printer.setPrinterName(info.printerName());
        printer.setOutputFormat(QPrinter::NativeFormat);
        return false;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFallbackFile);
    return true;
}
