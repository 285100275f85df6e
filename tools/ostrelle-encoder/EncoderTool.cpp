#include "ostrelle-encoder/EncoderTool.h"

#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Readout.h"
#include "components/cardserver/RegistrationNumber.h"
#include "components/cardserver/SampleReadout.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace EncoderTool {
namespace {

using Kind = VirtualDeviceFolder::Kind;

const char *const kUsageText =
    "Usage: ostrelle-encoder [--dir DIR] [--port PORT] COMMAND [ARGUMENTS]\n"
    "\n"
    "The virtual encoder:\n"
    "  show [FILE]            the card in the slot (or in FILE), decoded\n"
    "  insert FILE            put the card in FILE into the slot\n"
    "  insert --blank         put a blank card into the slot\n"
    "  insert --last          put the last card the encoder put out back into the slot\n"
    "  eject                  take the card out of the slot (it goes to out/)\n"
    "  mode [auto|manual]     show or set the mode: auto always has a blank card ready,\n"
    "                         manual waits for a card to be inserted\n"
    "  write-time [MS]        show or set how long writing a card takes\n"
    "  fault STATUS           the next write or read ends with STATUS (e.g. %1)\n"
    "  cancel                 press the encoder's cancel button\n"
    "\n"
    "The virtual handheld unit:\n"
    "  handheld put FILE...   hand read-out files to the unit\n"
    "  handheld sample [DOOR...]  a read-out of the doors (default 101) with events of the\n"
    "                         cards the encoder put out\n"
    "  handheld list          the read-outs waiting on the unit\n"
    "  handheld setup         what the unit was last programmed with\n"
    "\n"
    "DIR is where the device folders are (default: OSTRELLE_DEVICE_DIR, else the demo\n"
    "installation's devices folder); PORT names the device's folder in it, as the device's\n"
    "port does in the device list. Without --port the only encoder or handheld folder is used.\n";

// A write error: the fault a tester tries first.
QString faultExample()
{
    return QStringLiteral("0x") + QString::number(quint32(CardServerStatus::WriteFailed), 16).toUpper();
}

QString usage()
{
    return QString::fromLatin1(kUsageText).arg(faultExample());
}

// OLE date of 2036-01-01 00:00: a card that does not expire.
constexpr double kNoExpiry = 49675.0;

const char *kindName(qint32 kind)
{
    static const char *const names[] = {"guest",       "joiner",     "suite",      "future arrival", "employee",
                                        "supervisor",  "clearance",  "stand-open", "privacy",        "blocking",
                                        "one-time",    "power-down", "emergency",  "cancel",         "operator",
                                        "function 0",  "locking",    "service",    "common area",    "system ID",
                                        "maintenance", "function 1", "function 2", "function 3"};
    return kind >= 256 && kind <= 279 ? names[kind - 256] : "unknown kind";
}

QString blockName(int type)
{
    switch (type) {
    case 97:
        return QStringLiteral("rooms");
    case 98:
        return QStringLiteral("common rooms");
    case 99:
        return QStringLiteral("future-arrival room");
    case 100:
        return QStringLiteral("staff doors");
    case 113:
        return QStringLiteral("private room");
    default:
        return QStringLiteral("function block");
    }
}

QString dateText(double ole)
{
    if (ole == kNoExpiry)
        return QStringLiteral("does not expire");
    QString t = QString::fromLatin1(formatReadoutTime(ole));
    return t.isEmpty() ? QString::number(ole, 'f', 5) : t.replace(QLatin1Char('T'), QLatin1Char(' ')).left(16);
}

QString valueText(const CardFieldValue &v)
{
    switch (v.type) {
    case CardFieldType::Int16:
    case CardFieldType::Int32:
        return QString::number(v.integer);
    case CardFieldType::Date:
        return dateText(v.date);
    case CardFieldType::Text:
        return QLatin1Char('"') + v.text + QLatin1Char('"');
    }
    return {};
}

double oleNow()
{
    double ole = 0;
    parseReadoutTime(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1(), ole);
    return ole;
}

std::optional<QByteArray> readFile(const QString &path, QTextStream &err)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err << "ostrelle-encoder: cannot read " << path << ": " << f.errorString() << "\n";
        return std::nullopt;
    }
    return f.read(16 * 1024 * 1024);
}

struct Context
{
    QString dir;
    QString port;
    QTextStream &out;
    QTextStream &err;

    // The folder of the device the command is for.
    std::optional<VirtualDeviceFolder> folder(Kind kind) const
    {
        if (!port.isEmpty())
            return VirtualDeviceFolder(VirtualDeviceFolder::resolvePort(dir, port, 0));
        QStringList all, ofKind;
        const QDir base(dir);
        for (const QString &name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const VirtualDeviceFolder f(base.filePath(name));
            if (!QFileInfo::exists(QDir(f.path()).filePath(QStringLiteral("device.ini"))))
                continue;
            all << f.path();
            if (f.settings().kind == kind)
                ofKind << f.path();
        }
        // Devices that share a port share a folder; the only folder there is serves both.
        const QStringList &found = ofKind.isEmpty() ? all : ofKind;
        if (found.size() == 1)
            return VirtualDeviceFolder(found.first());
        const char *what = kind == Kind::Encoder ? "encoder" : "handheld unit";
        if (found.isEmpty()) {
            err << "ostrelle-encoder: no " << what << " folder in " << dir
                << "; start the workstation once so it makes it, or name one with --port\n";
        } else {
            err << "ostrelle-encoder: several " << what << " folders in " << dir << " ("
                << found.join(QStringLiteral(", ")) << "); name one with --port\n";
        }
        return std::nullopt;
    }
};

int show(const Context &c, const QStringList &args)
{
    if (!args.isEmpty()) {
        const std::optional<QByteArray> bytes = readFile(args.first(), c.err);
        if (!bytes)
            return Failed;
        c.out << describeCard(*bytes);
        return Success;
    }
    const std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    if (!slot)
        return Failed;
    const VirtualDeviceFolder::Settings s = slot->settings();
    c.out << "Encoder " << QDir::toNativeSeparators(slot->path()) << " (" << (s.manual ? "manual" : "auto")
          << " mode, writing takes " << s.writeMs << " ms)\n";
    if (const QString prompt = slot->prompt(); !prompt.isEmpty())
        c.out << "Display: " << prompt << "\n";
    if (const std::optional<QByteArray> card = slot->card()) {
        c.out << "In the slot:\n" << describeCard(*card);
        return Success;
    }
    c.out << "The slot is empty." << (s.manual ? "" : " A blank card is ready.") << "\n";
    const QString last = slot->newestEjected();
    if (!last.isEmpty()) {
        if (const std::optional<QByteArray> card = readFile(last, c.err))
            c.out << "Last card put out (" << QFileInfo(last).fileName() << "):\n" << describeCard(*card);
    }
    return Success;
}

int insert(const Context &c, const QStringList &args)
{
    if (args.size() != 1) {
        c.err << usage();
        return Usage;
    }
    std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    if (!slot)
        return Failed;
    QByteArray bytes;
    if (args.first() == QLatin1String("--last")) {
        const QString last = slot->newestEjected();
        if (last.isEmpty()) {
            c.err << "ostrelle-encoder: the encoder has put out no card yet\n";
            return Failed;
        }
        const std::optional<QByteArray> card = readFile(last, c.err);
        if (!card)
            return Failed;
        bytes = *card;
    } else if (args.first() != QLatin1String("--blank")) {
        const std::optional<QByteArray> card = readFile(args.first(), c.err);
        if (!card)
            return Failed;
        bytes = *card;
    }
    if (slot->hasCard()) {
        c.err << "ostrelle-encoder: the slot already holds a card; eject it first\n";
        return Failed;
    }
    if (!slot->insertCard(bytes)) {
        c.err << "ostrelle-encoder: cannot write " << slot->cardPath() << "\n";
        return Failed;
    }
    c.out << (bytes.isEmpty() ? "A blank card is in the slot.\n" : "The card is in the slot.\n");
    return Success;
}

int eject(const Context &c)
{
    std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    if (!slot)
        return Failed;
    if (!slot->hasCard()) {
        c.out << "The slot is empty.\n";
        return Success;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString path = slot->ejectToTray(stamp + QStringLiteral("-taken.card"));
    if (path.isEmpty()) {
        c.err << "ostrelle-encoder: cannot move the card out of " << slot->path() << "\n";
        return Failed;
    }
    c.out << "Card taken out: " << QDir::toNativeSeparators(path) << "\n";
    return Success;
}

int setting(const Context &c, const QString &command, const QStringList &args)
{
    std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    if (!slot)
        return Failed;
    VirtualDeviceFolder::Settings s = slot->settings();
    if (args.isEmpty()) {
        if (command == QLatin1String("mode"))
            c.out << (s.manual ? "manual" : "auto") << "\n";
        else
            c.out << s.writeMs << "\n";
        return Success;
    }
    if (command == QLatin1String("mode")) {
        if (args.first() != QLatin1String("auto") && args.first() != QLatin1String("manual")) {
            c.err << "ostrelle-encoder: the mode is auto or manual\n";
            return Usage;
        }
        s.manual = args.first() == QLatin1String("manual");
    } else {
        bool ok = false;
        const int ms = args.first().toInt(&ok);
        if (!ok || ms < 0 || ms > 600000) {
            c.err << "ostrelle-encoder: the write time is 0 to 600000 milliseconds\n";
            return Usage;
        }
        s.writeMs = ms;
    }
    if (!slot->writeSettings(s)) {
        c.err << "ostrelle-encoder: cannot write the settings in " << slot->path() << "\n";
        return Failed;
    }
    return Success;
}

int fault(const Context &c, const QStringList &args)
{
    bool ok = args.size() == 1;
    const quint32 status = ok ? args.first().toUInt(&ok, 0) : 0;
    if (!ok) {
        c.err << "ostrelle-encoder: give the status as a number, e.g. " << faultExample() << "\n";
        return Usage;
    }
    std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    if (!slot)
        return Failed;
    return slot->setNextStatus(qint32(status)) ? Success : Failed;
}

int cancel(const Context &c)
{
    std::optional<VirtualDeviceFolder> slot = c.folder(Kind::Encoder);
    return slot && slot->pressCancel() ? Success : Failed;
}

int handheld(const Context &c, const QStringList &args)
{
    if (args.isEmpty()) {
        c.err << usage();
        return Usage;
    }
    std::optional<VirtualDeviceFolder> unit = c.folder(Kind::Handheld);
    if (!unit)
        return Failed;
    const QString command = args.first();
    if (command == QLatin1String("list")) {
        for (const QString &f : unit->pendingReadouts())
            c.out << QDir::toNativeSeparators(f) << "\n";
        return Success;
    }
    if (command == QLatin1String("setup")) {
        const QByteArray setup = unit->setup();
        if (setup.isEmpty())
            c.out << "The handheld unit has not been programmed.\n";
        c.out << QString::fromUtf8(setup);
        return Success;
    }
    QList<QByteArray> texts;
    if (command == QLatin1String("put") && args.size() > 1) {
        for (const QString &file : args.mid(1)) {
            const std::optional<QByteArray> text = readFile(file, c.err);
            if (!text)
                return Failed;
            const ReadoutParseResult r = parseReadout(*text);
            if (r.status != 0) {
                c.err << "ostrelle-encoder: " << file << ", line " << r.line << ": " << r.reason << "\n";
                return Failed;
            }
            texts << *text;
        }
    } else if (command == QLatin1String("sample")) {
        QList<qint32> doors;
        for (const QString &d : args.mid(1)) {
            bool ok = false;
            doors << d.toInt(&ok);
            if (!ok || doors.constLast() <= 0) {
                c.err << "ostrelle-encoder: a door is a positive number\n";
                return Usage;
            }
        }
        if (doors.isEmpty())
            doors << 101;
        std::optional<VirtualDeviceFolder> encoder = c.port.isEmpty() ? c.folder(Kind::Encoder) : unit;
        texts << sampleReadout(encoder.value_or(*unit), doors, oleNow());
    } else {
        c.err << usage();
        return Usage;
    }
    for (const QByteArray &text : texts) {
        QString name;
        if (!unit->addReadout(text, &name)) {
            c.err << "ostrelle-encoder: cannot write into " << unit->readoutPath() << "\n";
            return Failed;
        }
        c.out << "Read-out waiting on the unit: " << QDir::toNativeSeparators(name) << "\n";
    }
    return Success;
}

} // namespace

QString describeCard(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("Blank card\n");
    CardImage card;
    const qint32 status = CardImage::decode(bytes, card);
    if (status != 0) {
        return QStringLiteral("Unreadable card (status 0x%1): %2\n")
            .arg(quint32(status), 8, 16, QLatin1Char('0'))
            .arg(CardFormatStatusText(status).section(QLatin1Char('|'), 1));
    }
    QString out;
    QTextStream s(&out);
    const qint32 kind = card.GetCardField(QStringLiteral("cardNameID")).value_or(CardFieldValue()).integer;
    s << "Card kind:     " << kind << " " << kindName(kind) << "\n";
    if (const std::optional<quint32> reg = card.registrationNumber()) {
        s << "Registration:  " << FormatRegistrationNumber(*reg) << " copy " << registrationCopyIndex(*reg)
          << " (stored 0x" << QStringLiteral("%1").arg(*reg, 8, 16, QLatin1Char('0')).toUpper() << ")\n";
    } else {
        s << "Registration:  none\n";
    }
    s << "Installation:  " << QStringLiteral("%1").arg(card.installationId(), 8, 16, QLatin1Char('0')).toUpper()
      << "\n";
    if (const std::optional<CardFieldValue> room = card.GetCardField(QStringLiteral("mainGuestRoom")))
        s << "Main room:     " << room->integer << "\n";
    const std::optional<CardFieldValue> start = card.GetCardField(QStringLiteral("startTime"));
    const std::optional<CardFieldValue> expire = card.GetCardField(QStringLiteral("expireTime"));
    s << "Valid:         " << (start ? dateText(start->date) : QStringLiteral("-")) << " to "
      << (expire ? dateText(expire->date) : QStringLiteral("-")) << "\n";
    for (const CardBlock &b : card.blocks()) {
        QStringList ranges;
        for (const DoorRange &r : b.ranges)
            ranges << (r.first == r.last ? QString::number(r.first) : QStringLiteral("%1-%2").arg(r.first).arg(r.last));
        s << "Block " << b.type << " (" << blockName(b.type)
          << "): " << (ranges.isEmpty() ? QStringLiteral("-") : ranges.join(QStringLiteral(", ")));
        if (!b.values.isEmpty()) {
            QStringList values;
            for (qint32 v : b.values)
                values << QString::number(v);
            s << "; values " << values.join(QLatin1Char(' '));
        }
        for (double d : b.dates)
            s << "; date " << dateText(d);
        s << "\n";
    }
    for (const CardField &f : card.fields()) {
        if (f.name == QLatin1String("cardNameID") || f.name == QLatin1String("registrationNumber") ||
            f.name == QLatin1String("startTime") || f.name == QLatin1String("expireTime") ||
            f.name == QLatin1String("mainGuestRoom"))
            continue;
        s << f.name << ": " << valueText(f.value) << "\n";
    }
    s.flush();
    return out;
}

int run(const QStringList &arguments, const QString &deviceDirectory, QTextStream &out, QTextStream &err)
{
    QStringList args = arguments;
    Context c{deviceDirectory, QString(), out, err};
    while (!args.isEmpty() && (args.first() == QLatin1String("--dir") || args.first() == QLatin1String("--port"))) {
        if (args.size() < 2) {
            err << usage();
            return Usage;
        }
        (args.first() == QLatin1String("--dir") ? c.dir : c.port) = args.at(1);
        args = args.mid(2);
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? err : out) << usage();
        return args.isEmpty() ? Usage : Success;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("show"))
        return show(c, args);
    if (command == QLatin1String("insert"))
        return insert(c, args);
    if (command == QLatin1String("eject") && args.isEmpty())
        return eject(c);
    if (command == QLatin1String("mode") || command == QLatin1String("write-time"))
        return setting(c, command, args);
    if (command == QLatin1String("fault"))
        return fault(c, args);
    if (command == QLatin1String("cancel") && args.isEmpty())
        return cancel(c);
    if (command == QLatin1String("handheld"))
        return handheld(c, args);
    err << usage();
    return Usage;
}

} // namespace EncoderTool
