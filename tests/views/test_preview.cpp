#include "FindChild.h"
#include "SessionFixture.h"
#include "components/recordtable/TableDefs.h"
#include "views/frmPreview.h"

#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace {

class PreviewTest : public SessionTest
{
};

TEST_P(PreviewTest, TheSavedPdfHoldsThePropertyAndTheStoredSettings)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is installed by scripts/install-deps.sh";
    logOnDesk({{0x800000 + TableId::Parameters, 1}});
    // Stored after the start: the report reads the table again.
    putParameter(QStringLiteral("PROPERTYNAME"), QStringLiteral("Harbour View"));
    putParameter(QStringLiteral("NORMALCHECKOUT"), QStringLiteral("675"));
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("settings.pdf"));
    frmPreview preview(ws->program, ws->db, ws->session);
    preview.setPdfChooser([&pdf](QWidget *) { return pdf; });
    messages->expect(-29778);
    child<QPushButton>(&preview, QStringLiteral("cmdSavePdf"))->click();
    EXPECT_TRUE(messages->allAnswered());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString written = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(written.contains(QStringLiteral("Harbour View"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("11:15"))) << written.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, PreviewTest, ::testing::Values("sqlite"));

} // namespace
