// wintypes.h -- the handful of desktop-system types and constants the game speaks in
//
// The game was written against a desktop API of the late nineties. Its code keeps that
// API's names (HWND, MSG, WM_ACTIVATEAPP, ...) so it reads like what it is; this header
// is where those names come from. Only what the game uses exists.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using BOOL = int;
using HRESULT = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using COLORREF = DWORD;

struct Window;
using HWND = Window*;
struct DeviceContext;
using HDC = DeviceContext*;
using HINSTANCE = void*;

struct RECT {
    LONG left, top, right, bottom;
};

// A colour as the drawing calls take it: red in the low byte.
constexpr COLORREF RGB(int r, int g, int b) {
    return DWORD(BYTE(r)) | (DWORD(BYTE(g)) << 8) | (DWORD(BYTE(b)) << 16);
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
