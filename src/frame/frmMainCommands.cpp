#include "cards/OverrideStore.h"
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
#include <optional>

using namespace FrameCommands;

namespace {

// The message of a command whose window has not been built into this program yet.
constexpr int16_t kNotAvailableYet = -30000;

// Staff card kinds of the door-access search.
constexpr int32_t kDoorAccessKinds[] = {260, 261, 266, 267, 268, 273, 276};
// The help context of a window with a help page, 0 for another.
int helpContextOf(QWidget *window)
{
    const auto *help = dynamic_cast<HelpContext *>(window);
    return help ? help->HelpContextID() : 0;
}

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

FrameChild *frmMain::createChild(const QString &kind)
{
    FrameChild *window = m_frameWindows.windows.create(kind, nullptr);
    if (!window)
        showNotAvailable();
    return window;
}

void frmMain::showChild(const QString &kind, FrameChild *child, bool created)
{
    QWidget *window = WidgetOf(child);
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
    child->Activate();
}

FrameChild *frmMain::openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare)
{
    FrameChild *window = dynamic_cast<FrameChild *>(childWindow(kind));
    const bool created = window == nullptr;
    if (created && !(window = createChild(kind)))
        return nullptr;
    if (!window->IsDialogAvailable() || (prepare && !prepare(*window))) {
        if (created)
            delete window;
        return nullptr;
    }
    showChild(kind, window, created);
    return window;
}

void frmMain::openCommandWindow(const Command &command)
{
    openChild(QLatin1String(command.kind), [&command](FrameChild &window) {
        switch (command.argumentKind) {
        case Argument::None:
            return true;
        case Argument::Joiner:
            if (auto *card = dynamic_cast<CardWindow *>(&window)) {
                card->setJoiner(command.argument != 0);
                return true;
            }
            return false;
        case Argument::Function:
            if (auto *card = dynamic_cast<CardWindow *>(&window)) {
                card->SetFunction(command.argument);
                return true;
            }
            return false;
        case Argument::NewRecord:
            if (auto *data = dynamic_cast<DataWindow *>(&window)) {
                data->NewRecord();
                return true;
            }
            return false;
        }
        return false;
    });
}

void frmMain::openModal(const QString &kind)
{
    std::unique_ptr<QDialog> dialog(m_frameWindows.windows.createDialog(kind, this));
    if (!dialog) {
        showNotAvailable();
        return;
    }
    dialog->setParent(this, dialog->windowFlags());
    dialog->exec();
}

void frmMain::openList(const Command &command)
{
    const QString kind = QLatin1String(command.kind);
    if (!childWindow(kind) && kind != WindowKinds::CardList.name && *command.filterKind) {
        // A list that asks for its filters first opens only when they were given.
        FrameChild *window = openChild(kind, [](FrameChild &child) {
            auto *list = dynamic_cast<SearchFirstWindow *>(&child);
            return !list || list->AskSearchFilters();
        });
        if (auto *list = dynamic_cast<SearchFirstWindow *>(window))
            list->StartSearch();
        return;
    }
    if (childWindow(kind) || kind != WindowKinds::CardList.name || !*command.filterKind) {
        openChild(kind, {});
        return;
    }
    if (CardListWindow *list = searchFirst(CardSearchPreset::None))
        list->StartSearch();
}

CardListWindow *frmMain::availableList(std::unique_ptr<FrameChild> &created)
{
    auto *list = dynamic_cast<CardListWindow *>(childWindow(WindowKinds::CardList.name));
    if (!list) {
        created.reset(createChild(WindowKinds::CardList.name));
        list = dynamic_cast<CardListWindow *>(created.get());
    }
    return list && list->IsDialogAvailable() ? list : nullptr;
}

CardListWindow *frmMain::searchFirst(CardSearchPreset preset)
{
    std::unique_ptr<FrameChild> created;
    CardListWindow *list = availableList(created);
    if (!list)
        return nullptr;
    // The list takes the filters of the search; cancelled, nothing opens.
    if (m_frameWindows.windows.hasCardSearch()) {
        const std::optional<CardSearchFilters> chosen =
            m_frameWindows.windows.searchCards({std::nullopt, preset}, this);
        if (!chosen)
            return nullptr;
        ApplyCardSearch(*list, *chosen);
    }
    showChild(WindowKinds::CardList.name, list, created != nullptr);
    created.release();
    return list;
}

void frmMain::openDoorAccess()
{
    // Door access always asks for the door, also when the list is open already.
    CardListWindow *list = searchFirst(CardSearchPreset::DoorAccess);
    if (!list)
        return;
    list->ClearCardNameFilters();
    for (int32_t kind : kDoorAccessKinds)
        list->SetCardNameFilter(kind);
    list->StartSearch();
}

void frmMain::openExpiringCards()
{
    std::unique_ptr<FrameChild> created;
    CardListWindow *list = availableList(created);
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

    showChild(WindowKinds::CardList.name, list, created != nullptr);
    created.release();
    const bool operatorCards = m_db.SystemParams && m_db.SystemParams->NeedOpCardAtLogon();
    const bool fiveDigits = m_db.SystemParams && m_db.SystemParams->FiveDigits();
    list->ClearCardNameFilters();
    for (int32_t cardKind : expiringKinds(operatorCards))
        list->SetCardNameFilter(cardKind);
    // Current cards of every date but the expiry, any registration number, door and room.
    CardSearchFilters filters;
    filters.statusGroup = 1;
    filters.issueFrom = filters.startFrom = filters.expiryFrom = OleDate::kEarliestSearchDay;
    filters.issueTo = filters.startTo = NoExpiry;
    filters.expiryTo = limit;
    filters.registrationTo = 0x7fffffff;
    filters.roomTo = fiveDigits ? 99999 : 9999;
    list->SetSearchFilters(filters);
    list->StartSearch();
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
    const std::optional<int> step = OverrideStep(digits);
    if (!step) {
        m_program.messages->error(-31080, {}, {}, this);
        return;
    }
    if (!m_db.database)
        return;
    if (const OverrideStore::Result set = OverrideStore(*m_db.database).setIncrement(*step); !set.ok()) {
        MessageRequest failure;
        failure.appendix = set.errorText;
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
            page = HelpPageFor(helpContextOf(modal));
        else if (QMdiSubWindow *sub = m_mdi->activeSubWindow(); sub && sub->widget())
            page = HelpPageFor(helpContextOf(sub->widget()));
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
    frmAbout about(m_program, m_db, this);
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
