#include "WindowControls.h"

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
