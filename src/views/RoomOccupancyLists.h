#pragma once

#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"

#include <QWidget>

#include <memory>

class ListPrintMenu;
class QPushButton;
class RecordGrid;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The two room lists over RoomView: which guest rooms are free and which are taken, judged by the
// expiry of each room's newest card against the database server's clock at opening.
class RoomOccupancyList : public QWidget, public FrameChild
{
    Q_OBJECT

public:
    enum class Kind { Vacant, Occupied };

    RoomOccupancyList(Kind kind, ProgramServices &program, DatabaseServices &db, Session &session,
                      QWidget *parent = nullptr);
    ~RoomOccupancyList() override;

    void Activate() override;
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;

    RecordGrid &grid() const { return *m_tlvRooms; }
    ListPrintMenu &printMenu() { return *m_printMenu; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setUpGrid();
    void unload();

    Kind m_kind;
    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    RecordGrid *m_tlvRooms;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    bool m_shown = false;
};

class frmVacantRoomsList final : public RoomOccupancyList
{
    Q_OBJECT
public:
    frmVacantRoomsList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr)
        : RoomOccupancyList(Kind::Vacant, program, db, session, parent)
    {
    }
};

class frmOccupiedRoomsList final : public RoomOccupancyList
{
    Q_OBJECT
public:
    frmOccupiedRoomsList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr)
        : RoomOccupancyList(Kind::Occupied, program, db, session, parent)
    {
    }
};
