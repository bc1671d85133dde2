// A table as one web page: an HTML file that holds the table file's bytes,
// the table's name and the player (the core built for the browser, with
// the page's own script), and plays the table in any browser with nothing
// else to fetch.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace bw {

// The name a page shows for the table file at `path`: the file name without
// its folder (after the last '/' or '\') and without its extension.
std::string PageTitle(std::string_view path);

// `script` as it may stand inside a script element: every "</script" and
// every "<!--" (in any letter case) gets a backslash after its "<", which a
// script's strings, comments and patterns read as before, so that nothing
// in it ends the element early or hides its end.
std::string EscapeScript(std::string_view script);

// `text` as HTML text or attribute value: & < > " ' as references, and any
// byte that is not part of well-formed UTF-8 as U+FFFD.
std::string EscapeHtml(std::string_view text);

// The whole page: `title` in its title, the table file's bytes in base64 in
// the body's data-table attribute (the player loads them as the program
// loads a table file), and `player` inlined in its script element.
std::string WebPage(std::string_view player, std::span<const uint8_t> table, std::string_view title);

}  // namespace bw
