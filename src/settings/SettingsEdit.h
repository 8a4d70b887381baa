#pragma once

#include <string>
#include <utility>
#include <vector>

// Writes settings into a settings file's text the way a player's own editing would: only the
// line of each key that changes, or a new line for a key the Settings section lacks, and every
// other byte as it was (other lines, comments, unknown keys, blank lines, spacing, line ends).
// The platform's profile-writing call may rewrite a whole file, so the tools use this instead.
// Free of any platform call, for the tools and the tests.

// `text` with each {key, value} of `changes` set in the Settings section. A key is found as the
// profile routines find it: the first line of that section whose name, without the spaces
// around it, matches in any letter case. A new line takes the file's own line end; a file
// without a Settings section gets one at its end.
std::string WithSettings(const std::string& text,
                         const std::vector<std::pair<std::string, std::string>>& changes);

// A whole settings file's bytes with `changes` set, as WithSettings does, in the file's own
// encoding: ANSI or UTF-8 as bytes; UTF-16LE with its byte-order mark, which Windows' profile
// functions read, as UTF-16LE. A UTF-8 byte-order mark, which those functions are not
// documented to read, is dropped, every other byte kept. False, with `refused` saying why and
// nothing to write, for a file it cannot edit without loss (UTF-16 big-endian, or UTF-16LE
// that is not whole).
bool EditSettingsBytes(const std::string& bytes,
                       const std::vector<std::pair<std::string, std::string>>& changes,
                       std::string& edited, std::string& refused);

// Whether the file starts with a UTF-8 byte-order mark (Notepad's "UTF-8 with BOM").
bool HasUtf8Mark(const std::string& bytes);
