// Writes the fuzzers' seed corpus: the sample card images and read-outs of the tests, a room file
// with a used, an unused and a part record, the project's registry and text files, command lines
// and the program's own filters; and the filter fuzzer's dictionary of table and field names.
#include "CardSamples.h"
#include "components/recordtable/TableDefs.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

bool save(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir + QLatin1Char('/') + name);
    if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

QByteArray load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return file.readAll();
}

// A filter seed: the table's place in the registry, no flags, WHERE, NUL, ORDER BY.
QByteArray filterSeed(qint32 tableId, const char *where, const char *orderBy = "", char flags = 0)
{
    const QList<TableDef> &defs = tableDefs();
    qsizetype at = 0;
    while (at < defs.size() && defs.at(at).id != tableId)
        ++at;
    return QByteArray(1, char(at)) + flags + where + '\0' + orderBy;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds <directory> <source tree>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString root = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    const QList<QByteArray> images = CardSamples::encodedSamples();
    for (qsizetype i = 0; i < images.size(); ++i)
        ok &= save(out + QStringLiteral("/cardimage"), QStringLiteral("sample-%1.bin").arg(i), images[i]);

    const QByteArray readout = writeReadout(CardSamples::sampleReadout());
    ok &= save(out + QStringLiteral("/readout"), QStringLiteral("sample.txt"), readout);
    ok &= save(out + QStringLiteral("/readout"), QStringLiteral("empty.txt"), "READOUT 1\nEND 0 0\n");
    QByteArray handWritten = "# written by hand\r\n" + readout;
    handWritten.replace("\n", "\r\n");
    ok &= save(out + QStringLiteral("/readout"), QStringLiteral("crlf.txt"), handWritten);

    QByteArray roomFile(150, 'H');
    const auto record = [](const char *room, char status, char overrideNumber, const char *door) {
        QByteArray r(25, 'x');
        r.replace(0, 4, room);
        r[4] = status;
        r[10] = overrideNumber;
        r.replace(20, 5, door);
        return r;
    };
    roomFile += record("0101", 0, char(250), "00101") + record("0102", 1, 7, "00102") + record("0103", 0, 3, "0010x");
    roomFile += QByteArray(24, 'x');
    ok &= save(out + QStringLiteral("/roomfile"), QStringLiteral("Roomfile.dat"), roomFile);
    ok &= save(out + QStringLiteral("/roomfile"), QStringLiteral("steps.txt"), "0000000000015");

    const QByteArray exported = load(root + QStringLiteral("/tests/platform/fixtures/regedit-export.reg"));
    ok &= save(out + QStringLiteral("/registry"), QStringLiteral("regedit-export.reg"), exported);
    ok &= save(out + QStringLiteral("/registry"), QStringLiteral("hand-made.reg"),
               "REGEDIT4\r\n\r\n[HKCU\\Software\\Veltrix\\Client]\r\n\"Server\"=\"db1\"\r\n@=dword:0000002a\r\n"
               "\"Long\"=hex(1):41,00,0a,00,\\\r\n  42,00\r\n\"Path\"=hex(2):25,00,00,00\r\n[-HKCU\\Software\\Old]\r\n"
               "\"Gone\"=-\r\n; comment\r\n");

    // The text files: the test sample, and the program's own texts in pieces the fuzzer can hold.
    ok &= save(out + QStringLiteral("/textfile"), QStringLiteral("sample.rc"),
               load(root + QStringLiteral("/tests/texts/fixtures/sample.rc")));
    const QList<QByteArray> lines = load(root + QStringLiteral("/texts/ostrelle.rc")).split('\n');
    QByteArray piece;
    int pieces = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith('\t'))
            piece += lines.at(i) + '\n';
        if (!piece.isEmpty() && (piece.size() > 3000 || i + 1 == lines.size())) {
            ok &= save(out + QStringLiteral("/textfile"), QStringLiteral("texts-%1.rc").arg(pieces++),
                       "#define MSG_BASE (-32768)\r\nSTRINGTABLE\r\nBEGIN\r\n" + piece + "END\r\n");
            piece.clear();
        }
    }

    const char *commandLines[] = {
        "\x00ostrelle /Oabc/Nserver1",
        "\x00ostrelle /C \"/opt/ostrelle\" /S /I /R /T /U /A /?",
        "\x00ostrelle /O\"sqlite:/var/lib/hotel.db\"/N db1 /G 3 /L ADMIN /P secret /X libctexts.so /D texts.rc",
        "\x01O\"sqlite:/var/lib/hotel.db\"\tn db1\tC /opt/hotel desk/x\tg-12x",
    };
    for (qsizetype i = 0; i < qsizetype(std::size(commandLines)); ++i)
        ok &= save(out + QStringLiteral("/cmdline"), QStringLiteral("line-%1").arg(i),
                   QByteArray(commandLines[i], qsizetype(std::strlen(commandLines[i] + 1) + 1)));

    const QByteArray filters[] = {
        filterSeed(TableId::CardView,
                   "registrationNumber in (select registrationNumber from CardDoors where doorID = ?) and "
                   "status <> 0 and expireTime >= ?",
                   "registrationNumber desc", 1),
        filterSeed(TableId::Cards, "status = ? and expireTime > ?", "registrationNumber"),
        filterSeed(TableId::Cards, "doorID = ? and startTime < ? and expireTime > ? and status <> 0"),
        filterSeed(TableId::Readouts, "doorID = ? and readoutTime = ?"),
        filterSeed(TableId::CardNames, "cardNameID in(1,2,3) or cardNameID not in()", "cardName asc"),
        filterSeed(TableId::Doors, "(doorName like ? and doorGroupID >= 2) or (doorID = -1.5 and doorName is not null)",
                   "doorName, doorID desc"),
        filterSeed(TableId::EventView,
                   "eventTime >= ? and eventTime < ? and doorID in (select doorID from Doors "
                   "where doorGroupID in (select doorGroupID from DoorGroups where doorGroupID = 7))"),
    };
    for (qsizetype i = 0; i < qsizetype(std::size(filters)); ++i)
        ok &= save(out + QStringLiteral("/where"), QStringLiteral("filter-%1").arg(i), filters[i]);

    // libFuzzer dictionary: the filter words and every table and field name.
    QByteArray dict = "\" select \"\n\" from \"\n\" where \"\n\" in (\"\n\" not \"\n\" like \"\n\" is null\"\n"
                      "\" and \"\n\" or \"\n\" = ?\"\n\"<>\"\n\">=\"\n\" desc\"\n\"\\x00\"\n";
    QStringList names;
    for (const TableDef &def : tableDefs()) {
        names << def.name;
        for (const ColumnDef &column : def.columns)
            names << column.name;
    }
    names.removeDuplicates();
    for (const QString &name : names)
        dict += "\"" + name.toLatin1() + "\"\n";
    ok &= save(out, QStringLiteral("where.dict"), dict);
    return ok ? 0 : 1;
}
