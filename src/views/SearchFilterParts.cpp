#include "views/SearchFilterParts.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"
#include "texts/Texts.h"
#include "ui/TickImages.h"
#include "views/CardSearchRules.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace SearchFilterParts {

namespace {

constexpr int16_t kStateLoadingDoors = 1; // -31998

bool keyEndsWith(const QTreeWidgetItem *item, char marker)
{
    return item->data(0, kKeyRole).toString().endsWith(QLatin1Char(marker));
}

} // namespace

QLineEdit *edit(QWidget *parent, const char *name, const QString &pattern, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    if (!pattern.isEmpty())
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), e));
    return e;
}

QLabel *label(QWidget *parent, int16_t text, QWidget *buddy)
{
    auto *l = new QLabel(GetText(text), parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

QWidget *datesTab(std::initializer_list<DateRow> rows)
{
    auto *dates = new QWidget;
    dates->setObjectName(QStringLiteral("tabDates"));
    auto *d = new QGridLayout(dates);
    d->addWidget(label(dates, 22643), 0, 1);
    d->addWidget(label(dates, 22644), 0, 2);
    int row = 1;
    for (const DateRow &r : rows) {
        r.from->setPlaceholderText(searchDateFormat());
        r.to->setPlaceholderText(searchDateFormat());
        d->addWidget(label(dates, r.caption, r.from), row, 0);
        d->addWidget(r.from, row, 1);
        d->addWidget(r.to, row, 2);
        ++row;
    }
    d->setColumnStretch(3, 1);
    d->setRowStretch(row, 1);
    return dates;
}

QWidget *kindsTab(QTreeWidget *kinds, QPushButton *checkAll, QPushButton *uncheckAll)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabKinds"));
    kinds->setObjectName(QStringLiteral("lvwCards"));
    kinds->setHeaderHidden(true);
    kinds->setRootIsDecorated(false);
    auto *k = new QVBoxLayout(page);
    k->addWidget(kinds, 1);
    auto *kindButtons = new QHBoxLayout;
    kindButtons->addWidget(checkAll);
    kindButtons->addWidget(uncheckAll);
    kindButtons->addStretch(1);
    k->addLayout(kindButtons);
    return page;
}

QWidget *doorsTab(QTreeWidget *doors, QLineEdit *doorName, QPushButton *clearDoorName)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabDoors"));
    doors->setObjectName(QStringLiteral("tvwDoors"));
    doors->setHeaderHidden(true);
    doorName->setReadOnly(true);
    auto *o = new QVBoxLayout(page);
    o->addWidget(doors, 1);
    auto *doorRow = new QHBoxLayout;
    doorRow->addWidget(label(page, 22647, doors));
    doorRow->addWidget(doorName, 1);
    doorRow->addWidget(clearDoorName);
    o->addLayout(doorRow);
    return page;
}

void layOut(QDialog *dialog, QTabWidget *tabs, QWidget *general, QWidget *dates, QWidget *kinds, QWidget *doors,
            QPushButton *clearAll, QPushButton *ok, QPushButton *cancel)
{
    tabs->addTab(general, GetText(22631));
    tabs->addTab(dates, GetText(22632));
    tabs->addTab(kinds, GetText(22633));
    tabs->addTab(doors, GetText(22634));

    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(clearAll);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);
}

bool isTicked(const QTreeWidgetItem *item)
{
    return item->data(0, kKeyRole).toString() == QStringLiteral("Y");
}

void setTicked(QTreeWidgetItem *item, bool ticked)
{
    item->setData(0, kKeyRole, ticked ? QStringLiteral("Y") : QStringLiteral("N"));
    item->setIcon(0, TickImage(ticked ? Tick::Ticked : Tick::Unticked));
}

void setAllTicked(QTreeWidget *kinds, bool ticked)
{
    for (int i = 0; i < kinds->topLevelItemCount(); ++i)
        setTicked(kinds->topLevelItem(i), ticked);
}

QList<qint32> tickedKinds(const QTreeWidget *kinds)
{
    QList<qint32> ticked;
    for (int i = 0; i < kinds->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = kinds->topLevelItem(i);
        if (isTicked(item))
            ticked << item->data(0, kIdRole).toInt();
    }
    return ticked;
}

void wireKindList(QTreeWidget *kinds, QPushButton *checkAll, QPushButton *uncheckAll)
{
    QObject::connect(kinds, &QTreeWidget::itemClicked, kinds,
                     [](QTreeWidgetItem *item) { setTicked(item, !isTicked(item)); });
    QObject::connect(checkAll, &QPushButton::clicked, kinds, [kinds] { setAllTicked(kinds, true); });
    QObject::connect(uncheckAll, &QPushButton::clicked, kinds, [kinds] { setAllTicked(kinds, false); });
}

void loadDoorGroups(RecordDatabase &db, QTreeWidget *doors, qint32 firstGroup)
{
    RecordTable groups(db);
    groups.SelectTable(TableId::DoorGroups);
    groups.OpenQuery(QStringLiteral("doorGroupID >= ?"), Field::doorGroupName);
    groups.AddParameter(firstGroup);
    for (; groups.Status() == RecordStatus::Ok; groups.MoveNext()) {
        const qint32 id = groups.GetField(Field::doorGroupID).toInt();
        auto *item = new QTreeWidgetItem(doors, {groups.GetField(Field::doorGroupName).toString()});
        item->setData(0, kKeyRole, QString::number(id) + QLatin1Char('A'));
        item->setData(0, kIdRole, id);
        new QTreeWidgetItem(item); // placeholder until the group is first opened
    }
}

bool isGroup(const QTreeWidgetItem *item)
{
    return keyEndsWith(item, 'A');
}

bool isDoor(const QTreeWidgetItem *item)
{
    return keyEndsWith(item, 'D');
}

void loadGroupDoors(RecordDatabase &db, BusySignal *busy, QTreeWidgetItem *group,
                    const std::function<void(QTreeWidgetItem *, RecordTable &)> &more)
{
    if (group->childCount() != 1 || !group->child(0)->data(0, kKeyRole).isNull())
        return; // loaded before
    delete group->takeChild(0);
    SetBusyState(busy, kStateLoadingDoors);
    RecordTable doors(db);
    doors.SelectTable(TableId::Doors);
    doors.OpenQuery(QStringLiteral("doorGroupID = ?"), Field::doorName);
    doors.AddParameter(group->data(0, kIdRole).toInt());
    for (; doors.Status() == RecordStatus::Ok; doors.MoveNext()) {
        const qint32 id = doors.GetField(Field::doorID).toInt();
        QString name = doors.GetField(Field::doorName).toString();
        if (name.isEmpty())
            name = QString::number(id);
        auto *door = new QTreeWidgetItem(group, {name});
        door->setData(0, kKeyRole, QString::number(id) + QLatin1Char('D'));
        door->setData(0, kIdRole, id);
        if (more)
            more(door, doors);
    }
    SetBusyState(busy, 0);
}

} // namespace SearchFilterParts
