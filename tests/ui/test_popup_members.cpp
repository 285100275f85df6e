#include "ui/DialogMembers.h"
#include "ui/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(PopupMenu, EntriesHangFromKnownParentsAndKeysAreUnique)
{
    PopupMenu menu;
    menu.CreateRoot(QStringLiteral("HIDDEN"), QStringLiteral("H0"));
    EXPECT_TRUE(menu.AddItem(QStringLiteral("H0"), QStringLiteral("VIEW"), QStringLiteral("View")));
    EXPECT_TRUE(menu.AddItem(QStringLiteral("VIEW"), QStringLiteral("V1"), QStringLiteral("Card list")));
    EXPECT_TRUE(menu.AddItem(QStringLiteral("VIEW"), QStringLiteral("V2"), QStringLiteral("User list"), false));
    EXPECT_TRUE(menu.AddItem(QStringLiteral("H0"), QStringLiteral("-"), QStringLiteral("-")));
    EXPECT_TRUE(menu.AddItem(QStringLiteral("H0"), QStringLiteral("-"), QStringLiteral("-"))) << "separators repeat";
    EXPECT_TRUE(menu.AddItem(QStringLiteral("H0"), QStringLiteral("T1"), QStringLiteral("Verify card")));
    EXPECT_FALSE(menu.AddItem(QStringLiteral("NOPE"), QStringLiteral("X1"), QStringLiteral("Lost")))
        << "unknown parent";
    EXPECT_FALSE(menu.AddItem(QStringLiteral("H0"), QStringLiteral("V1"), QStringLiteral("Again"))) << "key taken";

    EXPECT_EQ(menu.keys(QStringLiteral("H0")), QStringList({"VIEW", "-", "-", "T1"}));
    EXPECT_EQ(menu.selectableKeys(QStringLiteral("H0")), QStringList({"V1", "V2", "T1"}));
    EXPECT_EQ(menu.caption(QStringLiteral("V1")), QStringLiteral("Card list"));
    EXPECT_FALSE(menu.isEnabled(QStringLiteral("V2")));

    // The Qt menu: a sub-menu for VIEW, the keys as action data, the disabled entry greyed.
    std::unique_ptr<QMenu> shown(menu.buildMenu(QStringLiteral("H0"), nullptr));
    const QList<QAction *> top = shown->actions();
    ASSERT_EQ(top.size(), 4);
    ASSERT_NE(top.at(0)->menu(), nullptr);
    EXPECT_EQ(top.at(0)->menu()->objectName(), QStringLiteral("VIEW"));
    const QList<QAction *> view = top.at(0)->menu()->actions();
    ASSERT_EQ(view.size(), 2);
    EXPECT_EQ(view.at(0)->data().toString(), QStringLiteral("V1"));
    EXPECT_FALSE(view.at(1)->isEnabled());
    EXPECT_TRUE(top.at(1)->isSeparator());
    EXPECT_EQ(top.at(3)->data().toString(), QStringLiteral("T1"));

    // A new root starts empty.
    menu.CreateRoot(QStringLiteral("HIDDEN"), QStringLiteral("H0"));
    EXPECT_TRUE(menu.keys(QStringLiteral("H0")).isEmpty());
    menu.setChooser([](const PopupMenu &, const QString &root, const QPoint &) { return root + QStringLiteral("!"); });
    EXPECT_EQ(menu.Show(QStringLiteral("H0"), QPoint()), QStringLiteral("H0!"));
}

class Callee : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Cancel MEMBER cancel)
public:
    Q_INVOKABLE void SetFunction(int n) { function = n; }
    Q_INVOKABLE void SetFilters(const QVariantList &values) { filters = values; }
    Q_INVOKABLE void Name(const QString &text, double day) { name = text + QString::number(day); }
    Q_INVOKABLE bool IsDialogAvailable() const { return available; }
    Q_INVOKABLE bool Done() const { return true; }
    bool cancel = false;
    bool available = false;
    int function = -1;
    QVariantList filters;
    QString name;
};

TEST(DialogMembers, CallsMembersByNameWithConvertedArguments)
{
    Callee callee;
    EXPECT_TRUE(DialogMembers::call(&callee, "SetFunction", {3}));
    EXPECT_EQ(callee.function, 3);
    EXPECT_TRUE(DialogMembers::call(&callee, "SetFunction", {QStringLiteral("2")})) << "text converts to int";
    EXPECT_EQ(callee.function, 2);
    EXPECT_TRUE(
        DialogMembers::call(&callee, "SetFilters", QVariantList{QVariant(QVariantList{1, QStringLiteral("a")})}));
    EXPECT_EQ(callee.filters.size(), 2);
    EXPECT_TRUE(DialogMembers::call(&callee, "Name", {QStringLiteral("day "), 45444.5}));
    EXPECT_EQ(callee.name, QStringLiteral("day 45444.5"));

    EXPECT_FALSE(DialogMembers::call(&callee, "StartSearch")) << "a member the window lacks";
    EXPECT_FALSE(DialogMembers::call(&callee, "SetFunction")) << "wrong number of arguments";
    EXPECT_FALSE(DialogMembers::call(nullptr, "SetFunction", {1}));

    EXPECT_FALSE(DialogMembers::isDialogAvailable(&callee));
    callee.available = true;
    EXPECT_TRUE(DialogMembers::isDialogAvailable(&callee));
    QWidget plain;
    EXPECT_TRUE(DialogMembers::isDialogAvailable(&plain)) << "a window without the member may open";

    EXPECT_FALSE(DialogMembers::readBool(&callee, "Cancel", true)) << "a property";
    EXPECT_TRUE(DialogMembers::readBool(&callee, "Done", false)) << "a member";
    EXPECT_TRUE(DialogMembers::readBool(&plain, "Cancel", true)) << "the fallback";
}

} // namespace

#include "test_popup_members.moc"
