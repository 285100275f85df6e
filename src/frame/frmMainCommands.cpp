#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "frame/HelpTopics.h"
#include "frame/frmAbout.h"
#include "frame/frmMain.h"
#include "frame/frmNavWindow.h"
#include "session/Workstation.h"
#include "session/frmLogoff.h"
#include "session/frmLogon.h"
#include "settings/clsSystemParams.h"
#include "settings/frmEncoderSetup.h"
#include "texts/Texts.h"
#include "ui/DialogMembers.h"
#include "ui/HelpViewer.h"
#include "ui/WindowNumbers.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <cmath>
#include <memory>

using namespace FrameCommands;

namespace {

// The message of a command whose window has not been built into this program yet.
constexpr int16_t kNotAvailableYet = -30000;

// Staff card kinds of the door-access search.
constexpr int32_t kDoorAccessKinds[] = {260, 261, 266, 267, 268, 273, 276};
// The search dialog's mode that asks for a door.
constexpr int kDoorAccessMode = 1;

// The kinds the expiring-cards search lists; the operator card only where operators carry one.
QList<int32_t> expiringKinds(bool operatorCards)
{
    QList<int32_t> kinds;
    for (int32_t kind = 260; kind <= 279; ++kind) {
        if (kind == 270 && !operatorCards)
            continue;
        if (kind == 274)
            continue;
        kinds << kind;
    }
    return kinds;
}

void arrange(QMdiArea *area, Qt::Orientation orientation)
{
    QList<QMdiSubWindow *> windows;
    const QList<QMdiSubWindow *> all = area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : all) {
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    }
    if (windows.isEmpty())
        return;
    const QRect space = area->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        if (orientation == Qt::Horizontal) {
            // One above the other, each as wide as the client area.
            const int height = space.height() / count;
            sub->setGeometry(0, i * height, space.width(), height);
        } else {
            const int width = space.width() / count;
            sub->setGeometry(i * width, 0, width, space.height());
        }
    }
}

} // namespace

void frmMain::runCommand(const Command &command)
{
    switch (command.action) {
    case Action::LogOn:
        logOn();
        break;
    case Action::LogOff:
        logOff();
        break;
    case Action::EncoderSetup:
        OpenDeviceSetup();
        break;
    case Action::SetupHCU:
        setupHandheld();
        break;
    case Action::Exit:
        close();
        break;
    case Action::ToggleToolbar:
        toggleToolbar();
        break;
    case Action::ToggleStatusBar:
        toggleStatusBar();
        break;
    case Action::NavWindow:
        showNavWindow();
        break;
    case Action::Open:
        openCommandWindow(command);
        break;
    case Action::OpenModal:
        openModal(QLatin1String(command.kind));
        break;
    case Action::OpenList:
        openList(command);
        break;
    case Action::DoorAccess:
        openDoorAccess();
        break;
    case Action::ExpiringCards:
        openExpiringCards();
        break;
    case Action::IncreaseOverride:
        increaseOverride();
        break;
    case Action::VerifyCard:
        verifyCard();
        break;
    case Action::Cascade:
        m_mdi->cascadeSubWindows();
        break;
    case Action::TileHorizontal:
        arrange(m_mdi, Qt::Horizontal);
        break;
    case Action::TileVertical:
        arrange(m_mdi, Qt::Vertical);
        break;
    case Action::HelpContents:
        showHelp(false);
        break;
    case Action::HelpSearch:
        showHelp(true);
        break;
    case Action::About:
        showAbout();
        break;
    }
}

void frmMain::showNotAvailable()
{
    m_program.messages->information(kNotAvailableYet, {}, this);
}

QWidget *frmMain::createChild(const QString &kind)
{
    QWidget *window = m_frameWindows.windows.create(kind, nullptr);
    if (!window)
        showNotAvailable();
    return window;
}

void frmMain::showChild(const QString &kind, QWidget *window, bool created)
{
    QMdiSubWindow *sub = nullptr;
    if (created) {
        // A window that restored its own placement keeps it inside the frame's client area.
        const bool sized = window->testAttribute(Qt::WA_Resized);
        const bool moved = window->testAttribute(Qt::WA_Moved);
        const QRect placed(window->pos(), window->size());
        sub = m_mdi->addSubWindow(window);
        if (sized) {
            const int border = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
            const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
            sub->resize(placed.width() + 2 * border, placed.height() + title + border);
        }
        if (moved)
            sub->move(placed.topLeft());
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setProperty("kind", kind);
        const int number = WindowNumber::of(kind);
        if (number >= 0) {
            m_session.openDialogs.set(size_t(number));
            Session *session = &m_session;
            connect(window, &QObject::destroyed, [session, number]() { session->openDialogs.reset(size_t(number)); });
        }
    } else {
        sub = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    }
    if (!sub)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    else
        sub->show();
    m_mdi->setActiveSubWindow(sub);
    window->setFocus();
    DialogMembers::call(window, "Activate");
}

QWidget *frmMain::openWindow(const QString &kind, const std::function<void(QWidget *)> &arguments)
{
    QWidget *window = childWindow(kind);
    const bool created = window == nullptr;
    if (created && !(window = createChild(kind)))
        return nullptr;
    if (!DialogMembers::isDialogAvailable(window)) {
        if (created)
            delete window;
        return nullptr;
    }
    if (arguments)
        arguments(window);
    showChild(kind, window, created);
    return window;
}

void frmMain::openCommandWindow(const Command &command)
{
    openWindow(QLatin1String(command.kind), [&command](QWidget *window) {
        switch (command.argumentKind) {
        case Argument::None:
            break;
        case Argument::Joiner:
            window->setProperty("Joiner", command.argument != 0);
            break;
        case Argument::Function:
            DialogMembers::call(window, "SetFunction", {command.argument});
            break;
        case Argument::NewRecord:
            // A new record: key 0, or no wing code for the wing dialog.
            if (QLatin1String(command.recordProperty) == QLatin1String("WingCode"))
                window->setProperty(command.recordProperty, QString());
            else
                window->setProperty(command.recordProperty, 0);
            break;
        }
    });
}

void frmMain::openModal(const QString &kind)
{
    std::unique_ptr<QWidget> window(createChild(kind));
    if (!window || !DialogMembers::isDialogAvailable(window.get()))
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window.get())) {
        dialog->setParent(this, dialog->windowFlags());
        dialog->exec();
    } else {
        window->setParent(this, Qt::Dialog);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
    }
}

void frmMain::openList(const Command &command)
{
    const QString kind = QLatin1String(command.kind);
    if (childWindow(kind)) {
        openWindow(kind);
        return;
    }
    if (QWidget *list = searchFirst(kind, QLatin1String(command.filterKind), {}))
        DialogMembers::call(list, "StartSearch");
}

QWidget *frmMain::availableList(const QString &kind, std::unique_ptr<QWidget> &created)
{
    QWidget *list = childWindow(kind);
    if (!list) {
        created.reset(createChild(kind));
        list = created.get();
    }
    return list && DialogMembers::isDialogAvailable(list) ? list : nullptr;
}

QWidget *frmMain::searchFirst(const QString &kind, const QString &filterKind,
                              const std::function<void(QWidget *)> &prepare)
{
    std::unique_ptr<QWidget> created;
    QWidget *list = availableList(kind, created);
    if (!list)
        return nullptr;
    // The search dialog writes its filters into the list it is given; cancelled, nothing opens.
    if (m_frameWindows.windows.has(filterKind)) {
        std::unique_ptr<QWidget> filter(m_frameWindows.windows.create(filterKind, this));
        if (!filter)
            return nullptr;
        filter->setProperty("List", QVariant::fromValue<QObject *>(list));
        if (prepare)
            prepare(filter.get());
        if (auto *dialog = qobject_cast<QDialog *>(filter.get()))
            dialog->exec();
        if (DialogMembers::readBool(filter.get(), "Cancel", true))
            return nullptr;
    }
    showChild(kind, list, created != nullptr);
    created.release();
    return list;
}

void frmMain::openDoorAccess()
{
    // Door access always asks for the door, also when the list is open already.
    QWidget *list = searchFirst(QStringLiteral("frmCardList"), QStringLiteral("frmCardSearchFilters"),
                                [](QWidget *filter) { filter->setProperty("PresetMode", kDoorAccessMode); });
    if (!list)
        return;
    DialogMembers::call(list, "ClearCardNameFilters");
    for (int32_t kind : kDoorAccessKinds)
        DialogMembers::call(list, "SetCardNameFilter", {kind});
    DialogMembers::call(list, "StartSearch");
}

void frmMain::openExpiringCards()
{
    const QString kind = QStringLiteral("frmCardList");
    std::unique_ptr<QWidget> created;
    QWidget *list = availableList(kind, created);
    if (!list)
        return;

    InputBoxRequest request;
    request.title = GetText(-32764);
    request.message = GetText(-31488);
    request.allowedCharacters = QStringLiteral("0123456789");
    request.defaultText = QStringLiteral("7");
    QString text;
    if (!askInput(request, text))
        return;
    const int days = text.left(6).toInt();
    double today = OleDate::wholeDay(OleDate::fromDateTime(QDateTime::currentDateTime()));
    if (m_db.database) {
        RecordTable clock(*m_db.database);
        const double now = clock.ServerNow();
        if (clock.Status() == RecordStatus::Ok)
            today = OleDate::wholeDay(now);
    }
    const double limit = today + days;

    showChild(kind, list, created != nullptr);
    created.release();
    const bool operatorCards = m_db.SystemParams && m_db.SystemParams->NeedOpCardAtLogon();
    const bool fiveDigits = m_db.SystemParams && m_db.SystemParams->FiveDigits();
    DialogMembers::call(list, "ClearCardNameFilters");
    for (int32_t cardKind : expiringKinds(operatorCards))
        DialogMembers::call(list, "SetCardNameFilter", {cardKind});
    // alphaID, surname, firstname, status group, issue from/to, start from/to, expiry from/to,
    // registration from/to, issued by, door, interval start/stop, main guest room from/to.
    const QVariantList filters = {QString(),
                                  QString(),
                                  QString(),
                                  1,
                                  OleDate::kEarliestSearchDay,
                                  NoExpiry,
                                  OleDate::kEarliestSearchDay,
                                  NoExpiry,
                                  OleDate::kEarliestSearchDay,
                                  limit,
                                  0,
                                  0x7fffffff,
                                  QString(),
                                  0,
                                  0,
                                  0,
                                  0,
                                  fiveDigits ? 99999 : 9999};
    DialogMembers::call(list, "SetSearchFilters", QVariantList{QVariant(filters)});
    DialogMembers::call(list, "StartSearch");
}

void frmMain::increaseOverride()
{
    if (!m_session.authority.IsFunctionAllowed(19, 0))
        return;
    InputBoxRequest request;
    request.title = GetText(-32761);
    request.message = GetText(-31475);
    request.allowedCharacters = QStringLiteral("0123456789");
    QString digits;
    if (!askInput(request, digits) || digits.isEmpty())
        return;
    // More digits than any step has are as much too large as 16.
    if (digits.size() > 2 || digits.toInt() >= 16) {
        m_program.messages->error(-31080, {}, {}, this);
        return;
    }
    if (!m_db.database)
        return;
    RecordTable doors(*m_db.database);
    doors.SetComputerName(m_program.ComputerName);
    doors.ExecuteCommand(QStringLiteral("update Doors set ") + QStringLiteral("overrideIncrement") +
                         QStringLiteral(" = ") + digits);
    if (doors.Status() != RecordStatus::Ok) {
        MessageRequest failure;
        failure.appendix = doors.ErrorText(doors.Status());
        failure.replacesText = true;
        failure.style = MessageStyle::Error;
        m_program.messages->show(failure, this);
    }
}

bool frmMain::askInput(const InputBoxRequest &request, QString &text)
{
    if (m_inputBox)
        return m_inputBox(request, text);
    return ShowInputBox(request, text, this);
}

void frmMain::showHelp(bool search)
{
    if (!m_facts.HelpAvailable)
        return;
    QString error;
    if (search) {
        error = m_help->DisplaySearch();
    } else {
        QString page;
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this)
            page = HelpPageFor(modal->property("HelpContextID").toInt());
        else if (QMdiSubWindow *sub = m_mdi->activeSubWindow(); sub && sub->widget())
            page = HelpPageFor(sub->widget()->property("HelpContextID").toInt());
        error = page.isEmpty() ? m_help->DisplayContents() : m_help->DisplayTopic(page);
    }
    if (!error.isEmpty()) {
        MessageRequest request;
        request.appendix = error;
        request.replacesText = true;
        request.style = MessageStyle::Error;
        request.titleNumber = -32767;
        request.buttonNumbers = {17000};
        m_program.messages->show(request, this);
    }
}

void frmMain::showAbout()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::logOn()
{
    RunLogonDialog(m_program, m_db, m_cardServers, m_session, 0, this);
    SetupMenus();
    SetupToolbar();
}

void frmMain::logOff()
{
    RunLogoffDialog(m_program, m_db, m_session, this);
    SetupMenus();
    SetupToolbar();
}

void frmMain::OpenDeviceSetup()
{
    if (!m_db.database)
        return;
    RunEncoderSetup(*m_db.database, m_program.LocalParams, this);
}

void frmMain::toggleToolbar()
{
    const bool show = m_toolbar->isHidden();
    m_toolbar->setVisible(show);
    action(QStringLiteral("mnuViewToolbar"))->setChecked(show);
}

void frmMain::toggleStatusBar()
{
    const bool show = statusBar()->isHidden();
    statusBar()->setVisible(show);
    action(QStringLiteral("mnuViewStatusBar"))->setChecked(show);
}
