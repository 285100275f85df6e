#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

enum class DialogStyle { Error, Question, Information, Exclamation };

// A modal message box with literal texts, centred on the screen unless a position is given;
// returns the index of the chosen button (0 = first), or -1 when closed without a choice.
int ShowMessageDialog(const QString &text, DialogStyle style, const QString &title, const QStringList &buttonCaptions,
                      int left = -1, int top = -1, QWidget *parent = nullptr);

// The seam tests replace: every literal message box of the program goes through one of these.
using MessageDialogFn =
    std::function<int(const QString &text, DialogStyle style, const QString &title, const QStringList &buttonCaptions)>;

// Input box: a title, a message, the characters allowed (empty: any), a maximum length and a default.
// Returns false when cancelled.
struct InputBoxRequest
{
    QString title;
    QString message;
    QString allowedCharacters;
    int maximumLength = 0; // 0: no limit
    QString defaultText;
};
bool ShowInputBox(const InputBoxRequest &request, QString &text, QWidget *parent = nullptr);
