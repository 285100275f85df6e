#include "FindChild.h"
#include "ScriptedMessages.h"
#include "TestFiles.h"
#include "platform/MessageDialog.h"
#include "platform/frmInpBox.h"
#include "texts/Texts.h"
#include "ui/DialogMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs f on the next modal dialog that opens, once the event loop shows it.
void onNextModal(std::function<void(QWidget *)> f)
{
    QTimer::singleShot(0, [f]() {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        f(modal);
    });
}

TEST(MessageDialog, ReturnsTheIndexOfTheChosenButton)
{
    for (int choice = 0; choice < 3; ++choice) {
        onNextModal([&](QWidget *box) {
            QTest::mouseClick(child<QPushButton>(box, QStringLiteral("cmdButton%1").arg(choice)), Qt::LeftButton);
        });
        const int answer =
            ShowMessageDialog(QStringLiteral("Room 12 is occupied."), DialogStyle::Question, QStringLiteral("Question"),
                              {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")});
        EXPECT_EQ(answer, choice);
    }
}

TEST(MessageDialog, EscapeChoosesTheLastButton)
{
    onNextModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessageDialog(QStringLiteral("Text"), DialogStyle::Error, QStringLiteral("Error"),
                                {QStringLiteral("OK"), QStringLiteral("Cancel")}),
              1);
}

TEST(InputBox, AcceptsOnlyAllowedCharactersUpToTheLimit)
{
    QString text;
    onNextModal([](QWidget *box) {
        auto *edit = child<QLineEdit>(box, QStringLiteral("txtInput"));
        EXPECT_EQ(edit->text(), QStringLiteral("7"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("12a3-4567890"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    const bool ok = ShowInputBox({QStringLiteral("Card list"), QStringLiteral("Days back:"),
                                  QStringLiteral("0123456789"), 8, QStringLiteral("7")},
                                 text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(text, QStringLiteral("12345678"));
}

TEST(InputBox, CancelAndEscapeReportCancelled)
{
    for (bool useEscape : {false, true}) {
        QString text = QStringLiteral("unchanged");
        onNextModal([useEscape](QWidget *box) {
            if (useEscape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::mouseClick(child<QPushButton>(box, QStringLiteral("cmdCancel")), Qt::LeftButton);
        });
        EXPECT_FALSE(ShowInputBox({QStringLiteral("T"), QStringLiteral("M"), {}, 0, QStringLiteral("x")}, text));
        EXPECT_EQ(text, QStringLiteral("unchanged"));
    }
}

TEST(Messages, StyleCodesDecodeToButtonsIconAndDefault)
{
    struct Case
    {
        int code;
        MessageButtons buttons;
        MessageStyle style;
        int defaultButton;
    } cases[] = {
        {0, MessageButtons::Ok, MessageStyle::Information, 0},
        {65, MessageButtons::OkCancel, MessageStyle::Information, 0},
        {66, MessageButtons::AbortRetryIgnore, MessageStyle::Information, 0},
        {36, MessageButtons::YesNo, MessageStyle::Question, 0},
        {16 + 5, MessageButtons::RetryCancel, MessageStyle::Error, 0},
        {48 + 3 + 256, MessageButtons::YesNoCancel, MessageStyle::Exclamation, 1},
        {32 + 4 + 512, MessageButtons::YesNo, MessageStyle::Question, 2},
    };
    for (const Case &c : cases) {
        const MessageRequest r = MessageRequest::fromStyle(-32507, c.code, 17001);
        EXPECT_EQ(r.buttons, c.buttons) << c.code;
        EXPECT_EQ(r.style, c.style) << c.code;
        EXPECT_EQ(r.defaultButton, c.defaultButton) << c.code;
        EXPECT_EQ(r.titleNumber, 17001);
    }
}

TEST(Messages, DialogMessagesComposeTextTitleAndCaptions)
{
    struct Seen
    {
        QString text, title;
        QStringList captions;
        DialogStyle style;
    } seen;
    DialogMessages messages(
        [&seen](const QString &text, DialogStyle style, const QString &title, const QStringList &captions) {
            seen = {text, title, captions, style};
            return 1;
        });
    MessageRequest request;
    request.textNumber = 31999; // no text loaded: the number stands for itself
    request.appendix = QStringLiteral("disk full");
    request.style = MessageStyle::Error;
    request.buttons = MessageButtons::YesNo;
    EXPECT_EQ(messages.show(request), 1);
    EXPECT_EQ(seen.text, QStringLiteral("31999\r\n\r\ndisk full"));
    EXPECT_EQ(seen.title, QStringLiteral("15010"));
    EXPECT_EQ(seen.captions, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
    EXPECT_EQ(seen.style, DialogStyle::Error);

    request.buttons = MessageButtons::Ok;
    messages.show(request);
    EXPECT_EQ(seen.captions, QStringList{QStringLiteral("OK")}) << "text 17000 falls back to the literal OK";
}

TEST(Messages, AButtonTextMayHoldAWholeSetSeparatedByBars)
{
    QTemporaryDir dir;
    TextResources texts;
    useTextFile(texts, dir.filePath(QStringLiteral("t.rc")),
                "\t17005\t\"&Make card|&Skip room|&Stop\"\r\n\tMSG_BASE+0x10CL\t\"Room %s is occupied.\"\r\n");
    TextResources::install(&texts);

    QStringList captions;
    QString shownText;
    DialogMessages messages([&](const QString &text, DialogStyle, const QString &, const QStringList &c) {
        shownText = text;
        captions = c;
        return 2;
    });
    MessageRequest request;
    request.textNumber = -32500;
    request.arguments = {QStringLiteral("101")};
    request.buttonNumbers = {17005};
    EXPECT_EQ(messages.show(request), 2);
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("&Make card"), QStringLiteral("&Skip room"), QStringLiteral("&Stop")}));
    EXPECT_EQ(shownText, QStringLiteral("Room 101 is occupied."));
    TextResources::install(nullptr);
}

TEST(Messages, ErrorCodeBoxShowsTheCodeInHexadecimalBeforeTheText)
{
    ScriptedMessages messages;
    messages.expect(-31230);
    messages.errorWithCode(4784, QStringLiteral("could not connect"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, QStringLiteral("-31230IEC-12B0\r\n\r\ncould not connect"));
    EXPECT_EQ(messages.shown().front().request.style, MessageStyle::Error);
    EXPECT_EQ(Messages::errorCodeText(0x1234ABCD, QStringLiteral("x")), QStringLiteral("-31230IEC-1234ABCD\r\n\r\nx"));
}

} // namespace
