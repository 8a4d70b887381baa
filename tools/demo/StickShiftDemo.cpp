// Shows StickShift at work under a stand-in controller: moves the stick along a scripted path,
// prints a live timeline of the stick and of the key events that the module injects (as a
// keyboard hook sees them), and draws the path over the two circles as an SVG picture. With a
// controller button for a key, the module is the no-loader form (a MODULE_PATH named xinput*),
// and the demo reads the controller through it as a game does, watching for the button.
//
// Usage: StickShiftDemo.exe MODULE_PATH SVG_PATH

#include <windows.h>
#include <xinput.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "HostRig.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/KeyDecision.h"

namespace {

constexpr double FullScale = 32767.0;
constexpr double Pi = 3.14159265358979323846;
constexpr DWORD StepMs = 10;
constexpr int PrintEverySteps = 20;

// One leg of the script, in polar form so that a leg can move outwards, inwards or round.
struct Leg {
    const char* caption;
    DWORD durationMs;
    double fromPercent, fromDegrees, toPercent, toDegrees;
    bool connected;
};

struct PathPoint {
    SHORT x, y;
    bool connected, held, innerHeld;
};

struct Mark {
    SHORT x, y;
    bool up;
    double seconds;
    bool inner; // the inner ring's key
};

double DeflectionPercent(SHORT x, SHORT y) {
    return std::sqrt(static_cast<double>(SquaredDeflection(x, y))) / FullScale * 100.0;
}

double ThresholdPercent(std::int32_t threshold) {
    return std::fabs(static_cast<double>(threshold)) / FullScale * 100.0;
}

SHORT Axis(double percent, double degrees, bool cosine) {
    const double radians = degrees * Pi / 180.0;
    const double value =
        percent / 100.0 * FullScale * (cosine ? std::cos(radians) : std::sin(radians));
    return static_cast<SHORT>(std::lround(value < -32768.0    ? -32768.0
                                          : value > FullScale ? FullScale
                                                              : value));
}

double Seconds(ULONGLONG start, ULONGLONG ticks) {
    return TicksToMs(static_cast<LONGLONG>(ticks - start)) / 1000.0;
}

double SecondsSince(ULONGLONG start) {
    return Seconds(start, Ticks());
}

std::vector<Leg> Script(double onPercent, double offPercent) {
    // Within 0..100 % for the path; settings beyond that still run, with captions to match.
    const double on = onPercent > 100.0 ? 100.0 : onPercent;
    const double off = offPercent > 100.0 ? 100.0 : offPercent;
    const double band = (on + off) / 2.0;
    std::vector<Leg> legs = {{"at rest", 600, 0, 90, 0, 90, true}};
    // Walk before the sprint: a light push between the rings, held, and back.
    const double walk = (ThresholdPercent(InnerOn) + off) / 2.0;
    if (InnerRing)
        legs.insert(legs.end(),
                    {{"a light push, between the rings: walk", 600, 0, 90, walk, 90, true},
                     {"walk on", 800, walk, 90, walk, 60, true},
                     {"back to rest", 400, walk, 60, 0, 60, true}});
    legs.insert(legs.end(),
                {
                    {"slow push forward past the \"on\" circle", 2000, 0, 90, 95, 90, true},
                    {"turn sideways", 1000, 95, 90, 95, 0, true},
                    {"ease back into the band between the circles", 500, 95, 0, band, 0, true},
                    {"hover in the band", 1200, band, 0, band, -45, true},
                    {"ease inside the \"off\" circle", 800, band, -45, off * 0.6, -45, true},
                    {"back to rest", 400, off * 0.6, -45, 0, -45, true},
                    {"push back and to the side", 1000, 0, -135, 90, -135, true},
                    {"hold", 300, 90, -135, 90, -135, true},
                    {"back to rest", 700, 90, -135, 0, -135, true},
                    {"push forward and to the side", 800, 0, 135, 90, 135, true},
                    {"controller unplugged: a held key goes up after half a second", 700, 90, 135,
                     90, 200, false},
                    {"stick let go, still unplugged", 500, 90, 200, 0, 200, false},
                    {"controller plugged back in, at rest", 1100, 0, 200, 0, 200, true},
                    {"push forward", 800, 0, 40, 90, 40, true},
                    {"hold", 400, 90, 40, 90, 40, true},
                });
    return legs;
}

void PrintEvent(const HoldableKey& key, bool up, const char* how, double seconds, SHORT x,
                SHORT y) {
    std::printf("%7.2f s   >>> %s %-4s %s  (stick at %.1f %%)\n", seconds, KeyLabel(key),
                up ? "UP" : "DOWN", how, DeflectionPercent(x, y));
}

// Maps stick units onto the picture: the stick's square spans 40..560, Y pointing up.
double PictureX(double x) {
    return 300.0 + x / 32768.0 * 260.0;
}
double PictureY(double y) {
    return 300.0 - y / 32768.0 * 260.0;
}

void WriteSvg(const char* path, const std::vector<PathPoint>& points,
              const std::vector<Mark>& marks) {
    FILE* svg = std::fopen(path, "w");
    if (svg == nullptr) {
        std::printf("cannot write %s\n", path);
        return;
    }
    const std::string modeNote =
        Mode == HoldMode ? "" : std::string(" (") + KeyModeName(Mode) + ")";
    const double onRadius = std::fabs(static_cast<double>(ThresholdOn)) / 32768.0 * 260.0;
    const double offRadius = std::fabs(static_cast<double>(ThresholdOff)) / 32768.0 * 260.0;
    std::fprintf(svg,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"600\" height=\"680\" "
                 "viewBox=\"0 0 600 680\" font-family=\"sans-serif\" font-size=\"14\">\n"
                 "<rect width=\"600\" height=\"680\" fill=\"white\"/>\n"
                 "<text x=\"300\" y=\"26\" text-anchor=\"middle\" font-size=\"17\">"
                 "StickShift: left stick path and %s%s</text>\n"
                 "<rect x=\"40\" y=\"40\" width=\"520\" height=\"520\" fill=\"#f6f6f6\" "
                 "stroke=\"#999\"/>\n"
                 "<line x1=\"40\" y1=\"300\" x2=\"560\" y2=\"300\" stroke=\"#ccc\"/>\n"
                 "<line x1=\"300\" y1=\"40\" x2=\"300\" y2=\"560\" stroke=\"#ccc\"/>\n"
                 "<circle cx=\"300\" cy=\"300\" r=\"%.1f\" fill=\"none\" stroke=\"#1f77b4\" "
                 "stroke-width=\"2\" stroke-dasharray=\"6 4\"/>\n"
                 "<circle cx=\"300\" cy=\"300\" r=\"%.1f\" fill=\"none\" stroke=\"#d62728\" "
                 "stroke-width=\"2\"/>\n",
                 KeyLabel(HeldKey), modeNote.c_str(), offRadius, onRadius);
    if (InnerRing)
        std::fprintf(svg,
                     "<circle cx=\"300\" cy=\"300\" r=\"%.1f\" fill=\"none\" stroke=\"#9400aa\" "
                     "stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\n"
                     "<circle cx=\"300\" cy=\"300\" r=\"%.1f\" fill=\"none\" stroke=\"#9400aa\" "
                     "stroke-width=\"1.5\"/>\n"
                     "<text x=\"300\" y=\"578\" text-anchor=\"middle\" fill=\"#9400aa\">inner ring "
                     "%.1f %% / %.1f %%: %s between the rings (path purple)</text>\n",
                     std::fabs(static_cast<double>(InnerOff)) / 32768.0 * 260.0,
                     std::fabs(static_cast<double>(InnerOn)) / 32768.0 * 260.0,
                     ThresholdPercent(InnerOn), ThresholdPercent(InnerOff), KeyLabel(InnerKey));
    // The forward cone: out within 60 degrees of forward (red), in beyond about 80 (blue).
    const double coneEdges[] = {Pi / 3, std::atan(std::sqrt(32.0))};
    for (int edge = 0; ForwardOnly && edge < 4; ++edge) {
        const double fromForward = coneEdges[edge / 2] * (edge % 2 ? -1.0 : 1.0);
        std::fprintf(svg,
                     "<line x1=\"300\" y1=\"300\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
                     "stroke-width=\"1.5\"%s/>\n",
                     300.0 + 260.0 * std::sin(fromForward), 300.0 - 260.0 * std::cos(fromForward),
                     edge < 2 ? "#d62728" : "#1f77b4", edge < 2 ? "" : " stroke-dasharray=\"6 4\"");
    }

    // The path, in runs of one style: orange while the module holds the key, grey while it
    // does not, dotted while the controller is unplugged.
    for (size_t runStart = 0; runStart + 1 < points.size();) {
        const PathPoint& first = points[runStart + 1];
        size_t runEnd = runStart + 1;
        while (runEnd + 1 < points.size() && points[runEnd + 1].held == first.held &&
               points[runEnd + 1].innerHeld == first.innerHeld &&
               points[runEnd + 1].connected == first.connected)
            ++runEnd;
        std::fprintf(svg, "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"3\"%s points=\"",
                     first.held        ? "#ff7f0e"
                     : first.innerHeld ? "#9400aa"
                                       : "#888",
                     first.connected ? "" : " stroke-dasharray=\"3 6\"");
        for (size_t i = runStart; i <= runEnd; ++i)
            std::fprintf(svg, "%.1f,%.1f ", PictureX(points[i].x), PictureY(points[i].y));
        std::fprintf(svg, "\"/>\n");
        runStart = runEnd;
    }
    // Each mark is labelled to one side of the stick's direction, presses and releases to
    // opposite sides, so that a press and a release on the same ray stay apart.
    for (const Mark& mark : marks) {
        const double direction =
            std::atan2(static_cast<double>(mark.y), static_cast<double>(mark.x));
        const double side = direction + (mark.up ? -Pi / 2 : Pi / 2);
        const double labelX = PictureX(mark.x) + 14 * std::cos(side);
        const double labelY = PictureY(mark.y) - 14 * std::sin(side) + 4;
        std::fprintf(
            svg,
            "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"7\" fill=\"%s\" stroke=\"black\"/>\n"
            "<text x=\"%.1f\" y=\"%.1f\" font-size=\"12\" text-anchor=\"%s\">%s %.1fs</text>\n",
            PictureX(mark.x), PictureY(mark.y),
            mark.up      ? "#2ca02c"
            : mark.inner ? "#9400aa"
                         : "#ff7f0e",
            labelX, labelY, std::cos(side) >= 0 ? "start" : "end", mark.up ? "up" : "down",
            mark.seconds);
    }
    std::fprintf(svg,
                 "<g font-size=\"13\">\n"
                 "<line x1=\"40\" y1=\"590\" x2=\"70\" y2=\"590\" stroke=\"#d62728\" "
                 "stroke-width=\"2\"/><text x=\"78\" y=\"595\">\"on\" circle: %.1f %% (%ld "
                 "units), %s down beyond it</text>\n"
                 "<line x1=\"40\" y1=\"612\" x2=\"70\" y2=\"612\" stroke=\"#1f77b4\" "
                 "stroke-width=\"2\" stroke-dasharray=\"6 4\"/><text x=\"78\" y=\"617\">\"off\" "
                 "circle: %.1f %% (%ld units), %s up inside it</text>\n"
                 "<line x1=\"40\" y1=\"634\" x2=\"70\" y2=\"634\" stroke=\"#ff7f0e\" "
                 "stroke-width=\"3\"/><text x=\"78\" y=\"639\">stick path while %s is "
                 "held; grey while up, dotted while unplugged</text>\n"
                 "<circle cx=\"55\" cy=\"656\" r=\"6\" fill=\"#ff7f0e\" stroke=\"black\"/>"
                 "<text x=\"78\" y=\"661\">%s down</text>\n"
                 "<circle cx=\"215\" cy=\"656\" r=\"6\" fill=\"#2ca02c\" stroke=\"black\"/>"
                 "<text x=\"230\" y=\"661\">%s up, as a keyboard hook saw them</text>\n"
                 "</g>\n</svg>\n",
                 ThresholdPercent(ThresholdOn), static_cast<long>(ThresholdOn), KeyLabel(HeldKey),
                 ThresholdPercent(ThresholdOff), static_cast<long>(ThresholdOff), KeyLabel(HeldKey),
                 KeyLabel(HeldKey), KeyLabel(HeldKey), KeyLabel(HeldKey));
    std::fclose(svg);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: StickShiftDemo.exe MODULE_PATH SVG_PATH\n");
        return 2;
    }
    char narrowPath[MAX_PATH];
    GetFullPathNameA(argv[1], MAX_PATH, narrowPath, nullptr);
    wchar_t modulePath[ModulePathCapacity] = L"";
    MultiByteToWideChar(CP_ACP, 0, narrowPath, -1, modulePath, ModulePathCapacity);

    // The settings the module is about to read, by the module's own code: the demo moves the
    // controller they choose. It has no window that could take the foreground, so it shows the
    // run as if the game had it.
    const wchar_t* fileName = std::wcsrchr(modulePath, L'\\');
    const bool noLoader =
        _wcsnicmp(fileName != nullptr ? fileName + 1 : modulePath, L"xinput", 6) == 0;
    wchar_t settingsPath[SettingsPathCapacity];
    BuildSettingsPath(modulePath, settingsPath, noLoader ? SharedSettingsFileName : nullptr);
    LoadSettingsFromFile(settingsPath);
    if (OnlyWhenFocused) {
        WritePrivateProfileStringW(SettingsSection, OnlyWhenFocusedKey, L"0", settingsPath);
        std::printf("OnlyWhenFocused is on: the demo shows the run as if the game had the focus "
                    "(its copy of the settings says 0)\n");
    }

    StartKeyboardWatch();
    ResetController();
    HMODULE module = LoadLibraryW(modulePath);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", narrowPath, GetLastError());
        return 1;
    }
    // A controller button, as the game reads it through the no-loader form.
    const auto readAsTheGame = reinterpret_cast<DWORD(WINAPI*)(DWORD, XINPUT_STATE*)>(
        reinterpret_cast<void*>(GetProcAddress(module, "XInputGetState")));
    const bool padKey = HeldKey.padButton != 0;
    if (padKey && readAsTheGame == nullptr) {
        std::fprintf(stderr, "%s is a controller button: it needs the no-loader form\n",
                     HeldKey.name);
        return 1;
    }
    std::printf("StickShift loaded from %s; controller %lu; %s mode%s\n", narrowPath,
                ControllerIndex + 1, KeyModeName(Mode),
                ForwardOnly ? "; only a push forward counts" : "");
    std::printf("\"on\" circle %.1f %% (%ld stick units), \"off\" circle %.1f %% (%ld)\n\n",
                ThresholdPercent(ThresholdOn), static_cast<long>(ThresholdOn),
                ThresholdPercent(ThresholdOff), static_cast<long>(ThresholdOff));
    if (InnerRing)
        std::printf("inner ring: %s between %.1f %% and the \"off\" circle, up inside %.1f %%\n\n",
                    KeyLabel(InnerKey), ThresholdPercent(InnerOn), ThresholdPercent(InnerOff));
    std::printf("   time    stick X  stick Y  deflection\n");

    std::vector<PathPoint> points;
    std::vector<Mark> marks;
    size_t eventsSeen = 0;
    bool held = false, innerHeld = false;
    const ULONGLONG start = Ticks();

    auto mark = [&](bool up, const char* how, double seconds, SHORT x, SHORT y, bool inner) {
        PrintEvent(inner ? InnerKey : HeldKey, up, how, seconds, x, y);
        marks.push_back({x, y, up, seconds, inner});
        (inner ? innerHeld : held) = !up;
    };
    auto reportNewEvents = [&](SHORT x, SHORT y) {
        const std::vector<KeyEvent> events = KeyEvents();
        for (; eventsSeen < events.size(); ++eventsSeen) {
            const KeyEvent& event = events[eventsSeen];
            const bool inner =
                InnerRing && InnerKey.padButton == 0 && event.vkCode == InnerKey.virtualKey;
            mark(event.up,
                 (inner || event.vkCode == HeldKey.virtualKey) && (event.flags & LLKHF_INJECTED)
                     ? "injected"
                     : "unexpected key!",
                 Seconds(start, event.when), x, y, inner);
        }
        XINPUT_STATE reading = {};
        if (padKey && readAsTheGame(ControllerIndex, &reading) == ERROR_SUCCESS &&
            ((reading.Gamepad.wButtons & HeldKey.padButton) != 0) == !held)
            mark(held, "in what the game reads", SecondsSince(start), x, y, false);
    };

    for (const Leg& leg : Script(ThresholdPercent(ThresholdOn), ThresholdPercent(ThresholdOff))) {
        std::printf("%7.2f s   --- %s\n", SecondsSince(start), leg.caption);
        const DWORD steps = leg.durationMs / StepMs;
        for (DWORD step = 1; step <= steps; ++step) {
            const double t = static_cast<double>(step) / steps;
            const double percent = leg.fromPercent + (leg.toPercent - leg.fromPercent) * t;
            const double degrees = leg.fromDegrees + (leg.toDegrees - leg.fromDegrees) * t;
            const SHORT x = Axis(percent, degrees, true);
            const SHORT y = Axis(percent, degrees, false);
            PlaceLeftStick(x, y, leg.connected, static_cast<int>(ControllerIndex));
            Sleep(StepMs);
            reportNewEvents(x, y);
            points.push_back({x, y, leg.connected, held, innerHeld});
            if (step % PrintEverySteps == 0)
                std::printf("%7.2f s   %7d  %7d  %6.1f %%%s%s\n", SecondsSince(start), x, y,
                            DeflectionPercent(x, y), held ? "   key held" : "",
                            leg.connected ? "" : "   (unplugged)");
            std::fflush(stdout);
        }
    }

    const PathPoint last = points.back();
    // The no-loader form that acts stays loaded until the game ends, and the button with it.
    const char* const end = padKey ? "end the game" : "unload the module";
    if (held)
        std::printf("%7.2f s   --- %s while %s is held\n", SecondsSince(start), end,
                    KeyLabel(HeldKey));
    else
        std::printf("%7.2f s   --- %s\n", SecondsSince(start), end);
    FreeLibrary(module);
    if (!padKey) {
        WaitForKeyEvents(eventsSeen + 1, 500);
        reportNewEvents(last.x, last.y);
    } else if (held) {
        mark(true, "as the game ends", SecondsSince(start), last.x, last.y, false);
    }

    size_t presses = 0;
    for (const Mark& mark : marks)
        presses += mark.up ? 0 : 1;
    std::printf("\n%zu presses, %zu releases; %s is %s.\n", presses, marks.size() - presses,
                KeyLabel(HeldKey),
                padKey || KeySettles(false, 1000, HeldKey.virtualKey) ? "up" : "STILL DOWN");
    WriteSvg(argv[2], points, marks);
    // Every press must be released; and there must be presses, unless no push can reach the
    // "on" circle. A controller button comes with no keyboard event at all.
    const bool reachable = SquareThreshold(ThresholdOn) < SquaredDeflection(-32768, -32768);
    const bool keyboardAsExpected = !padKey || KeyEvents().empty();
    return (presses > 0 || !reachable) && marks.size() == 2 * presses && keyboardAsExpected ? 0 : 1;
}
