#pragma once

#include <string>
#include <vector>

// What the player's window remembers for the player, apart from any game's folder: the games it
// installed StickShift into, to offer them for tuning and removing later, and the folder where
// its file dialog opens. Paths are full, in UTF-8. Free of any platform call.

struct KnownGame {
    std::string program;      // the game's program
    std::string settingsPath; // the settings file the copy installed there reads
};

struct KnownGames {
    std::vector<KnownGame> games; // the one installed into last first
    std::string lastFolder;       // the folder of the program chosen last
};

constexpr std::size_t MostKnownGames = 64;

// The file's text, a line each: "game", the program and the settings path; "folder" and the
// last folder; tab-separated. A line that is not one of those, or whose path is not full, is
// left out, so that a damaged file costs only its damaged lines.
KnownGames ReadKnownGames(const std::string& text);
std::string KnownGamesText(const KnownGames& known);

// `game` first in the list, in place of any entry for the same program; the oldest beyond
// MostKnownGames drop off.
void RememberGame(KnownGames& known, const KnownGame& game);
void ForgetGame(KnownGames& known, const std::string& program);
const KnownGame* FindKnownGame(const KnownGames& known, const std::string& program);

// What choosing a game in the window, or installing there, changes in the list: `game` is
// remembered once installing left StickShift in its folder, forgotten once the folder is seen
// to hold none, and its settings path follows the copy. Whether the list changed.
bool NoteGame(KnownGames& known, const KnownGame& game, bool installedNow, bool stickShiftGone);

// The root of a full path: "C:\" or "\\server\share\"; empty for any other path.
std::string PathRoot(const std::string& path);

// Whether a known game stays on the list: only a drive that answers can show its folder gone.
// An unplugged drive, or a share out of reach, keeps it.
inline bool KeepKnownGame(bool driveAnswers, bool folderGone) {
    return !(driveAnswers && folderGone);
}
