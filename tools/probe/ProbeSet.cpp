// --set KEY=VALUE: settings written as a player's editor would, then applied by the running
// games that read the file.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "GameProgram.h"
#include "ProbeCommands.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/StickShiftFile.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "shortcuts/SystemShortcuts.h"
#include "watcher/KeyDecision.h"

namespace {

// The value `text` for the key named `key`, as the module would use it; false, saying why,
// for a key the probe does not know or a value the module cannot use. `key`, and a key's or a
// mode's name in `text`, become their own spelling.
bool UsableSetting(std::wstring& key, std::wstring& text) {
    static const wchar_t* const keys[] = {
        ThresholdOnKey, ThresholdOffKey,    KeyNameKey,          ControllerKey,
        ModeKey,        OnlyWhenFocusedKey, ForwardOnlyKey,      InnerKeyKey,
        InnerOnKey,     InnerOffKey,        PauseWhileTriggerKey};
    const wchar_t* known = nullptr;
    for (const wchar_t* candidate : keys)
        if (CompareStringOrdinal(candidate, -1, key.c_str(), -1, TRUE) == CSTR_EQUAL)
            known = candidate;
    const std::string shown = Utf8(text.c_str());
    if (known == nullptr) {
        Say("%s is not a setting StickShift knows\n", Utf8(key.c_str()).c_str());
        return false;
    }
    key = known;
    wchar_t name[KeyNameCapacity] = L"";
    lstrcpynW(name, text.c_str(), KeyNameCapacity);
    HoldableKey heldKey;
    KeyMode mode;
    PauseTrigger trigger;
    unsigned long index;
    const bool number = IsWholeNumber(text.c_str());
    // An empty InnerKey takes the inner ring away.
    const bool names = key == KeyNameKey || key == InnerKeyKey;
    const bool noInnerKey = key == InnerKeyKey && IsBlankName(name);
    if (names && !noInnerKey && (text.size() >= KeyNameCapacity || !KeyFromName(name, heldKey))) {
        Say("%ls \"%s\" is not a key StickShift knows\n", known, shown.c_str());
        return false;
    }
    if (key == PauseWhileTriggerKey &&
        (text.size() >= KeyNameCapacity || !PauseTriggerFromName(name, trigger))) {
        Say("%ls \"%s\" is not Left, Right, Both or Off\n", known, shown.c_str());
        return false;
    }
    if (key == ModeKey && (text.size() >= KeyNameCapacity || !KeyModeFromName(name, mode))) {
        Say("%ls \"%s\" is not a mode StickShift knows\n", known, shown.c_str());
        return false;
    }
    if (key == ControllerKey &&
        (!number || !ControllerIndexFromNumber(std::wcstol(text.c_str(), nullptr, 10), index))) {
        Say("%ls \"%s\" is not a controller from 1 to 4\n", known, shown.c_str());
        return false;
    }
    if (!names && key != ModeKey && key != PauseWhileTriggerKey && !number) {
        Say("%ls \"%s\" is not a number\n", known, shown.c_str());
        return false;
    }
    if (names)
        text = noInnerKey ? L"" : Wide(heldKey.name);
    if (key == PauseWhileTriggerKey)
        text = Wide(PauseTriggerName(trigger));
    if (key == ModeKey)
        text = Wide(KeyModeName(mode));
    return true;
}

} // namespace

int SetSettings(const std::vector<std::wstring>& assignments, const wchar_t* settingsArgument) {
    std::vector<std::pair<std::string, std::string>> changes;
    for (const std::wstring& assignment : assignments) {
        const std::size_t equals = assignment.find(L'=');
        std::wstring key = assignment.substr(0, equals);
        std::wstring value = equals == std::wstring::npos ? L"" : assignment.substr(equals + 1);
        if (equals == std::wstring::npos || !UsableSetting(key, value)) {
            Say("Nothing was written.\n");
            return 1;
        }
        changes.push_back({Utf8(key), Utf8(value)});
    }
    std::wstring settingsPath;
    if (settingsArgument != nullptr) {
        settingsPath = FullPath(settingsArgument);
        // As administrator, what this writes could be any file: only a StickShift copy's own.
        if (RunsElevated() && !IsSettingsFileBesideACopy(settingsPath)) {
            Say("%s is no StickShift copy's settings file: nothing was written as administrator.\n",
                Utf8(settingsPath).c_str());
            return 2;
        }
    } else {
        const std::vector<ActingCopy> copies = ActingCopies();
        if (copies.size() != 1 || copies.front().settingsPath.empty()) {
            Say("%s: name the file with --settings\n", copies.empty()
                                                           ? "StickShift acts in no running program"
                                                           : "StickShift acts in several programs");
            return 2;
        }
        settingsPath = copies.front().settingsPath;
        // Any program may write a record: its path is written only where it is a copy's own.
        if (!IsSettingsFileOfACopy(copies.front().processId, settingsPath)) {
            Say("%s names %s as StickShift's settings file, but no StickShift copy that "
                "it has loaded reads that file: nothing was written. Name the file with "
                "--settings\n",
                copies.front().program.c_str(), Utf8(settingsPath.c_str()).c_str());
            return 2;
        }
    }
    std::string refused;
    bool deniedRights = false;
    if (!WriteSettingsFile(settingsPath, changes, refused, &deniedRights)) {
        Say("Cannot write %s%s%s\n", Utf8(settingsPath.c_str()).c_str(),
            refused.empty() ? "" : ": ", refused.c_str());
        if (deniedRights)
            Say("Its folder can be changed only as administrator: run this from an "
                "administrator's command prompt.\n");
        return 2;
    }
    Say("Wrote %s\n", Utf8(settingsPath.c_str()).c_str());
    PrintSurprises(settingsPath.c_str(), LoadSettingsForTools(settingsPath.c_str()));
    for (const std::string& line : AskRunningCopiesToApply(settingsPath))
        Say("%s\n", line.c_str());
    return 0;
}
