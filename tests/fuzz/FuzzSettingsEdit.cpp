// libFuzzer target: the settings editor, on any file a player may have saved. After an edit the
// file reads the new value, as the module's profile routine finds a key (the first line of a
// Settings section whose name matches in any letter case), and every line it did not change is
// as it was; a file in UTF-16 with no change comes back byte for byte.

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/SettingsEdit.h"

namespace {

const char* const Keys[] = {"ThresholdOnPct", "ThresholdOffPct", "Key", "Mode", "Controller"};

std::string Trimmed(const std::string& text) {
    std::size_t start = 0, end = text.size();
    while (start < end && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(start, end - start);
}

bool SameName(std::string a, std::string b) {
    for (char& c : a)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : b)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == b;
}

// The lines, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

bool ReadsAs(const std::string& text, const std::string& key, const std::string& value) {
    bool inSettings = false;
    for (const std::string& line : Lines(text)) {
        const std::string content = Trimmed(line);
        if (content.size() >= 2 && content[0] == '[') {
            const std::size_t close = content.find(']');
            inSettings = SameName(Trimmed(content.substr(1, close == std::string::npos
                                                                 ? std::string::npos
                                                                 : close - 1)),
                                  "Settings");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSettings || content.empty() || content[0] == ';' || equals == std::string::npos ||
            !SameName(Trimmed(line.substr(0, equals)), key))
            continue;
        return Trimmed(line.substr(equals + 1)) == value;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::string key = Keys[data[0] % 5];
    const std::string value = std::to_string(data[1]);
    const std::string before(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::string edited, refused;
    if (EditSettingsBytes(before, {}, edited, refused) && before.compare(0, 2, "\xFF\xFE") == 0 &&
        edited != before)
        std::abort();
    EditSettingsBytes(before, {{key, value}}, edited, refused);

    const std::string after = WithSettings(before, {{key, value}});
    if (!ReadsAs(after, key, value))
        std::abort();
    // One line changed or added, or a section and its line added; the last line may gain a
    // line end. Everything before and after it is as it was.
    const std::vector<std::string> was = Lines(before), is = Lines(after);
    std::size_t same = 0;
    while (same < was.size() && same < is.size() && was[same] == is[same])
        ++same;
    std::size_t sameAtEnd = 0;
    while (sameAtEnd + same < was.size() && sameAtEnd + same < is.size() &&
           was[was.size() - 1 - sameAtEnd] == is[is.size() - 1 - sameAtEnd])
        ++sameAtEnd;
    if (was.size() - same - sameAtEnd > 1 || is.size() - same - sameAtEnd > 2)
        std::abort();
    return 0;
}
