#pragma once

#include <string>
#include <vector>

// What installing StickShift into a game, or removing it, does: decided from facts gathered
// beforehand, free of any platform call, so that the player's window and the console carry out
// the same plan and the rules are tested by a table.

// A file in the game's folder that bears an XInput library's name, or StickShift.dll.
struct FolderFile {
    std::string name;       // in lower case
    bool stickShift;        // a StickShift build, by its version resource
    std::string version;    // a StickShift build's version
    std::string loadedBy;   // the running program that has it loaded, where it can be named
    bool sameAsOriginal;    // byte for byte the file of its name in StickShift-original
    std::string cannotTell; // why it cannot be told whether it is StickShift's; empty when it can
    bool inUse;             // a running program has it loaded, named or not
};

// The folders where a plug-in loader of the kind that loads .asi files picks up its plug-ins.
enum LoaderFolder { LoaderInGameFolder, LoaderScripts, LoaderPlugins, LoaderFolderCount };
constexpr const char* LoaderFolderNames[LoaderFolderCount] = {"", "scripts", "plugins"};

struct LoaderFolderFacts {
    bool exists;           // the folder (the game's own always is)
    bool holdsAsi;         // .asi files that are not StickShift's
    bool madeByStickShift; // made by StickShift for its plug-in, and marked so
    std::vector<FolderFile>
        plugins; // stickshift.asi and stickshift.dll there, by name in lower case
    bool iniPresent, iniIsSample;
    bool iniNamesPadButton; // its Key is a controller button, which the plug-in form cannot hold
};

struct InstallFacts {
    std::string program; // the chosen program's file name
    // StickShift's own: a program of StickShift's, by its version resource, or one inside the
    // package's own layout (StickShift.exe with x64\ and x86\ beside it).
    bool stickShiftsOwn;
    std::size_t folderPathLength; // its folder's full path, in UTF-16 characters
    bool isProgram;               // a readable Windows program
    unsigned bits;                // 32 or 64; 0 for another processor
    bool anyCpuDotNet;            // runs as 64-bit
    std::string xinputImport;     // the XInput library the program imports, in lower case, or empty
    // The XInput import of each DLL beside the program that has one: {dll, xinput}, in lower case.
    std::vector<std::pair<std::string, std::string>> dllXInputImports;
    std::vector<std::string> shippingBuilds; // *-Shipping.exe in the folders below, relative
    std::vector<FolderFile> files;
    std::vector<std::string> originals; // file names in StickShift-original, in lower case
    bool iniPresent;
    bool iniIsSample; // byte for byte the shipped sample
    bool loaderSigns; // .asi files, or a scripts or plugins folder
    LoaderFolderFacts loaderFolders[LoaderFolderCount];
    // Where the loader's file bears xinput1_4.dll's name, the plug-in form's import reaches it:
    // whether it exports XInputGetState at ordinal 2, as Windows' library does.
    bool loaderExportsGetStateAt2;
    bool antiCheat; // an EasyAntiCheat or BattlEye folder or service program
    bool underWindowsApps;
    // Under Wine (Proton, the Steam Deck), which loads its own XInput library before a file beside
    // the game unless told otherwise: the game's per-program DLL overrides now, {name without
    // .dll, value}, and those an earlier install wrote, as it recorded them.
    bool underWine;
    std::vector<std::pair<std::string, std::string>> wineOverrides;
    std::vector<std::string> wineOverridesWritten;
    bool needsAdministrator; // the folder cannot be written without
};

enum PlanAction {
    WriteCopy,       // the no-loader form of the program's architecture, under `name`
    MoveToOriginal,  // the file `name` into StickShift-original, under its own name
    DeleteCopy,      // a StickShift copy named `name`
    PutBackOriginal, // StickShift-original's `name` back into the folder
    WriteSampleIni,  // StickShift.ini in the folder of `name`, relative to the game's
    DeleteIni,
    DeleteOriginalFolder, // StickShift-original, once empty
    WritePlugin,          // the plug-in form of the program's architecture, at `name`, relative
    MakeLoaderFolder,     // the folder `name` for the plug-in, marked as StickShift's
    RemoveLoaderFolder,   // the folder `name` that StickShift made, once it holds nothing else
    WriteWineOverride,    // Wine's override for `name` (no .dll): native,builtin, recorded
    RemoveWineOverride,   // that override, while it still holds what installing wrote
};

// The value Wine's own configuration tool writes for a library loaded from beside the program
// first, and Wine's own otherwise.
constexpr const char* NativeThenBuiltin = "native,builtin";

struct PlanStep {
    PlanAction action;
    std::string name;
};

enum PlanOutcome {
    PlanReady,         // the steps do it
    PlanNothingToDo,   // said why
    PlanRefused,       // said why; nothing is changed
    PlanOtherProgram,  // the plan is for `otherProgram` instead (an engine's shipping build)
    PlanChooseProgram, // several shipping builds: the player chooses among `candidates`
};

struct InstallPlan {
    PlanOutcome outcome = PlanRefused;
    unsigned bits = 0; // the architecture of the copy written
    std::vector<PlanStep> steps;
    std::vector<std::string> words; // the plan in plain words, a line each, before it is done
    std::vector<std::string> done;  // what carrying it out did, a line each, in the past
    bool sameVersion = false;       // the version installed already: installing puts it in again
    // The settings file the copy installed reads, relative to the game's folder.
    std::string settingsFile;
    bool warnAntiCheat = false;
    bool needsAdministrator = false;
    std::string otherProgram;
    std::vector<std::string> candidates;
};

// The XInput library's name that the copy takes in the game's folder, from the facts; empty
// when nothing imports XInput (then xinput1_4.dll and xinput1_3.dll both).
std::string CopyNameFor(const InstallFacts& facts);

// The file that marks a loader's folder as made by StickShift, in it.
constexpr const char* MadeFolderMark = "StickShift-made-this-folder.txt";

InstallPlan PlanInstall(const InstallFacts& facts, const std::string& version);
InstallPlan PlanRemove(const InstallFacts& facts);
