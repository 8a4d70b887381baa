#pragma once

#include <windows.h>
#include <xinput.h>

#include <cstddef>
#include <cstdint>

// What every StickShift copy in one process shares, in a small named mapping,
// "Local\StickShift.<process id>": which copy acts, and what the no-loader copies learn from the
// game's calls. A game may load two of XInput's names, and a player may leave the plug-in form
// in a loader's folder too: two copies acting would press twice for one push.
struct ProcessRecord {
    volatile LONG acting;         // 1 while a copy acts in the process
    volatile LONG xinputDisabled; // the game has called XInputEnable(FALSE)
    // A controller button that the acting copy holds down in what the game reads: its bit in the
    // low 16 bits, and above them the count of changes so far, which the no-loader copies add to
    // the packet number. One word, so that no reader sees one change's bit with another's count.
    volatile LONG64 padButtonState;
    volatile LONG padController; // the XInput user index it belongs to
};

// Room for "Local\StickShift." and a process id.
constexpr std::size_t ProcessRecordNameCapacity = 32;

// The mapping's name for process `processId`. Calls nothing, so that attach may use it.
void ProcessRecordName(DWORD processId, wchar_t (&name)[ProcessRecordNameCapacity]);

// The record of this process, opened or made by OpenProcessRecordAndClaim; until then, or when
// no mapping can be had, a record of the copy's own, shared with no one.
extern ProcessRecord* ThisProcessRecord;

// Opens or makes this process's record and claims it for this copy; false when another copy
// acts already. Kernel32 alone, for attach. A copy that cannot have the mapping acts alone.
bool OpenProcessRecordAndClaim();

// Holds controller button `button` down in what the game reads from controller `userIndex`, or
// lets go with 0, counting the change.
void HoldPadButton(DWORD userIndex, std::uint16_t button);

// Adds the button held, if any, to a reading of controller `userIndex` that XInput answered
// with `result`: its bit in wButtons, and the count of changes to the packet number, so that a
// game that skips a reading whose packet number it has seen sees each change. Nothing while the
// game has XInput disabled. Returns `result`.
DWORD AddHeldPadButton(DWORD userIndex, XINPUT_STATE* state, DWORD result);

// Gives up the claim if this copy holds it, and lets go of the record: at the copy's real
// detach, so that a copy loaded afterwards acts.
void CloseProcessRecord();
