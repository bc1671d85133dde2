#include "model/path_text.h"

namespace bw {

namespace {

constexpr char kEllipsis[] = "\xE2\x80\xA6";  // …

// Characters (UTF-8 sequences) in a text.
size_t Characters(std::string_view text) {
    size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `n` characters of a text, or its last `n`.
std::string_view FirstCharacters(std::string_view text, size_t n) {
    size_t i = 0;
    for (; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n-- == 0) break;
    return text.substr(0, i);
}
std::string_view LastCharacters(std::string_view text, size_t n) {
    size_t i = text.size();
    while (i > 0 && n > 0) {
        --i;
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) --n;
    }
    return text.substr(i);
}

}  // namespace

std::string ShortPath(std::string_view path, size_t limit) {
    if (Characters(path) <= limit) return std::string(path);
    // The drive ("C:\") or the server and share ("\\server\share\").
    size_t rootEnd = 0;
    if (path.substr(0, 2) == "\\\\") {
        rootEnd = 2;
        for (int parts = 0; parts < 2 && rootEnd < path.size(); ++parts) {
            const size_t slash = path.find('\\', rootEnd);
            rootEnd = slash == std::string_view::npos ? path.size() : slash + 1;
        }
    } else if (path.size() >= 2 && path[1] == ':') {
        rootEnd = path.size() > 2 && path[2] == '\\' ? 3 : 2;
    }
    const std::string_view root = path.substr(0, rootEnd);
    const std::string_view rest = path.substr(rootEnd);
    const size_t slash = rest.rfind('\\');
    const std::string_view name = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
    const std::string_view folders = path.substr(rootEnd, path.size() - rootEnd - name.size());
    const size_t fixed = Characters(root) + 2;  // and "…\"
    if (fixed + Characters(name) > limit) {
        const size_t room = limit > fixed + 1 ? limit - fixed - 1 : 1;
        return std::string(root) + kEllipsis + "\\" + std::string(FirstCharacters(name, room - room / 2)) +
               kEllipsis + std::string(LastCharacters(name, room / 2));
    }
    // The folders nearest the file, as many as fit.
    size_t keep = folders.size();
    for (size_t cut = 1; cut < folders.size(); ++cut) {
        if (folders[cut - 1] != '\\') continue;
        if (fixed + Characters(folders.substr(cut)) + Characters(name) <= limit) {
            keep = cut;
            break;
        }
    }
    return std::string(root) + kEllipsis + "\\" + std::string(folders.substr(keep)) + std::string(name);
}

std::string FillArgument(std::string_view text, std::string_view argument) {
    std::string out;
    out.reserve(text.size() + argument.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '1') {
            out += argument;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace bw
