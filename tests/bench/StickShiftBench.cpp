// Measures what StickShift.dll costs its host and how fast it reacts, under Wine with the
// stand-in controller, and checks each figure against its goal.
//
// Usage: StickShiftBench.exe MODULE_PATH JSON_PATH

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "HostRig.h"

namespace {

constexpr int Transitions = 240;
constexpr int PhaseSteps = 40;   // crossings spread over the 10 ms poll period in 0.25 ms steps
constexpr DWORD CpuSeconds = 20; // the process clock ticks in 10 ms steps under Wine
constexpr DWORD MemoryWarmUpSeconds = 3;
constexpr DWORD MemorySeconds = 30;
constexpr int Unloads = 20;

HMODULE Module = nullptr;
char ModulePath[MAX_PATH];

void Fail(const char* what) {
    std::fprintf(stderr, "bench: %s\n", what);
    ExitProcess(1);
}

void LoadModule() {
    Module = LoadLibraryA(ModulePath);
    if (Module == nullptr)
        Fail("cannot load the module");
}

void UnloadModule() {
    FreeLibrary(Module);
    Module = nullptr;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(fraction * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

struct Latency {
    double p50, p99, max;
};

// From the moment the controller state changes to the moment the hook sees the event. Each
// change comes a fixed time plus a stepped phase after the previous event, which follows a
// poll, so the changes fall evenly over the poll period.
Latency MeasureLatency() {
    LoadModule();
    PlaceLeftStick(0, 0);
    if (!WaitForPolls(3))
        Fail("the module does not poll");
    ClearKeyEvents();
    std::vector<double> latencies;
    ULONGLONG lastEvent = Ticks();
    for (int i = 0; i < Transitions; ++i) {
        const double delayMs = 25.0 + 10.0 * (i % PhaseSteps) / PhaseSteps;
        while (TicksToMs(static_cast<LONGLONG>(Ticks() - lastEvent)) < delayMs) {
        }
        PlaceLeftStick(i % 2 == 0 ? 32767 : 0, 0);
        const ULONGLONG change = Ticks();
        if (!WaitForKeyEvents(i + 1, 1000))
            Fail("a stick crossing went unanswered");
        lastEvent = KeyEvents()[i].when;
        latencies.push_back(TicksToMs(static_cast<LONGLONG>(lastEvent - change)));
    }
    UnloadModule();
    return {Percentile(latencies, 0.50), Percentile(latencies, 0.99),
            *std::max_element(latencies.begin(), latencies.end())};
}

double MeasurePollsPerSecond() {
    LoadModule();
    PlaceLeftStick(0, 0);
    WaitForPolls(2);
    const LONG calls = Controller().calls[0];
    const ULONGLONG start = Ticks();
    Sleep(3000);
    const double seconds = TicksToMs(static_cast<LONGLONG>(Ticks() - start)) / 1000.0;
    const double polls = (Controller().calls[0] - calls) / seconds;
    UnloadModule();
    return polls;
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto toMs = [](const FILETIME& time) {
        return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime) /
               10000.0;
    };
    return toMs(kernel) + toMs(user);
}

// Percent of one core used by this whole process while the stick rests.
double IdleCpuPercent() {
    PlaceLeftStick(0, 0);
    Sleep(500);
    const double cpu = ProcessCpuMs();
    const ULONGLONG start = Ticks();
    Sleep(CpuSeconds * 1000);
    return 100.0 * (ProcessCpuMs() - cpu) / TicksToMs(static_cast<LONGLONG>(Ticks() - start));
}

double MeasureWatcherCpuPercent() {
    const double without = IdleCpuPercent();
    LoadModule();
    const double with = IdleCpuPercent();
    UnloadModule();
    return with - without;
}

// The process's commit charge. Windows reports it both as PrivateUsage and as PagefileUsage;
// Wine fills in only the latter.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Round and round, in and out across both circles every half second.
void MoveStickFor(DWORD seconds, ULONGLONG& step) {
    for (DWORD i = 0; i < seconds * 100; ++i, ++step) {
        const double angle = 0.05 * static_cast<double>(step);
        const double radius = (step / 50) % 2 == 0 ? 9000.0 : 30000.0;
        PlaceLeftStick(static_cast<SHORT>(radius * std::cos(angle)),
                       static_cast<SHORT>(radius * std::sin(angle)));
        Sleep(10);
    }
}

LONGLONG PrivateBytesGrowth(bool withModule) {
    ULONGLONG step = 0;
    if (withModule)
        LoadModule();
    MoveStickFor(MemoryWarmUpSeconds, step);
    const SIZE_T before = PrivateBytes();
    MoveStickFor(MemorySeconds, step);
    const SIZE_T after = PrivateBytes();
    if (withModule)
        UnloadModule();
    PlaceLeftStick(0, 0);
    return static_cast<LONGLONG>(after) - static_cast<LONGLONG>(before);
}

// The longest of several unloads while Left Shift is held, by this thread or by the thread that
// owns the keyboard hook, as a game's own hook thread may.
double MeasureUnloadMsMax(bool byHookThread) {
    double longest = 0;
    const auto unload = [&longest] {
        const ULONGLONG start = Ticks();
        UnloadModule();
        longest = std::max(longest, TicksToMs(static_cast<LONGLONG>(Ticks() - start)));
    };
    for (int round = 0; round < Unloads; ++round) {
        PlaceLeftStick(0, 0);
        LoadModule();
        const size_t events = KeyEvents().size();
        PlaceLeftStick(32767, 32767);
        if (!WaitForKeyEvents(events + 1, 1000))
            Fail("no press before the unload");
        if (byHookThread)
            RunOnHookThread(unload);
        else
            unload();
        if (!WaitForKeyEvents(events + 2, 1000))
            Fail("no release after the unload");
    }
    PlaceLeftStick(0, 0);
    return longest;
}

LONGLONG FileBytes(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes))
        return -1;
    return static_cast<LONGLONG>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow;
}

struct Figure {
    const char* name;
    double value;
    const char* unit;
    const char* goal;
    bool met;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: StickShiftBench.exe MODULE_PATH JSON_PATH\n");
        return 2;
    }
    GetFullPathNameA(argv[1], MAX_PATH, ModulePath, nullptr);
    StartKeyboardWatch();
    ResetController();

    std::printf("Measuring %s (about two and a half minutes)\n", ModulePath);
    std::fflush(stdout);
    const Latency latency = MeasureLatency();
    const double pollsPerSecond = MeasurePollsPerSecond();
    const double cpuPercent = MeasureWatcherCpuPercent();
    const LONGLONG growthWithout = PrivateBytesGrowth(false);
    const LONGLONG growthWith = PrivateBytesGrowth(true);
    const LONGLONG memoryGrowth = growthWith - growthWithout;
    const double unloadMsMax = MeasureUnloadMsMax(false);
    const double hookThreadUnloadMsMax = MeasureUnloadMsMax(true);
    const LONGLONG moduleBytes = FileBytes(ModulePath);

    const Figure figures[] = {
        {"transitions", Transitions, "", ">= 200", Transitions >= 200},
        {"latency p50", latency.p50, "ms", "near 5", latency.p50 <= 7.0},
        {"latency p99", latency.p99, "ms", "<= 11", latency.p99 <= 11.0},
        {"latency max", latency.max, "ms", "", true},
        {"polls per second", pollsPerSecond, "", "about 100",
         pollsPerSecond >= 80 && pollsPerSecond <= 105},
        {"CPU, one core", cpuPercent, "%", "<= 0.5", cpuPercent <= 0.5},
        {"unload, longest", unloadMsMax, "ms", "<= 50", unloadMsMax <= 50.0},
        {"hook thread unload", hookThreadUnloadMsMax, "ms", "<= 50", hookThreadUnloadMsMax <= 50.0},
        {"memory growth", static_cast<double>(memoryGrowth), "bytes", "<= 4096",
         memoryGrowth <= 4096},
        {"module size", static_cast<double>(moduleBytes), "bytes", "<= 16384",
         moduleBytes > 0 && moduleBytes <= 16384},
    };

    bool allMet = true;
    std::printf("\n%-18s %12s %-6s %-10s %s\n", "figure", "value", "unit", "goal", "");
    for (const Figure& figure : figures) {
        std::printf("%-18s %12.2f %-6s %-10s %s\n", figure.name, figure.value, figure.unit,
                    figure.goal, figure.met ? "ok" : "MISSED");
        allMet = allMet && figure.met;
    }

    std::printf("\n(commit charge growth over %lu s: %lld bytes with the module, %lld without)\n",
                MemorySeconds, growthWith, growthWithout);

    FILE* json = std::fopen(argv[2], "w");
    if (json == nullptr)
        Fail("cannot write the JSON file");
    std::fprintf(json,
                 "{\n"
                 "  \"transitions\": %d,\n"
                 "  \"latency_ms\": {\"p50\": %.3f, \"p99\": %.3f, \"max\": %.3f},\n"
                 "  \"polls_per_second\": %.1f,\n"
                 "  \"cpu_percent_one_core\": %.3f,\n"
                 "  \"unload_ms_max\": %.3f,\n"
                 "  \"hook_thread_unload_ms\": %.3f,\n"
                 "  \"memory_growth_bytes\": %lld,\n"
                 "  \"module_bytes\": %lld\n"
                 "}\n",
                 Transitions, latency.p50, latency.p99, latency.max, pollsPerSecond, cpuPercent,
                 unloadMsMax, hookThreadUnloadMsMax, memoryGrowth, moduleBytes);
    std::fclose(json);
    std::printf("\n%s\n",
                allMet ? "Every figure is within its goal." : "Some figures MISSED their goal.");
    return allMet ? 0 : 1;
}
