#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineHarness.h"

// Each test starts with every controller absent, no key events seen and Left Shift up, and
// ends with every module it loaded unloaded, checking that all the module injected was the
// expected key (Left Shift unless the test says otherwise), flagged as injected, pressed and
// released in turn, and left up.
class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    HMODULE Load(const std::string& path);
    void Unload(HMODULE module);
    // Loads a copy of the module from a fresh folder named after the test, with `settings` as
    // its StickShift.ini unless it is null.
    HMODULE LoadFresh(const char* settings = nullptr);

    // Connects controller 0 with its left stick at (x, y), then lets the module poll it
    // `polls` times.
    static void MoveLeftStick(SHORT x, SHORT y, int polls = 3);
    static size_t EventCount() { return KeyEvents().size(); }
    static void ExpectEventsNow(size_t count);
    static void ExpectNextEventWithin(bool up, size_t count, DWORD timeoutMs = 2000);

    // Finds the thresholds the loaded module uses by probing both circles on the X axis:
    // at `on` nothing, just beyond a press; at `off` nothing, just inside a release.
    // Needs 1 <= off <= on <= 32767 and Left Shift released.
    static void ExpectThresholds(SHORT on, SHORT off);

    std::string CaseFolder() const;

    // The key that the module is expected to inject from now on, with its scan code.
    void ExpectKey(DWORD virtualKey, DWORD scanCode, bool extended);
    // Checks every key event seen so far, as the teardown does, then forgets them.
    void CheckAndClearKeyEvents();

  private:
    std::vector<HMODULE> loaded_;
    DWORD virtualKey_ = VK_LSHIFT;
    DWORD scanCode_ = 0x2A; // Left Shift's own, which games that read scan codes need
    bool extended_ = false;
};
