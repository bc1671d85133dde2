// Reading and writing files for the user, whose failures are reported in
// a box with a stop icon that names the file and says the cause.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/win/table_file_win.h"

namespace win {

void ReportFileError(HWND owner, const bw::FileError& error);

// At most `limit` bytes from the start of the file; none once a failure
// is reported.
std::optional<std::vector<uint8_t>> ReadFileReporting(HWND owner, const std::string& path, size_t limit);

// Writes the file whole beside the old one and replaces that only once
// complete (bw::WriteFileReplacing); false once a failure is reported.
bool WriteFileReporting(HWND owner, const std::string& path, std::span<const uint8_t> bytes);
bool WriteFileReporting(HWND owner, const std::string& path, std::string_view text);

}  // namespace win
