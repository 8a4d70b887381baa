#include "TuningPanel.h"

#include "TuningState.h"

#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "TuningDrawing.h"
#include "WindowControls.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "tuning/TunedSettings.h"
#include "watcher/KeyDecision.h"

namespace Tuning {

// The Key and Inner key lists' entries: each a HoldableKeyAt index, -1 for the heading, and
// NoKeyEntry for "none".
constexpr int NoKeyEntry = -2;
std::vector<int> KeyListEntries, InnerKeyListEntries;

std::vector<TuneTarget> Targets;
int Chosen = -1;
std::wstring FolderProgram, FolderSettings;
WatchedCopy Watched;

// The settings as the file gave them, and as the player has them now; and the file's facts
// when it was read, to tell whether it changed on disk since.
TunedSettings Read, Tuned;
WIN32_FILE_ATTRIBUTE_DATA ReadFacts;
bool ReadFileExisted = false;

// The window's own reading of the controller, decided with the module's code.
WatchState OwnState;
bool OwnHeld = false, OwnInnerHeld = false;

// What the picture shows.
SHORT StickX = 0, StickY = 0;
bool Held = false, InnerHeld = false, Paused = false;
std::deque<std::pair<SHORT, SHORT>> Trail;
PictureCircle Dragging = NoCircle;
int Ticks = 0;
std::pair<SHORT, SHORT> LargestPush = {0, 0};

const TuneTarget* ChosenTarget() {
    return Chosen >= 0 && Chosen < static_cast<int>(Targets.size()) ? &Targets[Chosen] : nullptr;
}

// The settings the module's own settings code stored, as the panel shows them; and back, so
// that the decision and the picture follow the panel.
TunedSettings TunedNow() {
    return {PercentFromStickUnits(ThresholdOn),
            PercentFromStickUnits(ThresholdOff),
            HeldKey,
            Mode,
            static_cast<std::int32_t>(ControllerIndex) + 1,
            OnlyWhenFocused,
            ForwardOnly,
            InnerRing,
            InnerKey,
            PercentFromStickUnits(InnerOn),
            PercentFromStickUnits(InnerOff),
            PauseWhileTrigger};
}

void UseTuned(const TunedSettings& settings) {
    ThresholdOn = PercentToStickUnits(settings.onPct);
    ThresholdOff = PercentToStickUnits(settings.offPct);
    HeldKey = settings.key;
    Mode = settings.mode;
    ControllerIndex = static_cast<unsigned long>(settings.controller - 1);
    OnlyWhenFocused = settings.onlyWhenFocused;
    ForwardOnly = settings.forwardOnly;
    InnerKey = settings.innerKey;
    InnerOn = PercentToStickUnits(settings.innerOnPct);
    InnerOff = PercentToStickUnits(settings.innerOffPct);
    InnerRing = settings.innerRing && InnerRingUseFor(InnerKey, HeldKey, InnerOn, InnerOff,
                                                      ThresholdOff) == InnerRingUsed;
    PauseWhileTrigger = settings.pause;
}

// A list of every key, keyboard keys first, then the controller's buttons under a heading of
// their own; "none" first where `none` names it.
void FillKeyList(int id, std::vector<int>& entries, const wchar_t* none) {
    if (none != nullptr) {
        entries.push_back(NoKeyEntry);
        SendMessageW(Control(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
    }
    HoldableKey key;
    for (const bool padButtons : {false, true}) {
        if (padButtons) {
            entries.push_back(-1);
            SendMessageW(Control(id), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(L"Controller buttons (no-loader form only):"));
        }
        for (std::size_t index = 0; HoldableKeyAt(index, key); ++index) {
            if ((key.padButton != 0) != padButtons)
                continue;
            entries.push_back(static_cast<int>(index));
            SendMessageW(Control(id), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(
                             Wide(std::string(padButtons ? "    " : "") + KeyLabel(key)).c_str()));
        }
    }
}

// Shows `shown` chosen in a key list; "none" for no key.
void SelectKey(int id, const std::vector<int>& entries, const HoldableKey* shown) {
    HoldableKey key;
    for (std::size_t entry = 0; entry < entries.size(); ++entry)
        if (shown == nullptr ? entries[entry] == NoKeyEntry
                             : entries[entry] >= 0 &&
                                   HoldableKeyAt(static_cast<std::size_t>(entries[entry]), key) &&
                                   std::string(key.name) == shown->name)
            SendMessageW(Control(id), CB_SETCURSEL, entry, 0);
}

// The entry picked in a key list: a key's HoldableKeyAt index, -1 for the heading, NoKeyEntry.
int PickedKeyEntry(int id, const std::vector<int>& entries) {
    const int entry = Selected(id);
    return entry >= 0 && entry < static_cast<int>(entries.size())
               ? entries[static_cast<std::size_t>(entry)]
               : -1;
}

void ShowSettings() {
    const struct {
        int bar, value;
        std::int32_t percent;
    } circles[] = {{OnBar, OnValue, Tuned.onPct}, {OffBar, OffValue, Tuned.offPct}};
    for (const auto& circle : circles) {
        SetScrollRange(Control(circle.bar), SB_CTL, 0, 100, FALSE);
        SetScrollPos(Control(circle.bar), SB_CTL, std::clamp(circle.percent, 0, 100), TRUE);
        SetText(circle.value, std::to_wstring(circle.percent) + L" %");
    }
    SelectKey(KeyChoice, KeyListEntries, &Tuned.key);
    SelectKey(InnerKeyChoice, InnerKeyListEntries, Tuned.innerRing ? &Tuned.innerKey : nullptr);
    SendMessageW(Control(PauseChoice), CB_SETCURSEL, Tuned.pause, 0);
    SendMessageW(Control(ModeChoice), CB_SETCURSEL, Tuned.mode, 0);
    SendMessageW(Control(ControllerChoice), CB_SETCURSEL, Tuned.controller - 1, 0);
    CheckDlgButton(Window, FocusCheck, Tuned.onlyWhenFocused ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Window, ForwardCheck, Tuned.forwardOnly ? BST_CHECKED : BST_UNCHECKED);
}

void SettingsChanged() {
    UseTuned(Tuned);
    ShowSettings();
    InvalidateRect(Control(TunePicture), nullptr, FALSE);
    if (ChosenTarget() != nullptr)
        SetText(TuneStatus,
                ChangedSettings(Read, Tuned).empty() ? L"As the file holds them." : L"Not saved.");
}

int Selected(int id) {
    return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

} // namespace Tuning

using namespace Tuning;

void CreateTuningPanel(int x) {
    WNDCLASSW pictureClass = {};
    pictureClass.lpfnWndProc = PictureProcedure;
    pictureClass.hInstance = GetModuleHandleW(nullptr);
    pictureClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    pictureClass.lpszClassName = L"StickShiftTuningPicture";
    RegisterClassW(&pictureClass);
    const DWORD list = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    AddControl(L"STATIC", L"&Tune:", SS_LEFT, TuneLabel, x, 16, 40, 20);
    AddControl(L"COMBOBOX", L"", list, TuneChoice, x + 44, 12, 292, 200);
    AddControl(L"STATIC", L"", SS_LEFT, TuneSource, x, 42, 336, 46);
    AddControl(L"StickShiftTuningPicture", L"", 0, TunePicture, x + 8, 92, PictureSize,
               PictureSize);
    AddControl(L"STATIC", L"", SS_LEFT, KeyState, x, 418, 336, 20);
    AddControl(L"STATIC", L"O&n:", SS_LEFT, OnLabel, x, 446, 40, 20);
    AddControl(L"SCROLLBAR", L"", WS_TABSTOP | SBS_HORZ, OnBar, x + 44, 442, 232, 20);
    AddControl(L"STATIC", L"", SS_LEFT, OnValue, x + 284, 446, 52, 20);
    AddControl(L"STATIC", L"O&ff:", SS_LEFT, OffLabel, x, 472, 40, 20);
    AddControl(L"SCROLLBAR", L"", WS_TABSTOP | SBS_HORZ, OffBar, x + 44, 468, 232, 20);
    AddControl(L"STATIC", L"", SS_LEFT, OffValue, x + 284, 472, 52, 20);
    AddControl(L"BUTTON", L"On &here", WS_TABSTOP | BS_PUSHBUTTON, OnHereButton, x, 496, 90, 26);
    AddControl(L"STATIC", L"&Key:", SS_LEFT, KeyLabelId, x + 104, 502, 36, 20);
    AddControl(L"COMBOBOX", L"", list, KeyChoice, x + 144, 498, 192, 300);
    AddControl(L"STATIC", L"&Inner key:", SS_LEFT, InnerKeyLabel, x, 534, 64, 20);
    AddControl(L"COMBOBOX", L"", list, InnerKeyChoice, x + 68, 530, 130, 300);
    AddControl(L"STATIC", L"Pa&use:", SS_LEFT, PauseLabel, x + 210, 534, 40, 20);
    AddControl(L"COMBOBOX", L"", list, PauseChoice, x + 254, 530, 82, 120);
    AddControl(L"STATIC", L"&Mode:", SS_LEFT, ModeLabel, x, 564, 40, 20);
    AddControl(L"COMBOBOX", L"", list, ModeChoice, x + 44, 560, 90, 100);
    AddControl(L"STATIC", L"&Controller:", SS_LEFT, ControllerLabel, x + 150, 564, 70, 20);
    AddControl(L"COMBOBOX", L"", list, ControllerChoice, x + 224, 560, 52, 120);
    AddControl(L"BUTTON", L"Only while the game has the &focus", WS_TABSTOP | BS_AUTOCHECKBOX,
               FocusCheck, x, 590, 336, 20);
    AddControl(L"BUTTON", L"Only a push for&ward (within 60 degrees)", WS_TABSTOP | BS_AUTOCHECKBOX,
               ForwardCheck, x, 612, 336, 20);
    AddControl(L"BUTTON", L"&Save", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, SaveButton, x, 636,
               90, 24);
    AddControl(L"BUTTON", L"&Revert", WS_TABSTOP | BS_PUSHBUTTON, RevertButton, x, 664, 90, 24);
    AddControl(L"BUTTON", L"&Defaults", WS_TABSTOP | BS_PUSHBUTTON, DefaultsButton, x, 692, 90, 24);
    AddControl(L"STATIC", L"", SS_LEFT, TuneStatus, x + 100, 636, 236, 80);
    FillKeyList(KeyChoice, KeyListEntries, nullptr);
    FillKeyList(InnerKeyChoice, InnerKeyListEntries, L"none");
    // The trigger whose pull lets go of the key: its name in the file.
    for (const PauseTrigger trigger : {PauseNever, PauseLeft, PauseRight, PauseBoth})
        SendMessageW(Control(PauseChoice), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Wide(PauseTriggerName(trigger)).c_str()));
    for (const KeyMode mode : {HoldMode, TapMode, ToggleMode})
        SendMessageW(Control(ModeChoice), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Wide(KeyModeName(mode)).c_str()));
    for (const wchar_t* number : {L"1", L"2", L"3", L"4"})
        SendMessageW(Control(ControllerChoice), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    ReadChosenSettings();
    RefreshTargets(L"");
    SetTimer(Window, TuningTimerId, TickMs, nullptr);
}

bool TuningCommand(WORD id, WORD code) {
    const bool picked = code == CBN_SELCHANGE;
    switch (id) {
    case TuneChoice:
        if (picked && Selected(TuneChoice) != Chosen && !TuningChangesSettled()) {
            SendMessageW(Control(TuneChoice), CB_SETCURSEL, Chosen, 0);
            return true;
        }
        if (picked && Selected(TuneChoice) != Chosen) {
            Chosen = Selected(TuneChoice);
            WatchChosen();
            ReadChosenSettings();
        }
        return true;
    case KeyChoice:
        if (picked) {
            const int index = PickedKeyEntry(KeyChoice, KeyListEntries);
            if (index >= 0)
                HoldableKeyAt(static_cast<std::size_t>(index), Tuned.key);
            SettingsChanged(); // the heading chosen: the key shown again
        }
        return true;
    case InnerKeyChoice:
        if (picked) {
            const int index = PickedKeyEntry(InnerKeyChoice, InnerKeyListEntries);
            if (index == NoKeyEntry)
                Tuned.innerRing = false;
            if (index >= 0) {
                HoldableKeyAt(static_cast<std::size_t>(index), Tuned.innerKey);
                Tuned.innerRing = true;
            }
            SettingsChanged();
        }
        return true;
    case PauseChoice:
        if (picked && Selected(PauseChoice) >= 0) {
            Tuned.pause = static_cast<PauseTrigger>(Selected(PauseChoice));
            SettingsChanged();
        }
        return true;
    case ModeChoice:
        if (picked && Selected(ModeChoice) >= 0) {
            Tuned.mode = static_cast<KeyMode>(Selected(ModeChoice));
            SettingsChanged();
        }
        return true;
    case ControllerChoice:
        if (picked && Selected(ControllerChoice) >= 0) {
            Tuned.controller = Selected(ControllerChoice) + 1;
            OwnState = WatchState();
            OwnHeld = OwnInnerHeld = false;
            SettingsChanged();
        }
        return true;
    case FocusCheck:
        Tuned.onlyWhenFocused = IsDlgButtonChecked(Window, FocusCheck) == BST_CHECKED;
        SettingsChanged();
        return true;
    case ForwardCheck:
        Tuned.forwardOnly = IsDlgButtonChecked(Window, ForwardCheck) == BST_CHECKED;
        SettingsChanged();
        return true;
    case OnHereButton:
        Tuned.onPct = PercentOfPush(StickX, StickY);
        SettingsChanged();
        return true;
    case SaveButton:
        Save();
        return true;
    case RevertButton: // back to the file as saved
        Tuned = Read;
        SettingsChanged();
        return true;
    case DefaultsButton: // not saved yet
        Tuned = DefaultTunedSettings();
        SettingsChanged();
        return true;
    }
    return false;
}

bool TuningScroll(HWND bar, WORD code, WORD position) {
    std::int32_t* percent = bar == Control(OnBar)    ? &Tuned.onPct
                            : bar == Control(OffBar) ? &Tuned.offPct
                                                     : nullptr;
    if (percent == nullptr)
        return false;
    const std::int32_t shown = std::clamp(*percent, 0, 100);
    std::int32_t next;
    switch (code) {
    case SB_LINELEFT:
        next = shown - 1;
        break;
    case SB_LINERIGHT:
        next = shown + 1;
        break;
    case SB_PAGELEFT:
        next = shown - 10;
        break;
    case SB_PAGERIGHT:
        next = shown + 10;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        next = position;
        break;
    case SB_LEFT:
        next = 0;
        break;
    case SB_RIGHT:
        next = 100;
        break;
    default:
        return true;
    }
    *percent = std::clamp(next, 0, 100);
    SettingsChanged();
    return true;
}

void TuningTimer(UINT_PTR timer) {
    if (timer == TuningTimerId)
        Tick();
}
