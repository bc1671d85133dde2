// Owners of the system's handles: each type releases its handle the one way
// the system wants, exactly once, when it goes out of scope.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace win {

template <class H, class Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, H{}));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    H release() { return std::exchange(h_, H{}); }
    void reset(H h = H{}) {
        if (h_ != H{}) Traits::Free(h_);
        h_ = h;
    }

private:
    H h_{};
};

struct GdiObjectTraits { static void Free(HGDIOBJ h) { DeleteObject(h); } };
struct MemoryDcTraits { static void Free(HDC h) { DeleteDC(h); } };
struct IconTraits { static void Free(HICON h) { DestroyIcon(h); } };
struct ImageListTraits { static void Free(HIMAGELIST h) { ImageList_Destroy(h); } };
struct WindowTraits { static void Free(HWND h) { if (IsWindow(h)) DestroyWindow(h); } };
struct LibraryTraits { static void Free(HMODULE h) { FreeLibrary(h); } };
struct HookTraits { static void Free(HHOOK h) { UnhookWindowsHookEx(h); } };
struct RegKeyTraits { static void Free(HKEY h) { RegCloseKey(h); } };

using OwnedBrush = Owned<HBRUSH, GdiObjectTraits>;
using OwnedBitmap = Owned<HBITMAP, GdiObjectTraits>;
using OwnedRegion = Owned<HRGN, GdiObjectTraits>;
using OwnedMemoryDc = Owned<HDC, MemoryDcTraits>;
using OwnedIcon = Owned<HICON, IconTraits>;
using OwnedImageList = Owned<HIMAGELIST, ImageListTraits>;
using OwnedWindow = Owned<HWND, WindowTraits>;
using OwnedLibrary = Owned<HMODULE, LibraryTraits>;
using OwnedHook = Owned<HHOOK, HookTraits>;
using OwnedRegKey = Owned<HKEY, RegKeyTraits>;
using OwnedFont = Owned<HFONT, GdiObjectTraits>;

// A window's device context, given back to the window with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The paint context of one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects an object into a context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Keeps a context's state (clipping, objects, modes) and restores it.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (id_) RestoreDC(dc_, id_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int id_;
};

// Hides the mouse cursor while drawing straight on a window.
class HiddenCursor {
public:
    HiddenCursor() { ShowCursor(FALSE); }
    ~HiddenCursor() { ShowCursor(TRUE); }
    HiddenCursor(const HiddenCursor&) = delete;
    HiddenCursor& operator=(const HiddenCursor&) = delete;
};

}  // namespace win
