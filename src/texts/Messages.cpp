#include "texts/Messages.h"

#include "texts/Texts.h"

MessageRequest MessageRequest::fromStyle(int16_t textNumber, int styleCode, int16_t titleNumber,
                                         const QVariantList &arguments)
{
    MessageRequest request;
    request.textNumber = textNumber;
    request.titleNumber = titleNumber;
    request.arguments = arguments;
    switch (styleCode & 0x7) {
    case 1:
        request.buttons = MessageButtons::OkCancel;
        break;
    case 2:
        request.buttons = MessageButtons::AbortRetryIgnore;
        break;
    case 3:
        request.buttons = MessageButtons::YesNoCancel;
        break;
    case 4:
        request.buttons = MessageButtons::YesNo;
        break;
    case 5:
        request.buttons = MessageButtons::RetryCancel;
        break;
    default:
        request.buttons = MessageButtons::Ok;
        break;
    }
    switch (styleCode & 0x70) {
    case 16:
        request.style = MessageStyle::Error;
        break;
    case 32:
        request.style = MessageStyle::Question;
        break;
    case 48:
        request.style = MessageStyle::Exclamation;
        break;
    default:
        request.style = MessageStyle::Information;
        break;
    }
    request.defaultButton = (styleCode & 0x300) >> 8;
    return request;
}

QString Messages::composeText(const MessageRequest &request)
{
    if (request.replacesText)
        return request.appendix;
    QString text = FormatText(GetText(request.textNumber), request.arguments);
    if (!request.appendix.isEmpty())
        text += QStringLiteral("\r\n\r\n") + request.appendix;
    return text;
}

void Messages::error(int16_t number, const QVariantList &args, const QString &appendix, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.arguments = args;
    request.appendix = appendix;
    request.style = MessageStyle::Error;
    show(request, parent);
}

void Messages::information(int16_t number, const QVariantList &args, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.arguments = args;
    show(request, parent);
}

bool Messages::ask(int16_t number, int16_t titleNumber, const QVariantList &args, QWidget *parent)
{
    MessageRequest request;
    request.textNumber = number;
    request.arguments = args;
    request.titleNumber = titleNumber;
    request.style = MessageStyle::Question;
    request.buttons = MessageButtons::YesNo;
    return show(request, parent) == 0;
}

QString Messages::errorCodeText(int32_t errorCode, const QString &errorText)
{
    return GetText(-31230) + QStringLiteral("IEC-") + QString::number(static_cast<uint32_t>(errorCode), 16).toUpper() +
           QStringLiteral("\r\n\r\n") + errorText;
}

void Messages::errorWithCode(int32_t errorCode, const QString &errorText, QWidget *parent)
{
    // The whole text is composed here, so it rides as the appendix of an empty text number.
    MessageRequest request;
    request.textNumber = -31230;
    request.style = MessageStyle::Error;
    request.appendix = errorCodeText(errorCode, errorText);
    request.replacesText = true;
    show(request, parent);
}
