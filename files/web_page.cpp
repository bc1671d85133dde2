#include "files/web_page.h"

#include <cctype>

#include "files/table_text.h"

namespace bw {

namespace {

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    return true;
}

std::string Base64(std::span<const uint8_t> bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t v = static_cast<uint32_t>(bytes[i]) << 16;
        if (n > 1) v |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (n > 2) v |= bytes[i + 2];
        for (size_t d = 0; d < 4; ++d) out += d <= n ? digits[(v >> (18 - 6 * d)) & 63] : '=';
    }
    return out;
}

}  // namespace

std::string PageTitle(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

std::string EscapeScript(std::string_view script) {
    std::string out;
    out.reserve(script.size() + 16);
    for (size_t i = 0; i < script.size(); ++i) {
        out += script[i];
        if (script[i] == '<' && (StartsWithNoCase(script, i + 1, "/script") || StartsWithNoCase(script, i + 1, "!--")))
            out += '\\';
    }
    return out;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        switch (text[i]) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::string WebPage(std::string_view player, std::span<const uint8_t> table, std::string_view title) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1, user-scalable=no\">\n<title>";
    page += EscapeHtml(title);
    page += "</title>\n</head>\n<body data-table=\"";
    page += Base64(table);
    page += "\">\n<noscript>This table plays in a browser with JavaScript turned on.</noscript>\n<script>\n";
    page += EscapeScript(player);
    page += "\n</script>\n</body>\n</html>\n";
    return page;
}

}  // namespace bw
