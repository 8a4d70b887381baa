// Holds a Wine prefix's session open for SECONDS (cmake/wine-run.sh starts one as programs come
// and go). Wine ends a session a few seconds after its last program: explorer.exe leaves once no
// program uses the desktop, then the services and the server. A program that starts while they
// are leaving can fail during its own start-up. A hidden window keeps this program on the
// desktop, so that explorer.exe stays too.
//
// Usage: WineSessionKeeper.exe SECONDS

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 30;
    CreateWindowExW(0, L"STATIC", L"StickShift test session", 0, 0, 0, 0, 0, nullptr, nullptr,
                    nullptr, nullptr);
    Sleep(seconds * 1000);
    return 0;
}
