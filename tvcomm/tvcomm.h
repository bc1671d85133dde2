// tvcomm.dll: the Talvik device library.
//
// Two functions, exported by their plain names (no @N) and imported by name:
//
//   TalvikIsValidFileNameA(name)          does the Talvik accept this file name?
//   TalvikUploadWizardA(info, flags, owner) runs the upload wizard that sends
//                                          one file to the Talvik.
//
// This build of the library talks to an emulated Talvik: a folder on this
// computer. The folder is named by the environment variable TALVIK_DEVICE_DIR;
// when that is unset or empty it is "Talvik\Device" in the user's
// application-data folder (CSIDL_APPDATA). It is created when the first file
// is sent.
#pragma once

#include <windows.h>

#ifdef TVCOMM_BUILDING_DLL
#define TVCOMM_API __declspec(dllexport)
#else
#define TVCOMM_API __declspec(dllimport)
#endif

// The upload request. 20 bytes, five 32-bit fields without gaps, little-endian.
// The caller owns the record and the strings; the library keeps no pointer to
// them after the call.
struct TalvikUploadInfo {
    DWORD cbSize;       // 20, the size of this record
    LPCSTR pszPath;     // full path of the file to send
    LPCSTR pszName;     // the name the file gets on the Talvik: the path's name part
    DWORD dwReserved1;  // 0
    DWORD dwReserved2;  // 0
};

#ifdef _WIN64
#define TALVIK_UPLOAD_INFO_SIZE 32  // the 64-bit build, made for testing only
#else
#define TALVIK_UPLOAD_INFO_SIZE 20
#endif

// Flags, the wizard's second argument.
// TALVIK_UPLOAD_CONFIRM: open on the page that shows what will be sent and
// wait for Next. Without it the wizard starts sending at once. Other bits are
// refused.
#define TALVIK_UPLOAD_CONFIRM 0x00000001u

// The longest file name that the Talvik keeps, in characters.
#define TALVIK_MAX_NAME 63

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(TalvikUploadInfo) == TALVIK_UPLOAD_INFO_SIZE, "TalvikUploadInfo is 20 bytes");
#ifndef _WIN64
static_assert(offsetof(TalvikUploadInfo, cbSize) == 0);
static_assert(offsetof(TalvikUploadInfo, pszPath) == 4);
static_assert(offsetof(TalvikUploadInfo, pszName) == 8);
static_assert(offsetof(TalvikUploadInfo, dwReserved1) == 12);
static_assert(offsetof(TalvikUploadInfo, dwReserved2) == 16);
#endif

extern "C" {
#endif

// Nonzero when the Talvik accepts `name`, a file name without folder: 1 to
// TALVIK_MAX_NAME characters, each a letter A-Z or a-z, a digit, a blank or
// one of - _ + . ( ); not ending in a blank or a full stop; and not one of
// the names Windows keeps for devices (CON, PRN, AUX, NUL, COM0-COM9,
// LPT0-LPT9, with or without an extension). NULL and "" are refused.
TVCOMM_API BOOL WINAPI TalvikIsValidFileNameA(LPCSTR name);

// Runs the upload wizard, modal to `owner` (which may be NULL), and sends the
// file info->pszPath to the Talvik, where it arrives whole under the name
// info->pszName, replacing a file of that name. A request that is wrong
// (NULL, cbSize not 20, a NULL or empty string, reserved words not 0, unknown
// flags, a name the Talvik refuses, a file that is missing or cannot be read)
// shows a page that says what is wrong and sends nothing.
// Returns TRUE when the file has arrived; FALSE when the request was wrong,
// the user cancelled or the transfer failed (then nothing has changed on the
// Talvik).
TVCOMM_API BOOL WINAPI TalvikUploadWizardA(const TalvikUploadInfo* info, DWORD flags, HWND owner);

#ifdef __cplusplus
}
#endif
