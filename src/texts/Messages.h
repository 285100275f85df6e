#pragma once

#include <QString>
#include <QVariantList>

#include <cstdint>
#include <vector>

class QWidget;

enum class MessageStyle { Error, Question, Information, Exclamation };

// The button sets of a message box; the answer is the index of the chosen button in its set.
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

// One message box as the program asks for it: everything by text number.
struct MessageRequest
{
    int16_t textNumber = 0;
    QVariantList arguments;    // replace the "%s" of the text in turn
    QString appendix;          // appended after two line breaks (a component's error text)
    bool replacesText = false; // the appendix is the whole text (composed error boxes)
    MessageStyle style = MessageStyle::Information;
    int16_t titleNumber = 0; // 0: the product name (text 15010)
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 0;
    // Overrides the set's captions with text numbers (e.g. 17000 for a lone OK button).
    std::vector<int16_t> buttonNumbers;

    // Decodes a classic message-box style number: buttons + 16 error, 32 question,
    // 48 exclamation, 64 information, + 256/512 for the second/third default button.
    static MessageRequest fromStyle(int16_t textNumber, int styleCode, int16_t titleNumber,
                                    const QVariantList &arguments = {});
};

// Shows message boxes by text number; returns the index of the chosen button (0 = first).
// Windows never show a QMessageBox themselves, so tests can script every answer.
class Messages
{
public:
    virtual ~Messages() = default;
    virtual int show(const MessageRequest &request, QWidget *parent = nullptr) = 0;

    void error(int16_t number, const QVariantList &args = {}, const QString &appendix = {}, QWidget *parent = nullptr);
    void information(int16_t number, const QVariantList &args = {}, QWidget *parent = nullptr);
    // The error box of a dialog's error code: text -31230, "IEC-" + the code in hexadecimal,
    // two line breaks, then the error text (a component's ErrorText or a status's long text).
    void errorWithCode(int32_t errorCode, const QString &errorText, QWidget *parent = nullptr);
    static QString errorCodeText(int32_t errorCode, const QString &errorText);

    // A Yes/No question with the given title; true for Yes.
    bool ask(int16_t number, int16_t titleNumber, const QVariantList &args = {}, QWidget *parent = nullptr);

    // The final text of a request (text, arguments, appendix), as shown.
    static QString composeText(const MessageRequest &request);
};
