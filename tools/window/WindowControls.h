#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the player's window and its tuning panel share: the screen's scale and the font, and
// making a control in 96-dpi units.

extern HWND Window;
extern HFONT Font;
extern int Dpi;

int Scaled(int pixels);
HWND Control(int id);
HWND AddControl(const wchar_t* type, const wchar_t* text, DWORD style, int id, int x, int y,
                int width, int height);
std::wstring ControlText(int id);
void SetText(int id, const std::wstring& text);
std::wstring ToolPath();

// Runs the probe beside this program as administrator (runas) with `arguments`, waits for it,
// and reads what it said, which it writes into a report file named here, since an elevated
// program's output cannot be read otherwise. Its exit code; -1 where it did not run (refused,
// or cancelled).
long RunProbeAsAdministrator(const std::wstring& arguments, std::vector<std::string>& report);
