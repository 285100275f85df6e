#pragma once

#include "platform/MessageDialog.h"
#include "texts/Messages.h"

// The program's Messages: looks the texts up and shows them through the message dialog,
// centred on the screen.
class DialogMessages : public Messages
{
public:
    DialogMessages() = default;
    // Tests and the start-up hand in another dialog function.
    explicit DialogMessages(MessageDialogFn dialog) : m_dialog(std::move(dialog)) {}

    int show(const MessageRequest &request, QWidget *parent = nullptr) override;

    // The captions of a button set, or of the request's own caption numbers.
    static QStringList buttonCaptions(const MessageRequest &request);

private:
    MessageDialogFn m_dialog;
};

// GetText of a number, or the literal fallback while the number has no text (early start-up).
QString TextOr(int16_t number, const QString &fallback);
