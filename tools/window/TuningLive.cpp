// The live picture: the stick over its circles each turn, and the circles dragged.

#include "TuningPanel.h"

#include "TuningState.h"

#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "TuningDrawing.h"
#include "WindowControls.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "tuning/TunedSettings.h"
#include "watcher/KeyDecision.h"

namespace Tuning {

// How near a circle's line a press takes hold of it.
int GripPixels() {
    return Scaled(8);
}

TuningPicture LayOutNow() {
    TuningPicture picture =
        LayOutTuningPicture(Scaled(PictureSize), ThresholdOn, ThresholdOff, StickX, StickY);
    // Drawn while chosen, even where the module would not use it, so that it can be put right.
    if (Tuned.innerRing)
        AddInnerRing(picture, Scaled(PictureSize), InnerOn, InnerOff);
    return picture;
}

// The keys' states under the picture.
std::wstring KeyStateWords() {
    std::wstring words = Held ? L"Key down (the dot is green)" : L"Key up";
    if (Tuned.innerRing && !InnerRing)
        words += L"; no inner ring: its \"on\" circle lies beyond the \"off\" circle, its "
                 L"\"off\" beyond its \"on\", or its key is the Key";
    else if (Tuned.innerRing)
        words +=
            L"; " + Wide(KeyLabel(InnerKey)) + (InnerHeld ? L" down (the dot is purple)" : L" up");
    if (Paused)
        words += L"; let go: " + Wide(TriggerLabel(PauseWhileTrigger)) + L" is pulled";
    return words;
}

// What the picture shows this turn: the stick as the acting copy read it inside the game,
// while the game is in front; else the chosen controller as this window reads it, through
// Windows' own library, decided with the module's own code.
void Tick() {
    if (++Ticks % TargetsEveryTicks == 1)
        RefreshTargets(L"");
    const TuneTarget* target = ChosenTarget();
    const bool gameActs = Watched.record != nullptr && Watched.record->flags.acting != 0;
    // Windows may give the controller only to the program in front: the tuner's own reading.
    const bool tunerInFront = GetForegroundWindow() == Window;
    std::wstring source;
    if (gameActs && !tunerInFront) {
        const PublishedTurn turn = LastPublishedTurn(*Watched.record);
        StickX = turn.x;
        StickY = turn.y;
        Held = turn.keyHeld;
        InnerHeld = turn.innerHeld;
        Paused = turn.paused;
        source =
            L"The stick as StickShift reads it inside " + Wide(target->program) +
            (turn.stickCounts
                 ? L""
                 : L", where it does not count now (the game is not in front, or has XInput off)") +
            L".\r\nThe game uses " + Wide(target->settingsInUse) + L".";
    } else {
        XINPUT_STATE reading = {};
        const DecisionSettings settings = DecisionSettingsNow();
        const XINPUT_GAMEPAD& pad = reading.Gamepad;
        HeldKeyEvent event, innerEvent;
        if (ReadsControllerThisTurn(OwnState, GetTickCount64()) &&
            ReadSystemController(ControllerIndex, &reading) == ERROR_SUCCESS) {
            event = DecideOnReading(OwnState, OwnHeld, pad.sThumbLX, pad.sThumbLY, settings, true,
                                    pad.bLeftTrigger, pad.bRightTrigger);
            innerEvent = DecideInnerOnReading(OwnState, OwnInnerHeld, pad.sThumbLX, pad.sThumbLY,
                                              settings, true);
        } else {
            event = DecideWithoutReading(OwnState, OwnHeld, settings, true);
            innerEvent = DecideInnerWithoutReading(OwnState, OwnInnerHeld, true);
        }
        if (event != NoKeyEvent) {
            OwnHeld = event == KeyPress;
            KeyEventWentThrough(OwnState, event);
        }
        if (innerEvent != NoKeyEvent)
            OwnInnerHeld = innerEvent == KeyPress;
        InnerHeld = OwnInnerHeld;
        Paused = OwnState.paused;
        StickX = reading.Gamepad.sThumbLX;
        StickY = reading.Gamepad.sThumbLY;
        Held = OwnHeld;
        const std::wstring controller = L"Controller " + std::to_wstring(Tuned.controller);
        source = ControllerGone(OwnState)
                     ? controller + L" is not connected."
                     : controller + L" as this window reads it, decided with these settings.";
        if (gameActs)
            source +=
                L"\r\nClick into " + Wide(target->program) + L" to see it as StickShift does.";
    }
    SetText(TuneSource, source);
    SetText(KeyState, KeyStateWords());
    if (SquaredDeflection(StickX, StickY) >
        SquaredDeflection(LargestPush.first, LargestPush.second))
        LargestPush = {StickX, StickY};
    Trail.push_back({StickX, StickY});
    if (Trail.size() > TrailLength)
        Trail.pop_front();
    InvalidateRect(Control(TunePicture), nullptr, FALSE);
}

LRESULT CALLBACK PictureProcedure(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(picture, &paint);
        const int size = Scaled(PictureSize);
        // Drawn aside and copied in one go, so that the picture does not flicker.
        const HDC aside = CreateCompatibleDC(dc);
        const HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
        const HGDIOBJ old = SelectObject(aside, bitmap);
        const TuningPicture layout = LayOutNow();
        std::vector<POINT> trail;
        for (const auto& place : Trail) {
            int x, y;
            StickPixel(layout, place.first, place.second, x, y);
            trail.push_back({x, y});
        }
        DrawTuningPicture(aside, size, layout, ForwardOnly, Held, trail,
                          PushRadius(layout, LargestPush.first, LargestPush.second), InnerHeld,
                          Paused);
        BitBlt(dc, 0, 0, size, size, aside, 0, 0, SRCCOPY);
        SelectObject(aside, old);
        DeleteObject(bitmap);
        DeleteDC(aside);
        EndPaint(picture, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR: {
        // A circle under the pointer can be dragged: say so.
        POINT pointer;
        GetCursorPos(&pointer);
        ScreenToClient(picture, &pointer);
        if (CircleAt(LayOutNow(), pointer.x, pointer.y, GripPixels()) == NoCircle)
            break;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)));
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        Dragging = CircleAt(LayOutNow(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), GripPixels());
        if (Dragging != NoCircle)
            SetCapture(picture);
        return 0;
    case WM_MOUSEMOVE:
        if (Dragging != NoCircle) {
            (Dragging == OnCircle        ? Tuned.onPct
             : Dragging == OffCircle     ? Tuned.offPct
             : Dragging == InnerOnCircle ? Tuned.innerOnPct
                                         : Tuned.innerOffPct) =
                PercentAtPixel(LayOutNow(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            SettingsChanged();
        }
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        Dragging = NoCircle;
        return 0;
    }
    return DefWindowProcW(picture, message, wParam, lParam);
}

} // namespace Tuning
