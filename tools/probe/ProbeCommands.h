#pragma once

// The probe's commands, each in a file of its own: the live view and the arguments in
// StickShiftProbe.cpp, --game, --install and --uninstall in ProbeInstall.cpp, --set in
// ProbeSet.cpp.

#include <string>
#include <vector>

#include "settings/LoadSettings.h"

// Prints text for the player, formatted as printf does, from UTF-8: to a console as wide
// characters, which show any letters whatever its code page; to a pipe or a file as UTF-8.
void Say(const char* format, ...);

// A line for each value of the file that the module cannot use, or may use otherwise than meant.
void PrintSurprises(const wchar_t* settingsPath, UnusableSettings unusable);

// --game: which architecture and which no-loader file suit the program at `path`; 2 when it is
// not a Windows program or cannot be read.
int DescribeGame(const wchar_t* path);

// --install, --uninstall and --game: the plan for the program at `path`, carried out unless
// `carryOut` is false. The exit code: 0 done (or nothing to do), 1 refused, or failed and put
// back, 2 not a program, 3 not wholly done.
int InstallOrRemove(const wchar_t* path, bool install, bool carryOut, bool despiteAntiCheat);

// --set: writes the settings into the file, as a player's editor would, and asks every running
// copy that reads that file to apply them. Exit code 0 written, 1 refused, 2 no file to write.
int SetSettings(const std::vector<std::wstring>& assignments, const wchar_t* settingsArgument);
