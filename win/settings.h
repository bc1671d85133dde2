// The program's settings, kept in the current user's registry under the
// program's key so that they outlive the program.
#pragma once

namespace win {

constexpr char kSettingsKey[] = "Software\\Bumpwright\\Settings";

// A setting that is on or off; `absent` when it was never stored (or was
// stored as something else).
bool ReadFlag(const char* name, bool absent);
void WriteFlag(const char* name, bool on);

}  // namespace win
