#include "FindChild.h"
#include "startup/frmCmdlineDialog.h"
#include "startup/frmSplash.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs the editor as the start-up does and types into it once it is up.
bool editWith(QString &line, const std::function<void(QLineEdit *)> &type)
{
    QTimer::singleShot(0, [type] {
        auto *dialog = qobject_cast<frmCmdlineDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        type(child<QLineEdit>(dialog, "txtCmdline"));
    });
    return EditCommandLine(line);
}

TEST(frmCmdlineDialog, EnterTakesTheEditedLineEscKeepsTheRealOne)
{
    QString line = QStringLiteral("/S");
    EXPECT_TRUE(editWith(line, [](QLineEdit *edit) {
        EXPECT_EQ(edit->text(), QStringLiteral("/S")) << "preset with the real command line";
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("/? /U"));
        QTest::keyClick(edit, Qt::Key_Return);
    }));
    EXPECT_EQ(line, QStringLiteral("/? /U"));

    line = QStringLiteral("/S");
    EXPECT_FALSE(editWith(line, [](QLineEdit *edit) {
        QTest::keyClicks(edit, QStringLiteral(" /X other.so"));
        QTest::keyClick(edit, Qt::Key_Escape);
    }));
    EXPECT_EQ(line, QStringLiteral("/S"));
}

TEST(frmSplash, ShowsTheVersion)
{
    TextResources texts;
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    ASSERT_TRUE(texts.LoadTextLibrary());
    TextResources::install(&texts);
    frmSplash splash;
    splash.ShowNow();
    EXPECT_TRUE(child<QLabel>(&splash, "lblVersion")
                    ->text()
                    .contains(QStringLiteral("%1.%2.%3")
                                  .arg(OSTRELLE_VERSION_MAJOR)
                                  .arg(OSTRELLE_VERSION_MINOR)
                                  .arg(OSTRELLE_VERSION_PATCH)));
    TextResources::install(nullptr);
}

} // namespace
