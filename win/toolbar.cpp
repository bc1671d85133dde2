#include "win/toolbar.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "win/resources.h"

namespace win {

namespace {
constexpr WORD kToolBarResourceType = 241;  // RT_TOOLBAR
}

bool ReadToolBarResource(HINSTANCE instance, UINT id, ToolBarResource& out) {
    HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kToolBarResourceType));
    if (!info) return false;
    HGLOBAL loaded = LoadResource(instance, info);
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = SizeofResource(instance, info);
    if (!bytes) return false;
    // Two layouts are in use: 16-bit words (version 1, width, height,
    // count, identifiers), and 32-bit words without the version (width,
    // height, count, identifiers), which the GNU resource compiler writes.
    auto word = [&](DWORD i) {
        WORD w;
        std::memcpy(&w, bytes + 2 * i, 2);
        return w;
    };
    auto dword = [&](DWORD i) {
        DWORD d;
        std::memcpy(&d, bytes + 4 * i, 4);
        return d;
    };
    if (size >= 8 && word(0) == 1 && size == 8u + 2u * word(3)) {
        out.buttonWidth = word(1);
        out.buttonHeight = word(2);
        out.commands.clear();
        for (DWORD i = 0; i < word(3); ++i) out.commands.push_back(word(4 + i));
        return true;
    }
    if (size >= 12 && dword(2) < 0x10000 && size == 12u + 4u * dword(2)) {
        out.buttonWidth = static_cast<int>(dword(0));
        out.buttonHeight = static_cast<int>(dword(1));
        out.commands.clear();
        for (DWORD i = 0; i < dword(2); ++i) out.commands.push_back(dword(3 + i));
        return true;
    }
    return false;
}

namespace {

// The strip of `images` pictures of `width` × `height` at `size` × `size`
// each, its colours mapped to the system's as the toolbar maps them.
OwnedBitmap ScaledPictures(HINSTANCE instance, UINT id, int images, int width, int height, int size) {
    OwnedBitmap source(CreateMappedBitmap(instance, id, 0, nullptr, 0));
    if (!source) return {};
    WindowDc screen(nullptr);
    OwnedBitmap scaled(CreateCompatibleBitmap(screen.get(), images * size, size));
    OwnedMemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    if (!scaled || !from || !to) return {};
    {
        SelectedObject a(from.get(), source.get()), b(to.get(), scaled.get());
        SetStretchBltMode(to.get(), COLORONCOLOR);
        StretchBlt(to.get(), 0, 0, images * size, size, from.get(), 0, 0, images * width, height, SRCCOPY);
    }
    return scaled;
}

}  // namespace

bool LoadToolBar(HWND toolbar, HINSTANCE instance, UINT id, bool vertical, int pictureSize, OwnedBitmap* pictures) {
    ToolBarResource res;
    if (!ReadToolBarResource(instance, id, res)) return false;
    int images = 0;
    for (UINT c : res.commands)
        if (c != 0) ++images;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const bool scaled = pictureSize > 0 && pictures && (pictureSize != res.buttonWidth || pictureSize != res.buttonHeight);
    if (!scaled) {
        SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(res.buttonWidth, res.buttonHeight));
        TBADDBITMAP bitmap{instance, id};
        if (SendMessageW(toolbar, TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&bitmap)) < 0) return false;
    } else {
        *pictures = ScaledPictures(instance, id, images, res.buttonWidth, res.buttonHeight, pictureSize);
        if (!*pictures) return false;
        SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(pictureSize, pictureSize));
        TBADDBITMAP bitmap{nullptr, reinterpret_cast<UINT_PTR>(pictures->get())};
        if (SendMessageW(toolbar, TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&bitmap)) < 0) return false;
    }
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT c : res.commands) {
        TBBUTTON b;
        std::memset(&b, 0, sizeof b);
        b.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (vertical ? TBSTATE_WRAP : 0));
        if (c == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = image++;
            b.idCommand = static_cast<int>(c);
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    return SendMessageW(toolbar, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

void PlaceOnRightEdge(HWND window, HWND toolbar) {
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    int width = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
            width = std::max<int>(width, item.right + 2);
    }
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(toolbar, nullptr, client.right, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeCheckGroup(HWND toolbar, UINT first, UINT last) {
    for (UINT id = first; id <= last; ++id) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STYLE;
        info.fsStyle = BTNS_CHECKGROUP;
        SendMessageW(toolbar, TB_SETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
    }
}

HWND CreateVerticalToolBar(HWND parent, UINT id) {
    const DWORD style =
        WS_CHILD | WS_VISIBLE | CCS_VERT | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_FLAT;
    return CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", style, 0, 0, 40, 320, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Instance(), nullptr);
}

HWND CreateToolTipWindow(HWND owner) {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, Instance(), nullptr);
}

void CheckOneCommand(HWND toolbar, HMENU menu, UINT first, UINT last, UINT checked) {
    for (UINT id = first; id <= last; ++id) {
        SendMessageW(toolbar, TB_CHECKBUTTON, id, id == checked);
        CheckMenuItem(menu, id, MF_BYCOMMAND | (id == checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void PressedButtons::MouseMoved(HWND toolbar, UINT first, UINT last, LPARAM position) {
    const POINT now{static_cast<LONG>(LOWORD(position)), static_cast<LONG>(static_cast<SHORT>(HIWORD(position)))};
    for (UINT id = first; toolbar && id <= last; ++id) {
        RECT r{};
        if (!SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&r))) continue;
        if (PtInRect(&r, now) || !PtInRect(&r, previous_)) continue;
        if (!SendMessageW(toolbar, TB_ISBUTTONCHECKED, id, 0) && SendMessageW(toolbar, TB_ISBUTTONPRESSED, id, 0))
            SendMessageW(toolbar, TB_PRESSBUTTON, id, FALSE);
    }
    previous_ = now;
}

void AddToolTips(HWND tips, HWND toolbar, HINSTANCE instance, UINT first, UINT last) {
    for (UINT id = first; id <= last; ++id) {
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = toolbar;
        info.uId = id;
        info.hinst = instance;
        info.lpszText = MAKEINTRESOURCEW(id);
        SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&info.rect));
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(tips, TTM_ACTIVATE, TRUE, 0);
}

}  // namespace win
