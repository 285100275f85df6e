// The STRINGTABLE reader of ostrelle-rcgen, apart from the generator so the fuzzer can run it.
// Plain C++: it accepts only what text-file mode reads alike and rejects everything else with its
// line number.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rcfile {

// Text-file mode reads only this many UTF-16 units of the file.
constexpr std::size_t kTextFileLimit = 512000;

struct ParseError
{
    int line;
    std::string message;
};

struct Entry
{
    int id = 0;
    int line = 0;
    std::size_t keySite = 0; // index of the tab before the key, in UTF-16 units of the file
    std::size_t textEnd = 0; // index of the closing quote
    std::u16string key;      // as written
    std::u16string text;     // as the program shows it (line breaks as CR LF)
};

// A tab in the file: text-file mode finds a key by searching for a tab followed by it.
struct TabSite
{
    std::size_t at;
    int line;
};

struct Parsed
{
    std::vector<Entry> entries; // file order
    std::vector<TabSite> tabs;
};

// Each throws ParseError.
// Strict UTF-8 to UTF-16; the first bad byte is reported on its line.
std::u16string decodeUtf8(const std::string &bytes);
Parsed parse(const std::u16string &file);
// Text-file mode must find every entry where the library has it: within the size limit, and
// not behind an earlier tab that is followed by a longer key starting with the same digits.
void checkTextFileReach(const std::u16string &file, const Parsed &parsed);

std::string toUtf8(std::u16string_view text);

} // namespace rcfile
