#include "ModuleTest.h"

#include <algorithm>

void ModuleTest::SetUp() {
    ResetController();
    ClearKeyEvents();
    ASSERT_TRUE(KeySettles(false));
}

void ModuleTest::TearDown() {
    for (HMODULE module : loaded_)
        FreeLibrary(module);
    loaded_.clear();
    CheckAndClearKeyEvents();
}

void ModuleTest::ExpectKey(DWORD virtualKey, DWORD scanCode, bool extended) {
    virtualKey_ = virtualKey;
    scanCode_ = scanCode;
    extended_ = extended;
}

void ModuleTest::CheckAndClearKeyEvents() {
    const std::vector<KeyEvent> events = KeyEvents();
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE("key event " + std::to_string(i));
        EXPECT_EQ(events[i].vkCode, virtualKey_);
        EXPECT_TRUE(events[i].flags & LLKHF_INJECTED);
        EXPECT_EQ(events[i].scanCode, scanCode_);
        EXPECT_EQ((events[i].flags & LLKHF_EXTENDED) != 0, extended_);
        EXPECT_EQ(events[i].up, i % 2 == 1) << "presses and releases must alternate";
    }
    EXPECT_EQ(events.size() % 2, 0u) << "a press was never released";
    if (!KeySettles(false, 1000, virtualKey_)) {
        ADD_FAILURE() << "the key was left down";
        // Put it back up, or every test after this one fails too.
        INPUT release = {};
        release.type = INPUT_KEYBOARD;
        release.ki.wVk = static_cast<WORD>(virtualKey_);
        release.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &release, sizeof release);
        KeySettles(false, 1000, virtualKey_);
    }
    ClearKeyEvents();
}

HMODULE ModuleTest::Load(const std::string& path) {
    HMODULE module = LoadLibraryW(Wide(path).c_str());
    EXPECT_NE(module, nullptr) << path << " error " << GetLastError();
    if (module != nullptr)
        loaded_.push_back(module);
    return module;
}

void ModuleTest::Unload(HMODULE module) {
    loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), module), loaded_.end());
    EXPECT_TRUE(FreeLibrary(module));
}

HMODULE ModuleTest::LoadFresh(const char* settings) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    if (settings != nullptr)
        WriteTextFile(folder + "\\StickShift.ini", settings);
    return Load(folder + "\\StickShift.dll");
}

std::string ModuleTest::CaseFolder() const {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "." + test->name();
}

void ModuleTest::MoveLeftStick(SHORT x, SHORT y, int polls) {
    PlaceLeftStick(x, y);
    ASSERT_TRUE(WaitForPolls(polls)) << "the module stopped reading the controller";
}

void ModuleTest::ExpectEventsNow(size_t count) {
    EXPECT_EQ(EventCount(), count);
}

void ModuleTest::ExpectNextEventWithin(bool up, size_t count, DWORD timeoutMs) {
    ASSERT_TRUE(WaitForKeyEvents(count, timeoutMs)) << "no " << (up ? "release" : "press");
    EXPECT_EQ(KeyEvents()[count - 1].up, up);
}

void ModuleTest::ExpectThresholds(SHORT on, SHORT off) {
    SCOPED_TRACE("thresholds " + std::to_string(on) + " and " + std::to_string(off));
    const size_t before = EventCount();
    MoveLeftStick(on, 0);
    ExpectEventsNow(before);
    MoveLeftStick(on, 1, 1);
    ExpectNextEventWithin(false, before + 1);
    MoveLeftStick(off, 0);
    ExpectEventsNow(before + 1);
    MoveLeftStick(off - 1, 0, 1);
    ExpectNextEventWithin(true, before + 2);
    MoveLeftStick(0, 0);
    ExpectEventsNow(before + 2);
}
