// --game, --install and --uninstall: a program's architecture and XInput library, and the
// install plan for its folder, printed and carried out.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "GameProgram.h"
#include "ProbeCommands.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/StickShiftFile.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "shortcuts/SystemShortcuts.h"
#include "watcher/KeyDecision.h"

int DescribeGame(const wchar_t* path) {
    const std::string shown = Utf8(path);
    const HANDLE file =
        CreateFileW(LongPathForm(FullPath(path)).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    const HANDLE mapping =
        file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size) && size.QuadPart > 0
            ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
            : nullptr;
    const void* view =
        mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    GameProgramFacts facts;
    const bool program =
        view != nullptr && ReadGameProgram(static_cast<const unsigned char*>(view),
                                           static_cast<std::size_t>(size.QuadPart), facts);
    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (file == INVALID_HANDLE_VALUE) {
        Say("Cannot read %s\n", shown.c_str());
        return 2;
    }
    if (!program) {
        Say("%s is not a Windows program\n", shown.c_str());
        return 2;
    }

    Say("%s\n", shown.c_str());
    // The folder of the package whose files suit it.
    const char* arch = facts.bits == 32 && !facts.anyCpuDotNet ? "x86" : "x64";
    if (facts.anyCpuDotNet)
        Say("  a .NET program for any CPU, which runs as 64-bit on 64-bit Windows: "
            "StickShift's x64 files suit it\n");
    else if (facts.bits != 0)
        Say("  a %u-bit program: StickShift's %s files suit it\n", facts.bits, arch);
    else
        Say("  a program for another processor (machine 0x%04X): no StickShift build runs "
            "in it\n",
            facts.machine);
    const char* loaded = facts.xinputDelayLoaded ? " (when it first needs it)" : "";
    if (facts.xinput[0] == '\0') {
        Say("  it imports no XInput library: it may load one itself, or read the "
            "controller another way.\n"
            "  copy %s\\no-loader\\xinput1_4.dll and xinput1_3.dll beside it, "
            "with StickShift.ini: only one will act.\n",
            arch);
        if (size.QuadPart < 4 * 1024 * 1024)
            Say("  it is small (%lld KB): it may be a launcher. Look for the real game's "
                "program in the folders below (for example Binaries\\Win64).\n",
                size.QuadPart / 1024);
    } else if (std::strcmp(facts.xinput, "xinput1_1.dll") == 0 ||
               std::strcmp(facts.xinput, "xinput1_2.dll") == 0) {
        Say("  it imports %s%s: copy %s\\no-loader\\xinput1_3.dll beside it under that "
            "name, %s, with StickShift.ini\n",
            facts.xinput, loaded, arch, facts.xinput);
    } else {
        Say("  it imports %s%s: copy %s\\no-loader\\%s beside it, with StickShift.ini\n",
            facts.xinput, loaded, arch, facts.xinput);
    }
    return 0;
}

int InstallOrRemove(const wchar_t* path, bool install, bool carryOut, bool despiteAntiCheat) {
    wchar_t tool[ModulePathCapacity] = L"";
    GetModuleFileNameW(nullptr, tool, ModulePathCapacity);
    std::wstring program = FullPath(path);
    const std::wstring sample = SampleSettings(tool);
    InstallFacts facts;
    const InstallPlan plan =
        install ? PlanInstallFollowingLauncher(program, sample, StickShiftVersion, facts)
                : PlanRemove(facts = GatherInstallFacts(program, sample));
    Say("%s\n%s would:\n", Utf8(ShownPath(program)).c_str(), install ? "Install" : "Remove");
    for (const std::string& line : plan.words)
        Say("  %s\n", line.c_str());
    for (const std::string& candidate : plan.candidates)
        Say("    %s\n", candidate.c_str());
    if (!facts.isProgram)
        return 2;
    if (!carryOut || plan.outcome == PlanNothingToDo)
        return 0;
    if (plan.outcome != PlanReady)
        return 1;
    if (plan.warnAntiCheat && !despiteAntiCheat) {
        Say("Nothing was changed: add --despite-anti-cheat to go on all the same.\n");
        return 1;
    }
    if (plan.needsAdministrator) {
        Say("Nothing was changed: run this from an administrator's command prompt.\n");
        return 1;
    }
    std::string said;
    const CarryOutResult result =
        CarryOutPlan(plan, program, NoLoaderSource(tool, plan.bits), sample, said);
    for (const std::string& line : CarryOutReport(plan, install, result, said))
        Say("%s\n", line.c_str());
    return result == DoneButLeftBehind ? NotWhollyDone : result;
}
