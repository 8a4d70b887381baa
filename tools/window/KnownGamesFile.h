#pragma once

#include <string>

#include "install/KnownGames.h"

// The games the player's window installed into, and where its file dialog opens, kept for the
// player under %LOCALAPPDATA%\StickShift, never in a game's folder.
extern KnownGames Known;

// Reads the list, leaving out the games whose folder a drive that answers shows gone, and
// writes it back where that changed it. Nothing is remembered where the folder cannot be found.
void LoadKnownGames();
void SaveKnownGames();

// The known game whose settings file is `settingsPath`, or empty.
std::wstring KnownProgramFor(const std::wstring& settingsPath);
