#pragma once

#include <QList>
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>
#include <initializer_list>

class BusySignal;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class RecordDatabase;
class RecordTable;

// What the card and the event search dialogs build alike: fields, the date, kind and door tabs,
// the kind tick list and the door tree that loads a group's doors when it is first opened.
namespace SearchFilterParts {

// A kind item holds its kind, a group or door item its id; the key role holds "Y"/"N" for a tick,
// "<id>A" for a group and "<id>D" for a door.
constexpr int kIdRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

QLineEdit *edit(QWidget *parent, const char *name, const QString &pattern = QString(), int maxLength = 32);
QLabel *label(QWidget *parent, int16_t text, QWidget *buddy = nullptr);

struct DateRow
{
    int16_t caption;
    QLineEdit *from;
    QLineEdit *to;
};
QWidget *datesTab(std::initializer_list<DateRow> rows);
QWidget *kindsTab(QTreeWidget *kinds, QPushButton *checkAll, QPushButton *uncheckAll);
QWidget *doorsTab(QTreeWidget *doors, QLineEdit *doorName, QPushButton *clearDoorName);
// Adds the four tabs and puts Clear all, OK and Cancel below them.
void layOut(QDialog *dialog, QTabWidget *tabs, QWidget *general, QWidget *dates, QWidget *kinds, QWidget *doors,
            QPushButton *clearAll, QPushButton *ok, QPushButton *cancel);

bool isTicked(const QTreeWidgetItem *item);
void setTicked(QTreeWidgetItem *item, bool ticked);
void setAllTicked(QTreeWidget *kinds, bool ticked);
QList<qint32> tickedKinds(const QTreeWidget *kinds);
// A click toggles a kind; the two buttons tick or untick them all.
void wireKindList(QTreeWidget *kinds, QPushButton *checkAll, QPushButton *uncheckAll);

// The door groups from firstGroup on, each with a placeholder child until it is opened.
void loadDoorGroups(RecordDatabase &db, QTreeWidget *doors, qint32 firstGroup);
bool isGroup(const QTreeWidgetItem *item);
bool isDoor(const QTreeWidgetItem *item);
// Loads an opened group's doors once, a door without name under its number; more(door, record)
// stores what else the caller keeps of a door.
void loadGroupDoors(RecordDatabase &db, BusySignal *busy, QTreeWidgetItem *group,
                    const std::function<void(QTreeWidgetItem *, RecordTable &)> &more = {});

} // namespace SearchFilterParts
