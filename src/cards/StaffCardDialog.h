#pragma once

#include "cards/CardDialog.h"
#include "cards/StaffCardStore.h"
#include "cards/StaffRules.h"
#include "cards/Track2.h"
#include "session/NotifyInterfaces.h"

#include <QString>

#include <functional>
#include <optional>

class CardIssue;
class CardsIntf;
class QCheckBox;
class QGridLayout;
class QGroupBox;
struct FrameWindows;

// What one dialog of the staff family is: its kind's numbers and which of the shared inputs it has.
struct StaffDialogKind
{
    const char *objectName;
    qint32 cardNameID; // also the operation code of its rights
    int windowNumber;
    int16_t prompt; // the encoder's prompt and the dialog's title
    int32_t errorCode;
    int helpContext;
    const char *placementKey;
    const char *clearKey = nullptr; // workstation check boxes; nullptr: the dialog has none
    const char *receiptKey = nullptr;
    const char *track2Key = nullptr;
    bool user = true;       // issued to a user chosen in the user list
    bool roomRange = true;  // txtRoomFrom, txtRoomTo
    bool timeWindow = true; // txtTimeZoneFrom, txtTimeZoneTo
    bool days = true;       // txtNumDays; without it the expiry is the end of the time window
    bool commonRoom = true; // chkCommonRoom: common room 1
    bool doors = true;      // follows door changes
    bool expiry = true;     // txtExpirationDate; without it txtNumDays is a count of its own
};

// The staff card dialogs' shared part: who the card is for, its doors, its daily time window and
// validity, the issue with its checks, image, fields and outcomes, and the card shown read-only.
// Each dialog states its differences through the virtual members.
class StaffCardDialog : public CardDialog, public clsIUsers, public clsIDoors, public RoomListWindow
{
    Q_OBJECT
public:
    StaffCardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, const StaffDialogKind &kind, QWidget *parent = nullptr);
    ~StaffCardDialog() override;

    qint32 cardNameID() const override { return m_kind.cardNameID; }
    int HelpContextID() const override { return m_kind.helpContext; }

    // The card's user; one not found (or no operator, for the operator card) clears it.
    void UserID(qint32 userID);
    qint32 userID() const { return m_userID; }
    void UpdateUser(qint32 userID);
    void RemoveUser(qint32 userID);
    void AddDoor(qint32 doorID);
    void UpdateDoor(qint32 doorID);
    void RemoveDoor(qint32 doorID);
    // The room boxes take four digits, five with five-digit rooms.
    void CheckRoomList() override;

    void EvaluateAuthority() override;
    bool ReadCardImageBag() override;

    // clsIUsers
    void Add(int32_t userID, int16_t flag) override;
    void Update(int32_t userID) override;
    void Remove(int32_t userID) override;
    // clsIDoors
    void Add(int32_t doorID) override;
    void AddRange(int32_t firstDoorID, int32_t lastDoorID) override;
    void Update(int32_t doorID, int32_t second) override;
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override;
    void Refresh() override;

    // Seams: the poll interval (0 in tests), the track-2 counter prompt, the receipt (by default
    // printed with PrintCardReceipt) and the user chooser (by default the user list).
    void setPollInterval(int ms) { m_pollInterval = ms; }
    void setTrack2Prompt(Track2::CounterPrompt prompt) { m_track2Prompt = std::move(prompt); }
    void setReceiptPrinter(std::function<void()> print) { m_printReceipt = std::move(print); }
    bool issuing() const { return m_issue != nullptr; }

protected:
    QList<qint32> shownTables() const override;
    QString dialogTitle() const override;
    void applyRoomRules() override { CheckRoomList(); }
    void showCard(const CardReadBack &card) override;
    void leaveReadBack() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // Opens the chooser of the card's user: the user list; the operator card chooses operators.
    virtual void openUserChooser(const ChoiceRequest &request);

    // What the dialogs differ in.
    // The default time window (hours) at open; daily windows leave 0 and 24 unshown.
    virtual std::pair<int, int> defaultHours();
    // Checks of the dialog's own inputs, before the shared ones.
    virtual bool checkOwnInputs() { return true; }
    // The door check after the shared checks; the default: the room range opens a door or
    // encloses a door interval.
    virtual bool checkDoors();
    // The blocks; the default is the staff block with the range and the common-room block.
    virtual void addBlocks(CardsIntf &cards);
    virtual qint32 firstBlockValue() const { return 0; }
    // Blocks after the common-room block.
    virtual void addFurtherBlocks(CardsIntf &) {}
    virtual qint32 cardUser() { return m_userID; }
    virtual bool batchMode() const { return false; }
    virtual void afterCard() {}
    virtual void clearOwnFields() {}
    // A block of the card read back that the shared part does not show.
    virtual void showOwnBlock(qint32, qint32, qint32) {}
    // Doors first to last were added or changed, or removed.
    virtual void doorsChanged(qint32, qint32, bool) {}
    // The user's name as the issue-to box shows it; nothing when the user is gone.
    virtual std::optional<QString> userText(qint32 userID);
    virtual bool offerEdit();
    // The dialog's own rows, after the user's.
    virtual void addOwnRows() {}
    // Dialogs whose expiry is looked up or fixed: Given (in expiry) replaces the days and expiry
    // checks, Refused has told the operator why; Typed keeps the shared checks.
    enum class OwnExpiry { Typed, Given, Refused };
    virtual OwnExpiry ownExpiry(double &) { return OwnExpiry::Typed; }
    // The run before it begins: the dialog's own status messages, a notice.
    virtual void prepareIssue(CardIssue &) {}
    // After a written card: true encodes the next card of the run before the receipt.
    virtual bool anotherCard() { return false; }
    // The inputs were unlocked; boxes that only show stay read-only.
    virtual void inputsUnlocked() {}
    // The first card's number on the receipt of a run; -1 for one card.
    virtual qint32 receiptFirstNumber() const { return -1; }
    // A dialog that makes a run of its own (a card per room) checks and issues it here instead of
    // the shared checks and single card, and returns true.
    virtual bool issueOwnRun() { return false; }

    // The dialog's own controls go into the field grid, a row each.
    int addRow(const char *labelName, int16_t caption, QWidget *field, QWidget *second = nullptr,
               bool fieldIsInput = true);
    QLabel *makeLabel(const char *name, int16_t caption);
    QLineEdit *makeBox(const char *name);
    StaffCardStore store() { return StaffCardStore(table()); }
    int pollInterval() const { return m_pollInterval; }
    // The current hour of the database clock.
    int currentHour();
    void focusFirstEmpty();
    // Shows the user's name without moving the focus; one not found clears the user.
    void loadUser(qint32 userID);
    void setDaysText(const QString &text);

    const StaffDialogKind m_kind;
    FrameWindows &m_frameWindows;
    qint32 m_userID = 0;
    bool m_expiryValid = true;
    CardIssue *m_issue = nullptr;    // the run in progress, on the issue handler's stack
    StaffRules::TimeWindow m_window; // of the run in progress

    QGroupBox *m_fraCard = nullptr;
    QGridLayout *m_fields = nullptr;
    QLineEdit *m_txtIssueTo = nullptr;
    QPushButton *m_cmdSelect = nullptr;
    QLineEdit *m_txtRoomFrom = nullptr;
    QLineEdit *m_txtRoomTo = nullptr;
    QLineEdit *m_txtTimeZoneFrom = nullptr;
    QLineEdit *m_txtTimeZoneTo = nullptr;
    QLineEdit *m_txtNumDays = nullptr;
    QLineEdit *m_txtExpirationDate = nullptr;
    QCheckBox *m_chkCommonRoom = nullptr;
    QCheckBox *m_chkTrack2 = nullptr;
    QCheckBox *m_chkClearFields = nullptr;
    QCheckBox *m_chkReceipt = nullptr;
    QPushButton *m_cmdMakeCard = nullptr;
    QPushButton *m_cmdEdit = nullptr;
    QPushButton *m_cmdClose = nullptr;

    // Builds the controls, the dialog's own rows among them; the derived dialog then calls
    // finishOpening().
    void buildControls();
    void finishOpening();

private:
    void loadSettings();
    void saveSettings();
    void showDefaultTimes();
    void findCommonRoom();
    void txtNumDays_Change();
    void txtExpirationDate_Change();
    bool applyExpiryLeave();
    void normaliseHour(QLineEdit *box);
    void copyIfEmpty(QLineEdit *target, QLineEdit *source, bool time);
    void cmdSelect_Click();
    void cmdMakeCard_Click();
    bool validate(double &expiry, StaffRules::TimeWindow &window);
    void runIssue(double expiry, const StaffRules::TimeWindow &window);
    void clearFields();

    qint32 m_commonRoomDoor = -1;
    int m_pollInterval = 250;
    Track2::CounterPrompt m_track2Prompt;
    std::function<void()> m_printReceipt;
    bool m_opened = false;
};
