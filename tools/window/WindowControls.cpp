#include "WindowControls.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

HWND Window = nullptr;
HFONT Font = nullptr;
int Dpi = 96;

int Scaled(int pixels) {
    return MulDiv(pixels, Dpi, 96);
}

HWND Control(int id) {
    return GetDlgItem(Window, id);
}

HWND AddControl(const wchar_t* type, const wchar_t* text, DWORD style, int id, int x, int y,
                int width, int height) {
    const HWND control =
        CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, Scaled(x), Scaled(y),
                        Scaled(width), Scaled(height), Window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE);
    return control;
}

std::wstring ControlText(int id) {
    const HWND control = Control(id);
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Only when it differs: a label set on every tick would flicker.
void SetText(int id, const std::wstring& text) {
    if (ControlText(id) != text)
        SetWindowTextW(Control(id), text.c_str());
}

std::wstring ToolPath() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

long RunProbeAsAdministrator(const std::wstring& arguments, std::vector<std::string>& report) {
    const std::wstring tool = ToolPath();
    const std::wstring probe =
        tool.substr(0, tool.find_last_of(L'\\') + 1) + L"StickShiftProbe.exe";
    wchar_t temporary[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring reportFile = std::wstring(temporary) + L"StickShift-report-" +
                                    std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(reportFile.c_str());
    const std::wstring withReport = arguments + L" --report \"" + reportFile + L"\"";
    SHELLEXECUTEINFOW run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.hwnd = Window;
    run.lpVerb = L"runas";
    run.lpFile = probe.c_str();
    run.lpParameters = withReport.c_str();
    run.nShow = SW_HIDE;
    DWORD exitCode = 0;
    const bool ran = ShellExecuteExW(&run) && run.hProcess != nullptr;
    if (ran) {
        WaitForSingleObject(run.hProcess, INFINITE);
        GetExitCodeProcess(run.hProcess, &exitCode);
        CloseHandle(run.hProcess);
    }
    std::string text;
    if (FILE* file = _wfopen(reportFile.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
    }
    DeleteFileW(reportFile.c_str());
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        report.push_back(
            text.substr(start, (end > start && text[end - 1] == '\r' ? end - 1 : end) - start));
        start = end + 1;
    }
    return ran ? static_cast<long>(exitCode) : -1;
}
