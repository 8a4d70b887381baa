#pragma once

#include <windows.h>

#include <string>

// The tuning half of the player's window: the stick over its two circles, live, as StickShift
// reads it inside a running game or as this window reads the controller; the settings' controls;
// and Save, which the running game applies at once.

enum TuningControlId {
    TuneLabel = 200,
    TuneChoice,
    TuneSource,
    TunePicture,
    KeyState,
    OnLabel,
    OnBar,
    OnValue,
    OffLabel,
    OffBar,
    OffValue,
    OnHereButton,
    KeyLabelId,
    KeyChoice,
    ModeLabel,
    ModeChoice,
    ControllerLabel,
    ControllerChoice,
    FocusCheck,
    ForwardCheck,
    SaveButton,
    TuneStatus,
    RevertButton,
    DefaultsButton,
    InnerKeyLabel,
    InnerKeyChoice,
    PauseLabel,
    PauseChoice,
};

// Makes the panel's controls, at `left` in 96-dpi units, and starts its timer.
void CreateTuningPanel(int left);

// Offers the settings file of the game at `program`, which its copy reads, for tuning.
void TuneGameFolder(const std::wstring& program, const std::wstring& settingsPath);

// The game's program of the settings file chosen for tuning, where the window knows it; else
// empty.
std::wstring TunedGameProgram();

// The window's messages that belong to the panel; false for any other.
bool TuningCommand(WORD id, WORD code);
bool TuningScroll(HWND bar, WORD code, WORD position);
void TuningTimer(UINT_PTR timer);

// With changes not saved, asks whether to save them first; false when the player cancels, and
// whatever was asked for (closing, another game) is not done.
bool TuningChangesSettled();
