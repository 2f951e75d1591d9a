// The text calls of the Win32 API with code page 932 bytes, whatever the system's code page.
//
// The program's texts are Shift-JIS (code page 932) bytes handed to the ANSI calls, but an
// ANSI call reads its bytes in the system's ANSI code page, which is 932 only on a Japanese
// Windows. Each function here takes the same arguments as the ANSI call it stands for, turns
// the texts from code page 932 into UTF-16 and calls the wide variant, so the texts read the
// same on every Windows. platform/win32.h maps the ANSI names that the program uses to these.
#pragma once

// platform/win32.h includes <windows.h> lean and without min and max before this header; the
// library's own source gets the same through its compile definitions.
#include <windows.h>

#include <commctrl.h>

namespace codepage932 {

// A window's caption (a push button's too); the window is ANSI or Unicode as its class is.
HWND CreateWindowEx932(DWORD exStyle, LPCSTR className, LPCSTR caption, DWORD style, int x, int y,
                       int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       LPVOID parameter);
// A status bar and its first text.
HWND CreateStatusWindow932(LONG style, LPCSTR text, HWND parent, UINT identifier);
// SB_SETTEXTA sent to a status bar goes as SB_SETTEXTW; every other message as it is.
LRESULT SendMessage932(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message box's text and caption.
int MessageBox932(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// `length` bytes of text; the wide call draws the same characters in the same font.
BOOL TextOut932(HDC dc, int x, int y, LPCSTR text, int length);

}  // namespace codepage932
