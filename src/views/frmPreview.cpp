#include "views/frmPreview.h"

#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Authority.h"
#include "session/Services.h"
#include "settings/SystemSettings.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/FormTexts.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/ListPrinter.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPrinter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

using namespace SystemSettings;

constexpr int16_t kCaption = 29402;
constexpr int16_t kYes = 29404;
constexpr int16_t kNo = 29405;
constexpr int16_t kPrintedOn = 29406;
constexpr int16_t kPdfFilter = 29407;
constexpr int16_t kNever = 29408;
constexpr int16_t kSettingTitle = 29409;
constexpr int16_t kValueTitle = 29410;
constexpr int16_t kSavePdf = 29403;
constexpr int16_t kPrint = 16153;
constexpr int16_t kClose = 16103;
constexpr int16_t kNotLoaded = -31151;
constexpr int16_t kSaved = -29778;
constexpr int16_t kNotSaved = -29777;

QString shownValue(const Entry &entry, const QVariant &value)
{
    switch (entry.control) {
    case Control::Check:
        return GetText(value.toInt() != 0 ? kYes : kNo);
    case Control::Spin:
    case Control::Digits:
        return QString::number(value.toInt());
    case Control::Clock:
        return ClockText(value.toInt());
    case Control::Text:
    case Control::Track2:
        return value.toString();
    case Control::Date:
        return value.toDouble() == 0 ? GetText(kNever)
                                     : OleDate::formatShortDate(value.toDouble()) + QLatin1Char(' ') +
                                           OleDate::formatShortTime(value.toDouble());
    }
    return {};
}

// A caption as a report line: no access key, no colon.
QString plainCaption(const Entry &entry)
{
    QString caption = Caption(entry).remove(QLatin1Char('&'));
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption;
}

QString choosePdf(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, GetText(kSavePdf).remove(QLatin1Char('&')), QString(),
                                        GetText(kPdfFilter));
}

} // namespace

frmPreview::frmPreview(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QDialog(parent), m_program(program), m_db(db), m_session(session), m_tvwReport(new QTreeWidget(this)),
      m_choosePdf(choosePdf)
{
    setObjectName(QStringLiteral("frmPreview"));
    m_tvwReport->setObjectName(QStringLiteral("tvwReport"));
    m_tvwReport->setHeaderLabels({GetText(kSettingTitle), GetText(kValueTitle)});
    m_tvwReport->setRootIsDecorated(false);
    m_tvwReport->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto *cmdPrint = CommandButton(this, "cmdPrint", kPrint);
    auto *cmdSavePdf = CommandButton(this, "cmdSavePdf", kSavePdf);
    auto *cmdClose = CommandButton(this, "cmdClose", kClose);
    cmdClose->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdSavePdf);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tvwReport, 1);
    layout->addLayout(buttons);
    resize(720, 760);

    connect(cmdPrint, &QPushButton::clicked, this,
            [this] { printTableOnDefaultPrinter(m_table, m_title, *m_program.messages, QString(), this); });
    connect(cmdSavePdf, &QPushButton::clicked, this, &frmPreview::cmdSavePdf_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    load();
}

bool frmPreview::load()
{
    clsSystemParams &params = *m_db.SystemParams;
    // The report shows what is stored now, also what another workstation saved since the start.
    if (!params.ReadSystemParameters())
        return false;
    m_title = GetText(kCaption) + QStringLiteral(" - ") + params.PropertyName();
    setWindowTitle(m_title);
    m_table = {{GetText(kSettingTitle), GetText(kValueTitle)}, {}};
    m_table.rows.append(
        {FormatText(GetText(kPrintedOn), {QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)}),
         QString()});
    m_tvwReport->clear();
    for (int p = 0; p < PageCount; ++p) {
        const auto page = static_cast<Page>(p);
        m_table.rows.append({GetText(PageCaption(page)).toUpper(), QString()});
        auto *heading = new QTreeWidgetItem(m_tvwReport, {GetText(PageCaption(page))});
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        for (const Entry &entry : Entries()) {
            if (entry.page != page)
                continue;
            const QStringList row = {plainCaption(entry), shownValue(entry, params.value(entry.key))};
            m_table.rows.append(row);
            new QTreeWidgetItem(m_tvwReport, row);
        }
    }
    return true;
}

int frmPreview::exec()
{
    if (!m_session.authority.IsTableDialogAvailable(TableId::Parameters, parentWidget()))
        return Rejected;
    if (!load()) {
        m_program.messages->error(kNotLoaded, {}, {}, parentWidget());
        return Rejected;
    }
    return QDialog::exec();
}

bool frmPreview::SaveAsPdf(const QString &fileName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setDocName(m_title);
    const bool written = printList(printer, m_title, m_table) > 0;
    const QVariantList file = {QDir::toNativeSeparators(fileName)};
    if (written)
        m_program.messages->information(kSaved, file, this);
    else
        m_program.messages->error(kNotSaved, file, {}, this);
    return written;
}

void frmPreview::cmdSavePdf_Click()
{
    const QString fileName = m_choosePdf(this);
    if (!fileName.isEmpty())
        SaveAsPdf(fileName);
}
