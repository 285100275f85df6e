#include "frame/LiteralErrorBox.h"

#include "ui/Messages.h"

#include <QPointer>
#include <QWidget>

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
