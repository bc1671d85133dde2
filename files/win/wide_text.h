// Text inside the program is UTF-8; the system's wide-character calls take
// UTF-16. These two convert at that border, and nowhere else.
#pragma once

#include <string>
#include <string_view>

namespace bw {

// UTF-8 to UTF-16. A byte that starts no valid sequence becomes U+FFFD.
std::wstring Wide(std::string_view utf8);

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

// The length of `utf8` in UTF-16 units: what the system's path limits count.
size_t WideLength(std::string_view utf8);

}  // namespace bw
