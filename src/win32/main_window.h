#pragma once
// The main window's procedure, exported as MAINWNDPROC.

#include <windows.h>

namespace tovick::win32 {

inline constexpr const char* kWindowClass = "Tovick";
inline constexpr const char* kWindowTitle = "Tovick Plashgoon";

}  // namespace tovick::win32

#if defined(__i386__)
// A stdcall symbol on 32-bit x86 carries "@16", which would end up in the export name: the symbol
// is pinned to the plain name and exported by a linker directive in main_window.cpp.
extern "C" LRESULT CALLBACK MAINWNDPROC(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) __asm__("_MAINWNDPROC");
#else
extern "C" __declspec(dllexport) LRESULT CALLBACK
    MAINWNDPROC(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#endif
