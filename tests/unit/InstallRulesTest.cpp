#include "install/InstallRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A 64-bit game that imports xinput1_3.dll, in a folder holding nothing else of StickShift's.
InstallFacts Game() {
    InstallFacts facts = {};
    facts.program = "Game.exe";
    facts.isProgram = true;
    facts.bits = 64;
    facts.xinputImport = "xinput1_3.dll";
    return facts;
}

FolderFile Copy(const char* name, const char* version = "1.4.0") {
    return {name, true, version, "", false, "", false};
}

FolderFile Foreign(const char* name) {
    return {name, false, "", "", false, "", false};
}

FolderFile Untold(const char* name) {
    return {name, false, "", "", false, "another program holds it open", false};
}

std::string Steps(const InstallPlan& plan) {
    static const char* const actions[] = {"write",         "move aside",     "delete",
                                          "put back",      "write ini",      "delete ini",
                                          "delete folder", "write plugin",   "make folder",
                                          "remove folder", "write override", "remove override"};
    std::string text;
    for (const PlanStep& step : plan.steps)
        text += std::string(text.empty() ? "" : ", ") + actions[step.action] + " " + step.name;
    return text;
}

std::string FolderOf(const std::string& relative) {
    const std::size_t slash = relative.rfind('\\');
    return slash == std::string::npos ? "" : relative.substr(0, slash);
}

std::string Words(const InstallPlan& plan) {
    std::string text;
    for (const std::string& line : plan.words)
        text += line + "\n";
    return text;
}

} // namespace

TEST(InstallRules, WhatInstallingIntoAFolderDoes) {
    const struct {
        const char* what;
        std::function<void(InstallFacts&)> folder;
        PlanOutcome outcome;
        unsigned bits;
        const char* steps;
        const char* saying; // a part of the plan's words
    } cases[] = {
        {"64-bit, xinput1_3", [](InstallFacts&) {}, PlanReady, 64,
         "write xinput1_3.dll, write ini stickshift.ini", "64-bit Game.exe reads xinput1_3.dll"},
        {"32-bit, xinput9_1_0, the player's own ini",
         [](InstallFacts& f) {
             f.bits = 32;
             f.xinputImport = "xinput9_1_0.dll";
             f.iniPresent = true;
         },
         PlanReady, 32, "write xinput9_1_0.dll", "yours, kept as it is"},
        {".NET for any CPU runs as 64-bit",
         [](InstallFacts& f) {
             f.bits = 32;
             f.anyCpuDotNet = true;
         },
         PlanReady, 64, "write xinput1_3.dll, write ini stickshift.ini", ""},
        {"xinput1_2 gets the copy under that name",
         [](InstallFacts& f) { f.xinputImport = "xinput1_2.dll"; }, PlanReady, 64,
         "write xinput1_2.dll, write ini stickshift.ini", ""},
        {"the name from a DLL beside it, the first alphabetically",
         [](InstallFacts& f) {
             f.xinputImport = "";
             f.dllXInputImports = {{"zengine.dll", "xinput1_3.dll"},
                                   {"unityplayer.dll", "xinput1_4.dll"}};
         },
         PlanReady, 64, "write xinput1_4.dll, write ini stickshift.ini", "through a DLL beside it"},
        {"a shipping build below a launcher",
         [](InstallFacts& f) {
             f.xinputImport = "";
             f.shippingBuilds = {"Game\\Binaries\\Win64\\Game-Win64-Shipping.exe"};
         },
         PlanOtherProgram, 64, "", "is a launcher"},
        {"two shipping builds: the player chooses",
         [](InstallFacts& f) {
             f.xinputImport = "";
             f.shippingBuilds = {"A-Shipping.exe", "B-Shipping.exe"};
         },
         PlanChooseProgram, 64, "", "choose"},
        {"nothing imports XInput: both names", [](InstallFacts& f) { f.xinputImport = ""; },
         PlanReady, 64, "write xinput1_4.dll, write xinput1_3.dll, write ini stickshift.ini",
         "of which one acts"},
        {"an older copy of that name is replaced, one under another name removed",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_3.dll"), Copy("xinput9_1_0.dll")};
         },
         PlanReady, 64, "write xinput1_3.dll, delete xinput9_1_0.dll, write ini stickshift.ini",
         "StickShift 1.4.0, to be replaced by 1.5.0"},
        {"the same version installed: Reinstall",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_3.dll", "1.5.0")};
             f.iniPresent = f.iniIsSample = true;
         },
         PlanReady, 64, "write xinput1_3.dll",
         "StickShift.ini: the sample, kept as it is.\nStickShift 1.5.0 is installed here already: "
         "Reinstall"},
        {"the plug-in form present: updated where it is, no second copy",
         [](InstallFacts& f) {
             f.loaderFolders[LoaderInGameFolder].plugins = {Copy("stickshift.dll")};
             f.iniPresent = true;
         },
         PlanReady, 64, "write plugin stickshift.dll", "the plug-in form, to be replaced by 1.5.0"},
        {"the plug-in form present as .asi in scripts\\, beside another mod's xinput1_3.dll",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.loaderSigns = f.loaderFolders[LoaderScripts].exists = true;
             f.loaderFolders[LoaderScripts].plugins = {Copy("stickshift.asi")};
         },
         PlanReady, 64, "write plugin scripts\\stickshift.asi, write ini scripts\\stickshift.ini",
         "scripts\\stickshift.asi: StickShift 1.4.0"},
        {"a foreign file of that name is kept aside and chained",
         [](InstallFacts& f) { f.files = {Foreign("xinput1_3.dll")}; }, PlanReady, 64,
         "move aside xinput1_3.dll, write xinput1_3.dll, write ini stickshift.ini",
         "passes every XInput call on to it"},
        {"an earlier StickShift-original with the same file: replaced",
         [](InstallFacts& f) {
             f.files = {{"xinput1_3.dll", false, "", "", true, "", false}};
             f.originals = {"xinput1_3.dll"};
         },
         PlanReady, 64, "write xinput1_3.dll, write ini stickshift.ini", "the game's check"},
        {"an earlier StickShift-original with another file: refused",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.originals = {"xinput1_3.dll"};
         },
         PlanRefused, 64, "", "Nothing was changed"},
        {"a loader's file, and a scripts\\ folder: the plug-in goes there, the loader stays",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.loaderSigns = f.loaderFolders[LoaderScripts].exists = true;
         },
         PlanReady, 64, "write plugin scripts\\StickShift.asi, write ini scripts\\stickshift.ini",
         "xinput1_3.dll is probably a plug-in loader"},
        {"the .asi files beside the game, and the player's settings there",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.loaderSigns = f.loaderFolders[LoaderInGameFolder].holdsAsi = true;
             f.iniPresent = f.loaderFolders[LoaderInGameFolder].iniNamesPadButton = true;
         },
         PlanReady, 64, "write plugin StickShift.asi", "only the no-loader form holds"},
        {"the .asi files in plugins\\ rather than an empty scripts\\",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.loaderSigns = f.loaderFolders[LoaderScripts].exists = true;
             f.loaderFolders[LoaderPlugins].exists = f.loaderFolders[LoaderPlugins].holdsAsi = true;
         },
         PlanReady, 64, "write plugin plugins\\StickShift.asi, write ini plugins\\stickshift.ini",
         "in plugins\\."},
        {"a lone plugins\\ folder with no .asi: scripts\\ is made",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             f.loaderSigns = f.loaderFolders[LoaderPlugins].exists = true;
         },
         PlanReady, 64,
         "make folder scripts, write plugin scripts\\StickShift.asi, write ini "
         "scripts\\stickshift.ini",
         "scripts\\: to be made"},
        {"a loader named xinput1_4.dll that reads otherwise than Windows' library: refused",
         [](InstallFacts& f) {
             f.xinputImport = "xinput1_4.dll";
             f.files = {Foreign("xinput1_4.dll")};
             f.loaderSigns = f.loaderFolders[LoaderScripts].exists = true;
         },
         PlanRefused, 64, "", "XInputGetState at ordinal 2"},
        {"under Wine: the override, where the game has none, and the launch option",
         [](InstallFacts& f) {
             f.underWine = true;
             f.xinputImport = "";
             f.wineOverrides = {{"xinput1_4", "builtin"}};
         },
         PlanReady, 64,
         "write xinput1_4.dll, write xinput1_3.dll, write ini stickshift.ini, write override "
         "xinput1_3",
         "WINEDLLOVERRIDES=\"xinput1_4,xinput1_3=n,b\" %command%"},
        {"anti-cheat: a warning", [](InstallFacts& f) { f.antiCheat = true; }, PlanReady, 64,
         "write xinput1_3.dll, write ini stickshift.ini", "ban the account"},
        {"a Store game: refused", [](InstallFacts& f) { f.underWindowsApps = true; }, PlanRefused,
         0, "", "Microsoft Store or Game Pass"},
        {"a folder that needs administrator rights",
         [](InstallFacts& f) { f.needsAdministrator = true; }, PlanReady, 64,
         "write xinput1_3.dll, write ini stickshift.ini", "only as administrator"},
        {"a file in the way that the game has loaded",
         [](InstallFacts& f) {
             f.files = {{"xinput1_3.dll", true, "1.4.0", "Game.exe", false, "", true}};
         },
         PlanRefused, 64, "", "close Game.exe first"},
        {"a copy under another name that a game has loaded: refused, not deleted",
         [](InstallFacts& f) {
             f.files = {{"xinput1_4.dll", true, "1.4.0", "Other.exe", false, "", true}};
         },
         PlanRefused, 64, "", "close Other.exe first"},
        {"a file in use by a program that cannot be named (another bitness, elevated)",
         [](InstallFacts& f) {
             f.files = {{"xinput1_3.dll", true, "1.4.0", "", false, "", true}};
         },
         PlanRefused, 64, "", "A running program has loaded xinput1_3.dll: close the game"},
        {"a file that cannot be told StickShift's or not: refused, not taken for another's",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_4.dll"), Untold("xinput1_3.dll")};
         },
         PlanRefused, 64, "", "Cannot tell whether xinput1_3.dll is StickShift's: another"},
        {"the copy's path at 259 characters, the most it reads of its own",
         [](InstallFacts& f) { f.folderPathLength = 245; }, PlanReady, 64,
         "write xinput1_3.dll, write ini stickshift.ini", "StickShift goes in"},
        {"one more: refused, never a copy that cannot find its settings",
         [](InstallFacts& f) { f.folderPathLength = 246; }, PlanRefused, 64, "",
         "path is 246 characters long"},
        {"not a program", [](InstallFacts& f) { f.isProgram = false; }, PlanRefused, 0, "",
         "is not a Windows program"},
        {"StickShift's own program or folder: refused, before anything else",
         [](InstallFacts& f) {
             f.stickShiftsOwn = true;
             f.files = {Copy("xinput1_3.dll")};
         },
         PlanRefused, 0, "", "That is StickShift's own folder: choose the game's program"},
        {"another processor", [](InstallFacts& f) { f.bits = 0; }, PlanRefused, 0, "",
         "another processor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallFacts facts = Game();
        c.folder(facts);
        const InstallPlan plan = PlanInstall(facts, "1.5.0");
        EXPECT_EQ(plan.outcome, c.outcome) << Words(plan);
        EXPECT_EQ(plan.bits, c.bits);
        EXPECT_EQ(Steps(plan), c.steps);
        EXPECT_NE(Words(plan).find(c.saying), std::string::npos) << Words(plan);
        EXPECT_EQ(plan.warnAntiCheat, facts.antiCheat);
        EXPECT_EQ(plan.needsAdministrator && plan.outcome != PlanRefused,
                  facts.needsAdministrator && plan.outcome != PlanRefused);
        // The window tunes the settings file the copy reads: the one beside it.
        for (const PlanStep& step : plan.steps)
            if (step.action == WriteCopy || step.action == WritePlugin)
                EXPECT_EQ(FolderOf(step.name), FolderOf(plan.settingsFile)) << plan.settingsFile;
        EXPECT_EQ(plan.settingsFile.empty(), plan.outcome != PlanReady);
    }
}

TEST(InstallRules, RemovingTakesOnlyStickShiftsOwnAndPutsBackWhatItKeptAside) {
    const struct {
        const char* what;
        std::function<void(InstallFacts&)> folder;
        PlanOutcome outcome;
        const char* steps;
    } cases[] = {
        {"copies, a kept original, the sample ini",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_3.dll"), Foreign("xinput1_4.dll"), Copy("stickshift.dll")};
             f.originals = {"xinput1_3.dll"};
             f.iniPresent = f.iniIsSample = true;
         },
         PlanReady,
         "delete xinput1_3.dll, put back xinput1_3.dll, delete folder stickshift-original, "
         "delete ini stickshift.ini"},
        {"the player's ini stays",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_3.dll")};
             f.iniPresent = true;
         },
         PlanReady, "delete xinput1_3.dll"},
        {"nothing of StickShift's", [](InstallFacts& f) { f.files = {Foreign("xinput1_3.dll")}; },
         PlanNothingToDo, ""},
        {"a file that cannot be told: refused, not \"no copy\"",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_4.dll"), Untold("xinput1_3.dll")};
         },
         PlanRefused, ""},
        {"the plug-in form in a scripts\\ folder StickShift made, with the sample",
         [](InstallFacts& f) {
             f.files = {Foreign("xinput1_3.dll")};
             LoaderFolderFacts& scripts = f.loaderFolders[LoaderScripts];
             scripts.exists = scripts.madeByStickShift = scripts.iniPresent = true;
             scripts.iniIsSample = true;
             scripts.plugins = {Copy("stickshift.asi"), Foreign("stickshift.dll")};
         },
         PlanReady,
         "delete scripts\\stickshift.asi, delete ini scripts\\stickshift.ini, remove folder "
         "scripts"},
        {"under Wine: only the overrides installing wrote, while they hold what it wrote",
         [](InstallFacts& f) {
             f.files = {Copy("xinput1_3.dll"), Copy("xinput1_4.dll")};
             f.underWine = true;
             f.wineOverrides = {{"xinput1_3", "native,builtin"},
                                {"xinput1_4", "builtin"},
                                {"xinput9_1_0", "native,builtin"}};
             f.wineOverridesWritten = {"xinput1_3", "xinput1_4"};
         },
         PlanReady, "delete xinput1_3.dll, delete xinput1_4.dll, remove override xinput1_3"},
        {"StickShift's own folder: nothing of the package is removed",
         [](InstallFacts& f) {
             f.stickShiftsOwn = true;
             f.files = {Copy("xinput1_3.dll")};
             f.iniPresent = f.iniIsSample = true;
         },
         PlanRefused, ""},
        {"a copy in use",
         [](InstallFacts& f) {
             f.files = {{"xinput1_3.dll", true, "1.5.0", "Game.exe", false, "", true}};
         },
         PlanRefused, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallFacts facts = Game();
        c.folder(facts);
        const InstallPlan plan = PlanRemove(facts);
        EXPECT_EQ(plan.outcome, c.outcome) << Words(plan);
        EXPECT_EQ(Steps(plan), c.steps);
    }
}
