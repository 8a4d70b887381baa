#pragma once

#include <windows.h>

#include <cstddef>

// What every StickShift copy in one process shares, in a small named mapping,
// "Local\StickShift.<process id>": which copy acts, and what the no-loader copies learn from the
// game's calls. A game may load two of XInput's names, and a player may leave the plug-in form
// in a loader's folder too: two copies acting would press twice for one push.
struct ProcessRecord {
    volatile LONG acting;         // 1 while a copy acts in the process
    volatile LONG xinputDisabled; // the game has called XInputEnable(FALSE)
};

// Room for "Local\StickShift." and a process id.
constexpr std::size_t ProcessRecordNameCapacity = 32;

// The mapping's name for process `processId`. Calls nothing, so that attach may use it.
void ProcessRecordName(DWORD processId, wchar_t (&name)[ProcessRecordNameCapacity]);

// The record of this process, opened or made by OpenProcessRecord; a record of the copy's own,
// shared with no one, until then or when no mapping can be had.
extern ProcessRecord* ThisProcessRecord;

// Opens or makes this process's record and claims it for this copy; false when another copy
// acts already. Kernel32 alone, for attach. A copy that cannot have the mapping acts alone.
bool OpenProcessRecordAndClaim();

// Gives up the claim if this copy holds it, and lets go of the record: at the copy's real
// detach, so that a copy loaded afterwards acts.
void CloseProcessRecord();
