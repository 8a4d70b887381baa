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

const char Utf8Mark[] = "\xEF\xBB\xBF";

// UTF-16LE code units to UTF-8; false for a unit that stands alone (half a pair), which could
// not come back byte for byte.
bool Utf16ToUtf8(const std::string& bytes, std::size_t start, std::string& text) {
    if ((bytes.size() - start) % 2 != 0)
        return false;
    const auto unit = [&bytes](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    for (std::size_t at = start; at < bytes.size(); at += 2) {
        unsigned c = unit(at);
        if (c >= 0xDC00 && c < 0xE000)
            return false;
        if (c >= 0xD800 && c < 0xDC00) {
            if (at + 4 > bytes.size() || unit(at + 2) < 0xDC00 || unit(at + 2) >= 0xE000)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        }
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | c >> 12);
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | c >> 18);
            text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

// Back again: the text came from Utf16ToUtf8, and what the edit added is ASCII.
std::string Utf8ToUtf16(const std::string& text) {
    std::string bytes;
    const auto put = [&bytes](unsigned unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    };
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t i = 1; i < length && at + i < text.size(); ++i)
            c = c << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        at += length;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return bytes;
}

} // namespace

bool HasUtf8Mark(const std::string& bytes) {
    return bytes.compare(0, 3, Utf8Mark) == 0;
}

bool EditSettingsBytes(const std::string& bytes,
                       const std::vector<std::pair<std::string, std::string>>& changes,
                       std::string& edited, std::string& refused) {
    edited.clear();
    refused.clear();
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        refused = "it is saved as UTF-16 big-endian: save it as ANSI, UTF-8 or UTF-16 LE first";
        return false;
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::string text;
        if (!Utf16ToUtf8(bytes, 2, text)) {
            refused = "it is saved as UTF-16 but is not whole: it could not be written back as "
                      "it was";
            return false;
        }
        edited = "\xFF\xFE" + Utf8ToUtf16(WithSettings(text, changes));
        return true;
    }
    edited = WithSettings(HasUtf8Mark(bytes) ? bytes.substr(3) : bytes, changes);
    return true;
}

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
        // A file that ends in half a line end, a CR alone, has it completed.
        const auto ending = [&result, &lineEnd](std::size_t at) {
            return at > 0 && result[at - 1] == '\r' ? std::string("\n") : lineEnd;
        };
        if (insertAt == std::string::npos) {
            if (!result.empty() && result.back() != '\n')
                result += ending(result.size());
            result += "[Settings]" + lineEnd + keyLine;
        } else {
            // The section's last line may end the file without a line end.
            const bool ended = insertAt > 0 && result[insertAt - 1] == '\n';
            result.insert(insertAt, ended ? keyLine
                                          : ending(insertAt) +
                                                keyLine.substr(0, keyLine.size() - lineEnd.size()));
        }
    }
    return result;
}
