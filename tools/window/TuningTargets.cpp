// The choice of what to tune: the running games where StickShift acts and the game chosen in
// the window, each by its settings file, and what the panel reads of the one chosen.

#include "TuningPanel.h"

#include "TuningState.h"

#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "KnownGamesFile.h"
#include "TuningDrawing.h"
#include "WindowControls.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "tuning/TunedSettings.h"
#include "watcher/KeyDecision.h"

namespace Tuning {

std::wstring ProgramName(const std::wstring& program) {
    return program.substr(program.find_last_of(L'\\') + 1);
}

// While the picture is a running game's, the window stays on top without taking the focus, so
// that the game keeps the focus, and with it the controller.
void WatchChosen() {
    StopWatching(Watched);
    const TuneTarget* target = ChosenTarget();
    const bool running = target != nullptr && target->processId != 0;
    if (running)
        Watched = WatchActingCopy(target->processId);
    const LONG_PTR style = GetWindowLongPtrW(Window, GWL_EXSTYLE);
    SetWindowLongPtrW(Window, GWL_EXSTYLE,
                      running ? style | WS_EX_NOACTIVATE : style & ~LONG_PTR{WS_EX_NOACTIVATE});
    SetWindowPos(Window, running ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Reads the chosen file with the module's own settings code; the sample's settings, which
// nothing saves, while no file is chosen. Returns a line for each value the module cannot use,
// or may use otherwise than meant, after the file's name.
std::wstring ReadChosenSettings() {
    const TuneTarget* target = ChosenTarget();
    const std::wstring path = target != nullptr ? target->settingsPath : SampleSettings(ToolPath());
    std::wstring notes;
    for (const std::string& line :
         SettingsSurprises(path.c_str(), LoadSettingsForTools(path.c_str())))
        notes += L"\r\n" + Wide(line) + L".";
    Read = Tuned = TunedNow();
    ReadFileExisted = FileFacts(path, ReadFacts);
    LargestPush = {0, 0};
    OwnState = WatchState();
    OwnHeld = OwnInnerHeld = false;
    ShowSettings();
    InvalidateRect(Control(TunePicture), nullptr, FALSE);
    EnableWindow(Control(SaveButton), target != nullptr);
    SetText(TuneStatus, target == nullptr ? L"Add StickShift to a game, or start a game it is "
                                            L"in, to tune it here."
                        : ReadFileExisted ? L"Settings from " + path + notes
                                          : L"No settings file yet: the defaults apply. Save "
                                            L"writes " +
                                                path);
    return notes;
}

// Looks for the running games again, keeping the choice by its file: `wanted`, else the one
// chosen, else the first. The unsaved changes stay while the file stays the same.
void RefreshTargets(std::wstring wanted) {
    std::vector<TuneTarget> targets;
    for (const ActingCopy& copy : ActingCopies())
        if (!copy.elevated && !copy.settingsPath.empty())
            targets.push_back({Wide(copy.program) + L" (running): " + copy.settingsPath,
                               copy.settingsPath, copy.processId, copy.program, copy.settingsInUse,
                               KnownProgramFor(copy.settingsPath)});
    const auto listed = [&targets](const std::wstring& settingsPath) {
        return std::any_of(targets.begin(), targets.end(), [&](const TuneTarget& target) {
            return SamePath(target.settingsPath, settingsPath);
        });
    };
    if (!FolderSettings.empty() && !listed(FolderSettings))
        targets.push_back({(KnownProgramFor(FolderSettings).empty()
                                ? L"The game's folder: "
                                : ProgramName(FolderProgram) + L" (installed): ") +
                               FolderSettings,
                           FolderSettings, 0, "", "", FolderProgram});
    // The games installed into earlier, to tune or remove while they do not run.
    for (const KnownGame& game : Known.games)
        if (!listed(Wide(game.settingsPath)))
            targets.push_back(
                {ProgramName(Wide(game.program)) + L" (installed): " + Wide(game.settingsPath),
                 Wide(game.settingsPath), 0, "", "", Wide(game.program)});
    const TuneTarget* chosen = ChosenTarget();
    const std::wstring before = chosen != nullptr ? chosen->settingsPath : L"";
    const unsigned long beforeProcess = chosen != nullptr ? chosen->processId : 0;
    if (wanted.empty())
        wanted = before;
    const bool sameList = std::equal(targets.begin(), targets.end(), Targets.begin(), Targets.end(),
                                     [](const TuneTarget& a, const TuneTarget& b) {
                                         return a.processId == b.processId && a.label == b.label &&
                                                SamePath(a.settingsPath, b.settingsPath);
                                     });
    if (sameList && SamePath(wanted, before)) {
        Targets = targets; // the settings each game uses now
        return;
    }
    // Best the same file in the same process, then the same file, then the first.
    int index = targets.empty() ? -1 : 0, best = 0;
    for (int i = 0; i < static_cast<int>(targets.size()); ++i) {
        const int match = !SamePath(targets[i].settingsPath, wanted) ? 0
                          : targets[i].processId != beforeProcess    ? 1
                                                                     : 2;
        if (match > best) {
            best = match;
            index = i;
        }
    }
    Targets = targets;
    Chosen = index;
    const HWND list = Control(TuneChoice);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const TuneTarget& target : Targets)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(target.label.c_str()));
    SendMessageW(list, CB_SETCURSEL, Chosen, 0);
    const TuneTarget* now = ChosenTarget();
    if (now == nullptr || now->processId != beforeProcess || !SamePath(now->settingsPath, before))
        WatchChosen();
    if (now == nullptr || !SamePath(now->settingsPath, before))
        ReadChosenSettings();
}

} // namespace Tuning

using namespace Tuning;

void TuneGameFolder(const std::wstring& program, const std::wstring& settingsPath) {
    FolderProgram = program;
    FolderSettings = settingsPath;
    RefreshTargets(FolderSettings);
    // Installing may have just put the sample there: read it, unless the player changed some.
    const TuneTarget* target = ChosenTarget();
    if (target != nullptr && SamePath(target->settingsPath, FolderSettings) &&
        ChangedSettings(Read, Tuned).empty())
        ReadChosenSettings();
}

std::wstring TunedGameProgram() {
    const TuneTarget* target = ChosenTarget();
    return target != nullptr ? target->gameProgram : L"";
}

bool TuningChangesSettled() {
    const TuneTarget* target = ChosenTarget();
    if (target == nullptr || ChangedSettings(Read, Tuned).empty())
        return true;
    switch (MessageBoxW(
        Window, (L"The changes to " + target->settingsPath + L" are not saved. Save them?").c_str(),
        L"StickShift", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        Save();
        return ChangedSettings(Read, Tuned).empty(); // saved, and read again
    case IDNO:
        return true;
    default:
        return false;
    }
}
