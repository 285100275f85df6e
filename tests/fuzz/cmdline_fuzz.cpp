// libFuzzer target for the command line. Any text parses without crashing into upper-case switch
// letters; switches built from the input with their values in double quotes come back in order
// with the very same values, "/" and spaces included; and a switch number is the decimal number
// its value starts with.
#include "FuzzCheck.h"
#include "startup/CommandLine.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The number the value starts with: an optional "-" and ASCII digits; nullopt when it would not
// fit in 32 bits, where the result is left open.
std::optional<int32_t> leadingNumber(const QString &value)
{
    qsizetype i = value.startsWith(QLatin1Char('-')) ? 1 : 0;
    int64_t number = 0;
    for (qsizetype digits = 0; i < value.size() && value.at(i) >= u'0' && value.at(i) <= u'9'; ++i, ++digits) {
        if (digits == 9)
            return std::nullopt;
        number = number * 10 + (value.at(i).unicode() - u'0');
    }
    return int32_t(value.startsWith(QLatin1Char('-')) ? -number : number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    if ((data[0] & 1) == 0) {
        const CommandLine parsed = ParseCommandLine(text);
        check(parsed.raw == text);
        check(parsed.switches.size() <= text.count(QLatin1Char('/')));
        for (const CommandLine::Switch &s : parsed.switches)
            check(s.letter == s.letter.toUpper());
        if (const std::optional<int32_t> number = leadingNumber(text))
            check(SwitchNumber(text) == *number);
        return 0;
    }

    // Switches with values: a letter, then the value up to the next tab.
    static const QString letters = QStringLiteral("ONLPCXDGonlpcxdg");
    QList<CommandLine::Switch> given;
    QString line = QStringLiteral("ostrelle");
    for (const QString &part : text.split(QLatin1Char('\t'))) {
        if (part.isEmpty() || !letters.contains(part.at(0)))
            continue;
        const QString value = part.mid(1).remove(QLatin1Char('"'));
        given.append({part.at(0).toUpper(), value});
        line += QStringLiteral(" /") + part.at(0) + QLatin1Char('"') + value + QLatin1Char('"');
    }
    const CommandLine parsed = ParseCommandLine(line);
    check(parsed.switches.size() == given.size());
    for (qsizetype i = 0; i < given.size(); ++i) {
        check(parsed.switches.at(i).letter == given.at(i).letter);
        check(parsed.switches.at(i).value == given.at(i).value);
    }
    return 0;
}
