#pragma once

#include <string>

#include "install/InstallRules.h"

// What the install rules' parts share: the plan's lines and the plug-in form's plan. Free of
// any platform call, as the rules are.

InstallPlan Refuse(InstallPlan plan, const std::string& why);
// A line of the plan for something it does: `subject` (ending in ": " or ", ") with `deed` in
// the past, after "to be" while it is to come; the past form is what carrying it out did.
void Will(InstallPlan& plan, const std::string& subject, const std::string& deed,
          const std::string& after = "");
// What the plan says of a settings file, the same in both plans.
std::string IniSubject(const std::string& path, bool isSample);
std::string InUse(const FolderFile& file);
// Whether the copy's path, at `name` relative to the game's folder, is longer than the copy
// reads of its own path (ModulePathCapacity characters, with the terminator).
bool TooLong(const InstallFacts& facts, const std::string& name);
std::string TooLongWords(const InstallFacts& facts);
// `name` in loader folder `folder`, relative to the game's folder.
std::string InFolder(int folder, const std::string& name);

// The plug-in form already in a loader's folder, StickShift's by its bytes; null for none.
const FolderFile* InstalledPlugin(const InstallFacts& facts, int& folder);
// The plug-in form in a loader's folder: where a plug-in form is, else the first folder that
// holds .asi files, else scripts\, made. `loaderFile` names the file taken for the loader.
InstallPlan PlanPlugin(const InstallFacts& facts, InstallPlan plan, const std::string& version,
                       const std::string& loaderFile);
