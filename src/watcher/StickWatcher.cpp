#include "watcher/StickWatcher.h"

#include <atomic>

#include "shared/ModuleForm.h"
#include "shared/ProcessRecord.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "settings/LoadSettings.h"
#include "shortcuts/SystemShortcuts.h"
#include "watcher/KeyDecision.h"

namespace {

// A key the watcher holds: the outer ring's, or the inner ring's. The keyboard mark goes down
// before the press is sent and up only after a release has gone through, so that a thread ended
// between the two steps leaves the mark down and detach sends the release it missed. An event
// the system refuses (SendInput inserts nothing) changes nothing: the next poll tries again. A
// controller button is held in what the game reads through the no-loader form, never sent as a
// keyboard event: whether it is held is read there, where the game's own read may change it.
// `down` is the key as it went down, or the one the settings name while none is: every release
// lets go of that one, whatever the settings say by then; written before the mark goes down.
struct KeySlot {
    std::atomic<bool> keyboardHeld{false};
    HoldableKey down = LeftShift;
};
KeySlot Outer, Inner;
DWORD KeyDownController = 0; // the controller of both keys' buttons

bool SendKeyEvent(const HoldableKey& key, bool release) {
    INPUT keyEvent = {};
    keyEvent.type = INPUT_KEYBOARD;
    keyEvent.ki.wVk = key.virtualKey;
    keyEvent.ki.wScan = key.scanCode;
    keyEvent.ki.dwFlags =
        (release ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return SendInput(1, &keyEvent, sizeof(INPUT)) == 1;
}

bool Held(const KeySlot& slot) {
    return slot.keyboardHeld ||
           (slot.down.padButton != 0 &&
            (static_cast<std::uint16_t>(PadButtonStateNow()) & slot.down.padButton) != 0);
}

bool PressKey(KeySlot& slot, const HoldableKey& key) {
    slot.down = key;
    KeyDownController = ControllerIndex;
    if (key.padButton != 0) {
        ChangePadButtons(KeyDownController, key.padButton, 0);
        return true;
    }
    slot.keyboardHeld = true;
    const bool sent = SendKeyEvent(key, false);
    if (!sent)
        slot.keyboardHeld = false;
    return sent;
}

bool ReleaseKey(KeySlot& slot) {
    if (slot.down.padButton != 0) {
        ChangePadButtons(KeyDownController, 0, slot.down.padButton);
        return true;
    }
    if (!SendKeyEvent(slot.down, true))
        return false;
    slot.keyboardHeld = false;
    return true;
}

// What the game's own read decides a controller button with, published by the watcher: the
// version is odd while it is written, so that a read that meets it then decides nothing and
// never waits. No button: the read decides nothing.
struct GamesReadDecision {
    DecisionSettings settings;
    DWORD controller;
    std::uint16_t button;
    bool onlyWhenFocused;
};
GamesReadDecision ReadDecision;
std::atomic<unsigned> ReadDecisionVersion{0};

// Where no key is down, the keys the settings name now; and what the game's read decides with.
void FollowSettings(const DecisionSettings& settings) {
    if (!Outer.keyboardHeld)
        Outer.down = HeldKey;
    if (!Inner.keyboardHeld)
        Inner.down = InnerRing ? InnerKey : HoldableKey{};
    KeyDownController = ControllerIndex;
    SetPadController(ControllerIndex);
    const unsigned version = ReadDecisionVersion.load(std::memory_order_relaxed);
    ReadDecisionVersion.store(version + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    // Hold only: a tap's length is counted in the watcher's turns.
    ReadDecision = {settings, ControllerIndex,
                    static_cast<std::uint16_t>(Mode == HoldMode ? HeldKey.padButton : 0),
                    OnlyWhenFocused};
    ReadDecisionVersion.store(version + 2, std::memory_order_release);
}

bool KeyChanged(const KeySlot& slot, const HoldableKey& now) {
    return now.virtualKey != slot.down.virtualKey || now.padButton != slot.down.padButton ||
           ControllerIndex != KeyDownController;
}

// Whether a window of this process has the foreground. None at all (a locked desktop, or no
// display) counts as the game being in the background.
bool GameHasForeground() {
    DWORD owner = 0;
    const HWND foreground = GetForegroundWindow();
    return foreground != nullptr && GetWindowThreadProcessId(foreground, &owner) != 0 &&
           owner == GetCurrentProcessId();
}

// The integrity level in `token`: the last part of its label's SID (revision, the count of its
// parts, six bytes of authority, then the parts).
bool IntegrityLevel(HANDLE token, DWORD& level) {
    alignas(TOKEN_MANDATORY_LABEL) BYTE label[64];
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size))
        return false;
    const auto* sid =
        static_cast<const BYTE*>(reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label)->Label.Sid);
    const BYTE parts = sid[1];
    if (parts == 0 || sid + 8 + 4 * parts > label + size)
        return false;
    CopyMemory(&level, sid + 8 + 4 * (parts - 1), sizeof level);
    return true;
}

// Whether the window in front may drop injected input without a word: one of a process of
// higher integrity than the game's, or one whose token cannot be queried (an elevated program's,
// from a program that is not). Asked only as a release is sent, and on each turn while one is
// owed.
bool ForegroundMayRefuseInput() {
    DWORD owner = 0;
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr || GetWindowThreadProcessId(foreground, &owner) == 0 ||
        owner == GetCurrentProcessId())
        return false;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
    HANDLE token = nullptr;
    DWORD theirs = 0, ours = 0;
    const bool known = process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token) &&
                       IntegrityLevel(token, theirs) &&
                       IntegrityLevel(GetCurrentProcessToken(), ours);
    if (token != nullptr)
        CloseHandle(token);
    if (process != nullptr)
        CloseHandle(process);
    return !known || theirs > ours;
}

bool SettingsFileOpens() {
    const HANDLE file = CreateFileW(LoadedSettingsPath, GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Every setting the file gives, as it was before a save is applied.
struct LoadedSettings {
    std::int32_t thresholdOn, thresholdOff;
    HoldableKey key;
    unsigned long controller;
    bool onlyWhenFocused;
    KeyMode mode;
    bool forwardOnly;
    bool innerRing;
    HoldableKey innerKey;
    std::int32_t innerOn, innerOff;
    PauseTrigger pause;
};

LoadedSettings SettingsNow() {
    return {ThresholdOn,     ThresholdOff, HeldKey,     ControllerIndex,
            OnlyWhenFocused, Mode,         ForwardOnly, InnerRing,
            InnerKey,        InnerOn,      InnerOff,    PauseWhileTrigger};
}

void UseSettings(const LoadedSettings& settings) {
    ThresholdOn = settings.thresholdOn;
    ThresholdOff = settings.thresholdOff;
    HeldKey = settings.key;
    ControllerIndex = settings.controller;
    OnlyWhenFocused = settings.onlyWhenFocused;
    Mode = settings.mode;
    ForwardOnly = settings.forwardOnly;
    InnerRing = settings.innerRing;
    InnerKey = settings.innerKey;
    InnerOn = settings.innerOn;
    InnerOff = settings.innerOff;
    PauseWhileTrigger = settings.pause;
}

// Not applied yet: tried again at the next turn.
constexpr LONG SaveNotYet = -1;

// A save a tool asked for: reads every setting again from the file. A changed key or controller
// first lets go of the key down, and the new settings take effect only once that went through.
// 0 when applied; SaveNotYet while the file cannot be opened (an editor may be writing it) or
// the release is refused; after a second of that, the SaveFailure, the settings as they were.
LONG ApplySavedSettings(DecisionSettings& settings, ULONGLONG& firstTry) {
    const ULONGLONG now = GetTickCount64();
    if (firstTry == 0)
        firstTry = now;
    const bool late = now - firstTry >= 1000;
    if (!SettingsFileOpens())
        return late ? SaveFileUnreadable : SaveNotYet;
    const LoadedSettings before = SettingsNow();
    LoadSettingsFromFile(LoadedSettingsPath);
    LookUpHeldKeyScanCode();
    const bool outerLetGo = !Held(Outer) || !KeyChanged(Outer, HeldKey) || ReleaseKey(Outer);
    const bool innerLetGo =
        !Held(Inner) || (InnerRing && !KeyChanged(Inner, InnerKey)) || ReleaseKey(Inner);
    if (!outerLetGo || !innerLetGo) {
        UseSettings(before);
        return late ? SaveKeyNotLetGo : SaveNotYet;
    }
    // The accessibility shortcuts follow the keys.
    if (HeldKey.virtualKey != before.key.virtualKey ||
        (InnerRing ? InnerKey.virtualKey : 0) !=
            (before.innerRing ? before.innerKey.virtualKey : 0)) {
        PutBackShortcutsTurnedOff();
        TurnOffShortcutsForHeldKey();
    }
    settings = DecisionSettingsNow();
    return 0;
}

} // namespace

unsigned WINAPI StickWatcher(void*) {
    DecisionSettings settings = DecisionSettingsNow();
    FollowSettings(settings);
    WatchState state;
    ProcessRecord& record = *ThisProcessRecord;
    LONG savesHandled = record.savesApplied; // attach read those asked until then
    ULONGLONG firstTry = 0;

    while (Running) {
        const LONG savesAsked = record.savesAsked;
        const LONG outcome =
            savesAsked != savesHandled ? ApplySavedSettings(settings, firstTry) : SaveNotYet;
        if (outcome == 0) {
            FollowSettings(settings);
            PublishSettingsInUse();
            InterlockedExchange(&record.savesApplied, savesAsked);
        } else if (outcome != SaveNotYet) {
            InterlockedExchange(&record.saveFailure, outcome);
            InterlockedExchange(&record.lastSaveFailed, savesAsked);
            InterlockedIncrement(&record.savesFailed);
        }
        if (outcome != SaveNotYet) {
            savesHandled = savesAsked;
            firstTry = 0;
        }
        // Checked whether or not the controller answers, so that a held key goes up when the
        // player switches away during a dropout too. A game that has disabled XInput reads a
        // centred stick meanwhile, and so does the watcher: it does not count either.
        const bool stickCounts =
            (!OnlyWhenFocused || GameHasForeground()) && !XInputDisabledInProcess();
        XINPUT_STATE sample = {};
        const bool read = ReadsControllerThisTurn(state, GetTickCount64()) &&
                          ReadController(ControllerIndex, &sample) == ERROR_SUCCESS;
        const XINPUT_GAMEPAD& pad = sample.Gamepad;
        const HeldKeyEvent event =
            read ? DecideOnReading(state, Held(Outer), pad.sThumbLX, pad.sThumbLY, settings,
                                   stickCounts, pad.bLeftTrigger, pad.bRightTrigger)
                 : DecideWithoutReading(state, Held(Outer), settings, stickCounts);
        const HeldKeyEvent innerEvent =
            read ? DecideInnerOnReading(state, Held(Inner), pad.sThumbLX, pad.sThumbLY, settings,
                                        stickCounts)
                 : DecideInnerWithoutReading(state, Held(Inner), stickCounts);
        // Checked again just before sending: once detach has begun, a send could wait on a
        // keyboard hook owned by the unloading thread, which is inside DllMain. Detach sends the
        // release that is owed.
        if (!Running)
            break;
        // The key going up before the key going down, so that the game never sees both held.
        if (innerEvent == KeyRelease)
            ReleaseKey(Inner);
        if ((event == KeyPress && PressKey(Outer, HeldKey)) ||
            (event == KeyRelease && ReleaseKey(Outer))) {
            KeyEventWentThrough(state, event,
                                event == KeyRelease && Outer.down.padButton == 0 &&
                                    ForegroundMayRefuseInput());
        } else if (state.releaseOwed && event == NoKeyEvent && !Held(Outer) &&
                   Outer.down.padButton == 0) {
            const bool refuses = ForegroundMayRefuseInput();
            if (OwedReleaseThisTurn(
                    state, refuses,
                    !refuses && (GetAsyncKeyState(Outer.down.virtualKey) & 0x8000)) == KeyRelease)
                SendKeyEvent(Outer.down, true);
        }
        if (innerEvent == KeyPress)
            PressKey(Inner, InnerKey);
        PublishTurn(pad.sThumbLX, pad.sThumbLY, stickCounts, Held(Outer), Held(Inner),
                    state.paused);
        Sleep(PollPauseMs);
    }
    // A held key is released by detach, on the unloading thread.
    return 0;
}

DWORD DecideOnGamesRead(DWORD userIndex, const XINPUT_STATE* reading, DWORD result) {
    if (result != ERROR_SUCCESS || reading == nullptr || !Running)
        return result;
    const unsigned version = ReadDecisionVersion.load(std::memory_order_acquire);
    const GamesReadDecision decision = ReadDecision;
    std::atomic_thread_fence(std::memory_order_acquire);
    if ((version & 1) != 0 || version != ReadDecisionVersion.load(std::memory_order_relaxed) ||
        decision.button == 0 || userIndex != decision.controller)
        return result;
    const XINPUT_GAMEPAD& pad = reading->Gamepad;
    if (XInputDisabledInProcess() ||
        TriggerPauses(decision.settings.pause, pad.bLeftTrigger, pad.bRightTrigger) ||
        (decision.onlyWhenFocused && !GameHasForeground()))
        return result;
    const LONG64 before = PadButtonStateNow();
    const auto buttons = static_cast<std::uint16_t>(before);
    const HeldKeyEvent event = DecideHoldOnReading((buttons & decision.button) != 0, pad.sThumbLX,
                                                   pad.sThumbLY, decision.settings);
    // One try: where the watcher, or another of the game's threads, changed the buttons
    // meanwhile, its decision stands.
    if (event != NoKeyEvent)
        ReplacePadButtons(before, static_cast<std::uint16_t>(event == KeyPress
                                                                 ? buttons | decision.button
                                                                 : buttons & ~decision.button));
    return result;
}

void ReleaseKeyIfHeld() {
    KeySlot* const slots[] = {&Inner, &Outer};
    for (KeySlot* slot : slots)
        if (Held(*slot))
            ReleaseKey(*slot);
}
