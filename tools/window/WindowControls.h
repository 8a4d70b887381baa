#pragma once

#include <windows.h>

#include <string>

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
