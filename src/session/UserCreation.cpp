#include "session/UserCreation.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "platform/BusySignal.h"
#include "session/Services.h"

#include <QEventLoop>
#include <QTimeZone>
#include <QTimer>

namespace {

constexpr int kTries = 3;
constexpr int kRetryWaitMs = 1000;
constexpr int32_t kInsertErrorCode = 4528;
constexpr qint32 kFailedUserID = 1;

// The hourglass for the run, taken off again only when it was not already showing.
class BusyPointer
{
public:
    explicit BusyPointer(BusySignal *signal) : m_signal(signal)
    {
        if (!m_signal)
            return;
        m_wasBusy = m_signal->BusyPointerShown();
        m_signal->SetBusyPointer(true);
    }
    ~BusyPointer() { release(); }
    void release()
    {
        if (m_signal && !m_wasBusy)
            m_signal->SetBusyPointer(false);
        m_wasBusy = true;
    }

private:
    BusySignal *m_signal;
    bool m_wasBusy = false;
};

} // namespace

QString UserIdentifierFromTime(double serverTime)
{
    // In UTC terms, so a wall-clock time in a daylight saving gap is not moved.
    return OleDate::toDateTime(serverTime, QTimeZone::utc()).toString(QStringLiteral("yyMMddHHmmss")) +
           QStringLiteral("ID");
}

void WaitProcessingEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

qint32 CreateUserFromName(ProgramServices &program, DatabaseServices &db, Session &session, const QString &surname,
                          const QString &firstname, QWidget *parent)
{
    return CreateUserFromName(program, db, session, surname, firstname, parent, WaitProcessingEvents);
}

qint32 CreateUserFromName(ProgramServices &program, DatabaseServices &db, Session &session, const QString &surname,
                          const QString &firstname, QWidget *parent, const UserCreationWait &wait)
{
    BusyPointer busy(session.frame.busy);
    RecordTable users(*db.database);
    users.SelectTable(TableId::Users);
    users.SetKeyField(Field::alphaID);

    QString alphaID;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0)
            wait(kRetryWaitMs);
        alphaID = UserIdentifierFromTime(users.ServerNow());
        users.SetField(Field::alphaID, alphaID);
        users.FindRecord();
        if (users.Status() == RecordStatus::NoRecord)
            break;
    }

    users.SelectTable(TableId::Users);
    users.SetField(Field::alphaID, alphaID);
    users.SetField(Field::surname, surname);
    users.SetField(Field::firstname, firstname);
    users.SetField(Field::userGroupID, QVariant::fromValue(qint16(0)));
    users.SetField(Field::doNotShow, 1);
    users.SetField(Field::deleted, 1);
    users.InsertRecord();
    const qint32 status = users.Status();
    if (status != RecordStatus::Ok) {
        busy.release();
        program.messages->errorWithCode(kInsertErrorCode, users.ErrorText(status), parent);
        return kFailedUserID;
    }
    const qint32 userID = users.GetField(Field::userID).toInt();
    if (session.frame.refreshUserLists)
        session.frame.refreshUserLists();
    return userID;
}
