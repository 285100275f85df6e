#include "ui/DialogMessages.h"

#include "texts/Texts.h"

QString TextOr(int16_t number, const QString &fallback)
{
    const QString text = GetText(number);
    return text == QString::number(number) ? fallback : text;
}

QStringList DialogMessages::buttonCaptions(const MessageRequest &request)
{
    if (!request.buttonNumbers.empty()) {
        // A button text may hold a whole set, its captions separated by "|".
        QStringList captions;
        for (int16_t n : request.buttonNumbers)
            captions << GetText(n).split(QLatin1Char('|'));
        return captions;
    }
    // The stock buttons of a message box, as the operating system's own boxes name them.
    const QString ok = TextOr(17000, QStringLiteral("OK"));
    switch (request.buttons) {
    case MessageButtons::Ok:
        return {ok};
    case MessageButtons::OkCancel:
        return {ok, QStringLiteral("Cancel")};
    case MessageButtons::AbortRetryIgnore:
        return {QStringLiteral("&Abort"), QStringLiteral("&Retry"), QStringLiteral("&Ignore")};
    case MessageButtons::YesNoCancel:
        return {QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Cancel")};
    case MessageButtons::YesNo:
        return {QStringLiteral("&Yes"), QStringLiteral("&No")};
    case MessageButtons::RetryCancel:
        return {QStringLiteral("&Retry"), QStringLiteral("Cancel")};
    }
    return {ok};
}

int DialogMessages::show(const MessageRequest &request, QWidget *parent)
{
    const QString text = composeText(request);
    const QString title = GetText(request.titleNumber == 0 ? int16_t(15010) : request.titleNumber);
    DialogStyle style = DialogStyle::Information;
    switch (request.style) {
    case MessageStyle::Error:
        style = DialogStyle::Error;
        break;
    case MessageStyle::Question:
        style = DialogStyle::Question;
        break;
    case MessageStyle::Exclamation:
        style = DialogStyle::Exclamation;
        break;
    case MessageStyle::Information:
        break;
    }
    const QStringList captions = buttonCaptions(request);
    if (m_dialog)
        return m_dialog(text, style, title, captions);
    return ShowMessageDialog(text, style, title, captions, -1, -1, parent);
}
