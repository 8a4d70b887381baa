// Random stick motion with random unloads and reloads in this host, and random child hosts
// that load the module and exit with it loaded, one module at a time, for
// STICKSHIFT_SOAK_SECONDS (30 by default; make bench runs longer).

#include "ModuleTest.h"

#include <cstdlib>
#include <random>

using Soak = ModuleTest;

namespace {

DWORD SoakSeconds() {
    const char* seconds = std::getenv("STICKSHIFT_SOAK_SECONDS");
    return seconds != nullptr ? static_cast<DWORD>(std::atoi(seconds)) : 30;
}

// Moves the stick about for `ms`: mostly small steps, sometimes a jump anywhere.
void WanderFor(std::mt19937& random, DWORD ms, SHORT& x, SHORT& y) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        if (random() % 8 == 0) {
            x = static_cast<SHORT>(random());
            y = static_cast<SHORT>(random());
        } else {
            x = static_cast<SHORT>(
                std::max(-32768, std::min(32767, x + static_cast<int>(random() % 8001) - 4000)));
            y = static_cast<SHORT>(
                std::max(-32768, std::min(32767, y + static_cast<int>(random() % 8001) - 4000)));
        }
        PlaceLeftStick(x, y, random() % 50 != 0);
        Sleep(random() % 8);
    }
}

} // namespace

TEST_F(Soak, RandomMotionUnloadsAndProcessExits) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    const std::string module = folder + "\\StickShift.dll";
    PlaceModule(module);
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    SHORT x = 0, y = 0;
    int unloads = 0, exits = 0;

    const ULONGLONG end = GetTickCount64() + SoakSeconds() * 1000ULL;
    while (GetTickCount64() < end) {
        if (random() % 4 == 0) {
            const DWORD lifeMs = random() % 300;
            HANDLE child = StartChild("--exit-while-loaded \"" + module + "\" " +
                                      std::to_string(lifeMs) + " -");
            ASSERT_NE(child, nullptr);
            while (WaitForSingleObject(child, 0) == WAIT_TIMEOUT)
                WanderFor(random, 5, x, y);
            DWORD exitCode = 1;
            GetExitCodeProcess(child, &exitCode);
            CloseHandle(child);
            ASSERT_EQ(exitCode, 0u) << "child host failed or crashed";
            ++exits;
        } else {
            const HMODULE loaded = Load(module);
            ASSERT_NE(loaded, nullptr);
            WanderFor(random, random() % 300, x, y);
            Unload(loaded);
            ++unloads;
        }
    }

    // Every press is released exactly once. A host ended at an unlucky instant may cost a
    // spare release (never a missing one), so a release with no press before it is counted,
    // not failed, up to one per process exit.
    int presses = 0, releases = 0, spareReleases = 0;
    bool down = false;
    for (const KeyEvent& event : KeyEvents()) {
        ASSERT_EQ(event.vkCode, static_cast<DWORD>(VK_LSHIFT));
        if (!event.up) {
            ASSERT_FALSE(down) << "pressed twice without a release, after " << presses
                               << " presses";
            down = true;
            ++presses;
        } else if (down) {
            down = false;
            ++releases;
        } else {
            ++spareReleases;
        }
    }
    std::printf("seed %u: %d unloads, %d process exits, %d presses, %d releases, %d spare\n", seed,
                unloads, exits, presses, releases, spareReleases);
    EXPECT_FALSE(down);
    EXPECT_EQ(presses, releases);
    EXPECT_LE(spareReleases, exits);
    EXPECT_GT(presses, 0);
    EXPECT_TRUE(KeySettles(false));
    ClearKeyEvents(); // checked above, with the allowance for spare releases
}
