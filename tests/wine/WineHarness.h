#pragma once

// What the end-to-end tests add to the rig: folders that hold a copy of the real
// StickShift.dll, and child hosts.

#include <windows.h>

#include <string>

#include "HostRig.h"

// Paths are UTF-8 here, and wide text towards the system, so that a folder's name may hold any
// character.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

std::string ExeFolder();
std::string BuiltModulePath();
// An empty folder for one test case, below the test program's folder.
std::string FreshCaseFolder(const std::string& name);
void WriteTextFile(const std::string& path, const std::string& text);
// The file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Copies the built StickShift.dll to `path`.
void PlaceModule(const std::string& path);

// Copies the built no-loader form to `path`, named as an XInput library.
void PlaceNoLoaderModule(const std::string& path);

// Puts the test controller into the prefix's system folder under each of XInput's names, as
// Windows' own library; false, doing nothing, unless this run has a prefix of its own for that
// (STICKSHIFT_SYSTEM_XINPUT_PREFIX): the other tests rely on Wine's own library there.
// With `withGetStateEx` false, a library that lacks XInputGetStateEx, as Wine's own does.
bool InstallTestControllerAsSystemXInput(bool withGetStateEx = true);
std::string SystemFolder();

// Copies this test program to `path`, for a host that runs away from the test controller.
void PlaceHost(const std::string& path);

// Runs this test program again, or its copy at `program`, as a child with the given arguments;
// returns its process handle.
HANDLE StartChild(const std::string& arguments, const std::string& program = "");
// Waits up to `timeoutMs` for a child to end, ends it if it has not, and closes its handle;
// false if it had to be ended. `exitCode` is what it exited with.
bool AwaitChild(HANDLE child, DWORD timeoutMs, DWORD& exitCode);

// Runs `program` in `folder` to its end, collecting what it prints; false if it cannot start or
// does not end within `timeoutMs`.
bool RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                std::string& output, DWORD& exitCode, DWORD timeoutMs = 10000);

// Points `module`'s import of `dll`!`function` at `replacement`, the way a test makes a system
// call misbehave inside the real module; returns the function it replaced, or null.
void* SwapImport(HMODULE module, const char* dll, const char* function, void* replacement);

using SendInputFunction = UINT(WINAPI*)(UINT, INPUT*, int);
