#include "install/InstallRules.h"

#include <algorithm>

#include "install/PlanParts.h"

namespace {

const char* const XInputNames[] = {"xinput1_1.dll", "xinput1_2.dll", "xinput1_3.dll",
                                   "xinput1_4.dll", "xinput9_1_0.dll"};

bool IsXInputName(const std::string& name) {
    return std::find(std::begin(XInputNames), std::end(XInputNames), name) != std::end(XInputNames);
}

const FolderFile* Find(const InstallFacts& facts, const std::string& name) {
    for (const FolderFile& file : facts.files)
        if (file.name == name)
            return &file;
    return nullptr;
}

bool HasOriginal(const InstallFacts& facts, const std::string& name) {
    return std::find(facts.originals.begin(), facts.originals.end(), name) != facts.originals.end();
}

// A file that cannot be told StickShift's or not is neither replaced, set aside nor kept: the
// plan stops before it changes anything. Empty when every file can be told.
std::string UntoldFile(const InstallFacts& facts) {
    std::vector<FolderFile> files = facts.files;
    for (const LoaderFolderFacts& folder : facts.loaderFolders)
        files.insert(files.end(), folder.plugins.begin(), folder.plugins.end());
    for (const FolderFile& file : files)
        if (!file.cannotTell.empty())
            return "Cannot tell whether " + file.name + " is StickShift's: " + file.cannotTell;
    return std::string();
}

// What installing or removing says of the folder, whatever else it does.
void AddCommonWords(const InstallFacts& facts, InstallPlan& plan) {
    if (facts.antiCheat) {
        plan.warnAntiCheat = true;
        plan.words.push_back("This game has anti-cheat (EasyAntiCheat or BattlEye): it may "
                             "refuse StickShift, or ban the account.");
    }
    if (facts.needsAdministrator) {
        plan.needsAdministrator = true;
        plan.words.push_back("The game's folder can be changed only as administrator.");
    }
}

const std::string* WineOverride(const InstallFacts& facts, const std::string& stem) {
    for (const auto& value : facts.wineOverrides)
        if (value.first == stem)
            return &value.second;
    return nullptr;
}

// Under Wine, each name installed gets the per-program override that Wine's configuration tool
// writes, where the game has none for it yet; and the words for a launch option, for a Steam
// game whose prefix this is not (which nothing here can tell).
void AddWineOverrides(const InstallFacts& facts, const std::vector<std::string>& names,
                      InstallPlan& plan) {
    std::string stems;
    for (const std::string& name : names) {
        const std::string stem = name.substr(0, name.size() - 4);
        stems += (stems.empty() ? "" : ",") + stem;
        if (const std::string* value = WineOverride(facts, stem)) {
            plan.words.push_back("Wine: " + facts.program + " loads " + stem + " as \"" + *value +
                                 "\" already: kept.");
            continue;
        }
        plan.steps.push_back({WriteWineOverride, stem});
        Will(plan, "Wine: " + facts.program + ", ",
             "told to load " + name + " from its folder first",
             " (" + stem + " = " + NativeThenBuiltin + ", as Wine's configuration tool sets it)");
    }
    const std::string launch = "On Steam (Proton, the Steam Deck), where this is not the game's "
                               "own Wine prefix, set the game's launch option to: "
                               "WINEDLLOVERRIDES=\"" +
                               stems + "=n,b\" %command%";
    plan.words.push_back(launch);
    plan.done.push_back(launch); // as much after installing as before
}

// A refusal that comes before anything of the folder is looked at; empty for none.
std::string RefusedProgram(const InstallFacts& facts) {
    if (facts.stickShiftsOwn)
        return "That is StickShift's own folder: choose the game's program";
    if (!facts.isProgram)
        return facts.program + " is not a Windows program";
    return std::string();
}

} // namespace

std::string CopyNameFor(const InstallFacts& facts) {
    if (!facts.xinputImport.empty())
        return facts.xinputImport;
    // Engines often keep their code in a DLL beside a small program (UnityPlayer.dll).
    auto imports = facts.dllXInputImports;
    std::sort(imports.begin(), imports.end());
    return imports.empty() ? std::string() : imports.front().second;
}

InstallPlan PlanInstall(const InstallFacts& facts, const std::string& version) {
    InstallPlan plan;
    if (const std::string refused = RefusedProgram(facts); !refused.empty())
        return Refuse(plan, refused);
    if (facts.underWindowsApps)
        return Refuse(plan, facts.program +
                                " is a Microsoft Store or Game Pass game, whose folder cannot "
                                "be written: use the plug-in form with the game's plug-in "
                                "loader, where it has one");
    plan.bits = facts.anyCpuDotNet ? 64 : facts.bits;
    if (plan.bits == 0)
        return Refuse(plan, facts.program + " is for another processor: no StickShift build "
                                            "runs in it");
    AddCommonWords(facts, plan);
    if (const std::string untold = UntoldFile(facts); !untold.empty())
        return Refuse(plan, untold);
    // The plug-in form already there is updated where it is; no second copy is added.
    int pluginFolder;
    if (InstalledPlugin(facts, pluginFolder) != nullptr)
        return PlanPlugin(facts, plan, version, "");
    const InstallPlan common = plan;

    std::vector<std::string> names;
    const std::string imported = CopyNameFor(facts);
    if (!imported.empty()) {
        names.push_back(imported);
        plan.words.push_back(std::to_string(plan.bits) + "-bit " + facts.program + " reads " +
                             imported +
                             (facts.xinputImport.empty() ? ", through a DLL beside it" : "") +
                             ": StickShift goes in under that name.");
    } else if (facts.shippingBuilds.size() == 1) {
        plan.outcome = PlanOtherProgram;
        plan.otherProgram = facts.shippingBuilds.front();
        plan.words.push_back(facts.program + " is a launcher: the game itself is " +
                             plan.otherProgram + ", and StickShift goes beside it.");
        return plan;
    } else if (facts.shippingBuilds.size() > 1) {
        plan.outcome = PlanChooseProgram;
        plan.candidates = facts.shippingBuilds;
        plan.words.push_back(facts.program + " is a launcher for several programs: choose the "
                                             "game's own.");
        return plan;
    } else {
        names = {"xinput1_4.dll", "xinput1_3.dll"};
        plan.words.push_back(std::to_string(plan.bits) + "-bit " + facts.program +
                             " imports no XInput library: StickShift goes in as xinput1_4.dll "
                             "and xinput1_3.dll, of which one acts.");
    }

    // A file of that name that the folder's signs show to be a plug-in loader's stays: the
    // plug-in form goes into the loader's folder instead.
    for (const std::string& name : names) {
        const FolderFile* file = Find(facts, name);
        if (file != nullptr && !file->stickShift && !HasOriginal(facts, name) && facts.loaderSigns)
            return PlanPlugin(facts, common, version, name);
    }
    for (const std::string& name : names) {
        if (TooLong(facts, name))
            return Refuse(plan, TooLongWords(facts));
        const FolderFile* file = Find(facts, name);
        if (file != nullptr && file->inUse)
            return Refuse(plan, InUse(*file));
        if (file == nullptr) {
            Will(plan, name + ": ", "added");
        } else if (file->stickShift) {
            plan.sameVersion = file->version == version;
            Will(plan, name + ": StickShift " + file->version + ", ", "replaced by " + version);
        } else if (HasOriginal(facts, name)) {
            if (!file->sameAsOriginal)
                return Refuse(plan, "StickShift-original already holds another " + name +
                                        " than the one in the game's folder: put back the one "
                                        "you want to keep, and delete the other");
            Will(plan,
                 name + ": the same as the one kept in StickShift-original (the game's check put "
                        "it back), ",
                 "replaced");
        } else {
            plan.steps.push_back({MoveToOriginal, name});
            Will(plan, name + ": not StickShift's (the game's, or another mod's), ",
                 "moved into StickShift-original as it is",
                 ", and StickShift passes every XInput call on to it");
        }
        plan.steps.push_back({WriteCopy, name});
    }
    for (const FolderFile& file : facts.files) {
        if (!file.stickShift || !IsXInputName(file.name) ||
            std::find(names.begin(), names.end(), file.name) != names.end())
            continue;
        if (file.inUse)
            return Refuse(plan, InUse(file));
        plan.steps.push_back({DeleteCopy, file.name});
        Will(plan, file.name + ": StickShift " + file.version + " under another name, ", "removed",
             ", so that one version serves");
    }
    plan.settingsFile = "StickShift.ini";
    if (facts.iniPresent) {
        plan.words.push_back(IniSubject("StickShift.ini", facts.iniIsSample) + "kept as it is.");
    } else {
        plan.steps.push_back({WriteSampleIni, "stickshift.ini"});
        Will(plan, IniSubject("StickShift.ini", true), "added", ", to tune");
    }
    if (plan.sameVersion)
        plan.words.push_back("StickShift " + version +
                             " is installed here already: Reinstall puts the same files in "
                             "again.");
    if (facts.underWine)
        AddWineOverrides(facts, names, plan);
    plan.outcome = PlanReady;
    return plan;
}

InstallPlan PlanRemove(const InstallFacts& facts) {
    InstallPlan plan;
    if (const std::string refused = RefusedProgram(facts); !refused.empty())
        return Refuse(plan, refused);
    AddCommonWords(facts, plan);
    if (const std::string untold = UntoldFile(facts); !untold.empty())
        return Refuse(plan, untold);
    for (const FolderFile& file : facts.files) {
        if (!file.stickShift || !IsXInputName(file.name))
            continue;
        if (file.inUse)
            return Refuse(plan, InUse(file));
        plan.steps.push_back({DeleteCopy, file.name});
        Will(plan, file.name + ": StickShift " + file.version + ", ", "removed");
    }
    for (int folder = 0; folder < LoaderFolderCount; ++folder) {
        const LoaderFolderFacts& there = facts.loaderFolders[folder];
        bool removed = false;
        for (const FolderFile& file : there.plugins) {
            if (!file.stickShift)
                continue;
            if (file.inUse)
                return Refuse(plan, InUse(file));
            plan.steps.push_back({DeleteCopy, InFolder(folder, file.name)});
            Will(plan,
                 InFolder(folder, file.name) + ": StickShift " + file.version +
                     ", the plug-in form, ",
                 "removed");
            removed = true;
        }
        if (!removed || folder == LoaderInGameFolder)
            continue; // the game folder's settings file: below
        if (there.iniPresent && there.iniIsSample) {
            plan.steps.push_back({DeleteIni, InFolder(folder, "stickshift.ini")});
            Will(plan, IniSubject(InFolder(folder, "StickShift.ini"), true), "removed");
        } else if (there.iniPresent) {
            plan.words.push_back(IniSubject(InFolder(folder, "StickShift.ini"), false) +
                                 "kept as it is.");
        }
        if (there.madeByStickShift)
            plan.steps.push_back({RemoveLoaderFolder, LoaderFolderNames[folder]});
    }
    for (const std::string& name : facts.originals) {
        const FolderFile* file = Find(facts, name);
        if (file != nullptr && !file->stickShift)
            return Refuse(plan, "The game's folder holds another " + name +
                                    " than the one kept in StickShift-original: put back the "
                                    "one you want to keep, and delete the other");
        plan.steps.push_back({PutBackOriginal, name});
        Will(plan, name + ": ", "put back from StickShift-original");
    }
    if (!facts.originals.empty())
        plan.steps.push_back({DeleteOriginalFolder, "stickshift-original"});
    // Only what installing wrote, and only while it still holds that.
    for (const std::string& stem : facts.wineOverridesWritten) {
        const std::string* value = WineOverride(facts, stem);
        if (value != nullptr && *value == NativeThenBuiltin) {
            plan.steps.push_back({RemoveWineOverride, stem});
            Will(plan, "Wine: the override StickShift set for " + stem + ", ", "removed");
        }
    }
    if (plan.steps.empty()) {
        plan.outcome = PlanNothingToDo;
        plan.words.push_back("No StickShift copy is in this folder.");
        return plan;
    }
    if (facts.iniPresent && facts.iniIsSample) {
        plan.steps.push_back({DeleteIni, "stickshift.ini"});
        Will(plan, IniSubject("StickShift.ini", true), "removed");
    } else if (facts.iniPresent) {
        plan.words.push_back(IniSubject("StickShift.ini", false) + "kept as it is.");
    }
    plan.outcome = PlanReady;
    return plan;
}
