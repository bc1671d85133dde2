#include "win/send_button.h"

#include "files/win/wide_text.h"
#include "win/data_exchange.h"
#include "win/handles.h"

namespace win {

std::pair<std::string, std::string> SendButtonLines(const std::string& label) {
    const size_t blanks = label.find("  ");
    if (blanks == std::string::npos) return {label, {}};
    const size_t rest = label.find_first_not_of(' ', blanks);
    return {label.substr(0, blanks), rest == std::string::npos ? std::string() : label.substr(rest)};
}

void MakeSendButton(HWND button) {
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK | BS_MULTILINE)) | BS_OWNERDRAW);
}

void DrawSendButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const UINT state = item.itemState;
    const std::string label = ControlText(item.hwndItem);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const bool pushed = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    RECT frame = r;
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    win::SavedDcState keep(dc);
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    const auto [first, second] = SendButtonLines(label);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight;
    const int lines = second.empty() ? 1 : 2;
    const int shift = pushed ? 1 : 0;
    RECT line = r;
    line.top = r.top + (r.bottom - r.top - lines * lineHeight) / 2 + shift;
    line.bottom = line.top + lineHeight;
    line.left += shift;
    line.right += shift;
    const UINT format = DT_CENTER | DT_SINGLELINE | DT_TOP;
    DrawTextW(dc, bw::Wide(first).c_str(), -1, &line, format);
    if (lines == 2) {
        OffsetRect(&line, 0, lineHeight);
        DrawTextW(dc, bw::Wide(second).c_str(), -1, &line, format);
    }
    if (state & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace win
