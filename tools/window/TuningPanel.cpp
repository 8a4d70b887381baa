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

// The Key list's entries: each a HoldableKeyAt index, or -1 for the heading.
std::vector<int> KeyListEntries;

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
bool OwnHeld = false;

// What the picture shows.
SHORT StickX = 0, StickY = 0;
bool Held = false;
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
            ForwardOnly};
}

void UseTuned(const TunedSettings& settings) {
    ThresholdOn = PercentToStickUnits(settings.onPct);
    ThresholdOff = PercentToStickUnits(settings.offPct);
    HeldKey = settings.key;
    Mode = settings.mode;
    ControllerIndex = static_cast<unsigned long>(settings.controller - 1);
    OnlyWhenFocused = settings.onlyWhenFocused;
    ForwardOnly = settings.forwardOnly;
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
    HoldableKey key;
    for (std::size_t entry = 0; entry < KeyListEntries.size(); ++entry)
        if (KeyListEntries[entry] >= 0 &&
            HoldableKeyAt(static_cast<std::size_t>(KeyListEntries[entry]), key) &&
            std::string(key.name) == Tuned.key.name)
            SendMessageW(Control(KeyChoice), CB_SETCURSEL, entry, 0);
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
    AddControl(L"STATIC", L"&Mode:", SS_LEFT, ModeLabel, x, 534, 40, 20);
    AddControl(L"COMBOBOX", L"", list, ModeChoice, x + 44, 530, 90, 100);
    AddControl(L"STATIC", L"&Controller:", SS_LEFT, ControllerLabel, x + 150, 534, 70, 20);
    AddControl(L"COMBOBOX", L"", list, ControllerChoice, x + 224, 530, 52, 120);
    AddControl(L"BUTTON", L"Only while the game has the &focus", WS_TABSTOP | BS_AUTOCHECKBOX,
               FocusCheck, x, 560, 336, 20);
    AddControl(L"BUTTON", L"Only a push for&ward (within 60 degrees)", WS_TABSTOP | BS_AUTOCHECKBOX,
               ForwardCheck, x, 582, 336, 20);
    AddControl(L"BUTTON", L"&Save", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, SaveButton, x, 606,
               90, 24);
    AddControl(L"BUTTON", L"&Revert", WS_TABSTOP | BS_PUSHBUTTON, RevertButton, x, 634, 90, 24);
    AddControl(L"BUTTON", L"&Defaults", WS_TABSTOP | BS_PUSHBUTTON, DefaultsButton, x, 662, 90, 24);
    AddControl(L"STATIC", L"", SS_LEFT, TuneStatus, x + 100, 606, 236, 80);
    // Keyboard keys first, then the controller's buttons under a heading of their own.
    HoldableKey key;
    for (const bool padButtons : {false, true}) {
        if (padButtons) {
            KeyListEntries.push_back(-1);
            SendMessageW(Control(KeyChoice), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(L"Controller buttons (no-loader form only):"));
        }
        for (std::size_t index = 0; HoldableKeyAt(index, key); ++index) {
            if ((key.padButton != 0) != padButtons)
                continue;
            KeyListEntries.push_back(static_cast<int>(index));
            SendMessageW(Control(KeyChoice), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(
                             Wide(std::string(padButtons ? "    " : "") + KeyLabel(key)).c_str()));
        }
    }
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
            const int entry = Selected(KeyChoice);
            const int index = entry >= 0 && entry < static_cast<int>(KeyListEntries.size())
                                  ? KeyListEntries[static_cast<std::size_t>(entry)]
                                  : -1;
            if (index >= 0)
                HoldableKeyAt(static_cast<std::size_t>(index), Tuned.key);
            SettingsChanged(); // the heading chosen: the key shown again
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
            OwnHeld = false;
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
