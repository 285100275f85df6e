#include "platform/clsLog.h"

#include <QFile>

void clsLog::Create(const QString &fileName, bool deleteExisting)
{
    m_fileName = fileName;
    m_writePosition = 1;
    if (deleteExisting)
        QFile::remove(fileName); // a missing file is no error
}

void clsLog::AddString(const QString &text, bool append)
{
    write(text, append, "clsLog.AddString");
}

void clsLog::Failed()
{
    write(QStringLiteral("...FAILED"), true, "clsLog.Failed");
}

void clsLog::write(const QString &text, bool append, const char *operation)
{
    if (m_fileName.isEmpty() || m_disabled)
        return;

    // A new line starts with CR LF, so headers append their first line to avoid an empty one.
    QByteArray bytes;
    if (!append)
        bytes = "\r\n";
    bytes += text.toLocal8Bit();

    QFile file(m_fileName);
    bool ok = file.open(QIODevice::ReadWrite);
    if (ok)
        ok = file.seek(m_writePosition - 1);
    if (ok)
        ok = file.write(bytes) == bytes.size();
    if (ok)
        ok = file.flush();
    const QString description = file.errorString();
    const int code = static_cast<int>(file.error());
    file.close();

    if (ok) {
        m_writePosition += bytes.size();
        return;
    }
    m_disabled = true;
    if (m_reporter) {
        m_reporter(QStringLiteral("System Guru"), QStringLiteral("An unexpected error occured (%1).\r\n\r\n(%2) - %3")
                                                      .arg(QLatin1String(operation))
                                                      .arg(code)
                                                      .arg(description));
    }
}
