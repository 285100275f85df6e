#pragma once

#include "cards/GroupCheckInStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <memory>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// Picks many rooms at once, by door area, for a group of guests; the calling card dialog issues
// one card run per selected room. Areas load their rooms when first expanded; a ticked area that
// was never expanded gives all its guest rooms (categories G, L, A) on confirmation.
class frmGroupCheckIn : public QDialog, public HelpContext
{
    Q_OBJECT
public:
    // Tree item data: the node key ("12A", "12AD", "305D"), the tick image ("W", "G", "E") and,
    // on area nodes, whether the rooms are loaded.
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int LoadedRole = Qt::UserRole + 2;

    frmGroupCheckIn(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmGroupCheckIn() override;
    int HelpContextID() const override { return 1001; } // the guest card's page

    // Read by the caller after the dialog closed.
    bool Result() const { return m_result; }
    qint32 NumDoors() const { return qint32(m_selected.size()); }
    QVector<qint32> GetSelectedDoors() const { return m_selected; }

    // Change notifications of door areas and doors.
    void AddDoorGroup(qint32 doorGroupID);
    void UpdateDoorGroup(qint32 doorGroupID);
    void RemoveDoorGroup(qint32 doorGroupID);
    void AddDoor(qint32 doorID);
    void AddDoors(qint32 firstDoorID, qint32 lastDoorID);
    void UpdateDoor(qint32 doorID);
    void RemoveDoor(qint32 firstDoorID, qint32 lastDoorID);

    // The node with this key, or nullptr.
    QTreeWidgetItem *node(const QString &key) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class DoorsListener;
    class DoorGroupsListener;

    void buildControls();
    void fillAreas();
    QTreeWidgetItem *addArea(qint32 doorGroupID, const QString &name);
    void loadRooms(QTreeWidgetItem *area);
    QTreeWidgetItem *addRoom(QTreeWidgetItem *area, qint32 doorID, const QString &name, bool ticked);
    void toggle(QTreeWidgetItem *item);
    void setImage(QTreeWidgetItem *item, const QString &image);
    void updateAreaImage(QTreeWidgetItem *area);
    void tickAll(bool ticked);
    void removeRooms(qint32 firstDoorID, qint32 lastDoorID);
    QVector<qint32> collectSelected();

    void tvwDoors_ItemExpanded(QTreeWidgetItem *item);
    void tvwDoors_ItemClicked(QTreeWidgetItem *item, int column);
    void cmdSelectAll_Click();
    void cmdClearAll_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    ProgramServices &m_program;
    Session &m_session;
    GroupCheckInStore m_store;
    std::unique_ptr<DoorsListener> m_doorsListener;
    std::unique_ptr<DoorGroupsListener> m_doorGroupsListener;
    bool m_result = false;
    QVector<qint32> m_selected;

    QLabel *m_lblDoors = nullptr;
    QTreeWidget *m_tvwDoors = nullptr;
    QPushButton *m_cmdSelectAll = nullptr;
    QPushButton *m_cmdClearAll = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
};
