// Paths and names as messages show them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bw {

// A path as a message shows it: whole up to `limit` characters, otherwise
// shortened in the middle with "…", keeping its drive (or its server and
// share) and its file name, and as many of the folders nearest the file as
// fit. A file name too long by itself keeps its start and its end.
constexpr size_t kMessagePathLength = 80;
std::string ShortPath(std::string_view path, size_t limit = kMessagePathLength);

// A message's text with every "%1" in it replaced by `argument`.
std::string FillArgument(std::string_view text, std::string_view argument);

}  // namespace bw
