#pragma once

#include <string>
#include <vector>

#include "install/InstallRules.h"
#include "shared/ProcessRecord.h"

// The Windows side of installing into a game's folder, which the player's window and the
// console share: the facts the install rules decide from, and carrying out their plan.

std::string Utf8(const std::wstring& wide);

// Whether two paths name the same file as Windows compares names: in any letter case.
bool SamePath(const std::wstring& a, const std::wstring& b);
std::wstring Wide(const std::string& utf8);

// The full path of `path`, at any length.
std::wstring FullPath(const wchar_t* path);
// A full path in the form that Windows' file calls take at any length: "\\?\" before a drive's
// path, "\\?\UNC\" for a share's; as it is when it is short, or in that form already.
std::wstring LongPathForm(const std::wstring& path);
// The path as a player reads it: without that prefix.
std::wstring ShownPath(const std::wstring& path);

// Whether this program runs under Wine (Proton, the Steam Deck): ntdll's wine_get_version.
bool RunsUnderWine();

// The facts about the program at `program` and its folder. `sampleIni` is the shipped
// StickShift.ini, to tell whether the folder's is that sample.
InstallFacts GatherInstallFacts(const std::wstring& program, const std::wstring& sampleIni);

// The install plan for the program at `program`, and its `facts`. A launcher with one engine
// shipping build below it is followed to that build: `program` becomes its path, and the plan
// begins with the words that say so.
InstallPlan PlanInstallFollowingLauncher(std::wstring& program, const std::wstring& sampleIni,
                                         const std::string& version, InstallFacts& facts);

// What carrying out a plan came to, as the console's exit code says it.
enum CarryOutResult {
    CarriedOut = 0,
    FailedAndPutBack = 1,
    NotWhollyDone = 3, // failed and not wholly put back: `said` names what is left
    DoneButLeftBehind, // done, but files set aside could not be deleted: `said` names them; the
                       // console's exit code for it is 3 too
};

// Carries out `plan` in the folder of `program`, with the no-loader form at `copySource` and
// the sample at `sampleIni`. New files are written under a temporary name and renamed into
// place, and a failure puts back every change already made. `said` gets a line for a failure,
// for whatever could not be put back, and for each file set aside that could not be deleted,
// now or by an earlier run (each run deletes those first).
CarryOutResult CarryOutPlan(const InstallPlan& plan, const std::wstring& program,
                            const std::wstring& copySource, const std::wstring& sampleIni,
                            std::string& said);

// What carrying a plan out did, in words, the same in both programs: "Installed:" or "Removed:"
// with what was done; after a failure, what failed and what was put back, or what is left.
std::vector<std::string> CarryOutReport(const InstallPlan& plan, bool install,
                                        CarryOutResult result, const std::string& said);

// Where the no-loader form of `bits` and the sample settings are, beside the tool at `tool`:
// x64\ and x86\ below the package's top, which holds the tool or the x86\ folder that does.
std::wstring NoLoaderSource(const std::wstring& tool, unsigned bits);
std::wstring SampleSettings(const std::wstring& tool);

// A line for each running program in which a StickShift copy acts, found by the record the
// copy keeps under the program's process id, whichever version made it; and for each that runs
// as administrator, whose record a program that is not cannot see.
std::vector<std::string> WhereStickShiftActs();

// A running program in which a StickShift copy acts, or may act: one that runs as
// administrator hides its record from a program that is not. The settings file it reads, from
// versions whose copies apply a save while the game runs; else empty.
struct ActingCopy {
    std::string program;
    unsigned long processId;
    bool elevated;
    std::wstring settingsPath;
    std::string settingsInUse; // in a few words: "on 50 %, off 40 %, Left Shift, Hold"
};
std::vector<ActingCopy> ActingCopies();

// Whether two paths name one file, by its volume and file index (a link, a path in another letter
// case or in its short form still names it); for a file not there yet, its folder so and its name
// in any letter case.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Whether `settingsPath`, as the record of process `processId` names it, is the settings file of
// a StickShift copy that process has loaded: StickShift.ini beside a copy named as an XInput
// library, or a plug-in's own path cut at its last dot with ".ini". Any program may write a
// record, so a tool writes no path read from one unless this holds. Where the process's modules
// cannot be listed (a 64-bit game, for a 32-bit tool; one run as administrator), a StickShift
// copy beside the file, told by its version resource, is taken instead.
bool IsSettingsFileOfACopy(unsigned long processId, const std::wstring& settingsPath);
// Whether a StickShift copy beside `settingsPath`, told by its version resource, reads it.
bool IsSettingsFileBesideACopy(const std::wstring& settingsPath);

// Whether this program runs elevated (as administrator, from a player who is not).
bool RunsElevated();

// The record of the copy acting in process `processId`, open for reading while a tool shows
// what it reads and decides; null where that copy's version publishes no turns.
struct WatchedCopy {
    HANDLE mapping = nullptr;
    const ProcessRecord* record = nullptr;
};
WatchedCopy WatchActingCopy(unsigned long processId);
void StopWatching(WatchedCopy& copy);

// Writes `changes` into the settings file at `path` (made if missing), changing only their
// lines, in the file's own encoding, through a file beside it renamed into place. False when it
// cannot be written; `refused` then says why where the file's text cannot be edited without loss,
// and `deniedRights` whether the folder needs administrator rights.
bool WriteSettingsFile(const std::wstring& path,
                       const std::vector<std::pair<std::string, std::string>>& changes,
                       std::string& refused, bool* deniedRights = nullptr);

// Asks every running copy that reads the settings file at `settingsPath` to apply it, waits up
// to a second for them, and says which did.
std::vector<std::string> AskRunningCopiesToApply(const std::wstring& settingsPath);
