#include "FindChild.h"
#include "GuestCardFixture.h"
#include "ScriptedMessages.h"
#include "cards/CardDialog.h"
#include "cards/CardIssue.h"
#include "cards/CardKinds.h"
#include "cards/CardReadBack.h"
#include "cards/CardReceipt.h"
#include "cards/Track2.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int32_t kErrorCode = 4224;

// The shared issuing sequence, for the desk of the guest card tests and a window of its own.
class CardIssueTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        owner = new QWidget;
        owner->setAttribute(Qt::WA_DeleteOnClose);
    }

    void TearDown() override
    {
        delete owner.data();
        GuestCardTest::TearDown();
    }

    std::unique_ptr<CardIssue> makeIssue()
    {
        auto issue = std::make_unique<CardIssue>(ws->program, ws->cardServers, ws->session, owner.data(), kErrorCode);
        issue->setPollInterval(0);
        issue->setLockInputs([this](bool locked) { lockCalls << locked; });
        issue->setEncoderSetup([] { ADD_FAILURE() << "unexpected encoder selection"; });
        return issue;
    }

    // A guest card for room 101 with common room 1, as far as the encode.
    CardIssue::Outcome issueGuestCard(CardIssue &issue, int32_t numCards = 2, double expireTime = 0)
    {
        return encodeCard(issue, 256, 101, 101, 101, {1}, expireTime != 0 ? expireTime : now + 2, numCards);
    }

    int cardRows() { return rowCount(TableId::Cards); }

    QPointer<QWidget> owner;
    QList<bool> lockCalls;
};

TEST_P(CardIssueTest, ASuccessfulIssueStoresTheCardsAndUnlocksTheDialog)
{
    auto issue = makeIssue();
    ASSERT_EQ(issueGuestCard(*issue), CardIssue::Outcome::Done)
        << issue->cards().GetStatusText(issue->lastStatus()).toStdString();
    EXPECT_TRUE(ws->session.cardOperationInProgress);
    issue->waitUntilReady();
    issue->finish();
    EXPECT_FALSE(ws->session.cardOperationInProgress);
    EXPECT_EQ(lockCalls, (QList<bool>{true, false}));
    EXPECT_TRUE(messages->shown().empty());
    EXPECT_EQ(rowCount(TableId::Cards, QStringLiteral("cardNameID = 256")), 2) << "one row per identical card";
}

TEST_P(CardIssueTest, ASecondOperationWhileOneRunsIsRefusedAndChangesNothing)
{
    ws->session.cardOperationInProgress = true;
    messages->expect(-31197);
    auto issue = makeIssue();
    EXPECT_FALSE(issue->begin());
    EXPECT_TRUE(lockCalls.isEmpty());
    issue.reset();
    EXPECT_TRUE(ws->session.cardOperationInProgress) << "the running operation keeps its flag";
    EXPECT_EQ(cardRows(), 0);
}

TEST_P(CardIssueTest, ARunThatLosesItsDialogOrTheApplicationDuringThePollEndsSafely)
{
    // clang-format off
    const struct
    {
        const char *what;
        std::function<void()> stop;
        CardIssue::Outcome outcome;
        int16_t message;
    } rows[] = {
        {"the dialog is closed", [this] { owner->close(); }, CardIssue::Outcome::Cancelled, -31196},
        {"the application closes", [this] { ws->session.applicationClosing = true; }, CardIssue::Outcome::Closing, 0},
        {"the frame releases the card server", [this] { ws->session.applicationClosing = true; ws->cardServers.firstCardsIntf.reset(); }, CardIssue::Outcome::Closing, 0},
    };
    // clang-format on
    setWriteTime(3000);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        delete owner.data();
        owner = new QWidget;
        owner->setAttribute(Qt::WA_DeleteOnClose);
        ws->session.applicationClosing = false;
        lockCalls.clear();
        messages->clear();
        if (row.message)
            messages->expect(row.message);
        auto issue = makeIssue();
        issue->setPollInterval(5);
        owner->show();
        QTimer::singleShot(50, row.stop);
        EXPECT_EQ(issueGuestCard(*issue), row.outcome);
        issue->finish();
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        EXPECT_FALSE(owner && owner->isVisible());
        if (row.outcome == CardIssue::Outcome::Cancelled) {
            EXPECT_EQ(lockCalls, (QList<bool>{true})) << "no unlock of a closed dialog";
        }
    }
}

TEST_P(CardIssueTest, EncoderFaultsShowTheStatusTextWithOrWithoutTheErrorCode)
{
    const struct
    {
        const char *what;
        qint32 fault;
        bool extraPlain; // the dialog lists the status as shown without a code
        bool withCode;
    } rows[] = {
        {"write failed is listed", CardServerStatus::WriteFailed, false, false},
        {"device not ready is listed", CardServerStatus::DeviceNotReady, false, false},
        {"range exhausted is listed", CardServerStatus::RangeExhausted, false, false},
        {"database error carries the code", CardServerStatus::DatabaseError, false, true},
        {"no range carries the code", CardServerStatus::NoRange, false, true},
        {"a dialog's own plain status", CardServerStatus::NoRange, true, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        ASSERT_TRUE(folder().setNextStatus(row.fault));
        messages->expect(row.withCode ? -31230 : 0);
        auto issue = makeIssue();
        if (row.extraPlain)
            issue->addPlainStatus(row.fault);
        EXPECT_EQ(issueGuestCard(*issue), CardIssue::Outcome::Failed);
        EXPECT_EQ(issue->lastStatus(), row.fault);
        issue->waitUntilReady();
        issue->finish();
        ASSERT_EQ(messages->shown().size(), 1u);
        const QString text = messages->shown().front().text;
        const QString server = issue->cards().GetStatusText(row.fault);
        ASSERT_TRUE(server.contains(QLatin1Char('|'))) << server.toStdString();
        if (row.withCode) {
            EXPECT_TRUE(text.contains(QStringLiteral("IEC-1080"))) << text.toStdString();
            EXPECT_TRUE(text.endsWith(server.section(QLatin1Char('|'), 1))) << text.toStdString();
        } else {
            EXPECT_EQ(text, server.section(QLatin1Char('|'), 0, 0));
        }
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        folder().takeNextStatus();
    }
    EXPECT_EQ(cardRows(), 0);
}

TEST_P(CardIssueTest, WithoutAnEncoderTheSelectionOpensAndItsChoiceIsUsed)
{
    ws->program.LocalParams.setMagCardEncoderID(0);
    auto issue = makeIssue();
    int opened = 0;
    issue->setEncoderSetup([&] {
        ++opened;
        ws->program.LocalParams.setMagCardEncoderID(encoder);
    });
    EXPECT_EQ(issueGuestCard(*issue), CardIssue::Outcome::Done);
    EXPECT_EQ(opened, 1);
    issue->waitUntilReady();
    issue->finish();

    // Left without a choice: the run ends without a message.
    ws->program.LocalParams.setMagCardEncoderID(0);
    auto second = makeIssue();
    second->setEncoderSetup([&] { ++opened; });
    ASSERT_TRUE(second->begin());
    EXPECT_FALSE(second->newCard());
    second->finish();
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(messages->shown().empty());
    EXPECT_FALSE(ws->session.cardOperationInProgress);
}

TEST_P(CardIssueTest, AValidCardOfTheRoomInTheEncoderAsksBeforeItIsWrittenOver)
{
    const struct
    {
        int answer;
        bool reencode;
    } rows[] = {{1, false}, {0, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.answer);
        VirtualDeviceFolder slot = folder();
        auto first = makeIssue();
        ASSERT_EQ(issueGuestCard(*first, 1), CardIssue::Outcome::Done);
        first->waitUntilReady();
        first->finish();
        // The guest's card comes back into the slot.
        ASSERT_NO_FATAL_FAILURE(reinsertEjectedCard());
        const int stored = cardRows();

        messages->clear();
        messages->expect(-32507, row.answer);
        auto issue = makeIssue();
        ASSERT_EQ(issueGuestCard(*issue, 1), CardIssue::Outcome::ValidCardInEncoder);
        EXPECT_EQ(cardRows(), stored) << "nothing written before the answer";
        EXPECT_DOUBLE_EQ(issue->validCardExpireTime(), now + 2);
        EXPECT_EQ(issue->reencode(), row.reencode);
        ASSERT_EQ(messages->shown().size(), 1u);
        EXPECT_TRUE(messages->shown().front().text.contains(CardDateTimeText(now + 2)))
            << messages->shown().front().text.toStdString();
        if (row.reencode) {
            EXPECT_EQ(issue->encode(QStringLiteral("Guest card, 101")), CardIssue::Outcome::Done);
            EXPECT_EQ(cardRows(), stored + 1);
        } else {
            slot.removeCard();
        }
        issue->waitUntilReady();
        issue->finish();
    }
}

// A word of the receipt as pdftotext -bbox places it, in points.
struct PdfWord
{
    QString text;
    double xMin, yMin, xMax;
};

// The words of the PDF and the width of its first page, in points.
std::vector<PdfWord> pdfWords(const QString &pdf, double *pageWidth = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(20000))
        return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral(R"re(<page width="([\d.]+)")re"));
    if (pageWidth)
        *pageWidth = page.match(html).captured(1).toDouble();
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.push_back({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return words;
}

const PdfWord *findWord(const std::vector<PdfWord> &words, const QString &text)
{
    for (const PdfWord &w : words) {
        if (w.text == text)
            return &w;
    }
    return nullptr;
}

TEST_P(CardIssueTest, TheReceiptPrintsLabelsAndValuesAndNeverForACardWithoutExpiry)
{
    setParameter(QStringLiteral("PROPERTYNAME"), QStringLiteral("Seaview"));
    auto issue = makeIssue();
    ASSERT_EQ(issueGuestCard(*issue, 1, NoExpiry), CardIssue::Outcome::Done);
    issue->waitUntilReady();
    issue->finish();
    const QString number = RegistrationNumberText(static_cast<quint32>(issue->cards().GetRegistrationNumber()));

    ws->program.printerMargins[PortraitLeft] = 40;
    ws->program.printerMargins[PortraitRight] = 10;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("receipt.pdf"));
    EXPECT_EQ(PrintCardReceipt(ws->program, ws->db, ws->cardServers, ws->session, -1, nullptr, pdf), pdf);
    EXPECT_FALSE(ws->session.receiptPrinting);
    double width = 0;
    const std::vector<PdfWord> words = pdfWords(pdf, &width);
    ASSERT_FALSE(words.empty()) << "pdftotext found no text";

    // Labels end where the values begin, 2268 twips (113.4 pt) from the left margin of 40 mm.
    const double left = 40 * 56.7 / 20, labelEnd = left + 2268 / 20.0;
    for (const char *label : {"ID:", "Surname:", "type:", "Issued:", "by:", "from:", "Expires:", "number:"}) {
        const PdfWord *w = findWord(words, QLatin1String(label));
        ASSERT_NE(w, nullptr) << label;
        EXPECT_NEAR(w->xMax, labelEnd, 2.0) << label;
    }
    const PdfWord *expires = findWord(words, QStringLiteral("Expires:"));
    const PdfWord *never = findWord(words, GetText(16131));
    ASSERT_NE(never, nullptr) << "text 16131 on the expire line";
    EXPECT_NEAR(never->yMin, expires->yMin, 1.0);
    EXPECT_GT(never->xMin, labelEnd);
    const PdfWord *cardNumber = findWord(words, number);
    ASSERT_NE(cardNumber, nullptr) << number.toStdString();
    EXPECT_NEAR(cardNumber->yMin, findWord(words, QStringLiteral("number:"))->yMin, 1.0);
    // Title and print date are centred on the page, whatever the margins (40 and 10 mm).
    const double middle = width / 2;
    const PdfWord *title = findWord(words, QStringLiteral("Seaview"));
    ASSERT_NE(title, nullptr) << "the property name as title";
    EXPECT_NEAR((title->xMin + title->xMax) / 2, middle, 1.0);
    const QStringList date = CardDateTimeText(now).split(QLatin1Char(' '));
    const auto last = [&words](const QString &text) {
        return std::find_if(words.rbegin(), words.rend(), [&text](const PdfWord &w) { return w.text == text; });
    };
    ASSERT_NE(last(date.front()), words.rend());
    EXPECT_NEAR((last(date.front())->xMin + last(date.back())->xMax) / 2, middle, 1.0) << "the print date";
    EXPECT_NE(findWord(words, QStringLiteral("Note:")), nullptr);
    EXPECT_NE(findWord(words, QStringLiteral("Signature:")), nullptr);
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(CardIssueTest, ASecondReceiptWhileOneIsPrintedIsRefused)
{
    ws->session.receiptPrinting = true;
    messages->expect(-31163);
    QTemporaryDir out;
    EXPECT_EQ(PrintCardReceipt(ws->program, ws->db, ws->cardServers, ws->session, -1, nullptr,
                               out.filePath(QStringLiteral("r.pdf"))),
              QString());
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("r.pdf"))));
    EXPECT_TRUE(ws->session.receiptPrinting);
}

TEST_P(CardIssueTest, ACardReadBackIsCaptionedWithItsNumberAndItsStatusAtTheTimeOfReading)
{
    const double issued = now, minute = 1.0 / 1440;
    auto issue = makeIssue();
    ASSERT_EQ(issueGuestCard(*issue, 1, issued + minute), CardIssue::Outcome::Done);
    issue->waitUntilReady();
    issue->finish();
    const auto number = static_cast<quint32>(issue->cards().GetRegistrationNumber());
    now = issued + 2 * minute; // valid when made, past its expiry when read
    ASSERT_NO_FATAL_FAILURE(readLastCardBack());

    const CardReadBack card = ReadCardImage(*ws->cardServers.firstCardsIntf);
    EXPECT_EQ(card.cardNameID, 256);
    EXPECT_EQ(card.registrationNumber, number);
    EXPECT_EQ(card.mainGuestRoom, 101);
    EXPECT_DOUBLE_EQ(card.expireTime, issued + minute);
    EXPECT_EQ(ReadBackCaption(QStringLiteral("Guest card"), card, now).toStdString(),
              (QStringLiteral("Guest card - ") + RegistrationNumberText(number) + QStringLiteral(" (") +
               GetText(16004) + QLatin1Char(')'))
                  .toStdString());
}

TEST_P(CardIssueTest, FieldsFollowTheFixedOrderWithTheTypesOfTheKind)
{
    using T = CardFieldType;
    const QStringList first = {"userID", "startTime", "batteryWarningFlag", "track2"};
    const std::vector<T> firstTypes = {T::Int32, T::Date, T::Int16, T::Text};
    const struct
    {
        int32_t kind;
        QStringList names; // after the first four
        std::vector<T> types;
        qint32 battery;
        qint32 numCards;
    } rows[] = {
        {256, {"numCards", "familyFlag"}, {T::Int32, T::Text}, 0, 3},
        {258, {"numCards", "familyFlag"}, {T::Int32, T::Int16}, 0, 3},
        {260, {"mainGuestRoom", "numCards"}, {T::Int16, T::Int16}, 0, 1},
        {269, {"numCards", "mainGuestRoom"}, {T::Int16, T::Int16}, 1, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        CardIssue issue(ws->program, ws->cardServers, ws->session, owner.data(), kErrorCode);
        issue.cards().NewCard();
        issue.cards().BeginBlock(CardKinds::find(row.kind)->firstBlock);
        CardFields fields;
        fields.cardNameID = row.kind;
        fields.userID = 7;
        fields.issueTime = fields.startTime = now;
        fields.expireTime = NoExpiry; // the desk may not issue these kinds with an expiry
        fields.numCards = 3;
        ASSERT_TRUE(issue.setFields(fields));
        QStringList names;
        std::vector<T> types;
        for (const CardField &field : issue.cards().image().fields()) {
            if (field.name == QLatin1String("cardNameID") || field.name == QLatin1String("issueTime") ||
                field.name == QLatin1String("expireTime"))
                continue;
            names << field.name;
            types.push_back(field.value.type);
        }
        EXPECT_EQ(names, first + row.names);
        std::vector<T> expectedTypes = firstTypes;
        expectedTypes.insert(expectedTypes.end(), row.types.begin(), row.types.end());
        EXPECT_EQ(types, expectedTypes);
        EXPECT_EQ(issue.cards().GetCardField(QStringLiteral("cardNameID")).toInt(), row.kind);
        EXPECT_EQ(issue.cards().GetCardField(QStringLiteral("batteryWarningFlag")).toInt(), row.battery);
        EXPECT_EQ(issue.cards().GetCardField(QStringLiteral("numCards")).toInt(), row.numCards);
    }
}

TEST_P(CardIssueTest, NoCardOutlastsTheOperatorsMaximumForItsKind)
{
    auto issue = makeIssue();
    ASSERT_TRUE(issue->begin());
    ASSERT_TRUE(issue->newCard());
    CardFields fields;
    fields.cardNameID = 257;
    fields.issueTime = fields.startTime = now;
    fields.expireTime = now + (kMaxValidityMinutes + 1) / 1440.0;
    messages->expect(-31225);
    EXPECT_FALSE(issue->setFields(fields));
    EXPECT_TRUE(messages->allAnswered());
    EXPECT_TRUE(issue->cards().image().fields().isEmpty()) << "nothing of a refused card is set";
    fields.expireTime = now + kMaxValidityMinutes / 1440.0;
    EXPECT_TRUE(issue->setFields(fields));
    fields.expireTime = NoExpiry;
    EXPECT_TRUE(issue->setFields(fields)) << "a card without expiry is its dialog's to bound";
}

TEST_P(CardIssueTest, TheCounterPromptTakesAtMostEightDigits)
{
    const struct
    {
        const char *button;
        const char *expected;
    } rows[] = {{"cmdOK", "S=12345678|9SSYY"}, {"cmdCancel", "S=2|9SSYY"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.button);
        QString title, message, preset;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            message = child<QLabel>(box, "lblMessage")->text();
            auto *input = child<QLineEdit>(box, "txtInput");
            preset = input->text();
            QTest::keyClicks(input, QStringLiteral("12x3456789"));
            child<QPushButton>(box, row.button)->click();
        });
        const QString value = Track2::BuildTrack2(QStringLiteral("9SSYY"), {1, 2, 3}, Track2::InputBoxPrompt());
        EXPECT_EQ(value.toStdString(), row.expected);
        EXPECT_EQ(title, GetText(-32763));
        EXPECT_EQ(message, FormatText(GetText(-32244), {QStringLiteral("S")}));
        EXPECT_EQ(preset, QStringLiteral("2"));
    }
}

TEST_P(CardIssueTest, ACardDialogIsAvailableWithTheCardRightAndReadAccessToItsTables)
{
    const struct
    {
        const char *what;
        qint32 kind;
        std::initializer_list<qint32> tables;
        bool available;
    } rows[] = {
        {"guest card on Doors and Users", 256, {0, 16}, true},
        {"no right for the kind", 258, {0}, false},
        {"no read access to Cards", 256, {0, 48}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        if (!row.available)
            messages->expect(-31143);
        EXPECT_EQ(IsCardDialogAvailable(ws->program, ws->session, row.kind, row.tables, false), row.available);
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_EQ(messages->shown().size(), row.available ? 0u : 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CardIssueTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
