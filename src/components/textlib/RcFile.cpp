#include "RcFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string_view>

namespace rcfile {

namespace {

std::u16string_view trimmed(std::u16string_view s)
{
    auto space = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The key of a text number exactly as text-file mode builds it; anything else would never be found.
std::u16string canonicalKey(int id)
{
    std::string key;
    if (id < 0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%03X", unsigned(id + 32768));
        key = std::string("MSG_BASE+0x") + hex + "L";
    } else {
        key = std::to_string(id);
    }
    return std::u16string(key.begin(), key.end());
}

int parseKey(std::u16string_view key, int line)
{
    const std::u16string_view prefix = u"MSG_BASE+0x";
    long value = -1;
    if (key.substr(0, prefix.size()) == prefix) {
        std::u16string_view hex = key.substr(prefix.size());
        if (hex.empty() || hex.back() != u'L')
            throw ParseError{line, "message key must end in \"L\": " + toUtf8(key)};
        hex.remove_suffix(1);
        if (hex.empty() || hex.size() > 4)
            throw ParseError{line, "message key needs one to four hexadecimal digits: " + toUtf8(key)};
        value = 0;
        for (char16_t c : hex) {
            int digit = -1;
            if (isDigit(c))
                digit = c - u'0';
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit < 0)
                throw ParseError{line, "message key needs upper-case hexadecimal digits: " + toUtf8(key)};
            value = value * 16 + digit;
        }
        if (value > 0x7FFF)
            throw ParseError{line, "message key out of range (0x000 to 0x7FFF): " + toUtf8(key)};
        value -= 32768;
    } else {
        if (key.empty() || key.size() > 5 || !std::all_of(key.begin(), key.end(), isDigit))
            throw ParseError{line, "key is neither a number from 0 to 32767 nor MSG_BASE+0x...L: " + toUtf8(key)};
        value = std::stol(toUtf8(key));
        if (value > 32767)
            throw ParseError{line, "key out of range (0 to 32767): " + toUtf8(key)};
    }
    if (canonicalKey(int(value)) != key)
        throw ParseError{line, "key not written as text-file mode looks it up (" + toUtf8(canonicalKey(int(value))) +
                                   "): " + toUtf8(key)};
    return int(value);
}

// Line breaks as the program shows them: each backslash-n pair, left to right, becomes CR LF.
std::u16string expandLineBreaks(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
            out += u"\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool isComment(std::u16string_view t)
{
    return t.substr(0, 2) == u"//";
}

} // namespace

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string decodeUtf8(const std::string &bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    int line = 1;
    std::size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        i = 3;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            if (b == '\n')
                ++line;
            out += char16_t(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, minimum = 0x10000;
        } else {
            throw ParseError{line, "invalid UTF-8"};
        }
        if (i + extra >= bytes.size())
            throw ParseError{line, "invalid UTF-8"};
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                throw ParseError{line, "invalid UTF-8"};
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            throw ParseError{line, "invalid UTF-8"};
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
        i += extra + 1;
    }
    return out;
}

Parsed parse(const std::u16string &file)
{
    Parsed parsed;
    enum class State { Outside, AfterHeader, Inside } state = State::Outside;
    int blocks = 0;
    std::map<int, int> seen; // id -> line
    int line = 0;
    std::size_t start = 0;
    while (start <= file.size()) {
        ++line;
        std::size_t end = file.find(u'\n', start);
        if (end == std::u16string::npos)
            end = file.size();
        std::u16string_view text(file.data() + start, end - start);
        if (!text.empty() && text.back() == u'\r')
            text.remove_suffix(1);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\t')
                parsed.tabs.push_back({start + i, line});
        }
        const std::u16string_view t = trimmed(text);

        if (t.empty() || isComment(t)) {
            // nothing to read
        } else if (state == State::Outside) {
            if (t == u"STRINGTABLE" || t.substr(0, 12) == u"STRINGTABLE ") {
                state = State::AfterHeader;
                ++blocks;
            } else if (t.front() != u'#') {
                throw ParseError{line, "expected STRINGTABLE, a comment or a preprocessor line"};
            }
        } else if (state == State::AfterHeader) {
            if (t != u"BEGIN" && t != u"{")
                throw ParseError{line, "expected BEGIN after STRINGTABLE"};
            state = State::Inside;
        } else if (t == u"END" || t == u"}") {
            state = State::Outside;
        } else {
            if (text.front() != u'\t')
                throw ParseError{line, "an entry starts with a tab"};
            const std::size_t keyEnd = text.find(u'\t', 1);
            if (keyEnd == std::u16string_view::npos)
                throw ParseError{line, "no tab between key and text"};
            Entry entry;
            entry.line = line;
            entry.keySite = start;
            entry.key = std::u16string(text.substr(1, keyEnd - 1));
            entry.id = parseKey(entry.key, line);
            if (keyEnd + 1 >= text.size() || text[keyEnd + 1] != u'"')
                throw ParseError{line, "the text must follow the key's tab in double quotes"};
            const std::size_t close = text.find(u'"', keyEnd + 2);
            if (close == std::u16string_view::npos)
                throw ParseError{line, "missing closing double quote"};
            if (!trimmed(text.substr(close + 1)).empty())
                throw ParseError{line,
                                 "unexpected characters after the closing quote (a text cannot hold a double quote)"};
            const std::u16string_view raw = text.substr(keyEnd + 2, close - keyEnd - 2);
            if (raw.empty())
                throw ParseError{line, "empty text"};
            for (char16_t c : raw) {
                if (c < 0x20 || c == 0x7F)
                    throw ParseError{line, "control character in text (write a line break as \\n)"};
            }
            if (const auto [it, fresh] = seen.emplace(entry.id, line); !fresh)
                throw ParseError{line, "duplicate key " + toUtf8(entry.key) + " (first on line " +
                                           std::to_string(it->second) + ")"};
            entry.textEnd = start + close;
            entry.text = expandLineBreaks(raw);
            parsed.entries.push_back(std::move(entry));
        }
        start = end + 1;
    }
    if (state != State::Outside)
        throw ParseError{line, "STRINGTABLE not closed by END"};
    if (blocks == 0 || parsed.entries.empty())
        throw ParseError{line, "no STRINGTABLE entries"};
    return parsed;
}

void checkTextFileReach(const std::u16string &file, const Parsed &parsed)
{
    for (const Entry &entry : parsed.entries) {
        if (entry.textEnd >= kTextFileLimit)
            throw ParseError{entry.line, "entry lies beyond the first " + std::to_string(kTextFileLimit) +
                                             " characters that text-file mode reads"};
        for (const TabSite &tab : parsed.tabs) {
            if (tab.at == entry.keySite)
                break;
            if (file.compare(tab.at + 1, entry.key.size(), entry.key) == 0)
                throw ParseError{entry.line, "key " + toUtf8(entry.key) + " would be found on line " +
                                                 std::to_string(tab.line) +
                                                 " in text-file mode; move it before that line"};
        }
    }
}

} // namespace rcfile
