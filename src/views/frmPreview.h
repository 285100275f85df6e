#pragma once

#include "ui/grid/ListExport.h"

#include <QDialog>

#include <functional>

class QTreeWidget;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The system-settings report: every setting by page as it is stored now, shown before it is
// printed or saved as a PDF. It reads the parameters again when it opens.
class frmPreview : public QDialog
{
    Q_OBJECT

public:
    using PdfChooser = std::function<QString(QWidget *parent)>;

    frmPreview(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);

    // Runs only when the operator may read the settings and they could be read.
    int exec() override;
    // Tests name the file themselves.
    void setPdfChooser(PdfChooser chooser) { m_choosePdf = std::move(chooser); }
    // Writes the report into the PDF file; false when it could not (message -29777).
    bool SaveAsPdf(const QString &fileName);

private:
    bool load();
    void cmdSavePdf_Click();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QTreeWidget *m_tvwReport;
    ListTable m_table;
    QString m_title;
    PdfChooser m_choosePdf;
};
