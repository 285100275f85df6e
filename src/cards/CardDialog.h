#pragma once

#include "cards/CardReadBack.h"
#include "cards/Track2.h"
#include "ui/WindowContracts.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <QtGlobal>

#include <functional>
#include <initializer_list>
#include <memory>

class QAbstractButton;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordTable;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// IsDialogAvailable of a card dialog: the operator's logon (a password confirmation first when
// confirm is set; a failed logon ends silently), the right to issue the kind and read access to
// every table the dialog shows (Doors 0, Users 16); otherwise message -31143.
bool IsCardDialogAvailable(ProgramServices &program, Session &session, qint32 cardNameID, const QList<qint32> &tables,
                           bool confirm, QWidget *parent = nullptr);

namespace Track2 {
// The input box the program asks with: caption -32763, message -32244 with the letter, at most
// eight digits.
CounterPrompt InputBoxPrompt(QWidget *parent = nullptr);
} // namespace Track2

// What every card dialog shares: its flag in the open-dialog set, the authority and availability
// checks of its kind, the issue-to box of room cards, and the read-back view of a card read on
// the encoder (inputs locked, issue command hidden, edit command shown, the card in the caption).
class CardDialog : public QWidget, public CardWindow
{
    Q_OBJECT
public:
    // windowNumber: the dialog's number in the open-dialog set (the card kinds' table).
    CardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
               int windowNumber, QWidget *parent = nullptr);
    ~CardDialog() override;

    // The kind the dialog issues now.
    virtual qint32 cardNameID() const = 0;
    int windowNumber() const { return m_windowNumber; }

    // CardWindow
    void Activate() override;
    // Without the right for the kind the dialog closes itself; with it room dialogs re-apply
    // their room-number rules.
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    // Shows the card just read on the first card server, read-only.
    bool ReadCardImageBag() override;
    ChildRole role() const override { return ChildRole::Card; }
    // Dialogs of one kind ignore these.
    void SetFunction(int) override {}
    void setJoiner(bool) override {}

    // Room-card dialogs: the issue-to box is shown only while names are issued to.
    virtual void EvaluateIssueTo();

    // Closes the dialog, with the frame's window around it when it has one.
    void unload();

    bool inputsLocked() const { return m_locked; }
    bool showsReadBack() const { return m_readBack; }
    // Locks (read-only boxes, disabled other inputs) or unlocks every registered input.
    void setInputsLocked(bool locked);

protected:
    // The tables the dialog shows (read right needed): Doors 0, Users 16.
    virtual QList<qint32> shownTables() const = 0;
    // The dialog's title as it shows when issuing.
    virtual QString dialogTitle() const = 0;
    // Re-applies the room-number format of room-card dialogs.
    virtual void applyRoomRules() {}
    // The card read back, shown in the dialog's boxes.
    virtual void showCard(const CardReadBack &card) = 0;
    // Leaves the read-back view for a new card; the default unlocks and restores the commands.
    virtual void leaveReadBack();

    // The dialog's controls, registered by the derived class once it has made them.
    void addInput(QWidget *input);
    void setCommands(QPushButton *issue, QPushButton *edit);
    void setOverrideNumberControls(QLabel *label, QLineEdit *box);
    void setIssueToControls(QLabel *label, QLineEdit *box);
    // The dialog's command row: right-aligned, each command at least 100 wide.
    static QHBoxLayout *CommandRow(std::initializer_list<QPushButton *> commands);
    // Return and Enter click the focused command, else the issue command while it is shown and
    // enabled; Escape calls close. False for any other key.
    bool handleCommandKey(QKeyEvent *event, QPushButton *issue, const std::function<void()> &close);

    // Shows the message and puts the focus on the box it is about.
    void fail(int16_t message, QWidget *focus);
    // The issue-to box before issuing: required while the system issues to names (-31155); a
    // changed text is parsed into m_surname and m_firstname and drops the user made before.
    bool checkIssueTo(QLineEdit *box);
    // The user the card goes to: 1 for an empty box, else the parsed name's user, made once.
    qint32 issueToUser(QLineEdit *box);

    // The dialog's own table object for its look-ups; the database clock.
    RecordTable &table();
    double serverNow();

    // The surname and first name taken from the issue-to box.
    QString m_surname;
    QString m_firstname;
    // The issue-to text last parsed, and the user made from it.
    QString m_parsedIssueTo;
    qint32 m_issueUser = 0;

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;

private:
    void cmdEdit_Click();

    std::unique_ptr<RecordTable> m_table;
    QList<QPointer<QWidget>> m_inputs;
    QPushButton *m_issueCommand = nullptr;
    QPushButton *m_editCommand = nullptr;
    QLabel *m_overrideLabel = nullptr;
    QLineEdit *m_overrideBox = nullptr;
    QLabel *m_issueToLabel = nullptr;
    QLineEdit *m_issueToBox = nullptr;
    bool m_locked = false;
    bool m_readBack = false;
    int m_windowNumber;
};
