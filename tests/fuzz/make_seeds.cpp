// Writes the fuzzers' seed corpus: the sample card images and read-outs of the tests, and a room
// file with a used, an unused and a part record.
#include "CardSamples.h"

#include <QDir>
#include <QFile>

#include <cstdio>

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

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <directory>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
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
    return ok ? 0 : 1;
}
