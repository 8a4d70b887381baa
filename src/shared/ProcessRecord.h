#pragma once

#include <windows.h>
#include <xinput.h>

#include <cstddef>
#include <cstdint>

#include "shared/PathCapacity.h"
#include "shared/TurnWord.h"

// What every StickShift copy in one process shares, in a small named mapping,
// "Local\StickShift.<process id>": which copy acts, and what the no-loader copies learn from the
// game's calls. A game may load two of XInput's names, and a player may leave the plug-in form
// in a loader's folder too: two copies acting would press twice for one push.
//
// Copies of other versions share it, so a field never moves: the record only grows at its end.
// Windows keeps the size of the copy that made it, so a copy may meet a smaller, older record.

// What every layout has, since the first: 1.3.0's whole record.
struct ProcessRecordFlags {
    volatile LONG acting;         // 1 while a copy acts in the process
    volatile LONG xinputDisabled; // the game has called XInputEnable(FALSE)
};

struct ProcessRecord {
    ProcessRecordFlags flags;
    // From 1.4.0. A controller button that the acting copy holds down in what the game reads:
    // its bit in the low 16 bits, and above them the count of changes so far, which the
    // no-loader copies add to the packet number. One word, so that no reader sees one change's
    // bit with another's count.
    volatile LONG64 padButtonState;
    volatile LONG padController; // the XInput user index it belongs to
    LONG unused;
    // From 1.4.1: the layout of the copy that made the record, so that a tool knows which
    // fields it holds.
    volatile LONG layoutVersion;
    volatile LONG layoutSize;
    // From 1.6.0, for the tools. At each turn of the acting copy, as PackTurn lays it out: the
    // stick, whether it counts (the game has the focus where that matters, and XInput enabled),
    // and whether the key is held.
    volatile LONG64 lastTurn;
    // Saves of the settings file that tools asked the acting copy to apply, and that it has.
    volatile LONG savesAsked;
    volatile LONG savesApplied;
    // The settings the acting copy uses now, written in attach and before each save applied is
    // counted: a tool that has seen the count reads the settings it brought.
    struct SettingsInUse {
        LONG thresholdOn, thresholdOff; // stick units
        char keyName[12];               // as the settings file names the key
        BYTE controllerIndex;
        BYTE mode; // KeyMode
        BYTE onlyWhenFocused, forwardOnly;
    } settingsInUse;
    // The settings file the acting copy reads, written once as it starts.
    wchar_t settingsPath[SettingsPathCapacity];
    // From 1.6.1: saves asked that the acting copy could not apply, counted; the number of the
    // last of them, as savesAsked counted it; and why (a SaveFailure), written before that.
    volatile LONG savesFailed;
    volatile LONG lastSaveFailed;
    volatile LONG saveFailure;
    // From 1.8.0: the inner ring and the pausing trigger the acting copy uses now, written with
    // the settings in use.
    struct InnerRingInUse {
        LONG innerOn, innerOff; // stick units
        char innerKeyName[12];  // empty for no inner ring
        BYTE pauseTrigger;      // PauseTrigger
        BYTE unused[3];
    } innerRingInUse;
};
static_assert(offsetof(ProcessRecord, padButtonState) == 8 &&
                  offsetof(ProcessRecord, padController) == 16 &&
                  offsetof(ProcessRecord, layoutVersion) == 24,
              "older copies read these fields where they are");
static_assert(sizeof(ProcessRecord) <= 4096, "the record fits its page");

// 5: 1.8.0's; 4: 1.6.1's; 3: 1.6.0's; 2: 1.4.1's 32 bytes; 1: 1.4.0's 24 bytes; 0: 1.3.x's 8 bytes.
// A tool tells which fields a record holds by this alone: each copy maps the page whole.
constexpr LONG ProcessRecordLayoutVersion = 5;
constexpr LONG SavesLayoutVersion = 3; // the first layout with the saves and the last turn
constexpr LONG SaveFailuresLayoutVersion = 4;
constexpr LONG InnerRingLayoutVersion = 5; // the inner ring in use, and its key in the turn

// Why a save asked was not applied, after a second of trying.
enum SaveFailure : LONG {
    SaveFileUnreadable = 1, // the settings file could not be opened
    SaveKeyNotLetGo = 2,    // the key held for the old settings could not be let go
};
// The mapping's size from 1.4.1 on: a page, room for the record to grow.
constexpr std::size_t ProcessRecordMappingSize = 4096;

// Room for "Local\StickShift." and a process id.
constexpr std::size_t ProcessRecordNameCapacity = 32;

// The mapping's name for process `processId`. Calls nothing, so that attach may use it.
void ProcessRecordName(DWORD processId, wchar_t (&name)[ProcessRecordNameCapacity]);

// Maps the record that `mapping` holds with `access`: the whole of this layout where the record
// is this version's or a later one's, else (`whole` false) the flags that every layout has.
// Null when not even those can be mapped.
void* MapProcessRecord(HANDLE mapping, DWORD access, bool& whole);

// The record of this process, opened or made by OpenProcessRecordAndClaim; until then, when no
// mapping can be had, or when an older copy made a smaller record, a record of the copy's own,
// shared with no one.
extern ProcessRecord* ThisProcessRecord;

// Opens or makes this process's record and claims it for this copy; false when another copy,
// of any version, acts already. Kernel32 alone, for attach. A copy that cannot have the mapping
// acts alone.
bool OpenProcessRecordAndClaim();

// The game's XInputEnable, seen by any copy; whether the game has XInput disabled now.
void RecordXInputEnable(BOOL enable);
bool XInputDisabledInProcess();

// Holds the controller buttons `set` down and lets go of `clear` in what the game reads from
// controller `userIndex`, counting the change; nothing where the buttons stay as they are.
void ChangePadButtons(DWORD userIndex, std::uint16_t set, std::uint16_t clear);
// The buttons held, with the count of changes above them, as one word; and that word replaced
// by `buttons` with the count one up, by one compare-and-exchange: false, changing nothing,
// where another change came first. For the game's own read, which never waits.
LONG64 PadButtonStateNow();
bool ReplacePadButtons(LONG64 before, std::uint16_t buttons);
void SetPadController(DWORD userIndex);

// Adds to a reading of controller `userIndex` that XInput answered with `result` the count of
// changes, to the packet number, so that a game that skips a reading whose packet number it has
// seen sees each change, and the button held, if any, in wButtons, unless the game has XInput
// disabled. Returns `result`.
DWORD AddHeldPadButton(DWORD userIndex, XINPUT_STATE* state, DWORD result);

// Gives up the claim if this copy holds it, and lets go of the record.
void CloseProcessRecord();

// What the acting copy tells the tools at each turn.
void PublishTurn(SHORT x, SHORT y, bool stickCounts, bool keyHeld, bool innerHeld, bool paused);
PublishedTurn LastPublishedTurn(const ProcessRecord& record);

// The settings file the acting copy reads, for the tools.
void PublishSettingsPath(const wchar_t* path);

// The settings the acting copy uses now, from the shared values, for the tools.
void PublishSettingsInUse();
