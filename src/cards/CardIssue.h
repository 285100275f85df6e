#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class CardsIntf;
class QWidget;
struct CardServers;
struct ProgramServices;
struct Session;

// The fields every card carries, set after the blocks in one fixed order.
struct CardFields
{
    int32_t cardNameID = 0;
    int32_t userID = 0;
    double issueTime = 0;
    double startTime = 0;
    double expireTime = 0;
    QString track2;
    int32_t numCards = 1; // written only on the kinds whose numCards is a 32-bit count
};

// One issuing run of a card dialog on the workstation's first card server: the in-progress flag,
// the encoder check, the fields, the encode with its status poll and outcome messages, and the
// wait until the encoder is ready again. The dialog adds its own blocks and decides on the
// outcomes; it keeps this object on the stack of its issue handler, because the dialog itself may
// be closed while a poll yields to the event loop.
class CardIssue
{
public:
    enum class Outcome {
        Done,               // the card is written and stored
        Cancelled,          // by the operator, at the encoder, or the dialog was closed
        ValidCardInEncoder, // the slot holds a valid card of the room; see reencode()
        Failed,             // the error box was shown
        Closing,            // the application is closing; the dialog has been closed
    };

    // The error code is the dialog's, shown as "IEC-" and the code in hexadecimal.
    // Dialog is the window the run belongs to (a QWidget); it is taken apart where its type is known.
    template <typename Dialog>
    CardIssue(ProgramServices &program, CardServers &cardServers, Session &session, Dialog *dialog, int32_t errorCode)
        : CardIssue(program, cardServers, session, static_cast<QObject *>(dialog), static_cast<QWidget *>(dialog),
                    errorCode)
    {
        // Called only while m_dialog says the window still exists.
        m_closeDialog = [dialog]() { dialog->close(); };
    }
    // A run without a window (the PMS interface): no message box, no encoder selection; the text a
    // box would have shown is kept in failureText() and the valid-card question is answered by
    // setValidCardAnswer().
    CardIssue(ProgramServices &program, CardServers &cardServers, Session &session);
    ~CardIssue();
    CardIssue(const CardIssue &) = delete;
    CardIssue &operator=(const CardIssue &) = delete;

    // 250 ms in the program; tests poll without waiting.
    void setPollInterval(int ms) { m_pollInterval = ms; }
    // Statuses the dialog also shows without its error code (the guest dialog adds
    // CardServerStatus::Reserved67900037).
    void addPlainStatus(int32_t status) { m_extraPlain.push_back(status); }
    // A status the dialog answers with its own message instead of the server's text.
    void setStatusMessage(int32_t status, int16_t message) { m_statusMessages.push_back({status, message}); }
    // Locks (true) and unlocks the dialog's inputs.
    void setLockInputs(std::function<void(bool locked)> lock) { m_lock = std::move(lock); }
    // The command that gets the focus when the run ends.
    template <typename Command> void setIssueCommand(Command *command)
    {
        m_issueCommand = static_cast<QObject *>(command);
        m_focusIssueCommand = [command]() { command->setFocus(); };
    }
    // Kinds that make no card for a room, and the suite and future-arrival cards, show a valid card
    // in the encoder as any other error.
    void setValidCardIsError(bool error) { m_validCardIsError = error; }
    // Opens the encoder selection; by default the encoder setup dialog, which stores its choice.
    void setEncoderSetup(std::function<void()> open) { m_encoderSetup = std::move(open); }
    // The encoder (device number) to write on instead of the workstation's.
    void setDevice(int32_t device) { m_device = device; }
    // Windowless: whether a valid card of the room in the encoder is written over.
    void setValidCardAnswer(bool reencode) { m_validCardAnswer = reencode; }

    // Refuses with message -31197 while another card operation runs; otherwise sets the flag and
    // locks the inputs.
    bool begin();
    // Empties the image and makes sure of the encoder, opening the encoder selection when there is
    // none; false (without a message) when there is still none.
    bool newCard();
    // The image options and the fields after the last block. A validity (start to expiry) longer
    // than the operator may give the kind is refused with message -31225 and nothing is set: every
    // card of every kind passes here, whichever box its expiry came from. A card that does not
    // expire (NoExpiry) is left to its dialog's own check.
    [[nodiscard]] bool setFields(const CardFields &fields);
    // Starts writing and polls until the outcome, showing the messages of the outcome.
    Outcome encode(const QString &description, bool batch = false);
    // Ends the poll at its next turn, as the operator's cancel.
    void cancel() { m_cancelled = true; }
    // After the last card or a failure: waits with the hourglass until the encoder is ready.
    void waitUntilReady();
    // Ends the run: batch mode off, the dialog unlocked and its issue command focused when it is
    // still open, the flag cleared.
    void finish();

    bool dialogOpen() const { return !m_dialog.isNull(); }
    bool windowless() const { return m_dialogWidget == nullptr; }
    // Windowless: the message or status text of the last refusal or failure.
    QString failureText() const { return m_failureText; }
    bool cancelled() const { return m_cancelled; }
    int32_t lastStatus() const { return m_lastStatus; }
    // After ValidCardInEncoder: the valid card's expiry and whether the operator wants a new card.
    double validCardExpireTime() const { return m_validExpire; }
    bool reencode() const { return m_reencode; }
    CardsIntf &cards();

    // The statuses every card dialog shows with the short text and without an error code.
    static bool isPlainStatus(int32_t status);
    // Failures that the next card of a run would meet again (no registration numbers, a card not
    // stored, an image the server refuses), and a written card without its completed record: the
    // run ends instead of offering a retry.
    static bool endsRun(int32_t status);

private:
    CardIssue(ProgramServices &program, CardServers &cardServers, Session &session, QObject *dialog,
              QWidget *dialogWidget, int32_t errorCode);
    bool selectEncoder();
    int32_t poll();
    void showError(int32_t status);
    // An error box by text number, or its text kept when windowless.
    void error(int16_t text);
    QWidget *parent() const { return m_dialog.isNull() ? nullptr : m_dialogWidget; }

    ProgramServices &m_program;
    CardServers &m_cardServers;
    Session &m_session;
    QPointer<QObject> m_dialog;
    QWidget *m_dialogWidget; // m_dialog as a window, for the message boxes
    QPointer<QObject> m_issueCommand;
    std::function<void()> m_closeDialog;
    std::function<void()> m_focusIssueCommand;
    int32_t m_errorCode;
    int m_pollInterval = 250;
    std::vector<int32_t> m_extraPlain;
    std::vector<std::pair<int32_t, int16_t>> m_statusMessages;
    std::function<void(bool)> m_lock;
    std::function<void()> m_encoderSetup;
    bool m_validCardIsError = false;
    bool m_running = false;
    bool m_cancelled = false;
    int32_t m_lastStatus = 0;
    double m_validExpire = 0;
    bool m_reencode = false;
    int32_t m_device = 0;
    bool m_validCardAnswer = false;
    QString m_failureText;
};
