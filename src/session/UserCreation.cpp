#include "session/UserCreation.h"

#include "components/recordtable/RecordTable.h"
#include "data/Fields.h"
#include "data/OleDate.h"
#include "session/Workstation.h"
#include "ui/BusyIndicator.h"
#include "ui/WindowContracts.h"

#include <QApplication>
#include <QCursor>
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
    BusyPointer()
    {
        const QCursor *current = QApplication::overrideCursor();
        m_wasBusy = current && current->shape() == Qt::WaitCursor;
        SetBusyPointer(true);
    }
    ~BusyPointer() { release(); }
    void release()
    {
        if (!m_wasBusy)
            SetBusyPointer(false);
        m_wasBusy = true;
    }

private:
    bool m_wasBusy = false;
};

void refreshUserLists(Workstation &ws)
{
    const QList<QObject *> windows = ws.notify.openWindows();
    for (QObject *window : windows) {
        if (auto *list = dynamic_cast<UserListWindow *>(window))
            list->RefreshTableList();
    }
}

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

qint32 CreateUserFromName(Workstation &ws, const QString &surname, const QString &firstname, QWidget *parent)
{
    return CreateUserFromName(ws, surname, firstname, parent, WaitProcessingEvents);
}

qint32 CreateUserFromName(Workstation &ws, const QString &surname, const QString &firstname, QWidget *parent,
                          const UserCreationWait &wait)
{
    BusyPointer busy;
    RecordTable users(*ws.database);
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
        ws.messages->errorWithCode(kInsertErrorCode, users.ErrorText(status), parent);
        return kFailedUserID;
    }
    const qint32 userID = users.GetField(Field::userID).toInt();
    refreshUserLists(ws);
    return userID;
}
