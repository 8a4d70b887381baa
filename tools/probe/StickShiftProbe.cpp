// StickShiftProbe: shows the left stick as StickShift.dll sees it, with the module's own
// settings and decision code, so that users can choose the two percentages and check the other
// settings. Injects nothing. It also names the programs StickShift acts in, tells which
// no-loader file suits a game, and installs StickShift into a game's folder and removes it.
//
//   StickShiftProbe [--settings PATH] [--count N]
//   StickShiftProbe --game PATH
//   StickShiftProbe --install PATH [--despite-anti-cheat] | --uninstall PATH

#include <windows.h>

#include <cmath>
#include <cstdarg>
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

namespace {

constexpr double FullScale = 32767.0;
constexpr int BarWidth = 40; // 0 to 100 % of full scale

volatile bool StopRequested = false;

BOOL WINAPI OnConsoleControl(DWORD) {
    StopRequested = true;
    return TRUE;
}

// Reads what the console has queued; true once Esc has been pressed. False when input is not a
// console, as under a script.
bool EscapePressed(HANDLE input) {
    DWORD pending = 0;
    while (GetNumberOfConsoleInputEvents(input, &pending) && pending > 0) {
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputA(input, &record, 1, &read) || read == 0)
            return false;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
            record.Event.KeyEvent.wVirtualKeyCode == VK_ESCAPE)
            return true;
    }
    return false;
}

double Percent(double stickUnits) {
    return stickUnits / FullScale * 100.0;
}

const char* Source(bool fromFile) {
    return fromFile ? "from the file" : "default";
}

const char* ModeLabel() {
    switch (Mode) {
    case TapMode:
        return "Tap: one tap each time the stick goes out";
    case ToggleMode:
        return "Toggle: a tap each time the stick goes out and each time it comes back in";
    default:
        return "Hold: the key is down while the stick is out";
    }
}

void PrintThreshold(const char* circle, std::int32_t threshold, const wchar_t* key, bool fromFile) {
    Say("  %-5s circle: %6.1f %% = %6ld stick units  (%ls %s)\n", circle, Percent(threshold),
        static_cast<long>(threshold), key, Source(fromFile));
}

// What the module does with the optional settings.
void PrintChoices(const wchar_t* settingsPath, bool fileFound, UnusableSettings unusable) {
    const auto fromFile = [&](const wchar_t* key, bool usable) {
        return fileFound && usable && InFile(settingsPath, key);
    };
    Say("  key:        %s (%s)  (%ls %s)\n", KeyLabel(HeldKey), HeldKey.name, KeyNameKey,
        Source(fromFile(KeyNameKey, !unusable.key)));
    if (HeldKey.padButton != 0)
        Say("              %s reaches the game only in the no-loader form\n", HeldKey.name);
    Say("  controller: %lu  (%ls %s)\n", ControllerIndex + 1, ControllerKey,
        Source(fromFile(ControllerKey, !unusable.controller)));
    const bool focusFromFile = fromFile(OnlyWhenFocusedKey, true);
    Say("  acts:       %s  (%ls %s%s%s)\n", FocusLabel(), OnlyWhenFocusedKey, Source(focusFromFile),
        focusFromFile || Mode == HoldMode ? "" : " for ",
        focusFromFile || Mode == HoldMode ? "" : KeyModeName(Mode));
    Say("  mode:       %s  (%ls %s)\n", ModeLabel(), ModeKey,
        Source(fromFile(ModeKey, !unusable.mode)));
    Say("  direction:  %s  (%ls %s)\n", DirectionLabel(), ForwardOnlyKey,
        Source(fromFile(ForwardOnlyKey, true)));
    if (InnerRing)
        Say("  inner ring: %s (%s) between %.1f %% and the \"off\" circle, up inside %.1f %%  "
            "(%ls)\n",
            KeyLabel(InnerKey), InnerKey.name, Percent(InnerOn), Percent(InnerOff), InnerKeyKey);
    if (PauseWhileTrigger != PauseNever)
        Say("  pause:      let go while %s is pulled  (%ls)\n", TriggerLabel(PauseWhileTrigger),
            PauseWhileTriggerKey);
}

// Windows' accessibility shortcuts that a held key may set off, and what the module does about
// them, by the module's own rule.
void PrintShortcuts() {
    static const char* const shortcuts[AccessibilityShortcutCount][2] = {
        {"Sticky Keys", "Shift pressed five times"}, {"Filter Keys", "Right Shift held 8 s"}};
    for (int shortcut = 0; shortcut < AccessibilityShortcutCount; ++shortcut) {
        const auto which = static_cast<AccessibilityShortcut>(shortcut);
        const char* name = shortcuts[shortcut][0];
        char label[64];
        std::snprintf(label, sizeof label, "%s shortcut (%s):", name, shortcuts[shortcut][1]);
        Say("  %-48s ", label);
        unsigned long flags;
        if (!SystemShortcutFlags.read(which, flags)) {
            Say("Windows does not say; StickShift changes nothing\n");
            continue;
        }
        Say("%s", flags & ShortcutHotkeyActive ? "on" : "off");
        if (flags & ShortcutFeatureOn)
            Say(" (%s itself is on)", name);
        Say(": %s\n", ShortcutBitToClear(HeldKey, which, flags) != 0
                          ? "StickShift turns it off while it is loaded, then puts it back"
                          : "StickShift changes nothing");
    }
}

// '#' up to the deflection, ':' at the "off" circle, '|' at the "on" circle.
std::string Bar(double deflectionPercent) {
    std::string bar(BarWidth, '.');
    const auto column = [](double percent) {
        return static_cast<int>(std::lround(std::fabs(percent) / 100.0 * (BarWidth - 1)));
    };
    for (int i = 0; i < BarWidth && i <= column(deflectionPercent); ++i)
        bar[i] = deflectionPercent > 0 ? '#' : '.';
    const int off = column(Percent(ThresholdOff));
    const int on = column(Percent(ThresholdOn));
    if (off < BarWidth)
        bar[off] = ':';
    if (on < BarWidth)
        bar[on] = '|';
    return "[" + bar + "]";
}

void PrintWhereStickShiftActs() {
    const std::vector<std::string> lines = WhereStickShiftActs();
    for (const std::string& line : lines)
        Say("%s\n", line.c_str());
    if (lines.empty())
        Say("StickShift is not active in any running program\n");
}

// The XInput libraries beside the probe, that is in the game's folder where the player put it:
// StickShift's no-loader form, or a file of the game's or of another mod's.
void PrintNoLoaderCopiesBeside(const wchar_t (&probePath)[ModulePathCapacity]) {
    for (const wchar_t* name : {L"xinput1_4.dll", L"xinput1_3.dll", L"xinput9_1_0.dll"}) {
        wchar_t path[SettingsPathCapacity];
        BuildSettingsPath(probePath, path, name);
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        const FileOwnership file = ReadFileOwnership(path);
        if (file.owner == FileStickShift)
            Say("Beside the probe: %ls, StickShift's no-loader form\n", name);
        else if (file.owner == FileNotStickShift)
            Say("Beside the probe: %ls, not StickShift (the game's own, or another "
                "mod's)\n",
                name);
        else
            Say("Beside the probe: %ls, which cannot be told StickShift's or not: %s\n", name,
                file.cannotTell);
    }
}

int Usage() {
    std::fprintf(stderr, "usage: StickShiftProbe [--settings PATH] [--count N]\n"
                         "       StickShiftProbe --game PATH\n"
                         "  (--install, --uninstall, --set: --report FILE last writes what is\n"
                         "   said into FILE too)\n"
                         "       StickShiftProbe --install PATH [--despite-anti-cheat]\n"
                         "       StickShiftProbe --uninstall PATH\n"
                         "       StickShiftProbe --set KEY=VALUE [KEY=VALUE...] [--settings PATH]\n"
                         "  --settings PATH  read the settings from PATH (for example "
                         "StickShift.ini)\n"
                         "                   instead of StickShift.ini beside this program\n"
                         "  --count N        print N readings, one per line, and exit\n"
                         "  --game PATH      tell which no-loader file suits the "
                         "game's program,\n"
                         "                   and what installing into its folder would do\n"
                         "  --install PATH   put StickShift into the folder of the game's program\n"
                         "  --uninstall PATH take it out again, putting back what it kept aside\n"
                         "  --set KEY=VALUE  write settings, and apply them in the running game\n");
    return 2;
}

} // namespace

FILE* Report = nullptr;

void Say(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.resize(text.size() - 1);
    if (Report != nullptr) {
        std::fwrite(text.data(), 1, text.size(), Report);
        std::fflush(Report);
    }
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (!GetConsoleMode(out, &mode)) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    std::fflush(stdout);
    const std::wstring wide = Wide(text);
    DWORD written;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

void PrintSurprises(const wchar_t* settingsPath, UnusableSettings unusable) {
    for (const std::string& line : SettingsSurprises(settingsPath, unusable))
        Say("%s\n", line.c_str());
}

// Wide arguments, so that --settings takes a path in any folder.
int wmain(int argc, wchar_t** argv) {
    // Whatever is loaded from now on, by the probe or by a system DLL, comes from the system
    // folder: a plug-in loader beside it, named as a system DLL, never runs in it.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows' own library, never a StickShift copy that may sit beside the probe under that
    // name: that copy would act, and the key would go down while the player tunes.
    SystemXInputFileName = L"xinput1_4.dll";
    // --report FILE, last: everything said goes into FILE too, in UTF-8, for the window that
    // ran this as administrator, whose output it cannot read otherwise.
    if (argc >= 3 && std::wcscmp(argv[argc - 2], L"--report") == 0) {
        Report = _wfopen(argv[argc - 1], L"wb");
        argc -= 2;
    }
    const wchar_t* settingsArgument = nullptr;
    long count = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--settings") == 0 && i + 1 < argc)
            settingsArgument = argv[++i];
        else if (std::wcscmp(argv[i], L"--count") == 0 && i + 1 < argc)
            count = std::wcstol(argv[++i], nullptr, 10);
        else if (std::wcscmp(argv[i], L"--game") == 0 && i + 1 < argc && argc == 3) {
            const int described = DescribeGame(argv[++i]);
            return described != 0 ? described : InstallOrRemove(argv[i], true, false, false);
        } else if (std::wcscmp(argv[i], L"--set") == 0 && i + 1 < argc) {
            std::vector<std::wstring> assignments;
            const wchar_t* settingsFile = nullptr;
            for (++i; i < argc; ++i) {
                if (std::wcscmp(argv[i], L"--settings") == 0 && i + 1 < argc)
                    settingsFile = argv[++i];
                else
                    assignments.push_back(argv[i]);
            }
            return assignments.empty() ? Usage() : SetSettings(assignments, settingsFile);
        } else if ((std::wcscmp(argv[i], L"--install") == 0 ||
                    std::wcscmp(argv[i], L"--uninstall") == 0) &&
                   i + 1 < argc && argc <= 4) {
            const bool install = std::wcscmp(argv[i], L"--install") == 0;
            const bool despite = argc == 4 && std::wcscmp(argv[3], L"--despite-anti-cheat") == 0;
            if (argc == 4 && !despite)
                return Usage();
            return InstallOrRemove(argv[i + 1], install, true, despite);
        } else
            return Usage();
    }

    // The same reading as the module's: a relative name would send the profile routine to
    // the Windows folder, so the file named on the command line is made absolute first.
    // Else StickShift.ini beside this program: the file that the module shipped beside it reads.
    wchar_t probePath[ModulePathCapacity] = L"";
    GetModuleFileNameW(nullptr, probePath, ModulePathCapacity);
    wchar_t settingsPath[SettingsPathCapacity] = L"";
    if (settingsArgument != nullptr)
        GetFullPathNameW(settingsArgument, SettingsPathCapacity, settingsPath, nullptr);
    else
        BuildSettingsPath(probePath, settingsPath, SharedSettingsFileName);
    const UnusableSettings unusable = LoadSettingsForTools(settingsPath);

    Say("StickShiftProbe: the left stick as StickShift.dll sees it. Esc or Ctrl+C ends.\n");
    PrintWhereStickShiftActs();
    PrintNoLoaderCopiesBeside(probePath);
    const bool fileFound = GetFileAttributesW(settingsPath) != INVALID_FILE_ATTRIBUTES;
    if (fileFound)
        Say("Settings from %s\n", Utf8(settingsPath).c_str());
    else
        Say("No settings file at %s: the defaults apply\n", Utf8(settingsPath).c_str());
    PrintThreshold("\"on\"", ThresholdOn, ThresholdOnKey,
                   fileFound && !ValueText(settingsPath, ThresholdOnKey).empty());
    PrintThreshold("\"off\"", ThresholdOff, ThresholdOffKey,
                   fileFound && !ValueText(settingsPath, ThresholdOffKey).empty());
    PrintChoices(settingsPath, fileFound, unusable);
    PrintShortcuts();
    PrintSurprises(settingsPath, unusable);
    Say("Bar: deflection from 0 to 100 %%, ':' the \"off\" circle, '|' the \"on\" circle.\n\n");
    std::fflush(stdout);

    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    // Quick Edit off while the probe runs: a click to bring its window forward would start a
    // selection, and the live line would stand still until a key is pressed.
    DWORD consoleMode = 0;
    const bool consoleModeKnown = GetConsoleMode(input, &consoleMode) != FALSE;
    if (consoleModeKnown)
        SetConsoleMode(input, (consoleMode | ENABLE_EXTENDED_FLAGS) & ~ENABLE_QUICK_EDIT_MODE);
    const DecisionSettings settings = DecisionSettingsNow();
    // Live, one line is rewritten in place, padded to wipe out a longer earlier one.
    const bool live = count < 0;
    char line[160];
    bool held = false, innerHeld = false;
    WatchState state;
    long taps = 0;

    for (long reading = 0; count < 0 || reading < count; ++reading) {
        // As the module does, but for the focus: the probe acts as if the game had it.
        XINPUT_STATE sample = {};
        HeldKeyEvent event, innerEvent;
        const bool read = ReadsControllerThisTurn(state, GetTickCount64()) &&
                          ReadSystemController(ControllerIndex, &sample) == ERROR_SUCCESS;
        if (read) {
            const SHORT x = sample.Gamepad.sThumbLX;
            const SHORT y = sample.Gamepad.sThumbLY;
            const std::int64_t deflection = SquaredDeflection(x, y);
            event = DecideOnReading(state, held, x, y, settings, true, sample.Gamepad.bLeftTrigger,
                                    sample.Gamepad.bRightTrigger);
            innerEvent = DecideInnerOnReading(state, innerHeld, x, y, settings, true);
            const double percent = Percent(std::sqrt(static_cast<double>(deflection)));
            std::snprintf(line, sizeof line, "X %6d  Y %6d  deflection %5.1f %%  %s", x, y, percent,
                          Bar(percent).c_str());
        } else {
            event = DecideWithoutReading(state, held, settings, true);
            innerEvent = DecideInnerWithoutReading(state, innerHeld, true);
            std::snprintf(line, sizeof line, "No controller %lu: %s", ControllerIndex + 1,
                          ControllerGone(state) ? "looking for one about once a second..."
                                                : "waiting for one...");
        }
        if (event != NoKeyEvent) {
            held = event == KeyPress;
            taps += held ? 1 : 0;
            KeyEventWentThrough(state, event);
        }
        // The stick's side, and the key as the mode works it: held, or tapped (shown through
        // the tap's gap, so that the eye can catch it).
        const bool tapMode = Mode != HoldMode;
        const char* side = !read ? "" : (tapMode ? state.out : held) ? "  out" : "  in ";
        const char* keyState = !tapMode ? (held ? "down" : "up")
                               : held || state.turnsSinceTapEvent <= TapGapTurns ? "tap"
                                                                                 : "up";
        const size_t used = std::strlen(line);
        std::snprintf(line + used, sizeof line - used, "%s  %s %s", side, KeyLabel(HeldKey),
                      keyState);
        if (tapMode)
            std::snprintf(line + std::strlen(line), sizeof line - std::strlen(line),
                          "  (taps: %ld)", taps);
        if (innerEvent != NoKeyEvent)
            innerHeld = innerEvent == KeyPress;
        if (InnerRing)
            std::snprintf(line + std::strlen(line), sizeof line - std::strlen(line), "  %s %s",
                          KeyLabel(InnerKey), innerHeld ? "down" : "up");
        if (read && state.paused)
            std::snprintf(line + std::strlen(line), sizeof line - std::strlen(line),
                          "  (let go: %s)", TriggerLabel(PauseWhileTrigger));
        Say("%-*s%s", live ? 110 : 0, line, live ? "\r" : "\n");
        std::fflush(stdout);

        Sleep(PollPauseMs);
        if (StopRequested || EscapePressed(input))
            break;
    }
    if (live)
        Say("\n");
    if (consoleModeKnown)
        SetConsoleMode(input, consoleMode);
    return 0;
}
