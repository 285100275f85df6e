#include "texts/Texts.h"

#include "texts/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <dlfcn.h>

namespace {
TextResources *g_installed = nullptr;

// Longest text the library lookup returns, like a string-resource load into a fixed buffer.
constexpr int kLookupBufferLength = 4096;
constexpr qsizetype kTextFileLimit = 512000;

using LoadStringFn = int (*)(int id, char16_t *buffer, int bufferLength);
} // namespace

struct TextResources::Library
{
    void *handle = nullptr;
    LoadStringFn loadString = nullptr;
};

TextResources::TextResources() = default;

TextResources::~TextResources()
{
    UnloadTextLibrary();
    if (g_installed == this)
        g_installed = nullptr;
}

void TextResources::install(TextResources *resources)
{
    g_installed = resources;
}
TextResources *TextResources::installed()
{
    return g_installed;
}

bool TextResources::LoadTextLibrary()
{
    if (m_libraryName.isEmpty())
        m_libraryName = QStringLiteral("libctexts.so");
    UnloadTextLibrary();
    QString path = m_programPath;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    // An absolute path: a bare file name would make dlopen search the system's library paths.
    path = QFileInfo(path + m_libraryName).absoluteFilePath();
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    auto fn = reinterpret_cast<LoadStringFn>(dlsym(handle, "ctexts_load_string"));
    if (!fn) {
        dlclose(handle);
        return false;
    }
    m_library = std::make_unique<Library>(Library{handle, fn});
    return true;
}

bool TextResources::UnloadTextLibrary()
{
    if (!m_library)
        return false;
    const bool ok = dlclose(m_library->handle) == 0;
    m_library.reset();
    return ok;
}

bool TextResources::LoadTextFile()
{
    m_fileContents.clear();
    if (m_textFileName.isEmpty())
        return false;
    QFile file(m_textFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A UTF-16 unit never takes more than three bytes of UTF-8 (four bytes make two units);
    // three more for a byte-order mark.
    const QByteArray bytes = file.read(3 * kTextFileLimit + 3);
    if (file.error() != QFileDevice::NoError)
        return false;
    m_fileContents = DecodeTextFile(bytes);
    return true;
}

QString DecodeTextFile(QByteArrayView bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8);
    return QString(decode(bytes)).left(kTextFileLimit);
}

QString FindInTextFile(QStringView contents, int16_t number)
{
    QString key;
    if (number < 0)
        key = QStringLiteral("MSG_BASE+0x%1L").arg(QString::number(number + 32768, 16).toUpper(), 3, QLatin1Char('0'));
    else
        key = QString::number(number);

    // First match in file order wins, even when the key is only a prefix of a longer one.
    const qsizetype at = contents.indexOf(QString(QLatin1Char('\t') + key));
    if (at < 0)
        return {};
    const qsizetype open = contents.indexOf(QLatin1Char('"'), at + 1 + key.size());
    if (open < 0)
        return {};
    const qsizetype close = contents.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return {};
    QString text = contents.mid(open + 1, close - open - 1).toString();
    text.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
    return text;
}

QString TextResources::lookupFile(int16_t number) const
{
    return FindInTextFile(m_fileContents, number);
}

QString TextResources::lookupLibrary(int16_t number) const
{
    if (!m_library)
        return {};
    char16_t buffer[kLookupBufferLength];
    const int copied = m_library->loadString(number, buffer, kLookupBufferLength);
    if (copied <= 0)
        return {};
    // Not fromUtf16: that takes a leading U+FEFF for a byte-order mark and drops it.
    return QString(reinterpret_cast<const QChar *>(buffer), std::min(copied, kLookupBufferLength - 1));
}

QString TextResources::GetText(int16_t number) const
{
    if (m_textFileMode) {
        QString text = lookupFile(number);
        if (!text.isEmpty())
            return text;
    }
    QString text = lookupLibrary(number);
    if (!text.isEmpty())
        return text;
    return QString::number(number);
}

QString GetText(int16_t number)
{
    if (const TextResources *resources = TextResources::installed())
        return resources->GetText(number);
    return QString::number(number);
}

QString FormatText(const QString &pattern, const QVariantList &arguments)
{
    QString result;
    result.reserve(pattern.size());
    qsizetype from = 0;
    for (const QVariant &argument : arguments) {
        const qsizetype at = pattern.indexOf(QStringLiteral("%s"), from);
        if (at < 0)
            break;
        result += QStringView(pattern).mid(from, at - from);
        result += argument.toString();
        from = at + 2;
    }
    result += QStringView(pattern).mid(from);
    return result;
}
