#pragma once

#include <QString>
#include <QVariantList>

#include <cstdint>
#include <memory>

// The text resources: every user-visible text is a number, looked up in the text library
// (libctexts.so beside the program) or, in text-file mode, first in a text file.
class TextResources
{
public:
    TextResources();
    ~TextResources();
    TextResources(const TextResources &) = delete;
    TextResources &operator=(const TextResources &) = delete;

    void setProgramPath(const QString &path) { m_programPath = path; }
    QString programPath() const { return m_programPath; }
    void setLibraryName(const QString &name) { m_libraryName = name; }
    QString libraryName() const { return m_libraryName; }
    void setTextFileName(const QString &name) { m_textFileName = name; }
    QString textFileName() const { return m_textFileName; }
    void setTextFileMode(bool on) { m_textFileMode = on; }
    bool textFileMode() const { return m_textFileMode; }

    bool LoadTextLibrary();
    bool UnloadTextLibrary();
    bool LoadTextFile();
    QString GetText(int16_t number) const;

    // The text resources GetText() below reads; the program installs its own at start.
    static void install(TextResources *resources);
    static TextResources *installed();

private:
    struct Library;
    QString lookupFile(int16_t number) const;
    QString lookupLibrary(int16_t number) const;

    QString m_programPath;
    QString m_libraryName;
    QString m_textFileName;
    bool m_textFileMode = false;
    QString m_fileContents;
    std::unique_ptr<Library> m_library;
};

// The text of a number from the installed text resources; a number without text is its digits.
QString GetText(int16_t number);

// Replaces each "%s" in turn by the next argument, never rescanning inserted text.
QString FormatText(const QString &pattern, const QVariantList &arguments);
