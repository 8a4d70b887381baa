#include "shared/ProcessRecord.h"

namespace {

ProcessRecord OwnRecord;
HANDLE RecordMapping = nullptr;
bool Claimed = false;

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

bool OpenProcessRecordAndClaim() {
    wchar_t name[ProcessRecordNameCapacity];
    ProcessRecordName(GetCurrentProcessId(), name);
    RecordMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       sizeof(ProcessRecord), name);
    void* view = RecordMapping != nullptr ? MapViewOfFile(RecordMapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                          sizeof(ProcessRecord))
                                          : nullptr;
    if (view != nullptr)
        ThisProcessRecord = static_cast<ProcessRecord*>(view);
    Claimed = InterlockedCompareExchange(&ThisProcessRecord->acting, 1, 0) == 0;
    return Claimed;
}

void HoldPadButton(DWORD userIndex, std::uint16_t button) {
    ProcessRecord& record = *ThisProcessRecord;
    InterlockedExchange(&record.padController, static_cast<LONG>(userIndex));
    const LONG64 changes = InterlockedCompareExchange64(&record.padButtonState, 0, 0) >> 16;
    InterlockedExchange64(&record.padButtonState, (changes + 1) << 16 | button);
}

DWORD AddHeldPadButton(DWORD userIndex, XINPUT_STATE* state, DWORD result) {
    const ProcessRecord& record = *ThisProcessRecord;
    if (result != ERROR_SUCCESS || state == nullptr || record.xinputDisabled != 0 ||
        userIndex != static_cast<DWORD>(record.padController))
        return result;
    const LONG64 held =
        InterlockedCompareExchange64(const_cast<volatile LONG64*>(&record.padButtonState), 0, 0);
    state->Gamepad.wButtons |= static_cast<WORD>(held & 0xFFFF);
    state->dwPacketNumber += static_cast<DWORD>(held >> 16);
    return result;
}

void CloseProcessRecord() {
    if (Claimed)
        InterlockedExchange(&ThisProcessRecord->acting, 0);
    Claimed = false;
    if (ThisProcessRecord != &OwnRecord)
        UnmapViewOfFile(ThisProcessRecord);
    ThisProcessRecord = &OwnRecord;
    if (RecordMapping != nullptr)
        CloseHandle(RecordMapping);
    RecordMapping = nullptr;
}
