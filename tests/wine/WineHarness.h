#pragma once

// What the end-to-end tests add to the rig: folders that hold a copy of the real
// StickShift.dll, and child hosts.

#include <windows.h>

#include <string>

#include "HostRig.h"

std::string ExeFolder();
std::string BuiltModulePath();
// An empty folder for one test case, below the test program's folder.
std::string FreshCaseFolder(const std::string& name);
void WriteTextFile(const std::string& path, const std::string& text);
// Copies the built StickShift.dll to `path`.
void PlaceModule(const std::string& path);

// Runs this test program again as a child with the given arguments; returns its process handle.
HANDLE StartChild(const std::string& arguments);

// Runs `program` in `folder` to its end, collecting what it prints; false if it cannot start or
// does not end within `timeoutMs`.
bool RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                std::string& output, DWORD& exitCode, DWORD timeoutMs = 10000);
