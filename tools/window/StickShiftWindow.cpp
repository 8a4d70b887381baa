// StickShift.exe, the player's window: names the running programs StickShift acts in, and puts
// StickShift into a game's folder, or takes it out, by the same install rules and plan as
// StickShiftProbe --install. A game's program reaches it by the file dialog, by a drop onto the
// window, or as the argument (a drop onto StickShift.exe's icon): all three show its plan.
//
//   StickShift [GAME.exe]
//   StickShift --snapshot FILE.bmp [--settings FILE] [--stick X,Y]

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../install/GameFolder.h"
#include "KnownGamesFile.h"
#include "TuningDrawing.h"
#include "TuningPanel.h"
#include "WindowControls.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "watcher/KeyDecision.h"

namespace {

enum ControlId {
    ActsInLabel = 100,
    ChooseButton,
    PlanBox,
    InstallButton,
    RemoveButton,
    ChooseHint
};
constexpr UINT_PTR ActsInTimer = 100;

std::wstring Program;    // the game's program the plan is for
std::wstring LastFolder; // where the file dialog opens: the folder of the program last chosen
InstallPlan Install, Remove;

// The plan in plain words, with Windows' line ends, as the read-only box shows it.
std::wstring Words(const std::vector<std::string>& lines) {
    std::wstring text;
    for (const std::string& line : lines)
        text += Wide(line) + L"\r\n";
    return text;
}

void ShowWhereStickShiftActs() {
    std::vector<std::string> lines = WhereStickShiftActs();
    if (lines.empty())
        lines.push_back("StickShift is not active in any running program.");
    SetText(ActsInLabel, Words(lines));
}

// The one way in: a game's program chosen, dropped, given as the argument, or picked among
// the games installed into earlier; and again after carrying out its plan, `installedNow` after
// Install.
void ShowPlanFor(const std::wstring& program, bool installedNow = false) {
    Program = program;
    InstallFacts facts;
    Install =
        PlanInstallFollowingLauncher(Program, SampleSettings(ToolPath()), StickShiftVersion, facts);
    Remove = PlanRemove(facts);
    std::vector<std::string> lines = {Utf8(ShownPath(Program)), "Install would:"};
    lines.insert(lines.end(), Install.words.begin(), Install.words.end());
    for (const std::string& candidate : Install.candidates)
        lines.push_back("    " + candidate);
    if (Remove.outcome == PlanReady) {
        lines.push_back("");
        lines.push_back("Remove would:");
        lines.insert(lines.end(), Remove.words.begin(), Remove.words.end());
    }
    SetWindowTextW(Control(PlanBox), Words(lines).c_str());
    SetWindowTextW(Control(InstallButton), Install.sameVersion ? L"Reinstall" : L"Install");
    EnableWindow(Control(InstallButton), Install.outcome == PlanReady);
    EnableWindow(Control(RemoveButton), Remove.outcome == PlanReady);
    LastFolder = Program.substr(0, Program.find_last_of(L"\\/"));
    bool changed = Known.lastFolder != Utf8(ShownPath(LastFolder));
    Known.lastFolder = Utf8(ShownPath(LastFolder));
    // A file refused before its folder was looked at is nothing to tune.
    if (facts.isProgram && !facts.stickShiftsOwn) {
        const std::wstring folder = Program.substr(0, Program.find_last_of(L'\\') + 1);
        // Where no install plan says (the game runs, say), the file the window remembers.
        const KnownGame* known = FindKnownGame(Known, Utf8(ShownPath(Program)));
        const std::wstring settings = !Install.settingsFile.empty()
                                          ? folder + Wide(Install.settingsFile)
                                      : known != nullptr ? Wide(known->settingsPath)
                                                         : folder + L"StickShift.ini";
        changed |= NoteGame(Known, {Utf8(ShownPath(Program)), Utf8(ShownPath(settings))},
                            installedNow && Remove.outcome != PlanNothingToDo,
                            Remove.outcome == PlanNothingToDo);
        TuneGameFolder(Program, settings);
    }
    if (changed)
        SaveKnownGames();
}

// A game picked in the tuning list that the window knows: its plan, to remove it from there.
void ShowPlanForTunedGame() {
    const std::wstring program = TunedGameProgram();
    if (!program.empty() && !SamePath(program, Program))
        ShowPlanFor(program);
}

// The step as administrator: the probe beside this program, run elevated, carries it out and
// reports back; its exit code reads as the console's.
CarryOutResult CarryOutAsAdministrator(const InstallPlan& plan, bool install,
                                       std::vector<std::string>& report) {
    const std::wstring arguments = std::wstring(install ? L"--install \"" : L"--uninstall \"") +
                                   Program + L"\"" +
                                   (plan.warnAntiCheat ? L" --despite-anti-cheat" : L"");
    const long exitCode = RunProbeAsAdministrator(arguments, report);
    if (report.empty())
        report.push_back(exitCode >= 0 ? "The step as administrator said nothing: what it did is "
                                         "not known here. Choose the game again to see the "
                                         "folder as it is."
                                       : "The step as administrator did not run (refused or "
                                         "cancelled): nothing was changed.");
    return exitCode == CarriedOut      ? CarriedOut
           : exitCode == NotWhollyDone ? NotWhollyDone
                                       : FailedAndPutBack;
}

// Carries a plan out: here, or, where the game's folder needs it, by the probe beside this
// program run as administrator, after the player says yes.
void CarryOut(const InstallPlan& plan, bool install) {
    if (plan.warnAntiCheat &&
        MessageBoxW(Window,
                    L"This game has anti-cheat (EasyAntiCheat or BattlEye): it may refuse "
                    L"StickShift, or ban the account. Go on?",
                    L"StickShift", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    std::vector<std::string> report;
    CarryOutResult result = FailedAndPutBack;
    if (plan.needsAdministrator) {
        if (MessageBoxW(Window,
                        L"The game's folder can be changed only as administrator. Carry this "
                        L"step out as administrator?",
                        L"StickShift", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        result = CarryOutAsAdministrator(plan, install, report);
    } else {
        std::string said;
        result = CarryOutPlan(plan, Program, NoLoaderSource(ToolPath(), Install.bits),
                              SampleSettings(ToolPath()), said);
        report = CarryOutReport(plan, install, result, said);
    }
    // Under Wine nothing else shows whether the game loads the copy beside it.
    if (install && result == CarriedOut && RunsUnderWine())
        report.push_back("To check it: start the game; within a second the list at the top "
                         "names it among the programs where StickShift acts.");
    ShowPlanFor(Program, install);
    report.push_back("");
    const std::wstring text = Words(report) + ControlText(PlanBox);
    SetWindowTextW(Control(PlanBox), text.c_str());
    ShowWhereStickShiftActs();
}

// Where the file dialog opens the first time: Steam's library of games where Steam is
// installed, else the Program Files folder.
std::wstring FirstFolder() {
    wchar_t steam[MAX_PATH] = L"";
    DWORD size = sizeof steam - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", RRF_RT_REG_SZ,
                     nullptr, steam, &size) == ERROR_SUCCESS) {
        std::wstring library = std::wstring(steam) + L"\\steamapps\\common";
        for (wchar_t& c : library)
            c = c == L'/' ? L'\\' : c;
        const DWORD attributes = GetFileAttributesW(library.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return library;
    }
    wchar_t programs[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ProgramFiles", programs, MAX_PATH);
    return programs;
}

void ChooseProgram() {
    if (!TuningChangesSettled())
        return; // another game would be tuned
    const std::wstring initial = LastFolder.empty() ? FirstFolder() : LastFolder;
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Window;
    choose.lpstrFilter = L"Programs (*.exe)\0*.exe\0";
    choose.lpstrFile = path;
    choose.nMaxFile = MAX_PATH;
    choose.lpstrTitle = L"The game's program";
    choose.lpstrInitialDir = initial.c_str();
    choose.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&choose))
        ShowPlanFor(path);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ChooseButton:
            ChooseProgram();
            return 0;
        case InstallButton:
            CarryOut(Install, true);
            return 0;
        case RemoveButton:
            CarryOut(Remove, false);
            return 0;
        }
        if (TuningCommand(LOWORD(wParam), HIWORD(wParam))) {
            if (LOWORD(wParam) == TuneChoice && HIWORD(wParam) == CBN_SELCHANGE)
                ShowPlanForTunedGame();
            return 0;
        }
        break;
    case WM_HSCROLL:
        if (TuningScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case WM_TIMER:
        if (wParam == ActsInTimer)
            ShowWhereStickShiftActs(); // a game started or quit meanwhile
        else
            TuningTimer(wParam);
        return 0;
    case WM_DROPFILES: {
        const HDROP drop = reinterpret_cast<HDROP>(wParam);
        wchar_t path[MAX_PATH] = L"";
        if (DragQueryFileW(drop, 0, path, MAX_PATH) > 0 && TuningChangesSettled())
            ShowPlanFor(path);
        DragFinish(drop);
        return 0;
    }
    case WM_CLOSE:
        if (!TuningChangesSettled())
            return 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// --snapshot: the tuning picture for the settings and a reading of the stick (the chosen
// controller's own, without --stick), into a bitmap file; no display needed. Exit code 0, or
// 2 for a command used wrongly or a file that cannot be written.
int Snapshot(int argumentCount, wchar_t** arguments) {
    const wchar_t* output = nullptr;
    std::wstring settingsPath = SampleSettings(ToolPath());
    bool stickGiven = false;
    int x = 0, y = 0;
    for (int i = 1; i + 1 < argumentCount; i += 2) {
        const std::wstring option = arguments[i];
        if (option == L"--snapshot")
            output = arguments[i + 1];
        else if (option == L"--settings")
            settingsPath = arguments[i + 1];
        else if (option == L"--stick" && swscanf(arguments[i + 1], L"%d,%d", &x, &y) == 2)
            stickGiven = true;
        else
            return 2;
    }
    if (output == nullptr || argumentCount % 2 == 0)
        return 2;
    wchar_t full[SettingsPathCapacity] = L"";
    GetFullPathNameW(settingsPath.c_str(), SettingsPathCapacity, full, nullptr);
    LoadSettingsFromFile(full);
    XINPUT_STATE reading = {};
    if (stickGiven) {
        reading.Gamepad.sThumbLX = static_cast<SHORT>(x);
        reading.Gamepad.sThumbLY = static_cast<SHORT>(y);
    } else {
        ReadSystemController(ControllerIndex, &reading);
    }
    // Whether the module would hold the key for this reading, from the key up.
    WatchState state;
    const DecisionSettings settings = DecisionSettingsNow();
    const bool held = DecideOnReading(state, false, reading.Gamepad.sThumbLX,
                                      reading.Gamepad.sThumbLY, settings, true) == KeyPress;
    constexpr int Size = 320;
    TuningPicture picture = LayOutTuningPicture(Size, ThresholdOn, ThresholdOff,
                                                reading.Gamepad.sThumbLX, reading.Gamepad.sThumbLY);
    bool innerHeld = false;
    if (InnerRing) {
        AddInnerRing(picture, Size, InnerOn, InnerOff);
        innerHeld = DecideInnerOnReading(state, false, reading.Gamepad.sThumbLX,
                                         reading.Gamepad.sThumbLY, settings, true) == KeyPress;
    }
    return WriteTuningSnapshot(output, Size, picture, ForwardOnly, held, innerHeld) ? 0 : 2;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Whatever is loaded from now on comes from the system folder: a game's folder, or the one
    // this program was unzipped to, may hold DLLs named as system ones.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows' own XInput library, never a StickShift copy beside this program: that copy would
    // act, and the key would go down while the player tunes.
    SystemXInputFileName = L"xinput1_4.dll";
    int argumentCount = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
    if (arguments != nullptr && argumentCount > 1 && std::wstring(arguments[1]) == L"--snapshot")
        return Snapshot(argumentCount, arguments);
    const HDC screen = GetDC(nullptr);
    Dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    Font = CreateFontIndirectW(&metrics.lfMessageFont);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"StickShiftWindow";
    RegisterClassW(&windowClass);
    RECT frame = {0, 0, Scaled(920), Scaled(722)};
    // On the taskbar even while it takes no focus, beside a running game.
    const DWORD extendedStyle = WS_EX_ACCEPTFILES | WS_EX_APPWINDOW;
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX), FALSE,
                       extendedStyle);
    Window = CreateWindowExW(
        extendedStyle, windowClass.lpszClassName, L"StickShift " StickShiftVersionWide,
        WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX), CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (Window == nullptr)
        return 1;
    AddControl(L"STATIC", L"", SS_LEFT, ActsInLabel, 12, 12, 536, 40);
    AddControl(L"BUTTON", L"&Add to a game...", WS_TABSTOP | BS_DEFPUSHBUTTON, ChooseButton, 12, 56,
               140, 26);
    AddControl(L"STATIC", L"Choose the game's program, or drop it here.", SS_LEFT, ChooseHint, 164,
               62, 384, 20);
    AddControl(L"EDIT", L"",
               WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
               PlanBox, 12, 92, 536, 582);
    AddControl(L"BUTTON", L"&Install", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, InstallButton, 12,
               684, 100, 26);
    AddControl(L"BUTTON", L"&Remove", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, RemoveButton, 124,
               684, 100, 26);
    LoadKnownGames();
    LastFolder = Wide(Known.lastFolder);
    CreateTuningPanel(572);
    ShowWhereStickShiftActs();
    SetTimer(Window, ActsInTimer, 1000, nullptr);

    if (arguments != nullptr && argumentCount > 1)
        ShowPlanFor(arguments[1]);
    LocalFree(arguments);

    ShowWindow(Window, show);
    SetFocus(Control(ChooseButton));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, Alt+letter and Enter move between and press the controls, as in a dialog.
        if (!IsDialogMessageW(Window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
