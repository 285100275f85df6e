#pragma once

#include "ui/CardSearchFilters.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

// What the windows that open each other know of each other: small interfaces, one per role, which
// the windows implement beside QWidget. The frame and the other windows reach a window only
// through these, so a misspelt request does not compile.

// The frame's child windows by role: the frame activates only these, and a camera's live window
// is the one Notify updates.
enum class ChildRole { List, Details, Card, Camera };

// A window with a help page (the help topic table's context number).
class HelpContext
{
public:
    virtual ~HelpContext() = default;
    virtual int HelpContextID() const = 0;
};

// Every child window of the frame.
class FrameChild : public HelpContext
{
public:
    // May the window be opened now; a window that says no has told the operator why.
    virtual bool IsDialogAvailable() = 0;
    // The window came forward: sets its flag in the open-dialog set, re-checks the rights.
    virtual void Activate() = 0;
    // Re-reads the operator's rights; without them the window closes itself.
    virtual void EvaluateAuthority() = 0;
    virtual ChildRole role() const = 0;
};

// The QWidget of a child window (every implementation is one).
QWidget *WidgetOf(FrameChild *child);

// Where a chooser hands its choice back: the asking window (it comes forward afterwards, and the
// chooser names it in its caption and stops choosing when it closes) and what it does with the
// chosen number (a user ID, a card's registration number).
struct ChoiceRequest
{
    QWidget *caller = nullptr;
    std::function<void(qint32 chosen)> handBack;
    bool autoClose = false; // the chooser closes once it has handed a choice back
};

// A window that issues or shows cards.
class CardWindow : public virtual FrameChild
{
public:
    // Shows the card just read on the first card server, read-only; false when it cannot.
    virtual bool ReadCardImageBag() = 0;
    // The function card's function (0 to 3); a window of one kind ignores it.
    virtual void SetFunction(int function) = 0;
    // The guest dialog's joiner mode; a window of one kind ignores it.
    virtual void setJoiner(bool joiner) = 0;
};

// A window whose room boxes follow the system parameters (five-digit rooms, wing codes): the
// settings window tells the open ones after a save.
class RoomListWindow
{
public:
    virtual ~RoomListWindow() = default;
    virtual void CheckRoomList() = 0;
};

// A window that edits one record.
class DataWindow : public virtual FrameChild
{
public:
    // Starts a new record (record key 0, or no wing code for the wing dialog).
    virtual void NewRecord() = 0;
    // Hands the new record's key to the window that asked for it, then closes.
    virtual void setChoiceRequest(const ChoiceRequest &request) = 0;
};

// The user dialog: a user of the register, or a new one.
class UserDataWindow : public DataWindow
{
public:
    virtual void setUserID(qint32 userID) = 0;
};

// The operator-template dialog: a stored template, or a new one (0).
class OpTemplateDataWindow : public DataWindow
{
public:
    virtual void setOperatorTemplateID(qint32 operatorTemplateID) = 0;
};

// A list of records that may also serve another window as a chooser.
class ListWindow : public virtual FrameChild
{
public:
    // Reads the listed rows again, as they are now in the database.
    virtual void RefreshTableList() = 0;
    virtual void setChoiceRequest(const ChoiceRequest &request) = 0;
};

class UserListWindow : public ListWindow
{
};

// The wing dialog: a stored wing by its code, or a new one.
class WingDataWindow : public DataWindow
{
public:
    virtual void setWingCode(const QString &wingCode) = 0;
    // The wing was removed elsewhere: a dialog showing it closes.
    virtual void NotifyRemove(const QString &wingCode) = 0;
};

// The door-area dialog: a stored area by its key, or a new one.
class DoorAreaDataWindow : public DataWindow
{
public:
    virtual void setDoorGroupID(qint32 doorGroupID) = 0;
    // Closes the dialog once a new area is saved.
    virtual void setCloseAfterSave(bool close) = 0;
};

// The camera dialog: a stored camera by its key, or a new one (0).
class CameraDataWindow : public DataWindow
{
public:
    virtual void setCameraID(qint32 cameraID) = 0;
};

// A camera's live picture.
class CameraWindow : public virtual FrameChild
{
public:
    virtual void setCameraID(qint32 cameraID) = 0;
};

// The door dialog: a stored door by its number, or a new door or interval of doors (0).
class DoorDataWindow : public DataWindow
{
public:
    virtual void setDoorID(qint32 doorID) = 0;
};

// The operator dialog: a stored operator by the user's key, or a new operator (0).
class OperatorDataWindow : public DataWindow
{
public:
    virtual void setOperatorUserID(qint32 userID) = 0;
};

// The device dialog: a stored device by its key, or a new one (0).
class DeviceDataWindow : public DataWindow
{
public:
    virtual void setDeviceID(qint32 deviceID) = 0;
};

// The operator list: an operator card just made shows in its rows after a refresh.
class OperatorListWindow : public ListWindow
{
};

class CardListWindow : public ListWindow
{
public:
    // The kind filter: cleared lists every kind; a kind the operator may not issue is not added.
    virtual void ClearCardNameFilters() = 0;
    virtual void SetCardNameFilter(qint32 cardNameID) = 0;
    // Every filter value but the kinds.
    virtual void SetSearchFilters(const CardSearchFilters &filters) = 0;
    virtual void StartSearch() = 0;
};

// A list that shows its search dialog before it first opens (the event list): the frame asks it
// for its filters, shows it only when they were given, then starts the search.
class SearchFirstWindow : public virtual FrameChild
{
public:
    // Runs the search dialog modally; false when it was cancelled.
    virtual bool AskSearchFilters() = 0;
    virtual void StartSearch() = 0;
};

// Hands a chosen search to a list: its kinds through the list's kind filter, then its values.
void ApplyCardSearch(CardListWindow &list, const CardSearchFilters &filters);

// A window kind with the contract its windows implement; the constants below are the kinds other
// windows open. Other kinds (the frame's command table, the card kinds' windows) are made at run
// time from their names.
template <class Contract> struct WindowKind
{
    QString name;
};

namespace WindowKinds {
inline const WindowKind<UserListWindow> UserList{QStringLiteral("frmUserList")};
inline const WindowKind<UserDataWindow> UserData{QStringLiteral("frmUserData")};
inline const WindowKind<CardListWindow> CardList{QStringLiteral("frmCardList")};
inline const WindowKind<ListWindow> WingList{QStringLiteral("frmWingList")};
inline const WindowKind<WingDataWindow> WingData{QStringLiteral("frmWingData")};
inline const WindowKind<ListWindow> DoorAreaList{QStringLiteral("frmDoorAreaList")};
inline const WindowKind<DoorAreaDataWindow> DoorAreaData{QStringLiteral("frmDoorAreaData")};
inline const WindowKind<FrameChild> Override{QStringLiteral("frmOverride")};
inline const WindowKind<SearchFirstWindow> EventList{QStringLiteral("frmEventList")};
inline const WindowKind<FrameChild> ReadoutList{QStringLiteral("frmReadoutList")};
inline const WindowKind<FrameChild> GetEvents{QStringLiteral("frmGetEvents")};
inline const WindowKind<FrameChild> VacantRooms{QStringLiteral("frmVacantRoomsList")};
inline const WindowKind<FrameChild> OccupiedRooms{QStringLiteral("frmOccupiedRoomsList")};
inline const WindowKind<OpTemplateDataWindow> OpTemplateData{QStringLiteral("frmOpTemplateData")};
inline const WindowKind<CameraDataWindow> CameraData{QStringLiteral("frmCameraData")};
// One live picture per camera: the kind names the camera after "#" and is made by "frmCamera".
inline WindowKind<CameraWindow> camera(qint32 cameraID)
{
    return {QStringLiteral("frmCamera#") + QString::number(cameraID)};
}
inline const WindowKind<ListWindow> DoorList{QStringLiteral("frmDoorList")};
inline const WindowKind<DoorDataWindow> DoorData{QStringLiteral("frmDoorData")};
inline const WindowKind<OperatorListWindow> OperatorList{QStringLiteral("frmOperatorList")};
inline const WindowKind<OperatorDataWindow> OperatorData{QStringLiteral("frmOperatorData")};
inline const WindowKind<DeviceDataWindow> DeviceData{QStringLiteral("frmDeviceData")};
inline WindowKind<CardWindow> card(const QString &name)
{
    return {name};
}
} // namespace WindowKinds
