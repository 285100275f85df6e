#include "platform/MessageDialog.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(MessageDialog, IsCentredOnTheScreenAsShownEvenWhenItsTextWraps)
{
    const QString sentence = QStringLiteral("The database server cannot be reached from this workstation. ");
    for (const QString &text : {QStringLiteral("Short."), sentence.repeated(30)}) {
        QRect shown;
        QTimer::singleShot(0, [&shown] {
            QWidget *box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            shown = box->frameGeometry();
            box->close();
        });
        ShowMessageDialog(text, DialogStyle::Error, QStringLiteral("Error Message"), {QStringLiteral("OK")});
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE((shown.center() - area.center()).manhattanLength(), 2)
            << text.size() << " characters: " << shown.x() << "," << shown.y() << " " << shown.width() << "x"
            << shown.height() << " on " << area.width() << "x" << area.height();
    }
}

} // namespace
