#include "StressWorkstation.h"

#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "settings/clsSystemParams.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>

namespace StressWorkstation {
namespace {

// A card that stays busy this long has hung; the run gives it up.
constexpr int kHangMs = 120000;

QString hex(qint32 status)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(quint32(status), 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<clsSystemParams::Key> keyNamed(const QString &name)
{
    for (int k = 0; k < clsSystemParams::KeyCount; ++k) {
        const auto key = static_cast<clsSystemParams::Key>(k);
        if (clsSystemParams::keyName(key) == name)
            return key;
    }
    return std::nullopt;
}

// A guest card for one night, built in the guest dialog's order.
qint32 buildGuestCard(CardsIntf &cards, qint32 room, double now)
{
    qint32 status = cards.NewCard();
    auto step = [&status](qint32 s) {
        if (status == 0)
            status = s;
    };
    step(cards.BeginBlock(97));
    step(cards.AddDoorRange(100, room, room));
    step(cards.SetCardField(QStringLiteral("mainGuestRoom"), room));
    step(cards.BeginBlock(98));
    step(cards.SetImageOptionA(0));
    step(cards.SetCardField(QStringLiteral("cardNameID"), qint32(256)));
    step(cards.SetImageOptionB(0));
    step(cards.SetCardField(QStringLiteral("userID"), qint32(0)));
    step(cards.SetCardField(QStringLiteral("issueTime"), now));
    step(cards.SetCardField(QStringLiteral("startTime"), now));
    step(cards.SetCardField(QStringLiteral("expireTime"), std::floor(now) + 1.5));
    step(cards.SetCardField(QStringLiteral("numCards"), qint32(1)));
    step(cards.SetCardField(QStringLiteral("familyFlag"), QStringLiteral("1")));
    return status;
}

// Polls GetStatus as the card dialogs do, yielding to the event loop between polls.
qint32 poll(CardsIntf &cards, int pollMs, bool &hung)
{
    hung = false;
    QElapsedTimer clock;
    clock.start();
    qint32 status = cards.GetStatus();
    while (CardServerStatus::isBusy(status)) {
        if (clock.elapsed() > kHangMs) {
            hung = true;
            cards.SetActive(0);
            return cards.GetStatus();
        }
        QEventLoop wait;
        QTimer::singleShot(pollMs, &wait, &QEventLoop::quit);
        wait.exec();
        status = cards.GetStatus();
    }
    return status;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

} // namespace

QStringList ownParameterKeys()
{
    return {QStringLiteral("PURGELIMIT"),        QStringLiteral("PURGELIMITGUESTCARDS"),
            QStringLiteral("PURGELIMITEVENTS"),  QStringLiteral("OPENMODE"),
            QStringLiteral("EMERGENCYOPENING"),  QStringLiteral("SOLID_SYSTEMNUMBER"),
            QStringLiteral("DEFAULTGUESTCARDS"), QStringLiteral("DEFAULTJOINERCARDS"),
            QStringLiteral("NORMALCHECKOUT"),    QStringLiteral("NORMALCHECKIN"),
            QStringLiteral("DEFAULTSTAY"),       QStringLiteral("CATH_STARTTIME")};
}

qint32 ownValue(int index, int round)
{
    return (index + 1) * 100000 + round;
}

QString sharedNote(int index, int round)
{
    const QString tag = QStringLiteral("[workstation %1, save %2] ").arg(index).arg(round);
    return tag.repeated(clsSystemParams::PrinterNoteLength / int(tag.size()) + 1)
        .left(clsSystemParams::PrinterNoteLength);
}

int runIssuer(const IssuerSetup &setup)
{
    QTextStream out(stdout);
    RecordDatabase db;
    db.setComputerName(setup.computer);
    if (!db.open(setup.connection)) {
        out << "ERROR open " << db.errorText() << "\n";
        return 3;
    }
    {
        RecordTable logon(db);
        logon.Logon(QString::fromLatin1(kOperator), QString::fromLatin1(kPassword));
        if (logon.Status() != RecordStatus::Ok && logon.Status() != RecordStatus::LoggedOnBeside) {
            out << "ERROR logon " << logon.ErrorText(logon.Status()) << "\n";
            return 3;
        }
    }
    CardsIntf cards(db, CardsIntf::Setup{setup.deviceDirectory});
    cards.Negotiate(setup.computer);
    if (const qint32 status = cards.SelectDevice(setup.device); status != 0) {
        out << "ERROR device " << hex(status) << " " << cards.GetStatusText(status) << "\n";
        return 3;
    }

    std::vector<double> latencies;
    latencies.reserve(std::size_t(setup.cards));
    QMap<qint32, int> failures;
    QMap<qint32, QString> failureTexts;
    int issued = 0, retries = 0, givenUp = 0, hangs = 0;
    const qint64 first = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < setup.cards; ++i) {
        const qint32 room = roomBase(setup.index) + i % kRoomsPerIssuer;
        bool done = false;
        for (int attempt = 0; attempt < kTriesPerCard && !done; ++attempt) {
            retries += attempt > 0 ? 1 : 0;
            QElapsedTimer clock;
            clock.start();
            qint32 status = buildGuestCard(cards, room, db.cheapNow());
            if (status == 0)
                status = cards.EncodeCard(QStringLiteral("Guest card, room %1").arg(room));
            bool hung = false;
            if (status == 0)
                status = poll(cards, setup.pollMs, hung);
            hangs += hung ? 1 : 0;
            if (status == 0) {
                latencies.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
                ++issued;
                done = true;
                continue;
            }
            ++failures[status];
            if (!failureTexts.contains(status))
                failureTexts.insert(status, cards.GetStatusText(status));
        }
        givenUp += done ? 0 : 1;
    }
    const qint64 last = QDateTime::currentMSecsSinceEpoch();

    for (auto it = failures.cbegin(); it != failures.cend(); ++it)
        out << "ERROR " << hex(it.key()) << " x" << it.value() << " " << failureTexts.value(it.key()) << "\n";
    out << "RESULT kind=issuer index=" << setup.index << " issued=" << issued << " given_up=" << givenUp
        << " retries=" << retries << " hangs=" << hangs << " first_ms=" << first << " last_ms=" << last
        << " p50_ms=" << percentile(latencies, 0.5) << " p95_ms=" << percentile(latencies, 0.95)
        << " max_ms=" << percentile(latencies, 1.0) << "\n";
    return givenUp == 0 ? 0 : 1;
}

int runSaver(const SaverSetup &setup, const TextResources &texts)
{
    QTextStream out(stdout);
    RecordDatabase db;
    db.setComputerName(setup.computer);
    if (!db.open(setup.connection)) {
        out << "ERROR open " << db.errorText() << "\n";
        return 3;
    }
    const QStringList keys = ownParameterKeys();
    const std::optional<clsSystemParams::Key> own = keyNamed(keys.at(setup.index % keys.size()));
    if (!own) {
        out << "ERROR no such parameter\n";
        return 3;
    }
    clsSystemParams params(db, texts);
    int saved = 0, failed = 0, loadFailed = 0, lastSaved = -1;
    const qint64 first = QDateTime::currentMSecsSinceEpoch();
    for (int round = 0; round < setup.saves; ++round) {
        if (round > 0 && setup.pauseMs > 0)
            QThread::msleep(static_cast<unsigned long>(setup.pauseMs));
        // The settings window loads the parameters when it opens and saves the ones changed.
        if (!params.ReadSystemParameters()) {
            ++loadFailed;
            continue;
        }
        params.setValue(*own, ownValue(setup.index, round));
        params.setPrinterNote(sharedNote(setup.index, round));
        if (params.WriteSystemParameters()) {
            ++saved;
            lastSaved = round;
        } else {
            ++failed;
        }
    }
    const qint64 last = QDateTime::currentMSecsSinceEpoch();
    out << "RESULT kind=saver index=" << setup.index << " saved=" << saved << " failed=" << failed
        << " load_failed=" << loadFailed << " last_saved=" << lastSaved << " first_ms=" << first << " last_ms=" << last
        << "\n";
    return 0;
}

Result parseResult(const QByteArray &output)
{
    Result result;
    const QStringList lines = QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression pair(QStringLiteral("(\\w+)=(\\S*)"));
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("ERROR "))) {
            result.errors << line.mid(6).trimmed();
        } else if (line.startsWith(QStringLiteral("RESULT "))) {
            result.valid = true;
            for (const QRegularExpressionMatch &m : pair.globalMatch(line))
                result.values.insert(m.captured(1), m.captured(2));
        }
    }
    return result;
}

} // namespace StressWorkstation
