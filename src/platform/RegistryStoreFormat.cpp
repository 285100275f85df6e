// Reading and writing the Windows registry export format (REGEDIT5, and REGEDIT4 for reading).

#include "platform/RegistryKeys.h"
#include "platform/RegistryStore.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

using namespace regkeys;

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");

// UTF-16 may hold a surrogate without its partner, which the UTF-8 file we write cannot keep;
// read as U+FFFD, a rewrite of the hive keeps what was read.
QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// regedit writes UTF-16LE with a byte-order mark; hand-made files are usually UTF-8.
QString decodeText(const QByteArray &bytes)
{
    auto decodeWith = [](QStringConverter::Encoding encoding, QByteArrayView data) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        return withoutLoneSurrogates(decoder(data));
    };
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    if (bytes.size() >= 2 && bytes.at(0) != 0 && bytes.at(1) == 0)
        return decodeWith(QStringConverter::Utf16LE, bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes); // an old ANSI export
    return text;
}

// "\\" and "\"" are the only escapes regedit writes; any other backslash is kept as it is.
std::optional<QString> readQuoted(const QString &line, qsizetype &pos)
{
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == u'"') {
            ++pos;
            return text;
        }
        if (c == u'\\' && pos + 1 < line.size() && (line.at(pos + 1) == u'\\' || line.at(pos + 1) == u'"'))
            ++pos;
        text += line.at(pos);
    }
    return std::nullopt;
}

QString quoted(const QString &text)
{
    QString result = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            result += u'\\';
        result += c;
    }
    result += u'"';
    return result;
}

std::optional<QByteArray> parseHexList(QStringView list)
{
    QByteArray bytes;
    const QList<QStringView> items = list.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QStringView item = items.at(i).trimmed();
        if (item.isEmpty() && i == items.size() - 1)
            break; // "hex:" with no data, or a trailing comma
        bool ok = false;
        const uint byte = item.toUInt(&ok, 16);
        if (!ok || item.size() > 2 || byte > 0xFF)
            return std::nullopt;
        bytes.append(static_cast<char>(byte));
    }
    return bytes;
}

// Value data: a leading U+FEFF is a character of the value, not a byte-order mark.
QString utf16le(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return withoutLoneSurrogates(decoder(bytes));
}

// The value part after "="; std::nullopt for a line regedit would reject.
std::optional<RegistryStore::Value> parseData(const QString &data)
{
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const std::optional<QString> text = readQuoted(data, pos);
        if (!text)
            return std::nullopt;
        return RegistryStore::Value::string(*text);
    }
    const qsizetype colon = data.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QString type = data.left(colon).trimmed().toLower();
    const QStringView body = QStringView(data).mid(colon + 1).trimmed();
    if (type == u"dword") {
        bool ok = false;
        const uint number = body.toUInt(&ok, 16);
        if (ok && !body.isEmpty() && body.size() <= 8)
            return RegistryStore::Value::dword(number);
    } else if (type == u"hex(1)") {
        const std::optional<QByteArray> bytes = parseHexList(body);
        if (bytes && bytes->size() % 2 == 0)
            return RegistryStore::Value::string(utf16le(*bytes));
    } else if (type == u"hex(4)") {
        const std::optional<QByteArray> bytes = parseHexList(body);
        if (bytes && bytes->size() == 4) {
            const auto *b = reinterpret_cast<const uchar *>(bytes->constData());
            return RegistryStore::Value::dword(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                               uint32_t(b[3]) << 24);
        }
    }
    return RegistryStore::Value::other(data);
}

QString canonicalRoot(const QString &root)
{
    static const std::pair<const char *, const char *> shortNames[] = {
        {"HKCU", "HKEY_CURRENT_USER"}, {"HKLM", "HKEY_LOCAL_MACHINE"},  {"HKCR", "HKEY_CLASSES_ROOT"},
        {"HKU", "HKEY_USERS"},         {"HKCC", "HKEY_CURRENT_CONFIG"},
    };
    const QString upper = root.toUpper();
    for (const auto &[shortName, longName] : shortNames) {
        if (upper == QLatin1String(shortName))
            return QLatin1String(longName);
    }
    return upper.startsWith(u"HKEY_") ? upper : root;
}

// Data with line breaks or NULs cannot stand between quotes; regedit keeps such strings as
// hex(1), the UTF-16LE bytes of the string, wrapped at 80 columns. column: where the data starts.
QString hexData(const QString &type, const QByteArray &bytes, qsizetype column)
{
    QString text = type;
    column += type.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        text += QStringLiteral("%1").arg(uchar(bytes.at(i)), 2, 16, QLatin1Char('0'));
        column += 2;
        if (i + 1 < bytes.size()) {
            text += u',';
            ++column;
            if (column > 76) {
                text += QStringLiteral("\\\r\n  ");
                column = 2;
            }
        }
    }
    return text;
}

QString serializeData(const RegistryStore::Value &value, qsizetype column)
{
    switch (value.type) {
    case RegistryStore::ValueType::String: {
        const bool plain =
            std::none_of(value.text.cbegin(), value.text.cend(), [](QChar c) { return c.unicode() < 0x20; });
        if (plain)
            return quoted(value.text);
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return hexData(QStringLiteral("hex(1):"), encoder(value.text), column);
    }
    case RegistryStore::ValueType::DWord:
        return QStringLiteral("dword:%1").arg(value.number, 8, 16, QLatin1Char('0'));
    case RegistryStore::ValueType::Other:
        break;
    }
    return value.raw;
}

} // namespace

RegistryStore::Value RegistryStore::Value::string(const QString &text)
{
    Value value;
    value.type = ValueType::String;
    value.text = text;
    return value;
}

RegistryStore::Value RegistryStore::Value::dword(uint32_t number)
{
    Value value;
    value.type = ValueType::DWord;
    value.number = number;
    return value;
}

RegistryStore::Value RegistryStore::Value::other(const QString &raw)
{
    Value value;
    value.type = ValueType::Other;
    value.raw = raw;
    return value;
}

std::optional<QString> RegistryStore::Value::textData() const
{
    if (type == ValueType::String)
        return text;
    if (type != ValueType::Other)
        return std::nullopt;
    // Expandable strings (hex(2)) and multi-strings (hex(7)) hold UTF-16LE text too.
    const QString lower = raw.left(7).toLower();
    if (lower != u"hex(2):" && lower != u"hex(7):")
        return std::nullopt;
    const std::optional<QByteArray> bytes = parseHexList(QStringView(raw).mid(7));
    if (!bytes || bytes->size() % 2 != 0)
        return std::nullopt;
    return utf16le(*bytes);
}

std::optional<RegistryStore::Document> RegistryStore::parse(const QByteArray &bytes)
{
    const QStringList lines = decodeText(bytes).split(u'\n');
    Document document;
    qsizetype i = 0;
    while (i < lines.size() && lines.at(i).trimmed().isEmpty())
        ++i;
    if (i == lines.size())
        return document;
    const QString header = lines.at(i).trimmed();
    if (header != kHeader && header != kOldHeader)
        return std::nullopt;

    qsizetype current = -1;
    for (++i; i < lines.size(); ++i) {
        QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            current = -1;
            if (!line.endsWith(u']'))
                continue;
            QString name = line.mid(1, line.size() - 2);
            const bool remove = name.startsWith(u'-');
            if (remove)
                name.remove(0, 1);
            const qsizetype slash = name.indexOf(u'\\');
            const QString root = canonicalRoot(slash < 0 ? name : name.left(slash));
            const QString path = slash < 0 ? QString() : normalizedPath(name.mid(slash + 1));
            if (remove) {
                removeKey(document, root, path);
                continue;
            }
            current = findKey(document, root, path);
            if (current < 0) {
                document.keys.append({root, path, {}});
                current = document.keys.size() - 1;
            }
            continue;
        }
        // Long hex data continues on the next line after a trailing backslash; at the end of the
        // file the backslash continues nothing, as after a file's last line break. What is left
        // never ends in a backslash or a space, or its next read would continue it.
        while (line.endsWith(u'\\')) {
            line.chop(1);
            if (i + 1 < lines.size())
                line += lines.at(++i).trimmed();
            line = line.trimmed();
        }
        if (current < 0)
            continue;

        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (line.startsWith(u'"')) {
            const std::optional<QString> quotedName = readQuoted(line, pos);
            if (!quotedName)
                continue;
            name = *quotedName;
        } else {
            continue;
        }
        while (pos < line.size() && line.at(pos).isSpace())
            ++pos;
        if (pos >= line.size() || line.at(pos) != u'=')
            continue;
        const QString data = line.mid(pos + 1).trimmed();
        Key &key = document.keys[current];
        if (data == u"-") {
            const qsizetype entry = findEntry(key, name);
            if (entry >= 0)
                key.entries.removeAt(entry);
            continue;
        }
        if (const std::optional<Value> value = parseData(data))
            putEntry(key, name, *value);
    }
    return document;
}

QByteArray RegistryStore::serialize(const Document &document)
{
    QString text = kHeader + QStringLiteral("\r\n");
    for (const Key &key : document.keys) {
        text += QStringLiteral("\r\n[") + key.root;
        if (!key.path.isEmpty())
            text += u'\\' + key.path;
        text += QStringLiteral("]\r\n");
        for (const Entry &entry : key.entries) {
            const QString name = entry.name.isEmpty() ? QStringLiteral("@") : quoted(entry.name);
            text += name + u'=' + serializeData(entry.value, name.size() + 1);
            text += QStringLiteral("\r\n");
        }
    }
    text += QStringLiteral("\r\n");
    return text.toUtf8();
}
