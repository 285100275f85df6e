#pragma once

#include "session/NotifyInterfaces.h"
#include "ui/FrameHost.h"
#include "ui/WindowContracts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

// Stands in for any window the frame or another window opens: implements every window contract
// and records each call made on it as one line ("SetFunction 2", "SetCardNameFilter 260").
class RecordingWindow : public QWidget,
                        public CardWindow,
                        public UserDataWindow,
                        public CardListWindow,
                        public SearchFirstWindow,
                        public clsICameraWindow
{
    Q_OBJECT
public:
    explicit RecordingWindow(const QString &kind = QString(), QWidget *parent = nullptr);

    bool IsDialogAvailable() override { return available; }
    void Activate() override { calls << QStringLiteral("Activate"); }
    void EvaluateAuthority() override { calls << QStringLiteral("EvaluateAuthority"); }
    ChildRole role() const override { return childRole; }
    int HelpContextID() const override { return helpContext; }

    bool ReadCardImageBag() override;
    void SetFunction(int function) override { calls << QStringLiteral("SetFunction %1").arg(function); }
    void setJoiner(bool joiner) override { calls << QStringLiteral("setJoiner %1").arg(joiner); }
    void NewRecord() override { calls << QStringLiteral("NewRecord"); }
    void setUserID(qint32 userID) override { calls << QStringLiteral("setUserID %1").arg(userID); }
    void setChoiceRequest(const ChoiceRequest &request) override;
    void RefreshTableList() override { calls << QStringLiteral("RefreshTableList"); }
    void ClearCardNameFilters() override;
    void SetCardNameFilter(qint32 kind) override;
    void SetSearchFilters(const CardSearchFilters &filters) override;
    void StartSearch() override { calls << QStringLiteral("StartSearch"); }
    bool AskSearchFilters() override
    {
        calls << QStringLiteral("AskSearchFilters");
        return searchGiven;
    }
    int32_t CameraID() const override { return cameraID; }
    void CameraUpdated(const QString &name, const QString &address) override;

    // The calls whose line starts with the member's name.
    int count(const QString &member) const;

    QStringList calls;
    bool available = true;
    ChildRole childRole = ChildRole::List;
    int helpContext = 0;
    int32_t cameraID = 0;
    bool searchGiven = true;   // AskSearchFilters: left with OK
    QList<qint32> kinds;       // the kind filter as set
    CardSearchFilters filters; // the last SetSearchFilters
    ChoiceRequest request;     // the last setChoiceRequest
};

// The recording window as a user list (which a card list is not).
class RecordingUserList : public RecordingWindow, public UserListWindow
{
    Q_OBJECT
public:
    using RecordingWindow::RecordingWindow;
    void RefreshTableList() override { RecordingWindow::RefreshTableList(); }
    void setChoiceRequest(const ChoiceRequest &request) override { RecordingWindow::setChoiceRequest(request); }
};

// The frame as windows see it: opens one recording window for every kind and records the kinds.
class RecordingFrame : public FrameHost
{
public:
    FrameChild *openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare) override;

    QStringList opened;
    RecordingWindow window;
};
