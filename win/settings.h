// The program's settings, kept in the current user's registry under the
// program's key so that they outlive the program.
#pragma once

#include "win/handles.h"

namespace win {

constexpr char kSettingsKey[] = "Software\\Bumpwright\\Settings";

// The current user's registry key at `path`: opened to read, or made (when
// it is not there) and opened to write. None when that fails.
OwnedRegKey OpenUserKey(const char* path, bool write);

// A setting that is on or off; `absent` when it was never stored (or was
// stored as something else).
bool ReadFlag(const char* name, bool absent);
void WriteFlag(const char* name, bool on);

}  // namespace win
