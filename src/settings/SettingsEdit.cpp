#include "settings/SettingsEdit.h"

#include <cctype>

namespace {

struct Line {
    std::size_t start, end, next; // the text, without its line end; the next line's start
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back({start, end, next});
        start = next;
    }
    return lines;
}

std::string Trimmed(const std::string& text, std::size_t start, std::size_t end) {
    while (start < end && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(start, end - start);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The section a line opens, or "" for none.
bool OpensSection(const std::string& line, std::string& name) {
    if (line.size() < 2 || line.front() != '[')
        return false;
    const std::size_t close = line.find(']');
    name = Trimmed(line, 1, close == std::string::npos ? line.size() : close);
    return true;
}

} // namespace

std::string WithSettings(const std::string& text,
                         const std::vector<std::pair<std::string, std::string>>& changes) {
    std::string result = text;
    for (const auto& change : changes) {
        const std::vector<Line> lines = SplitLines(result);
        const std::string lineEnd = result.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        bool inSettings = false;
        std::size_t insertAt = std::string::npos; // after the section's last line that is not blank
        bool replaced = false;
        for (const Line& line : lines) {
            const std::string content = Trimmed(result, line.start, line.end);
            std::string section;
            if (OpensSection(content, section)) {
                inSettings = SameName(section, "Settings");
                if (inSettings)
                    insertAt = line.next;
                continue;
            }
            if (!inSettings || content.empty())
                continue;
            insertAt = line.next;
            const std::size_t equals = result.find('=', line.start);
            if (content[0] == ';' || equals == std::string::npos || equals >= line.end ||
                !SameName(Trimmed(result, line.start, equals), change.first))
                continue;
            std::size_t value = equals + 1;
            while (value < line.end && (result[value] == ' ' || result[value] == '\t'))
                ++value;
            result.replace(value, line.end - value, change.second);
            replaced = true;
            break;
        }
        if (replaced)
            continue;
        const std::string keyLine = change.first + "=" + change.second + lineEnd;
        if (insertAt == std::string::npos) {
            if (!result.empty() && result.back() != '\n')
                result += lineEnd;
            result += "[Settings]" + lineEnd + keyLine;
        } else {
            // The section's last line may end the file without a line end.
            const bool ended = insertAt > 0 && result[insertAt - 1] == '\n';
            result.insert(insertAt,
                          ended ? keyLine
                                : lineEnd + keyLine.substr(0, keyLine.size() - lineEnd.size()));
        }
    }
    return result;
}
