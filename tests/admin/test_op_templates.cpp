#include "FindChild.h"
#include "SessionFixture.h"
#include "admin/OpTemplateRules.h"
#include "admin/OpTemplateStore.h"
#include "admin/frmOpTemplateData.h"
#include "admin/frmOpTemplateList.h"
#include "admin/frmXrefOpTemplate.h"
#include "components/recordtable/RecordTable.h"
#include "ui/grid/RecordGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace {

const QString kRange = QStringLiteral("operatorTemplateID = ? and operationCode >= ? and operationCode <= ?");

// Rows of a template's rights in a code range, optionally narrowed further.
int rightRows(DatabaseSeeds &seeds, qint32 id, qint32 first, qint32 last, const QString &extra = {})
{
    return seeds.rowCount(TableId::TemplateRights, kRange + extra, {id, first, last});
}

QVariant rightValue(RecordDatabase &db, qint32 id, qint32 code, const QString &field)
{
    RecordTable t(db);
    t.SelectTable(TableId::TemplateRights);
    t.SetField(QStringLiteral("operatorTemplateID"), id);
    t.SetField(QStringLiteral("operationCode"), code);
    t.FindRecord();
    EXPECT_STATUS(t, RecordStatus::Ok) << "row 0x" << QString::number(code, 16).toStdString();
    return t.GetField(field);
}

TEST(OpTemplateRules, OperatorsNeverChangeTheirOwnTemplateNorTheLowestRankAHigherOne)
{
    const struct
    {
        qint32 own, edited;
        int16_t refusal;
    } cases[] = {
        {1200, 5, -31143}, {5, 5, -31115},  {1000, 999, -31143}, {1000, 1000, -31115},
        {999, 5, 0},       {1000, 1200, 0}, {1, 1000, 0},        {300, 1, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TemplateChangeRefusal(c.own, c.edited), c.refusal) << c.own << " edits " << c.edited;
}

class OpTemplateStoreTest : public DatabaseTest
{
protected:
    qint32 create(const QString &name)
    {
        qint32 id = 0;
        OpTemplateRecord record{name};
        EXPECT_TRUE(store.create(record, id).ok());
        return id;
    }
    QList<DoorAreaMark> areasOf(qint32 id)
    {
        QList<DoorAreaMark> areas;
        EXPECT_TRUE(store.loadDoorAreas(id, areas).ok());
        return areas;
    }
    OpTemplateStore store{db};
};

TEST_P(OpTemplateStoreTest, ANewTemplateWithNothingTickedGetsEveryTableAndCardKindRowAndNoOther)
{
    addDoorGroup(7, QStringLiteral("Spa"));
    addDoorGroup(8, QStringLiteral("Pool"));
    const qint32 id = create(QStringLiteral("Porters"));
    ASSERT_TRUE(store.writeRights(id, {}, areasOf(id), RightsWrite::NewTemplate).ok());
    EXPECT_EQ(rightRows(*this, id, 0x800000, 0x800440, QStringLiteral(" and rwed = 0")), 69);
    EXPECT_EQ(rightRows(*this, id, 0x600100, 0x600118, QStringLiteral(" and maxValidity = 0")), 25);
    EXPECT_EQ(rightRows(*this, id, 0, 0x7fffffff), 69 + 25);
}

TEST_P(OpTemplateStoreTest, EachTickOfANewTemplateWritesItsRow)
{
    addDoorGroup(7, QStringLiteral("Spa"));
    const struct
    {
        const char *what;
        std::function<void(OpTemplateRights &, QList<DoorAreaMark> &)> tick;
        qint32 code;
        const char *field;
        qint32 value;
        int rows; // the template's rows in all
    } cases[] = {
        {"read users", [](auto &r, auto &) { r.tables[1] = 1; }, 0x800010, "rwed", 1, 94},
        {"delete sub-cameras", [](auto &r, auto &) { r.tables[68] = 8; }, 0x800440, "rwed", 8, 94},
        {"one-time card a day", [](auto &r, auto &) { r.validity[10] = 1440; }, 0x60010A, "maxValidity", 1440, 94},
        {"last card kind", [](auto &r, auto &) { r.validity[24] = 60; }, 0x600118, "maxValidity", 60, 94},
        {"function 19", [](auto &r, auto &) { r.functions.set(19); }, 0x700013, "operationCode", 0x700013, 95},
        {"bar area 7", [](auto &, auto &a) { a[0].barred = true; }, 0x200007, "disallowed", 1, 95},
    };
    for (const auto &c : cases) {
        const qint32 id = create(QLatin1String(c.what));
        OpTemplateRights rights;
        QList<DoorAreaMark> areas = areasOf(id);
        c.tick(rights, areas);
        ASSERT_TRUE(store.writeRights(id, rights, areas, RightsWrite::NewTemplate).ok()) << c.what;
        EXPECT_EQ(rightValue(db, id, c.code, QLatin1String(c.field)).toInt(), c.value) << c.what;
        EXPECT_EQ(rightRows(*this, id, 0, 0x7fffffff), c.rows) << c.what;
    }
}

TEST_P(OpTemplateStoreTest, AChangedTemplateUpdatesItsRowsAndAllowingAnAreaDeletesItsRow)
{
    addDoorGroup(7, QStringLiteral("Spa"));
    const qint32 id = create(QStringLiteral("Porters"));
    OpTemplateRights rights;
    rights.tables[1] = 3;
    rights.functions.set(6);
    QList<DoorAreaMark> areas = areasOf(id);
    areas[0].barred = true;
    ASSERT_TRUE(store.writeRights(id, rights, areas, RightsWrite::NewTemplate).ok());
    EXPECT_EQ(rightValue(db, id, 0x200007, QStringLiteral("disallowed")).toInt(), 1);

    OpTemplateRecord record;
    OpTemplateRights loaded;
    ASSERT_TRUE(store.load(id, record, loaded).ok());
    EXPECT_EQ(loaded.tables, rights.tables);
    EXPECT_EQ(loaded.functions, rights.functions);
    EXPECT_TRUE(areasOf(id).at(0).barred);

    // Function 6 stays ticked: its row must not be written twice.
    rights.tables[1] = 1;
    rights.validity[10] = 720;
    areas[0].barred = false;
    const OpTemplateResult changed = store.writeRights(id, rights, areas, RightsWrite::ChangedTemplate);
    ASSERT_TRUE(changed.ok()) << changed.errorCode << " " << changed.errorText.toStdString();
    EXPECT_EQ(rightValue(db, id, 0x800010, QStringLiteral("rwed")).toInt(), 1);
    EXPECT_EQ(rightValue(db, id, 0x60010A, QStringLiteral("maxValidity")).toInt(), 720);
    EXPECT_EQ(rightRows(*this, id, 0x200007, 0x200007), 0);
    EXPECT_EQ(rightRows(*this, id, 0, 0x7fffffff), 69 + 25 + 1);

    rights.functions.reset(6);
    ASSERT_TRUE(store.writeRights(id, rights, areas, RightsWrite::ChangedTemplate).ok());
    EXPECT_EQ(rightRows(*this, id, 0x700006, 0x700006), 0);
}

TEST_P(OpTemplateStoreTest, ANameIsFoundInAnyCaseButNotInTheTemplateItself)
{
    const qint32 front = create(QStringLiteral("Front desk"));
    const qint32 night = create(QStringLiteral("Night porter"));
    const struct
    {
        const char *name;
        qint32 except;
        qint32 owner;
    } cases[] = {{"FRONT DESK", night, front}, {" front desk ", front, 0}, {"Front", 0, 0}, {"night PORTER", 0, night}};
    for (const auto &c : cases) {
        qint32 owner = -1;
        ASSERT_TRUE(store.findNamed(QLatin1String(c.name), c.except, owner).ok());
        EXPECT_EQ(owner, c.owner) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, OpTemplateStoreTest, ::testing::Values("sqlite", "postgresql"));

class TemplateLog : public clsIOperatorTemplates
{
public:
    explicit TemplateLog(Notify &notify) : m_notify(notify)
    {
        m_notify.SubscribeOperatorTemplates(this, Notify::handleOf(this));
    }
    ~TemplateLog() override { m_notify.UnsubscribeOperatorTemplates(Notify::handleOf(this)); }
    void Add(int32_t id) override { entries << QStringLiteral("add %1").arg(id); }
    void Update(int32_t id) override { entries << QStringLiteral("update %1").arg(id); }
    void Remove(int32_t id) override { entries << QStringLiteral("remove %1").arg(id); }
    void Refresh() override {}
    QStringList entries;

private:
    Notify &m_notify;
};

class OpTemplateWindowTest : public SessionTest
{
protected:
    void click(QWidget *window, const char *name)
    {
        QTest::mouseClick(child<QPushButton>(window, QLatin1String(name)), Qt::LeftButton);
    }
};

TEST_P(OpTemplateWindowTest, SaveRefusesANameTakenInAnotherCaseThenStoresTheTemplate)
{
    logOnDesk({{Authority::TableRightsBase + TableId::OperatorTemplates, 15}});
    addTemplate(700, QStringLiteral("Front desk"));
    TemplateLog log(ws->session.notify);
    frmOpTemplateData dialog(ws->program, ws->db, ws->session);
    dialog.setValidityPrompt([](qint32 current, qint32 &chosen) {
        EXPECT_EQ(current, 0);
        chosen = 1440;
        return true;
    });
    child<QLineEdit>(&dialog, QStringLiteral("txtName"))->setText(QStringLiteral("FRONT DESK"));
    messages->expect(-31123);
    click(&dialog, "cmdSave");
    EXPECT_EQ(dialog.OperatorTemplateID(), 0);

    child<QLineEdit>(&dialog, QStringLiteral("txtName"))->setText(QStringLiteral("Porters"));
    child<QLineEdit>(&dialog, QStringLiteral("txtDescription"))->setText(QStringLiteral("Night shift"));
    auto *cards = child<QTreeWidget>(&dialog, QStringLiteral("lvwCards"));
    cards->setCurrentItem(cards->topLevelItem(10));
    click(&dialog, "cmdEdit");
    click(&dialog, "cmdSave");
    const qint32 id = dialog.OperatorTemplateID();
    ASSERT_GT(id, 0);
    EXPECT_EQ(rightValue(db, id, 0x60010A, QStringLiteral("maxValidity")).toInt(), 1440);
    EXPECT_EQ(rowCount(TableId::Notes, QStringLiteral("noteText = ?"), {QStringLiteral("Night shift")}), 1);
    EXPECT_EQ(log.entries, QStringList{QStringLiteral("add %1").arg(id)});
    EXPECT_FALSE(child<QPushButton>(&dialog, QStringLiteral("cmdUpdate"))->isHidden());
    click(&dialog, "cmdUpdate");
    EXPECT_EQ(rowCount(TableId::Notes), 1) << "an update rewrites the template's own note";
}

TEST_P(OpTemplateWindowTest, UpdateRefusesTheOwnTemplateAndReloadsTheRightsAfterAnother)
{
    logOnDesk({{Authority::TableRightsBase + TableId::OperatorTemplates, 15}});
    addTemplate(kDeskTemplate, QStringLiteral("Desk"));
    addTemplate(700, QStringLiteral("Front desk"));
    frmOpTemplateData dialog(ws->program, ws->db, ws->session);
    dialog.setOperatorTemplateID(kDeskTemplate);
    messages->expect(-31115);
    click(&dialog, "cmdUpdate");
    EXPECT_EQ(rowCount(TableId::TemplateRights, QStringLiteral("operatorTemplateID = ?"), {kDeskTemplate}), 1);

    // The desk's own rights change elsewhere; an update of any template reads them again.
    addRight(kDeskTemplate, Authority::TableRightsBase + TableId::Users, Authority::Read);
    dialog.setOperatorTemplateID(700);
    QTreeWidgetItem *users = child<QTreeWidget>(&dialog, QStringLiteral("lvwDB"))->topLevelItem(1);
    users->setCheckState(2, Qt::Checked);
    const int setups = menuSetups;
    click(&dialog, "cmdUpdate");
    EXPECT_EQ(rightValue(db, 700, 0x800010, QStringLiteral("rwed")).toInt(), Authority::Write);
    EXPECT_TRUE(ws->session.authority.HasRight(TableId::Users, Authority::Read));
    EXPECT_EQ(menuSetups, setups + 1);
}

TEST_P(OpTemplateWindowTest, TheListRemovesOnlyATemplateNoOperatorHas)
{
    logOnDesk({{Authority::TableRightsBase + TableId::OperatorTemplates, 15},
               {Authority::TableRightsBase + TableId::TemplateView, 1}});
    addTemplate(kDeskTemplate, QStringLiteral("Desk"));
    addTemplate(700, QStringLiteral("Front desk"));
    addTemplate(800, QStringLiteral("Spare"));
    addOperator(QStringLiteral("fd"), 700, QStringLiteral("pw"));
    addRight(800, 0x800010, 1);
    TemplateLog log(ws->session.notify);
    frmOpTemplateList list(ws->program, ws->db, ws->session, ws->frameWindows);
    auto *grid = child<RecordGrid>(&list, QStringLiteral("tlvTemplates"));
    grid->selectRow(1);
    messages->expect(-29847);
    click(&list, "cmdRemove");
    EXPECT_TRUE(hasRow(TableId::OperatorTemplates, QStringLiteral("operatorTemplateID"), 700));

    grid->selectRow(2);
    messages->expect(-29848, 0);
    click(&list, "cmdRemove");
    EXPECT_FALSE(hasRow(TableId::OperatorTemplates, QStringLiteral("operatorTemplateID"), 800));
    EXPECT_EQ(rowCount(TableId::TemplateRights, QStringLiteral("operatorTemplateID = ?"), {800}), 0);
    EXPECT_EQ(log.entries, QStringList{QStringLiteral("remove 800")});
    EXPECT_EQ(grid->RowTotal(), 2);
}

TEST_P(OpTemplateWindowTest, TheCrossReferenceMarksBarredAreasAndFollowsChanges)
{
    logOnDesk({{Authority::TableRightsBase + TableId::OperatorTemplates, 1}});
    addTemplate(700, QStringLiteral("Front desk"));
    addTemplate(1000, QStringLiteral("Night porter"));
    addDoorGroup(7, QStringLiteral("Pool"));
    addDoorGroup(8, QStringLiteral("Spa"));
    OpTemplateStore store(db);
    ASSERT_TRUE(store.writeRights(1000, {}, {{7, {}, true}}, RightsWrite::ChangedTemplate).ok());
    frmXrefOpTemplate xref(ws->program, ws->db, ws->session, ws->frameWindows);
    auto *grid = child<QTableWidget>(&xref, QStringLiteral("grdXref"));
    auto marks = [grid] {
        QStringList rows;
        for (int row = 0; row < grid->rowCount(); ++row) {
            QString marks;
            for (int column = 0; column < grid->columnCount(); ++column)
                marks += grid->item(row, column)->text();
            rows << marks;
        }
        return rows.join(QLatin1Char('/'));
    };
    EXPECT_EQ(marks(), QStringLiteral("YY/NY"));
    ASSERT_TRUE(store.writeRights(700, {}, {{8, {}, true}}, RightsWrite::ChangedTemplate).ok());
    ws->session.notify.NotifyOperatorTemplateUpdated(700);
    EXPECT_EQ(marks(), QStringLiteral("YN/NY"));
}

INSTANTIATE_TEST_SUITE_P(Engines, OpTemplateWindowTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
