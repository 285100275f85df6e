#pragma once

#include <QString>

#include <functional>

// A plain-text log appended line by line; the file is complete on disk after every write.
// Lines are started with CR LF, so the file has no line break after its last line.
class clsLog
{
public:
    // Called once, on the first write failure; the log stays silent afterwards.
    // Receives the title and the text of the message box to show.
    using FailureReporter = std::function<void(const QString &title, const QString &text)>;

    clsLog() = default;
    explicit clsLog(FailureReporter reporter) : m_reporter(std::move(reporter)) {}

    void setFailureReporter(FailureReporter reporter) { m_reporter = std::move(reporter); }

    void Create(const QString &fileName, bool deleteExisting);
    void AddString(const QString &text, bool append = false);
    void Failed();

    QString fileName() const { return m_fileName; }
    bool isDisabled() const { return m_disabled; }

private:
    void write(const QString &text, bool append, const char *operation);

    QString m_fileName;
    qint64 m_writePosition = 1; // 1-based byte position of the next write
    bool m_disabled = false;
    FailureReporter m_reporter;
};
