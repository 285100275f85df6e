// ostrelle-faults: issues guest cards through CardsIntf on the virtual encoder with a fault drawn for
// every issue from a fixed seed, each batch in a child process that may be killed mid-write, then
// compares the cards that left the encoder with the stored rows (docs/card-server.md).
#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardRecordState.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <array>
#include <random>

namespace {

using IssueStep = CardsIntf::IssueStep;

enum class Fault { None, EncoderError, DropBeforeWrite, DropAfterWrite, DropDuringCommit, Kill };
constexpr int kFaults = 6;
constexpr qint32 kEncoder = 1;

const char *faultName(Fault f)
{
    switch (f) {
    case Fault::None:
        return "none";
    case Fault::EncoderError:
        return "encoder error";
    case Fault::DropBeforeWrite:
        return "drop before write";
    case Fault::DropAfterWrite:
        return "drop after write";
    case Fault::DropDuringCommit:
        return "drop during commit";
    case Fault::Kill:
        return "SIGKILL mid-write";
    }
    return "?";
}

struct Planned
{
    Fault fault = Fault::None;
    IssueStep step = IssueStep::Storing; // where a drop or the kill strikes
    int copies = 1;
};

// Parent and children draw the same plan from the seed alone.
QList<Planned> makePlan(int issues, quint32 seed)
{
    std::mt19937 rng(seed);
    QList<Planned> plan;
    for (int i = 0; i < issues; ++i) {
        Planned p;
        p.fault = Fault(rng() % kFaults);
        const bool second = rng() % 2 != 0;
        switch (p.fault) {
        case Fault::EncoderError:
            // Refused before the image is made, or failing once the record is committed.
            p.step = second ? IssueStep::Writing : IssueStep::Storing;
            break;
        case Fault::DropBeforeWrite:
            p.step = IssueStep::Storing;
            break;
        case Fault::DropAfterWrite:
            p.step = IssueStep::Written;
            break;
        case Fault::DropDuringCommit:
            p.step = second ? IssueStep::CommitIssued : IssueStep::CommitNotYetIssued;
            break;
        case Fault::Kill:
            // Before the card file is written, or after it and before its row is marked.
            p.step = second ? IssueStep::Written : IssueStep::Writing;
            break;
        default:
            break;
        }
        p.copies = rng() % 4 == 0 ? 2 : 1;
        plan << p;
    }
    return plan;
}

struct Options
{
    QString connection;
    QString devices;
    int issues = 1000;
    int batch = 100;
    quint32 seed = 21;
    int from = 0;
    int to = 0;
};

QString encoderFolder(const QString &devices)
{
    return QDir(devices).filePath(QStringLiteral("encoder"));
}

// A card still in the slot is taken out as the operator would, so the next card does not write
// over it and every card that was made stays countable. An erased (blank) card is no card.
void takeOutOfSlot(VirtualDeviceFolder &folder, const QString &name)
{
    const std::optional<QByteArray> card = folder.card();
    if (!card)
        return;
    if (card->isEmpty())
        folder.removeCard();
    else
        folder.ejectToTray(name);
}

// The server's side of a lost connection: PostgreSQL ends the backend, SQLite loses its handle.
bool dropConnection(RecordDatabase &db, RecordDatabase &killer)
{
    if (db.engine() != RecordDatabase::Engine::PostgreSQL) {
        db.dropConnection();
        return true;
    }
    QSqlQuery own(db.sqlDatabase());
    if (!own.exec(QStringLiteral("SELECT pg_backend_pid()")) || !own.next())
        return false;
    const int pid = own.value(0).toInt();
    own.finish();
    QSqlQuery kill(killer.sqlDatabase());
    kill.prepare(QStringLiteral("SELECT pg_terminate_backend(?)"));
    kill.addBindValue(pid);
    if (!kill.exec())
        return false;
    // The backend ends asynchronously; the fault is only injected once it is gone.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        QSqlQuery alive(killer.sqlDatabase());
        alive.prepare(QStringLiteral("SELECT 1 FROM pg_stat_activity WHERE pid = ?"));
        alive.addBindValue(pid);
        if (alive.exec() && !alive.next())
            return true;
        QThread::msleep(2);
    }
    return false;
}

void buildGuestCard(CardsIntf &cards, int issue, int copies)
{
    const qint32 room = 101 + issue % 40;
    cards.NewCard();
    cards.BeginBlock(97);
    cards.AddDoorRange(100, room, room);
    cards.SetCardField(QStringLiteral("mainGuestRoom"), room);
    cards.SetCardField(QStringLiteral("cardNameID"), qint32(256));
    cards.SetCardField(QStringLiteral("userID"), qint32(1));
    cards.SetCardField(QStringLiteral("expireTime"), 60000.0);
    cards.SetCardField(QStringLiteral("numCards"), qint32(copies));
}

// Statements on a connection the run dropped on purpose draw Qt's warning; that is the fault, not news.
void quietDroppedConnection(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("database not open")))
        return;
    QTextStream(stderr) << (type == QtWarningMsg ? "warning: " : "") << message << Qt::endl;
}

int runChild(const Options &o)
{
    qInstallMessageHandler(quietDroppedConnection);
    QTextStream out(stdout);
    QTextStream err(stderr);
    RecordDatabase db;
    RecordDatabase killer;
    if (!db.open(o.connection) || !killer.open(o.connection)) {
        err << "child: " << db.errorText() << killer.errorText() << Qt::endl;
        return 2;
    }
    const QList<Planned> plan = makePlan(o.issues, o.seed);
    int current = 0;
    bool struck = false;
    auto onStep = [&](IssueStep step, quint32 stored) {
        if (step == IssueStep::Storing)
            out << "P " << current << ' ' << stored << Qt::endl;
        const Planned &p = plan.at(current);
        if (struck || step != p.step || p.fault == Fault::None)
            return;
        struck = true;
        if (p.fault == Fault::EncoderError) {
            // The slot cannot take the card: a folder where the card file goes. (At Storing the
            // fault file set before the issue does the work.)
            if (step == IssueStep::Writing)
                QDir().mkpath(VirtualDeviceFolder(encoderFolder(o.devices)).cardPath());
            return;
        }
        if (p.fault == Fault::Kill) {
            out << "K " << current << Qt::endl;
            for (;;)
                QThread::sleep(1); // the parent kills us here
        }
        if (!dropConnection(db, killer))
            err << "child: the connection could not be dropped" << Qt::endl;
    };
    CardsIntf cards(db, CardsIntf::Setup{o.devices, onStep});
    cards.Negotiate(QStringLiteral("FAULTS"));
    if (const qint32 s = cards.SelectDevice(kEncoder); s != 0) {
        err << "child: " << cards.GetStatusText(s) << Qt::endl;
        return 2;
    }
    VirtualDeviceFolder folder(encoderFolder(o.devices));
    for (current = o.from; current < o.to; ++current) {
        struck = false;
        const Planned &p = plan.at(current);
        if (p.fault == Fault::EncoderError && p.step == IssueStep::Storing)
            folder.setNextStatus(CardServerStatus::WriteFailed);
        buildGuestCard(cards, current, p.copies);
        qint32 status = cards.EncodeCard(QStringLiteral("Fault run %1").arg(current));
        while (status == 0 && (CardServerStatus::isBusy(cards.GetStatus()) || !cards.IsReady()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (status == 0)
            status = cards.GetStatus();
        cards.SetActive(0);
        if (QFileInfo(folder.cardPath()).isDir())
            QDir(folder.cardPath()).removeRecursively();
        takeOutOfSlot(folder, QStringLiteral("left-%1.card").arg(current, 6, 10, QLatin1Char('0')));
        out << "S " << current << ' ' << QString::number(quint32(status), 16) << Qt::endl;
    }
    return 0;
}

struct Tally
{
    int issues = 0;
    int killed = 0;
    int writtenWithoutRecord = 0; // (a)
    int validWithoutCard = 0;     // (b)
    int notYetIssued = 0;         // (c)
    QMap<QString, int> statuses;
};

bool prepareDatabase(const Options &o, QTextStream &err)
{
    RecordDatabase db;
    if (!db.open(o.connection) || !db.createSchema()) {
        err << db.errorText() << Qt::endl;
        return false;
    }
    RecordTable t(db);
    const std::pair<const char *, const char *> parameters[] = {
        {"REGNUM_FIRST", "4096"}, {"REGNUM_LAST", "8388607"}, {"SYSTEM_STARTDATE", "45000"}};
    for (const auto &[key, value] : parameters) {
        t.SelectTable(TableId::Parameters);
        t.SetField(Field::parameterID, QString::fromLatin1(key));
        t.SetField(Field::parameter, QString::fromLatin1(value));
        t.InsertRecord();
    }
    t.SelectTable(TableId::Devices);
    t.UseGivenKey();
    t.SetField(Field::deviceID, kEncoder);
    t.SetField(Field::deviceName, QStringLiteral("Fault encoder"));
    t.SetField(Field::portName, encoderFolder(o.devices));
    t.SetField(Field::deviceType, 0);
    t.InsertRecord();
    if (t.Status() != RecordStatus::Ok) {
        err << t.ErrorText(t.Status()) << Qt::endl;
        return false;
    }
    VirtualDeviceFolder folder(encoderFolder(o.devices));
    VirtualDeviceFolder::Settings s;
    s.writeMs = s.ejectMs = s.readMs = s.pollMs = 0;
    return folder.create(VirtualDeviceFolder::Kind::Encoder) && folder.writeSettings(s);
}

// Runs the children; owner maps each stored number to its issue, outcome each issue to its status.
bool runBatches(const Options &o, QMap<quint32, int> &owner, QMap<int, QString> &outcome, QSet<int> &killed,
                QTextStream &err)
{
    int next = 0;
    while (next < o.issues) {
        const int to = std::min(o.issues, next + o.batch);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QStringLiteral("--connection"), o.connection,
                     QStringLiteral("--devices"), o.devices, QStringLiteral("--issues"), QString::number(o.issues),
                     QStringLiteral("--seed"), QString::number(o.seed), QStringLiteral("--from"), QString::number(next),
                     QStringLiteral("--to"), QString::number(to)});
        if (!child.waitForStarted()) {
            err << "the child did not start" << Qt::endl;
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        bool wasKilled = false;
        auto readLines = [&] {
            while (!wasKilled && child.canReadLine()) {
                const QStringList f = QString::fromLatin1(child.readLine()).trimmed().split(QLatin1Char(' '));
                const int issue = f.value(1).toInt();
                if (f.value(0) == QLatin1String("P"))
                    owner.insert(f.value(2).toUInt(), issue);
                else if (f.value(0) == QLatin1String("S"))
                    outcome.insert(issue, QStringLiteral("0x") + f.value(2).toUpper()), next = issue + 1;
                else if (f.value(0) == QLatin1String("K")) {
                    child.kill(); // SIGKILL, while the card is being written
                    child.waitForFinished();
                    killed.insert(issue);
                    outcome.insert(issue, QStringLiteral("killed"));
                    next = issue + 1;
                    wasKilled = true;
                }
            }
        };
        while (!wasKilled && child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(200);
            readLines();
            if (clock.elapsed() > 600000) {
                err << "a child hung at issue " << next << Qt::endl;
                child.kill();
                child.waitForFinished();
                return false;
            }
        }
        readLines();
        if (wasKilled) {
            VirtualDeviceFolder folder(encoderFolder(o.devices));
            takeOutOfSlot(folder, QStringLiteral("left-%1.card").arg(next - 1, 6, 10, QLatin1Char('0')));
        } else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || next < to) {
            err << "a child failed at issue " << next << " (exit " << child.exitCode() << ")" << Qt::endl;
            return false;
        }
    }
    return true;
}

int runParent(Options o)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTemporaryDir work;
    if (!work.isValid())
        return 2;
    o.devices = work.filePath(QStringLiteral("devices"));
    QString pgDatabase;
    const QString server = qEnvironmentVariable("OSTRELLE_TEST_PG");
    if (o.connection == QLatin1String("postgresql")) {
        if (server.isEmpty()) {
            err << "OSTRELLE_TEST_PG names no PostgreSQL server" << Qt::endl;
            return 2;
        }
        pgDatabase = QStringLiteral("ostrelle_faults_%1").arg(QCoreApplication::applicationPid());
        RecordDatabase admin;
        if (!admin.open(server) ||
            !QSqlQuery(admin.sqlDatabase()).exec(QStringLiteral("CREATE DATABASE %1").arg(pgDatabase))) {
            err << "cannot create " << pgDatabase << ": " << admin.errorText() << Qt::endl;
            return 2;
        }
        QUrl url(server);
        url.setPath(QLatin1Char('/') + pgDatabase);
        o.connection = url.toString();
    } else {
        o.connection = QStringLiteral("sqlite:") + work.filePath(QStringLiteral("faults.db"));
    }
    auto dropDatabase = [&] {
        if (pgDatabase.isEmpty())
            return;
        RecordDatabase admin;
        if (admin.open(server))
            QSqlQuery(admin.sqlDatabase())
                .exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(pgDatabase));
    };

    QElapsedTimer clock;
    clock.start();
    QMap<quint32, int> owner;
    QMap<int, QString> outcome;
    QSet<int> killed;
    if (!prepareDatabase(o, err) || !runBatches(o, owner, outcome, killed, err)) {
        dropDatabase();
        return 2;
    }
    const qint64 elapsed = clock.elapsed();

    // Every card that left the encoder, by the stored number it carries.
    QSet<quint32> cardsOut;
    int unreadable = 0;
    const QDir tray(VirtualDeviceFolder(encoderFolder(o.devices)).trayPath());
    for (const QString &name : tray.entryList(QDir::Files)) {
        QFile f(tray.filePath(name));
        CardImage image;
        if (!f.open(QIODevice::ReadOnly) || CardImage::decode(f.readAll(), image) != 0 || !image.registrationNumber()) {
            ++unreadable;
            continue;
        }
        cardsOut.insert(*image.registrationNumber());
    }
    QMap<quint32, qint32> rows;
    {
        RecordDatabase db;
        QSqlQuery q(db.open(o.connection) ? db.sqlDatabase() : QSqlDatabase());
        if (!q.exec(QStringLiteral(R"(SELECT "registrationNumber", "status" FROM "Cards")"))) {
            err << "cannot read the rows: " << q.lastError().text() << Qt::endl;
            dropDatabase();
            return 2;
        }
        while (q.next())
            rows.insert(quint32(q.value(0).toInt()), q.value(1).toInt());
    }
    dropDatabase();

    const QList<Planned> plan = makePlan(o.issues, o.seed);
    std::array<Tally, kFaults + 1> tally; // the last: numbers no issue announced
    auto of = [&](quint32 stored) -> Tally & {
        const auto it = owner.constFind(stored);
        return it == owner.cend() ? tally[kFaults] : tally[size_t(plan.at(*it).fault)];
    };
    for (int i = 0; i < o.issues; ++i) {
        Tally &t = tally[size_t(plan.at(i).fault)];
        ++t.issues;
        t.killed += killed.contains(i) ? 1 : 0;
        ++t.statuses[outcome.value(i, QStringLiteral("none"))];
    }
    for (quint32 stored : cardsOut) {
        const auto row = rows.constFind(stored);
        if (row == rows.cend() || *row == CardRecordState::NeverIssued)
            ++of(stored).writtenWithoutRecord;
    }
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        if (CardRecordState::countsAsValid(it.value()) && !cardsOut.contains(it.key()))
            ++of(it.key()).validWithoutCard;
        if (it.value() == CardRecordState::NotYetIssued)
            ++of(it.key()).notYetIssued;
    }

    out << QStringLiteral("%1 issues, seed %2, batches of %3, %4, %5 s; %6 cards put out, %7 rows\n")
               .arg(o.issues)
               .arg(o.seed)
               .arg(o.batch)
               .arg(pgDatabase.isEmpty() ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"))
               .arg(double(elapsed) / 1000.0, 0, 'f', 1)
               .arg(cardsOut.size())
               .arg(rows.size());
    out << "| fault | issues | killed | (a) written, no record | (b) valid, no card | (c) not yet issued | "
           "statuses |\n|---|---:|---:|---:|---:|---:|---|\n";
    int bad = unreadable;
    for (int f = 0; f <= kFaults; ++f) {
        const Tally &t = tally[size_t(f)];
        if (f == kFaults && t.writtenWithoutRecord + t.validWithoutCard + t.notYetIssued == 0)
            continue;
        QStringList statuses;
        for (auto it = t.statuses.cbegin(); it != t.statuses.cend(); ++it)
            statuses << QStringLiteral("%1 ×%2").arg(it.key()).arg(it.value());
        out << "| " << (f == kFaults ? "unknown number" : faultName(Fault(f))) << " | " << t.issues << " | " << t.killed
            << " | " << t.writtenWithoutRecord << " | " << t.validWithoutCard << " | " << t.notYetIssued << " | "
            << statuses.join(QStringLiteral(", ")) << " |\n";
        bad += t.writtenWithoutRecord + t.validWithoutCard;
    }
    if (unreadable)
        out << unreadable << " card files did not decode\n";
    out.flush();
    return bad == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Issues cards with faults injected at every step and compares the cards put out with the stored rows."));
    parser.addHelpOption();
    const QCommandLineOption engine(QStringLiteral("engine"), QStringLiteral("sqlite (default) or postgresql"),
                                    QStringLiteral("engine"), QStringLiteral("sqlite"));
    const QCommandLineOption issues(QStringLiteral("issues"), QStringLiteral("issues in all (1000)"),
                                    QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption batch(QStringLiteral("batch"), QStringLiteral("issues per child process (100)"),
                                   QStringLiteral("n"), QStringLiteral("100"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("the faults' seed (21)"), QStringLiteral("n"),
                                  QStringLiteral("21"));
    QCommandLineOption child(QStringLiteral("child"));
    child.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption connection(QStringLiteral("connection"), {}, QStringLiteral("c"));
    const QCommandLineOption devices(QStringLiteral("devices"), {}, QStringLiteral("dir"));
    const QCommandLineOption from(QStringLiteral("from"), {}, QStringLiteral("n"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("n"));
    for (QCommandLineOption hidden : {connection, devices, from, to}) {
        hidden.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(hidden);
    }
    parser.addOptions({engine, issues, batch, seed, child});
    parser.process(app);

    Options o;
    o.issues = std::max(1, parser.value(issues).toInt());
    o.batch = std::max(1, parser.value(batch).toInt());
    o.seed = parser.value(seed).toUInt();
    if (parser.isSet(child)) {
        o.connection = parser.value(connection);
        o.devices = parser.value(devices);
        o.from = parser.value(from).toInt();
        o.to = std::min(o.issues, parser.value(to).toInt());
        return runChild(o);
    }
    o.connection = parser.value(engine);
    return runParent(o);
}
