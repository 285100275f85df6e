#include "ui/ChildWindow.h"

#include "texts/Messages.h"
#include "ui/WindowContracts.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

void UnloadWindow(QWidget *window)
{
    if (!window)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

void BringWindowForward(QWidget *window)
{
    if (!window)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        if (sub->isMinimized())
            sub->showNormal();
        else
            sub->show();
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    } else {
        window->show();
        window->raise();
        window->activateWindow();
    }
    window->setFocus();
    if (auto *child = dynamic_cast<FrameChild *>(window))
        child->Activate();
}

MessageDialogFn LiteralErrorBox(Messages &messages, QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    return [&messages, owner](const QString &text, DialogStyle, const QString &, const QStringList &) {
        MessageRequest request;
        request.appendix = text;
        request.replacesText = true;
        request.style = MessageStyle::Error;
        request.titleNumber = -32767;
        request.buttonNumbers = {17000};
        return messages.show(request, owner.data());
    };
}
