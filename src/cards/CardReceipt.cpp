#include "cards/CardReceipt.h"

#include "cards/CardKinds.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"

#include <QDateTime>
#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace {

constexpr double kTwipsPerMm = 56.7;
constexpr double kLabelEnd = 2268;
constexpr int16_t kBusyPrinting = 4; // status text -31996
constexpr int16_t kSavedAsPdf = -29900;
const QString kIndent = QStringLiteral("     ");

QFont receiptFont(int points)
{
    QFont font(QStringLiteral("Arial"));
    // The painter works in twips: 20 to the point.
    font.setPixelSize(points * 20);
    return font;
}

double lineHeight(const QPainter &painter)
{
    return QFontMetricsF(painter.font(), painter.device()).boundingRect(QStringLiteral("YyGg")).height();
}

// A label that ends at L + 2268 and its value right after it, the text's top at y.
void labelLine(QPainter &painter, const ReceiptPage &page, double y, int16_t label, const QString &value)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    const QString text = GetText(label);
    const double ascent = metrics.ascent();
    painter.drawText(QPointF(page.left + kLabelEnd - metrics.horizontalAdvance(text), y + ascent), text);
    painter.drawText(QPointF(page.left + kLabelEnd, y + ascent), value);
}

QStringList wrapNote(const QString &note, const QFontMetricsF &metrics, double width)
{
    QStringList lines;
    const QStringList paragraphs =
        QString(note).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '))) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
                lines << line;
                line = word;
            } else {
                line = candidate;
            }
        }
        lines << line;
    }
    return lines;
}

} // namespace

QString ReceiptFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ostrelle/receipts");
}

ReceiptContent LoadReceiptContent(DatabaseServices &db, int32_t registrationNumber, int32_t firstNumber)
{
    ReceiptContent content;
    if (db.SystemParams) {
        content.propertyName = db.SystemParams->PropertyName();
        content.note = db.SystemParams->PrinterNote();
    }
    content.numberText = kIndent + RegistrationNumberText(static_cast<quint32>(registrationNumber));
    if (firstNumber != -1)
        content.numberText = kIndent + RegistrationNumberText(static_cast<quint32>(firstNumber)) +
                             QStringLiteral(", ") + RegistrationNumberText(static_cast<quint32>(registrationNumber));
    RecordTable view(*db.database);
    view.SelectTable(TableId::CardView);
    content.printDate = CardDateTimeText(view.ServerNow());
    view.SetField(Field::registrationNumber, registrationNumber);
    view.FindRecord();
    if (view.Status() != RecordStatus::Ok)
        return content;
    auto text = [&view](QLatin1String field) { return kIndent + view.GetField(field).toString(); };
    auto time = [&view](QLatin1String field) { return kIndent + CardDateTimeText(view.GetField(field).toDouble()); };
    content.alphaID = text(Field::alphaID);
    content.surname = text(Field::surname);
    content.firstname = text(Field::firstname);
    content.cardName = text(Field::cardName);
    content.issueOperatorAlphaID = text(Field::issueOperatorAlphaID);
    content.issueTime = time(Field::issueTime);
    content.startTime = time(Field::startTime);
    const double expire = view.GetField(Field::expireTime).toDouble();
    content.expireTime = kIndent + (expire == NoExpiry ? GetText(16131) : CardDateTimeText(expire));
    return content;
}

void PaintReceipt(QPainter &painter, const ReceiptPage &page, const ReceiptContent &content)
{
    const double t = page.top;
    const double l = page.left;
    const double width = page.right - page.left;

    painter.setFont(receiptFont(14));
    double h = lineHeight(painter);
    painter.drawLine(QPointF(l, t + h + 113.4), QPointF(page.right, t + h + 113.4));
    painter.drawText(QRectF(0, t, page.paperWidth, h), Qt::AlignHCenter | Qt::AlignTop, content.propertyName);

    painter.setFont(receiptFont(12));
    h = lineHeight(painter);
    const struct
    {
        double at;
        int16_t label;
        const QString &value;
    } lines[] = {
        {5, 16200, content.alphaID},      {6.5, 16201, content.surname},   {8, 16202, content.firstname},
        {12.5, 16203, content.cardName},  {14, 16204, content.issueTime},  {15.5, 16205, content.issueOperatorAlphaID},
        {18.5, 16206, content.startTime}, {20, 16207, content.expireTime}, {21.5, 16208, content.numberText},
    };
    for (const auto &line : lines)
        labelLine(painter, page, t + line.at * h, line.label, line.value);

    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(QPointF(l, t + 24.5 * h + metrics.ascent()), QStringLiteral("Note:"));
    double y = t + 26 * h;
    for (const QString &line : wrapNote(content.note, metrics, width)) {
        painter.drawText(QPointF(l, y + metrics.ascent()), line);
        y += h;
    }
    labelLine(painter, page, t + 45 * h, 16209, QString());
    painter.drawLine(QPointF(l + 2381.4, t + 46 * h), QPointF(l + 8051.4, t + 46 * h));

    painter.setFont(receiptFont(6));
    h = lineHeight(painter);
    painter.drawLine(QPointF(l, page.bottom - 1.5 * h), QPointF(page.right, page.bottom - 1.5 * h));
    painter.drawText(QRectF(0, page.bottom - h, page.paperWidth, h), Qt::AlignHCenter | Qt::AlignTop,
                     content.printDate);
}

QString PrintCardReceipt(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                         int32_t firstNumber, QWidget *parent, const QString &pdfFile)
{
    if (session.receiptPrinting) {
        program.messages->error(-31163, {}, {}, parent);
        return QString();
    }
    session.receiptPrinting = true;
    SetBusyState(session.frame.busy, kBusyPrinting);
    const ReceiptContent content =
        LoadReceiptContent(db, cardServers.firstCardsIntf->GetRegistrationNumber(), firstNumber);

    QPrinter printer(QPrinter::HighResolution);
    QString pdf = pdfFile;
    if (pdf.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) {
        QDir().mkpath(ReceiptFolder());
        pdf = QDir(ReceiptFolder())
                  .filePath(QStringLiteral("receipt-%1.pdf")
                                .arg(RegistrationNumberText(
                                    static_cast<quint32>(cardServers.firstCardsIntf->GetRegistrationNumber()))));
    }
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    printer.setFullPage(true);
    printer.setDocName(
        GetText(16208) + QLatin1Char(' ') +
        RegistrationNumberText(static_cast<quint32>(cardServers.firstCardsIntf->GetRegistrationNumber())));
    QPainter painter;
    if (painter.begin(&printer)) {
        const double scale = printer.resolution() / 1440.0;
        painter.scale(scale, scale);
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        const PrinterMargins &m = program.printerMargins;
        ReceiptPage page;
        page.top = m[PortraitTop] * kTwipsPerMm;
        page.left = m[PortraitLeft] * kTwipsPerMm;
        page.bottom = paper.height() / scale - m[PortraitBottom] * kTwipsPerMm;
        page.right = paper.width() / scale - m[PortraitRight] * kTwipsPerMm;
        page.paperWidth = paper.width() / scale;
        PaintReceipt(painter, page, content);
        painter.end();
    }
    SetBusyState(session.frame.busy, 0);
    session.receiptPrinting = false;
    if (!pdf.isEmpty() && pdfFile.isEmpty())
        program.messages->information(kSavedAsPdf, {QDir::toNativeSeparators(pdf)}, parent);
    return pdf;
}
