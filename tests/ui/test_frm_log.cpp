#include "FindChild.h"
#include "TempHives.h"
#include "ui/frmLog.h"

#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

int noBox(const QString &text, DialogStyle, const QString &, const QStringList &)
{
    ADD_FAILURE() << "unexpected message box: " << text.toStdString();
    return 0;
}

int32_t storedTwips(TempHives &hives, const char *name)
{
    int32_t value = -1;
    EXPECT_TRUE(hives.registry.ReadLong(QString::fromLatin1(name), value)) << name;
    return value;
}

TEST(frmLog, AddLogSelectsTheNewLastLine)
{
    TempHives hives;
    frmLog log(hives.registry, noBox);
    auto *list = child<QListWidget>(&log, QStringLiteral("lstDebug"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(log.objectName(), QStringLiteral("frmLog"));

    log.ShowLog();
    for (int i = 0; i < 200; ++i)
        log.AddLog(QStringLiteral("Room %1: no valid card").arg(i));
    ASSERT_EQ(list->count(), 200);
    EXPECT_EQ(list->currentRow(), 199);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front()->text(), QStringLiteral("Room 199: no valid card"));
    // Scrolled so the newest line shows.
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualItemRect(list->item(199))));

    log.Clear();
    EXPECT_EQ(list->count(), 0);
}

TEST(frmLog, OpensAtItsDefaultSizeAndKeepsEqualMarginsAroundTheList)
{
    TempHives hives;
    frmLog log(hives.registry, noBox);
    log.ShowLog();
    EXPECT_EQ(log.size(), QSize(376, 251)); // 5640 x 3765 twips

    auto *list = child<QListWidget>(&log, QStringLiteral("lstDebug"));
    ASSERT_NE(list, nullptr);
    const QPoint margin = list->pos();
    log.resize(500, 300);
    EXPECT_EQ(list->geometry(), QRect(margin, QSize(500 - 2 * margin.x(), 300 - 2 * margin.y())));
}

TEST(frmLog, EscapeClosesAndStoresThePlacement)
{
    TempHives hives;
    frmLog log(hives.registry, noBox);
    log.ShowLog();
    log.move(30, 40);
    log.resize(400, 200);
    ASSERT_TRUE(log.isVisible());

    QTest::keyClick(child<QListWidget>(&log, QStringLiteral("lstDebug")), Qt::Key_Escape);
    EXPECT_FALSE(log.isVisible());
    // Under the log's own names (the conversion to twips is WindowPlacement's); shown again, it comes back.
    EXPECT_EQ(storedTwips(hives, "dlgLogWidth"), 6000);
    EXPECT_EQ(storedTwips(hives, "dlgLogTop"), 600);
    frmLog again(hives.registry, noBox);
    again.ShowLog();
    EXPECT_EQ(again.size(), QSize(400, 200));
    EXPECT_EQ(again.pos(), QPoint(30, 40));
}

} // namespace
