#include "install/KnownGames.h"

#include <algorithm>

namespace {

// Windows compares file names in any letter case; these paths come from the same dialog and
// the same plans, so ASCII letters are what differ in practice.
bool SameProgram(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool IsFullPath(const std::string& path) {
    return !PathRoot(path).empty() && path.find_first_of("\t\r\n") == std::string::npos;
}

} // namespace

std::string PathRoot(const std::string& path) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\')
        return path.substr(0, 3);
    if (path.rfind("\\\\", 0) != 0 || path.rfind("\\\\?", 0) == 0 || path.rfind("\\\\.", 0) == 0)
        return "";
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos || server == 2)
        return "";
    const std::size_t share = path.find('\\', server + 1);
    if (share == std::string::npos || share == server + 1)
        return "";
    return path.substr(0, share + 1);
}

KnownGames ReadKnownGames(const std::string& text) {
    KnownGames known;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (fields.size() == 3 && fields[0] == "game" && IsFullPath(fields[1]) &&
            IsFullPath(fields[2]) && known.games.size() < MostKnownGames &&
            FindKnownGame(known, fields[1]) == nullptr)
            known.games.push_back({fields[1], fields[2]});
        else if (fields.size() == 2 && fields[0] == "folder" && IsFullPath(fields[1]))
            known.lastFolder = fields[1];
    }
    return known;
}

std::string KnownGamesText(const KnownGames& known) {
    std::string text;
    for (const KnownGame& game : known.games)
        text += "game\t" + game.program + "\t" + game.settingsPath + "\r\n";
    if (!known.lastFolder.empty())
        text += "folder\t" + known.lastFolder + "\r\n";
    return text;
}

void RememberGame(KnownGames& known, const KnownGame& game) {
    if (!IsFullPath(game.program) || !IsFullPath(game.settingsPath))
        return;
    ForgetGame(known, game.program);
    known.games.insert(known.games.begin(), game);
    if (known.games.size() > MostKnownGames)
        known.games.resize(MostKnownGames);
}

void ForgetGame(KnownGames& known, const std::string& program) {
    known.games.erase(
        std::remove_if(known.games.begin(), known.games.end(),
                       [&](const KnownGame& game) { return SameProgram(game.program, program); }),
        known.games.end());
}

const KnownGame* FindKnownGame(const KnownGames& known, const std::string& program) {
    for (const KnownGame& game : known.games)
        if (SameProgram(game.program, program))
            return &game;
    return nullptr;
}

bool NoteGame(KnownGames& known, const KnownGame& game, bool installedNow, bool stickShiftGone) {
    const bool wasKnown = FindKnownGame(known, game.program) != nullptr;
    if (stickShiftGone) {
        ForgetGame(known, game.program);
        return wasKnown;
    }
    if (installedNow) {
        RememberGame(known, game);
        return true;
    }
    for (KnownGame& entry : known.games)
        if (SameProgram(entry.program, game.program) && entry.settingsPath != game.settingsPath) {
            entry.settingsPath = game.settingsPath;
            return true;
        }
    return false;
}
