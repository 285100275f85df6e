// Writes the fuzzers' seed corpus: the sample card images and read-outs of the tests.
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
    return ok ? 0 : 1;
}
