#pragma once

// What the parts of the tuning panel share: its state, and the steps each part takes. The
// controls and the choice of file in TuningPanel.cpp, the live picture in TuningLive.cpp,
// saving in TuningSave.cpp.

#include <windows.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "../install/GameFolder.h"
#include "tuning/TunedSettings.h"
#include "tuning/TuningPicture.h"
#include "watcher/KeyDecision.h"

namespace Tuning {

constexpr UINT_PTR TuningTimerId = 1;
constexpr UINT TickMs = 30;
constexpr int TargetsEveryTicks = 33; // the running games looked for again about once a second
constexpr int PictureSize = 320;      // in 96-dpi units, as the snapshot's
constexpr std::size_t TrailLength = 12;

// A settings file the panel can tune: the one a running game's acting copy reads, or the one in
// a game's folder.
struct TuneTarget {
    std::wstring label;
    std::wstring settingsPath;
    unsigned long processId; // 0 for a game's folder
    std::string program;
    std::string settingsInUse;
    std::wstring gameProgram; // the game's program, where the window knows it, to offer Remove
};

extern std::vector<TuneTarget> Targets;
extern int Chosen;
// The game chosen in the window, if any, and the settings file its copy reads.
extern std::wstring FolderProgram, FolderSettings;
extern WatchedCopy Watched;

// The settings as the file gave them, and as the player has them now; and the file's facts
// when it was read, to tell whether it changed on disk since.
extern TunedSettings Read, Tuned;
extern WIN32_FILE_ATTRIBUTE_DATA ReadFacts;
extern bool ReadFileExisted;

// The window's own reading of the controller, decided with the module's code.
extern WatchState OwnState;
extern bool OwnHeld, OwnInnerHeld;

// What the picture shows.
extern SHORT StickX, StickY;
extern bool Held, InnerHeld, Paused;
extern std::deque<std::pair<SHORT, SHORT>> Trail;
extern PictureCircle Dragging;
extern int Ticks;
// The largest push since the target was chosen.
extern std::pair<SHORT, SHORT> LargestPush;

const TuneTarget* ChosenTarget();
bool FileFacts(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& facts);
TunedSettings TunedNow();
void UseTuned(const TunedSettings& settings);
int GripPixels();
TuningPicture LayOutNow();
void ShowSettings();
void SettingsChanged();
void WatchChosen();
std::wstring ReadChosenSettings();
void RefreshTargets(std::wstring wanted);
void Save();
void Tick();
LRESULT CALLBACK PictureProcedure(HWND picture, UINT message, WPARAM wParam, LPARAM lParam);
int Selected(int id);

} // namespace Tuning
