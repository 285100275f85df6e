#pragma once

#include <QtGlobal>

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;
class RecordTable;
struct DatabaseServices;
struct FrameHooks;
struct LogonState;
struct ProgramServices;

// The rights of the operators logged on at this workstation, kept in memory, and a second
// reference set of template 1 that decides whether a denied command is shown greyed or hidden.
// The database component unites the rights of all operators logged on here; CheckRights and
// CheckFunction after a password confirmation answer for the confirming operator alone.
class Authority
{
public:
    enum Set { OperatorSet, ReferenceSet };

    // Operation-code ranges of TemplateRights.
    static constexpr qint32 TableRightsBase = 0x800000;
    static constexpr qint32 FunctionBase = 0x700000;
    static constexpr qint32 CardKindBase = 0x600000;
    static constexpr qint32 BarredDoorGroupBase = 0x200000;

    static constexpr int TableCount = 69;    // tableId / 16
    static constexpr int CardKindCount = 25; // cardNameID 256..280
    static constexpr int FunctionCount = 22;
    static constexpr qint32 FirstCardKind = 256;

    // rwed bits
    static constexpr qint32 Read = 1;
    static constexpr qint32 Write = 2;
    static constexpr qint32 Edit = 4;
    static constexpr qint32 Delete = 8;

    struct Rights
    {
        std::array<qint32, TableCount> tables{};
        std::array<qint32, CardKindCount> validity{}; // minutes; 0 = may not issue
        std::bitset<FunctionCount> functions;
        void clear();
    };

    // Opens the logon dialog: mode 0 a full logon, mode 1 the password confirmation of the
    // operator known to the database component. True when it succeeded.
    using LogonPrompt = std::function<bool(int mode)>;

    Authority(ProgramServices &program, DatabaseServices &db, const LogonState &logon, const FrameHooks &frame);
    ~Authority();
    Authority(const Authority &) = delete;
    Authority &operator=(const Authority &) = delete;

    // The workstation opens the real logon dialog; tests answer it themselves.
    void setLogonPrompt(LogonPrompt prompt) { m_prompt = std::move(prompt); }

    void LoadOperatorRights(bool refresh);
    // Reloads the reference set only when TemplateRights changed after the rights-cache time stamp.
    void LoadReferenceRights();

    bool HasRight(qint32 tableId, qint32 bits, Set set = OperatorSet) const;
    bool MayIssueCardKind(qint32 cardNameID, Set set = OperatorSet) const;
    qint32 MaxCardValidity(qint32 cardNameID) const;
    bool HasFunction(int n, Set set = OperatorSet) const;
    // Card issuing: a card valid from now until expireTime (OLE dates, now from ServerNow) longer
    // than the operator's maximum for its kind is refused with message -31225.
    bool CheckCardValidity(qint32 cardNameID, double now, double expireTime);
    // The same check without the message, for issuing without a window.
    bool WithinCardValidity(qint32 cardNameID, double now, double expireTime) const;

    // A full logon when the logon has ended; else, with confirm, a password confirmation.
    bool EnsureLogon(bool confirm);
    // The same, but the confirmation is asked only when more than one operator is logged on.
    bool EnsureLogonShared(bool confirm);
    // mode 0: check the logged-on operators' rights; 1: always confirm the password first and let
    // the server decide for the confirming operator; 2: confirm only when several are logged on.
    // A refusal shows message -31143.
    bool IsFunctionAllowed(int n, int mode);
    // A list or data window may open: the logon holds and the operator may read its table;
    // otherwise message -31143.
    bool IsTableDialogAvailable(qint32 tableId, QWidget *parent);

    // Start-up sets it to 1970-01-01 00:00, so that the first reference load reads the rights.
    double RightsTimeStamp() const { return m_timeStamp; }
    void setRightsTimeStamp(double oleDate) { m_timeStamp = oleDate; }

    const Rights &rights(Set set) const { return set == OperatorSet ? m_operator : m_reference; }

private:
    RecordTable &table();
    bool ask(int mode);
    bool confirmed(bool confirm, bool onlyWhenShared);
    bool localCheck(int n) const;

    ProgramServices &m_program;
    DatabaseServices &m_db;
    const LogonState &m_logon;
    const FrameHooks &m_frame;
    std::unique_ptr<RecordTable> m_table;
    LogonPrompt m_prompt;
    Rights m_operator;
    Rights m_reference;
    double m_timeStamp = 0;
};
