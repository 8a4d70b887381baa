#include "shared/ProcessRecord.h"

#include "shared/SharedValues.h"

namespace {

ProcessRecord OwnRecord;
HANDLE RecordMapping = nullptr;
void* RecordView = nullptr;
// The flags of the record the process shares, whichever its layout.
ProcessRecordFlags* SharedFlags = &OwnRecord.flags;
bool Claimed = false;

constexpr LONG64 OnePadButtonChange = LONG64{1} << 16;

} // namespace

ProcessRecord* ThisProcessRecord = &OwnRecord;

void ProcessRecordName(DWORD processId, wchar_t (&name)[ProcessRecordNameCapacity]) {
    const wchar_t prefix[] = L"Local\\StickShift.";
    std::size_t length = 0;
    for (; prefix[length] != L'\0'; ++length)
        name[length] = prefix[length];
    wchar_t digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + processId % 10);
        processId /= 10;
    } while (processId != 0);
    while (count > 0)
        name[length++] = digits[--count];
    name[length] = L'\0';
}

void* MapProcessRecord(HANDLE mapping, DWORD access, bool& whole) {
    // A view larger than the mapping fails: so it is for a record an older copy made.
    void* view = MapViewOfFile(mapping, access, 0, 0, sizeof(ProcessRecord));
    whole = view != nullptr;
    return whole ? view : MapViewOfFile(mapping, access, 0, 0, sizeof(ProcessRecordFlags));
}

bool OpenProcessRecordAndClaim() {
    wchar_t name[ProcessRecordNameCapacity];
    ProcessRecordName(GetCurrentProcessId(), name);
    RecordMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       ProcessRecordMappingSize, name);
    bool whole = false;
    RecordView = RecordMapping != nullptr
                     ? MapProcessRecord(RecordMapping, FILE_MAP_ALL_ACCESS, whole)
                     : nullptr;
    if (RecordView != nullptr)
        SharedFlags = static_cast<ProcessRecordFlags*>(RecordView);
    if (whole) {
        ThisProcessRecord = static_cast<ProcessRecord*>(RecordView);
        // The copy that made the record says what it holds; a later copy changes nothing.
        if (InterlockedCompareExchange(&ThisProcessRecord->layoutSize, sizeof(ProcessRecord), 0) ==
            0)
            InterlockedExchange(&ThisProcessRecord->layoutVersion, ProcessRecordLayoutVersion);
    }
    Claimed = InterlockedCompareExchange(&SharedFlags->acting, 1, 0) == 0;
    return Claimed;
}

void RecordXInputEnable(BOOL enable) {
    const LONG disabled = enable ? 0 : 1;
    // While disabled, the button held is left out of what the game reads: that change of
    // contents gets a packet number of its own too. Nothing is counted before a pad key's
    // first change, so that a keyboard key's game reads XInput's own numbers.
    ProcessRecord& record = *ThisProcessRecord;
    if (InterlockedExchange(&SharedFlags->xinputDisabled, disabled) != disabled &&
        InterlockedCompareExchange64(&record.padButtonState, 0, 0) != 0)
        InterlockedExchangeAdd64(&record.padButtonState, OnePadButtonChange);
}

bool XInputDisabledInProcess() {
    return SharedFlags->xinputDisabled != 0;
}

void SetPadController(DWORD userIndex) {
    InterlockedExchange(&ThisProcessRecord->padController, static_cast<LONG>(userIndex));
}

LONG64 PadButtonStateNow() {
    return InterlockedCompareExchange64(&ThisProcessRecord->padButtonState, 0, 0);
}

bool ReplacePadButtons(LONG64 before, std::uint16_t buttons) {
    const LONG64 after = ((before >> 16) + 1) << 16 | buttons;
    return InterlockedCompareExchange64(&ThisProcessRecord->padButtonState, after, before) ==
           before;
}

void ChangePadButtons(DWORD userIndex, std::uint16_t set, std::uint16_t clear) {
    SetPadController(userIndex);
    // The game's XInputEnable, or its own read, may count a change meanwhile, from another
    // thread.
    for (;;) {
        const LONG64 before = PadButtonStateNow();
        const auto buttons =
            static_cast<std::uint16_t>((static_cast<std::uint16_t>(before) & ~clear) | set);
        if (buttons == static_cast<std::uint16_t>(before) || ReplacePadButtons(before, buttons))
            return;
    }
}

DWORD AddHeldPadButton(DWORD userIndex, XINPUT_STATE* state, DWORD result) {
    const ProcessRecord& record = *ThisProcessRecord;
    if (result != ERROR_SUCCESS || state == nullptr ||
        userIndex != static_cast<DWORD>(record.padController))
        return result;
    const LONG64 held =
        InterlockedCompareExchange64(const_cast<volatile LONG64*>(&record.padButtonState), 0, 0);
    // Always the count: were it left out while disabled, the number would go back.
    state->dwPacketNumber += static_cast<DWORD>(held >> 16);
    if (!XInputDisabledInProcess())
        state->Gamepad.wButtons |= static_cast<WORD>(held & 0xFFFF);
    return result;
}

void CloseProcessRecord() {
    if (Claimed)
        InterlockedExchange(&SharedFlags->acting, 0);
    Claimed = false;
    if (RecordView != nullptr)
        UnmapViewOfFile(RecordView);
    RecordView = nullptr;
    SharedFlags = &OwnRecord.flags;
    ThisProcessRecord = &OwnRecord;
    if (RecordMapping != nullptr)
        CloseHandle(RecordMapping);
    RecordMapping = nullptr;
}

void PublishTurn(SHORT x, SHORT y, bool stickCounts, bool keyHeld, bool innerHeld, bool paused) {
    InterlockedExchange64(
        &ThisProcessRecord->lastTurn,
        static_cast<LONG64>(PackTurn({x, y, stickCounts, keyHeld, innerHeld, paused})));
}

PublishedTurn LastPublishedTurn(const ProcessRecord& record) {
    // One load, of the whole word, that writes nothing: a tool maps the record for reading.
    return UnpackTurn(
        static_cast<std::uint64_t>(__atomic_load_n(&record.lastTurn, __ATOMIC_ACQUIRE)));
}

void PublishSettingsPath(const wchar_t* path) {
    wchar_t* published = ThisProcessRecord->settingsPath;
    std::size_t length = 0;
    for (; length + 1 < SettingsPathCapacity && path[length] != L'\0'; ++length)
        published[length] = path[length];
    published[length] = L'\0';
}

void PublishSettingsInUse() {
    ProcessRecord::SettingsInUse& published = ThisProcessRecord->settingsInUse;
    published.thresholdOn = ThresholdOn;
    published.thresholdOff = ThresholdOff;
    for (std::size_t i = 0; i < sizeof published.keyName; ++i)
        published.keyName[i] = i < sizeof HeldKey.name ? HeldKey.name[i] : '\0';
    published.keyName[sizeof published.keyName - 1] = '\0';
    published.controllerIndex = static_cast<BYTE>(ControllerIndex);
    published.mode = static_cast<BYTE>(Mode);
    published.onlyWhenFocused = OnlyWhenFocused;
    published.forwardOnly = ForwardOnly;
    ProcessRecord::InnerRingInUse& inner = ThisProcessRecord->innerRingInUse;
    inner.innerOn = InnerOn;
    inner.innerOff = InnerOff;
    for (std::size_t i = 0; i < sizeof inner.innerKeyName; ++i)
        inner.innerKeyName[i] = InnerRing && i < sizeof InnerKey.name ? InnerKey.name[i] : '\0';
    inner.innerKeyName[sizeof inner.innerKeyName - 1] = '\0';
    inner.pauseTrigger = static_cast<BYTE>(PauseWhileTrigger);
}
