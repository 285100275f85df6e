#include "session/Authority.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"
#include "session/Services.h"

namespace {

// Functions that open or save the system settings also need the read right on the parameters.
bool needsSettingsRight(int n)
{
    return n == 3 || n == 4 || n == 5;
}

class BusyPointer
{
public:
    explicit BusyPointer(BusySignal *signal) : m_signal(signal)
    {
        if (m_signal)
            m_signal->SetBusyPointer(true);
    }
    ~BusyPointer()
    {
        if (m_signal)
            m_signal->SetBusyPointer(false);
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    BusySignal *m_signal;
};

} // namespace

void Authority::Rights::clear()
{
    tables.fill(0);
    validity.fill(0);
    functions.reset();
}

Authority::Authority(ProgramServices &program, DatabaseServices &db, const LogonState &logon, const FrameHooks &frame)
    : m_program(program), m_db(db), m_logon(logon), m_frame(frame)
{
}

Authority::~Authority() = default;

RecordTable &Authority::table()
{
    if (!m_table) {
        m_table = std::make_unique<RecordTable>(*m_db.database);
        m_table->SetComputerName(m_program.ComputerName);
    }
    return *m_table;
}

void Authority::LoadOperatorRights(bool refresh)
{
    m_operator.clear();
    if (!m_db.database)
        return;
    BusyPointer busy(m_frame.busy);
    RecordTable &t = table();
    if (refresh)
        t.RefreshRights();
    qint32 tableId = 0, bits = 0;
    for (t.NextRight(tableId, bits); t.Status() == 0; t.NextRight(tableId, bits)) {
        const qint32 index = tableId / 16;
        if (tableId >= 0 && index < TableCount)
            m_operator.tables[index] = bits;
    }
    qint32 cardNameID = 0, minutes = 0;
    for (t.NextMaxValidity(cardNameID, minutes); t.Status() == 0; t.NextMaxValidity(cardNameID, minutes)) {
        if (cardNameID >= FirstCardKind && cardNameID < FirstCardKind + CardKindCount)
            m_operator.validity[cardNameID - FirstCardKind] = minutes;
    }
    qint32 function = 0;
    for (t.NextFunction(function); t.Status() == 0; t.NextFunction(function)) {
        if (function >= 0 && function < FunctionCount)
            m_operator.functions.set(function);
    }
}

void Authority::LoadReferenceRights()
{
    if (!m_db.database)
        return;
    RecordTable &t = table();
    const double changed = t.TableChangeTime(TableId::TemplateRights);
    if (t.Status() == 0 && changed <= m_timeStamp)
        return;
    BusyPointer busy(m_frame.busy);
    m_reference.clear();
    t.SelectTable(TableId::TemplateRights);
    t.OpenQuery(QString(Field::operatorTemplateID) + QStringLiteral(" = ?"), QString());
    t.AddParameter(1);
    for (; t.Status() == 0; t.MoveNext()) {
        const qint32 code = t.GetField(Field::operationCode).toInt();
        if (code >= TableRightsBase) {
            const qint32 index = (code - TableRightsBase) / 16;
            if (index >= 0 && index < TableCount)
                m_reference.tables[index] = t.GetField(Field::rwed).toInt();
        } else if (code >= FunctionBase) {
            if (code - FunctionBase < FunctionCount)
                m_reference.functions.set(code - FunctionBase);
        } else if (code >= CardKindBase) {
            const qint32 kind = code - CardKindBase;
            if (kind >= FirstCardKind && kind < FirstCardKind + CardKindCount)
                m_reference.validity[kind - FirstCardKind] = t.GetField(Field::maxValidity).toInt();
        }
    }
    const bool read = t.Status() == RecordStatus::NoRecord;
    t.CloseQuery();
    // A failed read is tried again at the next load.
    if (read)
        m_timeStamp = changed;
}

bool Authority::HasRight(qint32 tableId, qint32 bits, Set set) const
{
    const qint32 index = tableId / 16;
    if (tableId < 0 || index >= TableCount)
        return false;
    return (rights(set).tables[index] & bits) != 0;
}

bool Authority::MayIssueCardKind(qint32 cardNameID, Set set) const
{
    if (cardNameID < FirstCardKind || cardNameID >= FirstCardKind + CardKindCount)
        return false;
    return rights(set).validity[cardNameID - FirstCardKind] != 0;
}

qint32 Authority::MaxCardValidity(qint32 cardNameID) const
{
    if (cardNameID < FirstCardKind || cardNameID >= FirstCardKind + CardKindCount)
        return 0;
    return m_operator.validity[cardNameID - FirstCardKind];
}

bool Authority::HasFunction(int n, Set set) const
{
    return n >= 0 && n < FunctionCount && rights(set).functions.test(n);
}

bool Authority::WithinCardValidity(qint32 cardNameID, double now, double expireTime) const
{
    // A thousandth of a minute absorbs the rounding of the day fractions.
    const double minutes = (expireTime - now) * 1440.0;
    return minutes <= MaxCardValidity(cardNameID) + 0.001;
}

bool Authority::CheckCardValidity(qint32 cardNameID, double now, double expireTime)
{
    if (WithinCardValidity(cardNameID, now, expireTime))
        return true;
    if (m_program.messages)
        m_program.messages->error(-31225);
    return false;
}

bool Authority::ask(int mode)
{
    return m_prompt && m_prompt(mode);
}

bool Authority::confirmed(bool confirm, bool onlyWhenShared)
{
    if (!m_db.logonTable || m_db.logonTable->LoggedOff())
        return ask(0);
    if (!confirm || (onlyWhenShared && m_logon.operators.size() <= 1))
        return true;
    return ask(1);
}

bool Authority::EnsureLogon(bool confirm)
{
    return confirmed(confirm, false);
}

bool Authority::EnsureLogonShared(bool confirm)
{
    return confirmed(confirm, true);
}

bool Authority::localCheck(int n) const
{
    if (needsSettingsRight(n))
        return HasFunction(n) && HasRight(TableId::Parameters, Read);
    return HasFunction(n);
}

bool Authority::IsFunctionAllowed(int n, int mode)
{
    bool allowed = false;
    if (!m_db.logonTable || m_db.logonTable->LoggedOff()) {
        if (!ask(0))
            return false;
        allowed = localCheck(n);
    } else if (mode == 1 || (mode == 2 && m_logon.operators.size() > 1)) {
        if (!ask(1))
            return false;
        // The server answers for the operator who just confirmed, not for the whole group.
        RecordTable &t = table();
        t.CheckFunction(n);
        allowed = t.Status() == 0;
        if (allowed && needsSettingsRight(n)) {
            t.CheckRights(TableId::Parameters, Read);
            allowed = t.Status() == 0;
        }
    } else {
        allowed = localCheck(n);
    }
    if (!allowed && m_program.messages)
        m_program.messages->error(-31143);
    return allowed;
}

bool Authority::IsTableDialogAvailable(qint32 tableId, QWidget *parent)
{
    if (!EnsureLogon(false))
        return false;
    if (HasRight(tableId, Read))
        return true;
    m_program.messages->error(-31143, {}, {}, parent);
    return false;
}
