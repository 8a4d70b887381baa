// The plan's lines that both plans share, and the plug-in form's plan in a loader's folder.

#include "install/PlanParts.h"

#include "shared/PathCapacity.h"

InstallPlan Refuse(InstallPlan plan, const std::string& why) {
    plan.outcome = PlanRefused;
    plan.steps.clear();
    plan.words.push_back(why + ". Nothing was changed.");
    return plan;
}

void Will(InstallPlan& plan, const std::string& subject, const std::string& deed,
          const std::string& after) {
    plan.words.push_back(subject + "to be " + deed + after + ".");
    plan.done.push_back(subject + deed + after + ".");
}

std::string IniSubject(const std::string& path, bool isSample) {
    return path + ": " + (isSample ? "the sample" : "yours") + ", ";
}

std::string InUse(const FolderFile& file) {
    if (file.loadedBy.empty())
        return "A running program has loaded " + file.name + ": close the game first";
    return file.name + " is in use by " + file.loadedBy + ": close " + file.loadedBy + " first";
}

bool TooLong(const InstallFacts& facts, const std::string& name) {
    return facts.folderPathLength + 1 + name.size() >= ModulePathCapacity;
}

std::string TooLongWords(const InstallFacts& facts) {
    return "The game's folder's path is " + std::to_string(facts.folderPathLength) +
           " characters long: StickShift finds its settings by its own path, which it reads in "
           "at most " +
           std::to_string(ModulePathCapacity - 1) + ". Move the game to a shorter path";
}

std::string InFolder(int folder, const std::string& name) {
    return folder == LoaderInGameFolder ? name
                                        : std::string(LoaderFolderNames[folder]) + "\\" + name;
}

const FolderFile* InstalledPlugin(const InstallFacts& facts, int& folder) {
    for (folder = 0; folder < LoaderFolderCount; ++folder)
        for (const FolderFile& file : facts.loaderFolders[folder].plugins)
            if (file.stickShift)
                return &file;
    return nullptr;
}

InstallPlan PlanPlugin(const InstallFacts& facts, InstallPlan plan, const std::string& version,
                       const std::string& loaderFile) {
    int folder;
    const FolderFile* installed = InstalledPlugin(facts, folder);
    if (installed == nullptr) {
        folder = LoaderScripts;
        for (int f = LoaderFolderCount - 1; f >= 0; --f)
            if (facts.loaderFolders[f].holdsAsi)
                folder = f;
    }
    const LoaderFolderFacts& there = facts.loaderFolders[folder];
    if (TooLong(facts, InFolder(folder, "StickShift.asi")))
        return Refuse(plan, TooLongWords(facts));
    const std::string shown = folder == LoaderInGameFolder
                                  ? "the game's folder"
                                  : std::string(LoaderFolderNames[folder]) + "\\";
    if (!loaderFile.empty()) {
        if (loaderFile == "xinput1_4.dll" && !facts.loaderExportsGetStateAt2)
            return Refuse(plan, "xinput1_4.dll, probably a plug-in loader, does not read the "
                                "controller as Windows' library does (XInputGetState at ordinal "
                                "2): the plug-in form, which reads through xinput1_4.dll, cannot "
                                "run beside it");
        plan.words.push_back(loaderFile +
                             " is probably a plug-in loader, which must run when "
                             "the game starts: it stays as it is, and StickShift "
                             "goes in as its plug-in, in " +
                             shown + ".");
    }
    if (installed != nullptr) {
        if (installed->inUse)
            return Refuse(plan, InUse(*installed));
        plan.sameVersion = installed->version == version;
        Will(plan,
             InFolder(folder, installed->name) + ": StickShift " + installed->version +
                 ", the plug-in form, ",
             "replaced by " + version);
        plan.steps.push_back({WritePlugin, InFolder(folder, installed->name)});
    } else {
        if (!there.exists && folder != LoaderInGameFolder) {
            plan.steps.push_back({MakeLoaderFolder, LoaderFolderNames[folder]});
            Will(plan, shown + ": ", "made", ", for the plug-in");
        }
        plan.steps.push_back({WritePlugin, InFolder(folder, "StickShift.asi")});
        Will(plan, InFolder(folder, "StickShift.asi") + ": the plug-in form, ", "added");
    }
    plan.settingsFile = InFolder(folder, "StickShift.ini");
    const bool iniPresent = folder == LoaderInGameFolder ? facts.iniPresent : there.iniPresent;
    const bool iniIsSample = folder == LoaderInGameFolder ? facts.iniIsSample : there.iniIsSample;
    if (iniPresent) {
        plan.words.push_back(IniSubject(InFolder(folder, "StickShift.ini"), iniIsSample) +
                             "kept as it is.");
        if (there.iniNamesPadButton)
            plan.words.push_back("Its Key is a controller button, which only the no-loader "
                                 "form holds: the plug-in form holds nothing until Key names a "
                                 "keyboard key.");
    } else {
        plan.steps.push_back({WriteSampleIni, InFolder(folder, "stickshift.ini")});
        Will(plan, IniSubject(InFolder(folder, "StickShift.ini"), true), "added", ", to tune");
    }
    plan.outcome = PlanReady;
    return plan;
}
