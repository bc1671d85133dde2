// Finds and calls HtmlHelpW, the HTML Help function of hhctrl.ocx.
//
// The library is looked up once: first at the path that the registry gives
// for the HTML Help control's class, then by name through the system's
// search. When both fail, or the library has no HtmlHelpW, a failure mark
// is set and every later call fails at once without looking again. Once
// loaded, the library stays loaded for the life of the process.
#pragma once

#include <windows.h>

#include <string>

namespace win {

constexpr UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC

class HtmlHelpLoader {
public:
    struct Source {
        std::string registryKey;  // under HKEY_CLASSES_ROOT; its default value is the path
        std::string libraryName;  // loaded by name when the registry gives nothing
        WORD ordinal;             // HtmlHelpW's ordinal
    };
    static Source StandardSource();

    explicit HtmlHelpLoader(Source source = StandardSource()) : source(std::move(source)) {}

    // HtmlHelpW(owner, file, command, data), the file given in UTF-8; none
    // when it cannot be had or fails.
    HWND Call(HWND owner, const std::string& file, UINT command, DWORD_PTR data);

    bool Failed() const { return failed_; }
    bool Loaded() const { return library_ != nullptr; }

    Source source;

private:
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

    HMODULE library_ = nullptr;
    bool failed_ = false;
    HtmlHelpFn function_ = nullptr;
};

// The process's one loader.
HtmlHelpLoader& ProcessHtmlHelp();

// Opens the compiled help file at its default topic, owned by `owner`.
// When that fails (the file or HTML Help itself is missing), says so in a
// message box. Returns the help window, if any.
HWND ShowHelp(HWND owner, const std::string& helpPath);

}  // namespace win
