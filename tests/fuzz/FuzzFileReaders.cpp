// libFuzzer target: the readers of files that nobody here wrote, the programs and libraries in a
// game's folder (headers, imports, delay-loaded imports, the .NET flag) and their version
// resources, under ASan and UBSan. The bytes are given in exactly their buffer, on the heap, so
// that a read beyond the file is caught. A reader may say anything of them but must not read
// past them, and tells a StickShift file only where its version resource says so.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../../tools/probe/GameProgram.h"
#include "shared/VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<unsigned char> file(data, data + size);
    GameProgramFacts facts;
    if (ReadGameProgram(file.data(), file.size(), facts) &&
        (facts.xinput[sizeof facts.xinput - 1] != '\0' ||
         (facts.bits != 0 && facts.bits != 32 && facts.bits != 64)))
        std::abort();
    ExportsXInputGetStateAtOrdinal2(file.data(), file.size());
    char version[24];
    const FileOwner owner = ReadFileOwner(file.data(), file.size(), version, sizeof version);
    if (owner != FileStickShift && version[0] != '\0')
        std::abort();
    // The same bytes as a version resource alone.
    char text[16];
    if (ReadVersionString(file.data(), file.size(), "ProductName", text, sizeof text) &&
        std::strlen(text) >= sizeof text)
        std::abort();
    return 0;
}
