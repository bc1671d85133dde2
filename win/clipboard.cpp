#include "win/clipboard.h"

#include <algorithm>
#include <cstring>

#include "win/controls.h"

namespace win {

namespace {

// The clipboard, opened for as long as the object lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// Global memory until the clipboard takes it over.
struct GlobalTraits {
    static void Free(HGLOBAL h) { GlobalFree(h); }
};

}  // namespace

bool SetClipboardText(HWND owner, const std::string& text) {
    const std::string crlf = WithCrLf(text);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, crlf.size() + 1);
    if (!memory) return false;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
        GlobalTraits::Free(memory);
        return false;
    }
    std::memcpy(bytes, crlf.c_str(), crlf.size() + 1);
    GlobalUnlock(memory);
    OpenedClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard() || !SetClipboardData(CF_TEXT, memory)) {
        GlobalTraits::Free(memory);
        return false;
    }
    return true;  // the clipboard owns the memory now
}

std::optional<std::string> ClipboardText(HWND owner, size_t most) {
    if (!IsClipboardFormatAvailable(CF_TEXT)) return std::nullopt;
    OpenedClipboard clipboard(owner);
    if (!clipboard) return std::nullopt;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return std::nullopt;
    const SIZE_T size = GlobalSize(data);
    const auto* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes) return std::nullopt;
    // The text ends at its terminator, or with the memory that holds it;
    // no more than `most` bytes of it are read.
    std::string text(bytes, strnlen(bytes, std::min<SIZE_T>(size, most)));
    GlobalUnlock(data);
    return text;
}

bool ClipboardHasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

}  // namespace win
