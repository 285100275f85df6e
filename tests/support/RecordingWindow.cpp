#include "RecordingWindow.h"

RecordingWindow::RecordingWindow(const QString &kind, QWidget *parent) : QWidget(parent)
{
    setObjectName(kind);
    setWindowTitle(kind);
}

bool RecordingWindow::ReadCardImageBag()
{
    calls << QStringLiteral("ReadCardImageBag");
    return true;
}

void RecordingWindow::setChoiceRequest(const ChoiceRequest &chooser)
{
    calls << QStringLiteral("setChoiceRequest");
    request = chooser;
}

void RecordingWindow::ClearCardNameFilters()
{
    calls << QStringLiteral("ClearCardNameFilters");
    kinds.clear();
}

void RecordingWindow::SetCardNameFilter(qint32 kind)
{
    calls << QStringLiteral("SetCardNameFilter %1").arg(kind);
    kinds << kind;
}

void RecordingWindow::SetSearchFilters(const CardSearchFilters &values)
{
    calls << QStringLiteral("SetSearchFilters");
    filters = values;
}

void RecordingWindow::CameraUpdated(const QString &name, const QString &address)
{
    calls << QStringLiteral("CameraUpdated %1 %2").arg(name, address);
}

int RecordingWindow::count(const QString &member) const
{
    int n = 0;
    for (const QString &call : calls)
        n += call == member || call.startsWith(member + QLatin1Char(' ')) ? 1 : 0;
    return n;
}

FrameChild *RecordingFrame::openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare)
{
    opened << kind;
    if (!window.IsDialogAvailable() || (prepare && !prepare(window)))
        return nullptr;
    return &window;
}
