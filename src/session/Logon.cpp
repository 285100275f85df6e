#include "session/Logon.h"

#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "platform/BusySignal.h"
#include "session/Services.h"
#include "session/UserCreation.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <memory>

namespace {

constexpr int32_t kServiceOperator = 15;
constexpr int16_t kButtonOk = 17000;
constexpr int16_t kButtonsYesNo = 17001;
constexpr int16_t kTitleInformation = -32766;
constexpr int16_t kTitleWarning = -32765;
constexpr int32_t kPasswordErrorCode = 4704;
constexpr int32_t kLogonErrorCode = 4705;
// The component may be busy with other workstations' work: the logon waits for it up to 20
// seconds, where every other call gives up after the database's own 5.
constexpr qint64 kLogonBusyWaitMs = 20000;
constexpr int kBusyRetryMs = 250;

// Statuses the logon shows with the component's text alone: the connection and the card states
// speak for themselves, an error code would add nothing.
constexpr int32_t kWithoutErrorCode[] = {
    RecordStatus::NotConnected,     RecordStatus::ConnectionLost,    RecordStatus::Reserved67890016,
    RecordStatus::Reserved67890017, CardServerStatus::BusyReading,   CardServerStatus::DeviceNotReady,
    CardServerStatus::CardRead,     CardServerStatus::BlankCardRead, RecordStatus::Reserved67890040,
    RecordStatus::Reserved67890043, CardServerStatus::DeviceBusy};

void busy(Session &session, int16_t state)
{
    SetBusyState(session.frame.busy, state);
}

void notice(ProgramServices &program, int16_t number, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.style = MessageStyle::Exclamation;
    program.messages->show(request, parent);
}

void information(ProgramServices &program, int16_t number, const QString &argument, int16_t title, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.arguments = {argument};
    request.titleNumber = title;
    request.buttonNumbers = {kButtonOk};
    program.messages->show(request, parent);
}

bool askYesNo(ProgramServices &program, int16_t number, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.style = MessageStyle::Question;
    request.buttons = MessageButtons::YesNo;
    request.buttonNumbers = {kButtonsYesNo};
    return program.messages->show(request, parent) == 0;
}

// A component's error text alone, as the whole message.
void plainError(ProgramServices &program, const QString &text, QWidget *parent)
{
    MessageRequest request;
    request.style = MessageStyle::Error;
    request.appendix = text;
    request.replacesText = true;
    program.messages->show(request, parent);
}

QString dateAndTime(double ole)
{
    return OleDate::formatShortDate(ole) + QLatin1Char(' ') + OleDate::formatShortTime(ole);
}

// Parameter texts are numbers when they start with one ("17 minutes" is 17); anything else is 0.
double leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(0).trimmed().toDouble() : 0;
}

// Finds are closed once read: an open statement would hold an old snapshot of the database and
// make SQLite refuse the housekeeping's compaction.
bool readParameter(RecordTable &t, const QString &key, QString &value)
{
    t.SelectTable(TableId::Parameters);
    t.SetField(Field::parameterID, key);
    t.FindRecord();
    const bool found = t.Status() == 0;
    if (found)
        value = t.GetField(Field::parameter).toString();
    t.CloseQuery();
    return found;
}

void reloadRightsAndMenus(Session &session)
{
    session.authority.LoadOperatorRights(false);
    session.authority.LoadReferenceRights();
    if (session.frame.setupMenus)
        session.frame.setupMenus();
}

// The workstation needs an encoder for the operator card; false when none was chosen.
bool ensureEncoder(ProgramServices &program, const CardServers &cardServers, QWidget *parent)
{
    if (program.LocalParams.MagCardEncoderID() == 0)
        cardServers.ChooseEncoder(parent);
    return program.LocalParams.MagCardEncoderID() != 0;
}

double logonWaitingWhileBusy(const BusyWait &wait, RecordTable &logon, const QString &userID, const QString &password)
{
    QElapsedTimer timer;
    timer.start();
    const std::function<qint64()> clock = wait.clockMs ? wait.clockMs : [&timer] { return timer.elapsed(); };
    const std::function<void(int)> pause = wait.pause ? wait.pause : WaitProcessingEvents;
    const qint64 start = clock();
    double expireDate = logon.Logon(userID, password);
    while (logon.Status() == RecordStatus::Busy && clock() - start < kLogonBusyWaitMs) {
        pause(kBusyRetryMs);
        expireDate = logon.Logon(userID, password);
    }
    return expireDate;
}

LogonOutcome confirmPassword(ProgramServices &program, DatabaseServices &db, Session &session, const QString &password,
                             QWidget *parent)
{
    if (password.isEmpty()) {
        notice(program, -31141, parent);
        return LogonOutcome::FocusPassword;
    }
    RecordTable &logon = *db.logonTable;
    logon.LogonPassword(password);
    const int32_t status = logon.Status();
    if (status == RecordStatus::Ok) {
        session.logon.CurrentOperatorID = logon.CurrentOperatorID();
        return LogonOutcome::LoggedOn;
    }
    if (status == RecordStatus::LogonRefused || status == RecordStatus::LogonExpired) {
        notice(program, -31187, parent);
        return LogonOutcome::FocusPassword;
    }
    program.messages->errorWithCode(kPasswordErrorCode, logon.ErrorText(status), parent);
    return LogonOutcome::Stay;
}

} // namespace

uint16_t OperatorClassBit(int32_t operatorTemplateID)
{
    if (operatorTemplateID >= 1 && operatorTemplateID <= 299)
        return 1;
    if (operatorTemplateID >= 300 && operatorTemplateID <= 699)
        return 2;
    if (operatorTemplateID >= 700 && operatorTemplateID <= 999)
        return 4;
    return 0;
}

int32_t OperatorTemplateOf(DatabaseServices &db, int32_t userID)
{
    RecordTable &t = *db.operatorsTable;
    t.SelectTable(TableId::Operators);
    t.SetField(Field::userID, userID);
    t.FindRecord();
    const int32_t templateID = t.Status() == 0 ? t.GetField(Field::operatorTemplateID).toInt() : 0;
    t.CloseQuery();
    return templateID;
}

void AddLoggedOnOperator(DatabaseServices &db, Session &session, int32_t userID)
{
    busy(session, 1);
    RecordTable &t = *db.operatorsTable;
    t.SelectTable(TableId::Operators);
    t.SetField(Field::userID, userID);
    t.FindRecord();
    if (t.Status() == 0 && !session.logon.operators.contains(userID))
        session.logon.operators.append(userID);
    t.CloseQuery();
    busy(session, 0);
}

void RebuildOperatorClassFlags(DatabaseServices &db, Session &session)
{
    busy(session, 1);
    uint16_t flags = 0;
    for (int32_t userID : std::as_const(session.logon.operators))
        flags |= OperatorClassBit(OperatorTemplateOf(db, userID));
    session.logon.OperatorClassFlags = flags;
    busy(session, 0);
}

void RemoveLoggedOnOperator(DatabaseServices &db, Session &session, int32_t userID)
{
    session.logon.operators.removeAll(userID);
    RebuildOperatorClassFlags(db, session);
}

bool IsOperatorLoggedOn(const LogonState &logon, int32_t userID)
{
    return logon.operators.contains(userID);
}

LogonOutcome RunLogonCommand(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                             int mode, const QString &userID, const QString &password, QWidget *parent,
                             const std::function<void()> &hideDialog, const BusyWait &busyWait)
{
    // Another workstation may have saved the settings since they were read.
    if (db.SystemParams && db.SystemParams->TableChangedSinceLoad()) {
        db.SystemParams->ReadSystemParameters();
        if (session.frame.setApplicationTitle)
            session.frame.setApplicationTitle();
    }
    if (mode == 1)
        return confirmPassword(program, db, session, password, parent);

    if (userID.isEmpty()) {
        notice(program, -31174, parent);
        return LogonOutcome::FocusUserID;
    }
    if (password.isEmpty()) {
        notice(program, -31141, parent);
        return LogonOutcome::FocusPassword;
    }
    const bool needOpCard = db.SystemParams && db.SystemParams->NeedOpCardAtLogon();
    if (needOpCard && !session.SmartCardLogon && !ensureEncoder(program, cardServers, parent))
        return LogonOutcome::Stay;

    busy(session, 7);
    busy(session, 6);
    RecordTable &logon = *db.logonTable;
    const int32_t encoderID =
        session.SmartCardLogon ? program.LocalParams.SmartCardEncoderID() : program.LocalParams.MagCardEncoderID();
    logon.SetEncoderID(encoderID);
    CardsIntf *prompt = needOpCard ? cardServers.secondCardsIntf.get() : nullptr;
    // Nothing else selects a device on the second object; it needs the encoder to show the prompt.
    if (prompt && prompt->ShowPrompt(GetText(-31474)) != 0) {
        prompt->SelectDevice(encoderID);
        prompt->ShowPrompt(GetText(-31474));
    }
    const double expireDate = logonWaitingWhileBusy(busyWait, logon, userID, password);
    const int32_t status = logon.Status();
    if (prompt) {
        prompt->ShowPrompt(QString());
        prompt->SetActive(0);
    }

    if (status == RecordStatus::LogonRefused) {
        busy(session, 0);
        notice(program, -31187, parent);
        return LogonOutcome::FocusPassword;
    }
    if (status != RecordStatus::Ok && status != RecordStatus::LoggedOnBeside) {
        busy(session, 0);
        const QString text = logon.ErrorText(status);
        if (std::find(std::begin(kWithoutErrorCode), std::end(kWithoutErrorCode), status) !=
            std::end(kWithoutErrorCode))
            plainError(program, text, parent);
        else
            program.messages->errorWithCode(kLogonErrorCode, text, parent);
        return LogonOutcome::Stay;
    }
    session.logon.CurrentOperatorID = logon.CurrentOperatorID();
    session.logon.loggedOn = true;
    session.logon.lastUserID = userID;

    bool join = true;
    if (status == RecordStatus::LoggedOnBeside && db.SystemParams && db.SystemParams->EnableGroupAuth() &&
        !session.logon.operators.isEmpty()) {
        if (askYesNo(program, -32490, parent)) {
            RebuildOperatorClassFlags(db, session);
        } else {
            // An empty password ends the newcomer's logon at the component; the group stays as it was.
            logon.Logon(userID, QString());
            session.logon.CurrentOperatorID = logon.CurrentOperatorID();
            join = false;
        }
    }
    if (join) {
        AddLoggedOnOperator(db, session, session.logon.CurrentOperatorID);
        session.logon.OperatorClassFlags |= OperatorClassBit(OperatorTemplateOf(db, session.logon.CurrentOperatorID));
    }

    if (hideDialog)
        hideDialog();
    reloadRightsAndMenus(session);
    ShowDailyWarnings(program, db, session, expireDate, parent);
    busy(session, 0);
    return LogonOutcome::LoggedOn;
}

void CancelLogon(Session &session)
{
    if (session.logon.operators.isEmpty() && !session.logon.loggedOn && !session.logon.rightsLoaded) {
        reloadRightsAndMenus(session);
        session.logon.rightsLoaded = true;
    }
}

void ShowDailyWarnings(ProgramServices &program, DatabaseServices &db, Session &session, double expireDate,
                       QWidget *parent)
{
    RecordTable &ops = *db.operatorsTable;
    const double now = ops.ServerNow();
    bool firstToday = true;
    ops.SelectTable(TableId::Operators);
    ops.SetField(Field::userID, session.logon.CurrentOperatorID);
    ops.FindRecord();
    if (ops.Status() == 0) {
        const QVariant last = ops.GetField(Field::timeOfLastWarning);
        if (!last.isNull() && OleDate::formatShortDate(last.toDouble()) == OleDate::formatShortDate(now)) {
            firstToday = false;
        } else {
            ops.SetField(Field::timeOfLastWarning, now);
            ops.UpdateRecord();
        }
    }
    ops.CloseQuery();
    if (!firstToday || !db.SystemParams)
        return;
    const clsSystemParams &params = *db.SystemParams;

    if (params.AlertOp() >= 1 && expireDate - now <= params.AlertOp())
        information(program, -32243, dateAndTime(expireDate), kTitleInformation, parent);

    if (params.WarnHousekeeping() >= 1) {
        RecordTable &t = *db.parametersTable;
        QString value;
        double since = readParameter(t, QStringLiteral("LASTCATHTIME"), value) ? leadingNumber(value) : 0;
        if (since == 0)
            since = readParameter(t, QStringLiteral("SYSTEM_STARTDATE"), value) ? leadingNumber(value) : 0;
        // Without either date the database was never cleaned: the day count starts at date 0.
        if (now - since >= params.WarnHousekeeping()) {
            information(program, -31742, OleDate::formatShortDate(since), kTitleWarning, parent);
            if (askYesNo(program, -32481, parent)) {
                busy(session, 2);
                t.ExecuteCommand(QStringLiteral("CMD: COMPACT_DB_IMMEDIATE"));
                busy(session, 0);
                if (t.Status() != 0)
                    plainError(program, t.ErrorText(t.Status()), parent);
            }
        }
    }

    if (params.BackupWarningDays() >= 1 && params.LastBackup() != 0 &&
        (now - params.LastBackup()) * 1440.0 > params.BackupWarningDays() * 1440.0)
        information(program, -32251, dateAndTime(params.LastBackup()), kTitleInformation, parent);
}

QString LoggedOnOperatorText(DatabaseServices &db, int32_t userID)
{
    if (userID == kServiceOperator)
        return QStringLiteral("Veltrix");
    RecordTable t(*db.database);
    t.SelectTable(TableId::Users);
    t.SetField(Field::userID, userID);
    t.FindRecord();
    return t.Status() == 0 ? t.GetField(Field::alphaID).toString() : QString();
}

void LogOffOperators(DatabaseServices &db, Session &session, const QList<LogoffEntry> &entries)
{
    RecordTable &logon = *db.logonTable;
    for (const LogoffEntry &entry : entries) {
        logon.Logon(entry.text, QString());
        session.logon.operators.removeAll(entry.userID);
    }
    // The component unites the rights of those left, or has none once nobody is left.
    session.authority.LoadOperatorRights(false);
    session.authority.LoadReferenceRights();
    RebuildOperatorClassFlags(db, session);
    session.logon.CurrentOperatorID = logon.CurrentOperatorID();
    if (session.frame.setupMenus)
        session.frame.setupMenus();
}

QByteArray StoredSecretMarker()
{
    return QByteArrayLiteral("OSTRELLEMARKS");
}

int32_t RunStartupDatabaseChecks(RecordDatabase &db)
{
    RecordTable t(db);
    QString flag;
    if (!readParameter(t, QStringLiteral("SYSTEM_GURU_UPDATED"), flag) || leadingNumber(flag) == 0)
        return 0;
    const QByteArray marker = StoredSecretMarker();

    // Rows are gathered first: the query must not walk rows that are being deleted and inserted.
    struct Secret
    {
        int32_t userID;
        QList<QPair<QString, QVariant>> fields;
    };
    const auto gather = [&](int32_t tableId, const QString &where, const QStringList &names, QList<Secret> &rows) {
        RecordTable q(db);
        q.SelectTable(tableId);
        q.OpenQuery(where, QString());
        for (; q.Status() == 0; q.MoveNext()) {
            if (!q.GetField(Field::cardImageData).toByteArray().contains(marker))
                continue;
            Secret secret{q.GetField(Field::userID).toInt(), {}};
            for (const QString &name : names)
                secret.fields.append({name, q.GetField(name)});
            rows.append(secret);
        }
        const int32_t status = q.Status() == RecordStatus::NoRecord ? 0 : q.Status();
        q.CloseQuery();
        return status;
    };
    const auto rewrite = [&](int32_t tableId, const QList<Secret> &rows) {
        for (const Secret &secret : rows) {
            // Delete and insert stand or fall together: a refused insert must not lose the secret.
            RecordDatabase::Transaction pair(db);
            if (!pair.active())
                return RecordStatus::SqlError;
            t.SelectTable(tableId);
            t.SetField(Field::userID, secret.userID);
            t.DeleteRecord();
            if (t.Status() != 0)
                return t.Status();
            t.SetField(Field::userID, secret.userID);
            for (const auto &[name, value] : secret.fields)
                t.SetField(name, value);
            t.InsertRecord();
            if (t.Status() != 0)
                return t.Status();
            if (!pair.commit())
                return RecordStatus::SqlError;
        }
        return 0;
    };

    QList<Secret> passwords, pins;
    int32_t status = gather(TableId::Passwords, QStringLiteral("password is not null"), {Field::password}, passwords);
    if (status == 0)
        status = rewrite(TableId::Passwords, passwords);
    if (status == 0)
        status =
            gather(TableId::Pins,
                   QString(Field::pinCode) + QStringLiteral(" > 0 and (") + QString(Field::pinAlarm) +
                       QStringLiteral(" is not null or ") + QString(Field::pinDuress) + QStringLiteral(" is not null)"),
                   {Field::pinCode, Field::pinAlarm, Field::pinDuress}, pins);
    if (status == 0)
        status = rewrite(TableId::Pins, pins);
    if (status != 0)
        return status;

    t.SelectTable(TableId::Parameters);
    t.SetField(Field::parameterID, QStringLiteral("SYSTEM_GURU_UPDATED"));
    t.FindRecord();
    if (t.Status() == 0) {
        t.SetField(Field::parameter, QStringLiteral("0"));
        t.UpdateRecord();
    }
    status = t.Status();
    t.CloseQuery();
    return status;
}
