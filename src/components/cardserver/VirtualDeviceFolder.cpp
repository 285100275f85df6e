#include "components/cardserver/VirtualDeviceFolder.h"

#include "components/cardserver/CardServerStatus.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace {

// A device folder holds small files only; anything bigger is not ours to read.
constexpr qint64 kMaxFile = 16 * 1024 * 1024;

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

std::optional<QByteArray> readSmall(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (f.size() > kMaxFile)
        return std::nullopt;
    return f.readAll();
}

const char *kindName(VirtualDeviceFolder::Kind kind)
{
    return kind == VirtualDeviceFolder::Kind::Handheld ? "handheld" : "encoder";
}

} // namespace

QString VirtualDeviceFolder::resolvePort(const QString &baseDir, const QString &port, qint32 deviceId)
{
    const QString name = port.trimmed().isEmpty() ? QStringLiteral("device%1").arg(deviceId) : port.trimmed();
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    return QDir::cleanPath(QDir(baseDir).filePath(name));
}

QString VirtualDeviceFolder::file(const char *name) const
{
    return QDir(m_path).filePath(QString::fromLatin1(name));
}

bool VirtualDeviceFolder::exists() const
{
    return QFileInfo(m_path).isDir();
}

bool VirtualDeviceFolder::create(Kind kind)
{
    if (!QDir().mkpath(m_path))
        return false;
    if (QFileInfo::exists(file("device.ini")))
        return true;
    Settings s;
    s.kind = kind;
    return writeSettings(s);
}

VirtualDeviceFolder::Settings VirtualDeviceFolder::settings() const
{
    Settings s;
    QSettings ini(file("device.ini"), QSettings::IniFormat);
    auto ms = [&](const char *key, int fallback) {
        bool ok = false;
        const int v = ini.value(QString::fromLatin1(key), fallback).toInt(&ok);
        return ok && v >= 0 ? v : fallback;
    };
    s.kind = ini.value(QStringLiteral("kind")).toString() == QLatin1String("handheld") ? Kind::Handheld : Kind::Encoder;
    s.manual = ini.value(QStringLiteral("mode")).toString() == QLatin1String("manual");
    s.writeMs = ms("writeMs", s.writeMs);
    s.readMs = ms("readMs", s.readMs);
    s.ejectMs = ms("ejectMs", s.ejectMs);
    s.setupMs = ms("setupMs", s.setupMs);
    s.cardWaitMs = ms("cardWaitMs", s.cardWaitMs);
    s.pollMs = ms("pollMs", s.pollMs);
    return s;
}

bool VirtualDeviceFolder::writeSettings(const Settings &s)
{
    if (!QDir().mkpath(m_path))
        return false;
    QSettings ini(file("device.ini"), QSettings::IniFormat);
    ini.setValue(QStringLiteral("kind"), QString::fromLatin1(kindName(s.kind)));
    ini.setValue(QStringLiteral("mode"), s.manual ? QStringLiteral("manual") : QStringLiteral("auto"));
    ini.setValue(QStringLiteral("writeMs"), s.writeMs);
    ini.setValue(QStringLiteral("readMs"), s.readMs);
    ini.setValue(QStringLiteral("ejectMs"), s.ejectMs);
    ini.setValue(QStringLiteral("setupMs"), s.setupMs);
    ini.setValue(QStringLiteral("cardWaitMs"), s.cardWaitMs);
    ini.setValue(QStringLiteral("pollMs"), s.pollMs);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

QString VirtualDeviceFolder::cardPath() const
{
    return file("card");
}

bool VirtualDeviceFolder::hasCard() const
{
    return QFileInfo(cardPath()).isFile();
}

std::optional<QByteArray> VirtualDeviceFolder::card() const
{
    if (!hasCard())
        return std::nullopt;
    return readSmall(cardPath());
}

bool VirtualDeviceFolder::insertCard(const QByteArray &bytes)
{
    return QDir().mkpath(m_path) && writeAtomically(cardPath(), bytes);
}

bool VirtualDeviceFolder::removeCard()
{
    return !hasCard() || QFile::remove(cardPath());
}

QString VirtualDeviceFolder::trayPath() const
{
    return file("out");
}

QString VirtualDeviceFolder::ejectToTray(const QString &name)
{
    if (!hasCard() || !QDir().mkpath(trayPath()))
        return {};
    const QString target = QDir(trayPath()).filePath(name);
    QFile::remove(target);
    return QFile::rename(cardPath(), target) ? target : QString();
}

QString VirtualDeviceFolder::newestEjected() const
{
    const QFileInfoList files = QDir(trayPath()).entryInfoList(QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().filePath();
}

bool VirtualDeviceFolder::setNextStatus(qint32 status)
{
    return QDir().mkpath(m_path) &&
           writeAtomically(file("fault"),
                           QStringLiteral("0x%1\n").arg(quint32(status), 8, 16, QLatin1Char('0')).toLatin1());
}

std::optional<qint32> VirtualDeviceFolder::takeNextStatus()
{
    const std::optional<QByteArray> text = readSmall(file("fault"));
    if (!text)
        return std::nullopt;
    QFile::remove(file("fault"));
    bool ok = false;
    const quint32 v = QString::fromLatin1(text->trimmed()).toUInt(&ok, 0);
    // A fault file that says nothing useful still fails the operation: someone meant it to.
    return ok ? qint32(v) : CardServerStatus::WriteFailed;
}

bool VirtualDeviceFolder::pressCancel()
{
    return QDir().mkpath(m_path) && writeAtomically(file("cancel"), QByteArray());
}

bool VirtualDeviceFolder::setStopped(qint32 deviceId, bool stopped)
{
    const QString marker = QDir(m_path).filePath(QStringLiteral("stopped-%1").arg(deviceId));
    if (!stopped)
        return !QFileInfo::exists(marker) || QFile::remove(marker);
    return QDir().mkpath(m_path) && writeAtomically(marker, QByteArray());
}

bool VirtualDeviceFolder::isStopped(qint32 deviceId) const
{
    return QFileInfo::exists(QDir(m_path).filePath(QStringLiteral("stopped-%1").arg(deviceId)));
}

bool VirtualDeviceFolder::takeCancel()
{
    return QFileInfo::exists(file("cancel")) && QFile::remove(file("cancel"));
}

bool VirtualDeviceFolder::setPrompt(const QString &text)
{
    if (text.isEmpty())
        return !QFileInfo::exists(file("prompt")) || QFile::remove(file("prompt"));
    return QDir().mkpath(m_path) && writeAtomically(file("prompt"), text.toUtf8());
}

QString VirtualDeviceFolder::prompt() const
{
    return QString::fromUtf8(readSmall(file("prompt")).value_or(QByteArray()));
}

QString VirtualDeviceFolder::readoutPath() const
{
    return file("readouts");
}

QStringList VirtualDeviceFolder::pendingReadouts() const
{
    const QDir dir(readoutPath());
    QStringList out;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

bool VirtualDeviceFolder::addReadout(const QByteArray &text, QString *fileName)
{
    if (!QDir().mkpath(readoutPath()))
        return false;
    // Names sort by arrival, so the unit hands its read-outs over in the order they were made.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString path;
    for (int n = 0;; ++n) {
        path = QDir(readoutPath()).filePath(QStringLiteral("%1-%2.txt").arg(stamp).arg(n, 2, 10, QLatin1Char('0')));
        if (!QFileInfo::exists(path))
            break;
    }
    if (!writeAtomically(path, text))
        return false;
    if (fileName)
        *fileName = path;
    return true;
}

bool VirtualDeviceFolder::markRead(const QStringList &files)
{
    const QString done = QDir(readoutPath()).filePath(QStringLiteral("read"));
    if (!QDir().mkpath(done))
        return false;
    bool ok = true;
    for (const QString &f : files) {
        const QString target = QDir(done).filePath(QFileInfo(f).fileName());
        QFile::remove(target);
        ok = QFile::rename(f, target) && ok;
    }
    return ok;
}

bool VirtualDeviceFolder::writeSetup(const QByteArray &data)
{
    return QDir().mkpath(m_path) && writeAtomically(file("setup.txt"), data);
}

QByteArray VirtualDeviceFolder::setup() const
{
    return readSmall(file("setup.txt")).value_or(QByteArray());
}
