#pragma once

#include <cstddef>
#include <cstdint>

#include "shared/HoldableKey.h"
#include "shared/PathCapacity.h"

// What the settings file holds and how its values become thresholds, free of any platform
// call so that it is shared by the module, its companion tools and the tests.

// Wide text throughout: a folder's name may hold characters that the system's code page cannot.
constexpr const wchar_t* SettingsSection = L"Settings";
constexpr const wchar_t* ThresholdOnKey = L"ThresholdOnPct";
constexpr const wchar_t* ThresholdOffKey = L"ThresholdOffPct";
constexpr std::int32_t DefaultThresholdOnPct = 50;
constexpr std::int32_t DefaultThresholdOffPct = 40;

// Optional settings that fit the module to a player's game. Absent, they give the behaviour the
// module has always had: Left Shift held for the first controller, whatever window has the
// focus, wherever the stick points.
constexpr const wchar_t* KeyNameKey = L"Key";
constexpr const wchar_t* ControllerKey = L"Controller";
constexpr const wchar_t* OnlyWhenFocusedKey = L"OnlyWhenFocused";
constexpr const wchar_t* ModeKey = L"Mode";
constexpr const wchar_t* ForwardOnlyKey = L"ForwardOnly";
constexpr const wchar_t* DefaultKeyName = L"LShift";
constexpr std::int32_t DefaultControllerNumber = 1;
constexpr const wchar_t* DefaultModeName = L"Hold";
constexpr std::int32_t DefaultForwardOnly = 0;

// A second ring inside the first, with a key of its own, held while the push lies between the
// rings: walk on a light push, sprint on a full one. No InnerKey, no inner ring.
constexpr const wchar_t* InnerKeyKey = L"InnerKey";
constexpr const wchar_t* InnerOnKey = L"InnerOnPct";
constexpr const wchar_t* InnerOffKey = L"InnerOffPct";
constexpr std::int32_t DefaultInnerOnPct = 20;
constexpr std::int32_t DefaultInnerOffPct = 15;

// A trigger that lets go of the (outer) key while it is pulled: aiming cancels a sprint.
constexpr const wchar_t* PauseWhileTriggerKey = L"PauseWhileTrigger";

// OnlyWhenFocused's default. Off for Hold. On for Tap and Toggle: a tap sent while the player is
// in another program is lost to the game, and Toggle would fall out of step with it.
constexpr std::int32_t DefaultOnlyWhenFocusedFor(KeyMode mode) {
    return mode == HoldMode ? 0 : 1;
}

// The settings file that the no-loader form reads beside itself, whichever of XInput's names it
// bears, and that StickShiftProbe reads beside itself.
constexpr const wchar_t* SharedSettingsFileName = L"StickShift.ini";

// The key and mode values are read into this many characters. A value that fills them may have
// been cut short, so it names nothing.
constexpr std::size_t KeyNameCapacity = 16;

// The key that `text` names, ignoring letter case and blanks around it: LShift, RShift, LCtrl,
// RCtrl, LAlt, RAlt, Space, Tab, A-Z or 0-9; Shift, Ctrl and Alt alone mean the left one; or a
// controller button: PadLS, PadRS, PadA, PadB, PadX, PadY, PadLB, PadRB, PadBack, PadStart,
// PadUp, PadDown, PadLeft, PadRight. Reads
// at most KeyNameCapacity characters of `text`, terminated or not. An empty, unknown or
// overlong name gives Left Shift and false. The scan code is left for the platform to find.
bool KeyFromName(const wchar_t (&text)[KeyNameCapacity], HoldableKey& key);

// Whether `text` holds nothing but blanks: a key left unset, where that means none.
bool IsBlankName(const wchar_t (&text)[KeyNameCapacity]);

// The index-th key that KeyFromName knows, in the order a list offers them: the named keys,
// then A to Z and 0 to 9; false past the last.
bool HoldableKeyAt(std::size_t index, HoldableKey& key);

// The mode that `text` names, ignoring letter case and blanks around it: Hold, Tap or Toggle.
// Reads at most KeyNameCapacity characters of `text`, terminated or not. An empty, unknown or
// overlong name gives Hold and false.
bool KeyModeFromName(const wchar_t (&text)[KeyNameCapacity], KeyMode& mode);

// The key as a player calls it: "Left Shift", "Space", "A", "Left stick click".
const char* KeyLabel(const HoldableKey& key);

// The trigger that `text` names, ignoring letter case and blanks around it: Left, Right or Both
// (either trigger). Empty gives none and true; an unknown or overlong name gives none and false.
bool PauseTriggerFromName(const wchar_t (&text)[KeyNameCapacity], PauseTrigger& trigger);
const char* PauseTriggerName(PauseTrigger trigger); // "Off", "Left", "Right", "Both"

// Whether the inner ring can be used with these thresholds, in stick units (by magnitude): its
// "on" circle not beyond the outer "off" circle, its "off" circle not beyond its own "on"
// circle; and its key not the outer key.
enum InnerRingUse { InnerRingUsed, InnerRingSameKey, InnerRingBeyondOuter, InnerRingBackwards };
InnerRingUse InnerRingUseFor(const HoldableKey& innerKey, const HoldableKey& outerKey,
                             std::int32_t innerOn, std::int32_t innerOff, std::int32_t outerOff);

// The mode as the settings file names it: "Hold", "Tap", "Toggle".
const char* KeyModeName(KeyMode mode);

// The XInput user index of controller `number` (1 to 4). Any other number gives the first
// controller, index 0, and false.
bool ControllerIndexFromNumber(std::int32_t number, unsigned long& index);

// Whether `text` is a whole number as a player writes one: digits, perhaps signed, perhaps with
// blanks around. The profile routine reads other text too, as its leading digits or 0, which is
// seldom what was meant.
bool IsWholeNumber(const wchar_t* text);

// Percent of full scale to raw stick units: pct / 100 * 32767, truncated toward zero.
// A result beyond the signed 32-bit range becomes INT32_MIN.
std::int32_t PercentToStickUnits(std::int32_t percent);

// The module path cut at its last "." (directories included) followed by ".ini", or the path
// unchanged when it holds no "."; or, when `fileName` is given, that file in the module's folder
// (cut short to fit). Reads at most ModulePathCapacity characters of modulePath and always
// writes a terminated string; allocates nothing.
void BuildSettingsPath(const wchar_t (&modulePath)[ModulePathCapacity],
                       wchar_t (&settingsPath)[SettingsPathCapacity],
                       const wchar_t* fileName = nullptr);
