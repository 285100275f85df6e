#pragma once

#include "cards/CardDialog.h"
#include "cards/GuestCardStore.h"
#include "cards/GuestRules.h"
#include "cards/Track2.h"
#include "session/NotifyInterfaces.h"

#include <QList>
#include <QString>

#include <functional>

class QCheckBox;
class QGridLayout;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;
class CardIssue;
class CardsIntf;

// Issues guest cards (kind 256) and, in joiner mode, joiner cards (257) for a room, the rooms
// connected to it and the ticked common rooms, one card set per room for a group chosen in the
// group check-in; shows a guest or joiner card read on the encoder. The suite and future-arrival
// dialogs build on it: same room entry, nights, check-out, issue-to and common rooms.
class frmGuestCard : public CardDialog, public clsIDoors, public RoomListWindow
{
    Q_OBJECT
public:
    static constexpr int kWindowNumber = 33;
    static constexpr qint32 kErrorCode = 4224;

    frmGuestCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                 QWidget *parent = nullptr);
    ~frmGuestCard() override;

    bool Joiner() const { return m_joiner; }
    void setJoiner(bool joiner) override;
    int HelpContextID() const override;

    qint32 cardNameID() const override;

    // Re-applies the room box's length and format.
    void CheckRoomList() override;
    // Re-reads the default check-out hour.
    void UpdateCheckOutTime();
    // The common-room list follows door changes.
    void AddDoor(int doorID);
    void UpdateDoor(int doorID);
    void RemoveDoor(int doorID);

    // clsIDoors
    void Add(int32_t doorID) override;
    void AddRange(int32_t firstDoorID, int32_t lastDoorID) override;
    void Update(int32_t doorID, int32_t second) override;
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override;
    void Refresh() override;

    // Seams: the poll interval of the issuing run (0 in tests), the group chooser (by default the
    // group check-in dialog, modally; true with the rooms chosen) and the track-2 counter prompt.
    using GroupChooser = std::function<bool(QList<qint32> &rooms)>;
    void setPollInterval(int ms) { m_pollInterval = ms; }
    void setGroupChooser(GroupChooser chooser) { m_groupChooser = std::move(chooser); }
    void setTrack2Prompt(Track2::CounterPrompt prompt) { m_track2Prompt = std::move(prompt); }
    // Ends a running issue at its next poll, as the operator's cancel.
    void cancelIssue();

    bool groupMode() const { return m_groupMode; }
    // The room number validated last (0 without one) and the rooms of its guest card.
    qint32 roomNumber() const { return m_room; }
    QList<qint32> connectedRooms() const { return m_connectedRooms; }
    // The common-room numbers ticked.
    QList<qint32> tickedCommonRooms() const;

protected:
    // What a dialog built on this one changes: its name, window number, title, error code and
    // the workstation settings of its two check boxes.
    struct Setup
    {
        const char *objectName;
        int windowNumber;
        int16_t title;
        int helpContext;
        qint32 errorCode;
        const char *track2Setting;
        const char *clearSetting;
        bool validCardIsError;              // status ValidCardInEncoder is shown as an error, not asked
        const char *placementKey = nullptr; // the guest and future-arrival dialogs keep no placement
    };
    frmGuestCard(const Setup &setup, ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                 Session &session, QWidget *parent);

    // Hooks for the dialogs built on this one.
    // The room box named a new main room (0: none).
    virtual void mainRoomChanged(qint32) {}
    // The day nights are counted from: now, or the check-in of a future arrival.
    virtual double nightsFrom();
    // The card's start (0: the issue time) and expiry from the check-out box or the nights;
    // shows the message and focuses the box at fault when they are refused.
    virtual bool validateExpiry(double now, double &startTime, double &expireTime);
    // The room block of one card of the run (the common-room block follows).
    virtual void addRoomBlock(CardsIntf &cards, qint32 room, bool joiner, const QList<qint32> &connected);
    // A card read back: its door ranges as (block, range), after the common rooms are ticked.
    virtual void showRoomRanges(const CardReadBack &, const QList<QPair<qint32, GuestRules::RoomRange>> &) {}
    virtual void cmdMakeCard_Click();
    virtual void clearFields();

    // Nights, number of cards and the issue-to name, checked as for a guest card.
    bool validateStay();

    QList<qint32> shownTables() const override;
    QString dialogTitle() const override;
    void applyRoomRules() override;
    void showCard(const CardReadBack &card) override;
    void leaveReadBack() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    GuestCardStore store() { return GuestCardStore(table()); }
    void buildControls();
    void loadSettings();
    void saveSettings();

    // Room box
    bool validateRoomEntry();
    bool roomEntryValidated() const;
    void showRoom(qint32 room);
    QString roomText(qint32 room);
    int roomCheck(qint32 room, bool silent);

    // Nights and check-out
    void txtNumNights_Change();
    void txtCheckOut_LostFocus();
    void setNights(const QString &text);
    int currentCheckOutHour() const;
    void resetNights();

    // Common rooms
    void fillCommonRooms();
    void addCommonRoom(qint32 doorID, const QString &name, qint32 number, bool ticked);
    QListWidgetItem *commonRoomItem(qint32 doorID) const;
    void setTicked(QListWidgetItem *item, bool ticked);
    static bool isTicked(const QListWidgetItem *item);
    void untickAll();
    void tickRanges(const QList<GuestRules::RoomRange> &ranges);
    void applyFamilyGreying();
    void lvwCommonRooms_Click(QListWidgetItem *item);

    // Commands
    void cmdGroupCheckIn_Click();
    void cmdClose_Click();
    void newGuest();
    bool validateIssue(QList<qint32> &rooms, qint32 &kind, double &startTime, double &expireTime);
    // A question by text number with a button set (17001 yes/no, else three buttons); the answer's index.
    static int ask(ProgramServices &program, int16_t text, int16_t buttons, const QVariantList &arguments,
                   QWidget *parent);
    void runIssue(const QList<qint32> &rooms, qint32 kind, double startTime, double expireTime);
    void setIssueLock(bool locked);

    const Setup m_setup;
    bool m_joiner = false;
    bool m_groupMode = false;
    QList<qint32> m_groupRooms;
    int m_checkOutHour = 0;
    qint32 m_room = 0;
    bool m_roomValidated = false;
    QString m_validatedEntry; // the room box's text as validated last
    GuestRules::WingSplit m_split;
    QList<qint32> m_connectedRooms;
    bool m_settingNights = false;
    CardIssue *m_issue = nullptr; // the run in progress, on the issue handler's stack
    int m_pollInterval = 250;
    GroupChooser m_groupChooser;
    Track2::CounterPrompt m_track2Prompt;

    QLabel *m_lblRoomNumber;
    QLineEdit *m_txtRoomNumber;
    QLabel *m_lblNumNights;
    QLineEdit *m_txtNumNights;
    QLabel *m_lblCheckOut;
    QLineEdit *m_txtCheckOut;
    QLabel *m_lblNumCards;
    QLineEdit *m_txtNumCards;
    QLabel *m_lblIssueTo;
    QLineEdit *m_txtIssueTo;
    QLabel *m_lblCommonRooms;
    QListWidget *m_lvwCommonRooms;
    QCheckBox *m_chkTrack2;
    QCheckBox *m_chkClearFields;
    QLabel *m_lblOverrideNumber;
    QLineEdit *m_txtOverrideNumber;
    QPushButton *m_cmdMakeCard;
    QPushButton *m_cmdEdit;
    QPushButton *m_cmdGroupCheckIn;
    QPushButton *m_cmdClose;
    QGridLayout *m_fieldGrid;       // row kExtraFieldRow is left for a further box
    QVBoxLayout *m_roomListsColumn; // the common rooms; further room lists go below
    static constexpr int kExtraFieldRow = 1;
};
