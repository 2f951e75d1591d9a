// The text calls of the Win32 API with code page 932 bytes: convert, then call the wide variant.
#include "platform/windows/codepage932.h"

#include <iterator>
#include <string>

namespace codepage932 {

namespace {

const UINT SHIFT_JIS = 932;

// `byteCount` bytes of code page 932, or up to the terminating zero when it is -1. A character
// of one or two bytes becomes one UTF-16 unit, so the wide text is never longer in units.
std::wstring Widen(LPCSTR text, int byteCount) {
    if (byteCount == 0) {
        return std::wstring();
    }
    const int units = MultiByteToWideChar(SHIFT_JIS, 0, text, byteCount, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(SHIFT_JIS, 0, text, byteCount, wide.data(), units);
    if (byteCount < 0 && !wide.empty()) {
        wide.pop_back();  // the terminating zero, which std::wstring keeps by itself
    }
    return wide;
}

// A null text stays null; a class name may be an atom, which is no text at all.
struct WideName {
    explicit WideName(LPCSTR name) : atom(name != nullptr && IS_INTRESOURCE(name)) {
        if (name != nullptr && !atom) {
            text = Widen(name, -1);
        }
        pointer = atom ? reinterpret_cast<LPCWSTR>(name) : name ? text.c_str() : nullptr;
    }
    WideName(const WideName&) = delete;
    WideName& operator=(const WideName&) = delete;
    bool atom;
    std::wstring text;
    LPCWSTR pointer;
};

// The system font of a Japanese Windows, as GetObject describes its stock SYSTEM_FONT there.
// Asked for elsewhere, the font mapper gives the Japanese font that matches it best. Made once
// and kept for the life of the process, like the stock objects themselves.
HFONT JapaneseSystemFont() {
    static const HFONT font = [] {
        LOGFONTW description = {};
        description.lfHeight = 18;
        description.lfWidth = 8;
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = SHIFTJIS_CHARSET;
        description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        lstrcpyW(description.lfFaceName, L"System");
        return CreateFontIndirectW(&description);
    }();
    return font;
}

// Whether the stock system font is the Japanese one, as on a Japanese Windows.
bool SystemFontIsJapanese() {
    LOGFONTW description;
    return GetObjectW(GetStockObject(SYSTEM_FONT), sizeof description, &description) != 0 &&
           description.lfCharSet == SHIFTJIS_CHARSET;
}

bool IsOfClass(HWND window, LPCWSTR name) {
    wchar_t className[64];
    return GetClassNameW(window, className, static_cast<int>(std::size(className))) > 0 &&
           lstrcmpiW(className, name) == 0;
}

}  // namespace

HWND CreateWindowEx932(DWORD exStyle, LPCSTR className, LPCSTR caption, DWORD style, int x, int y,
                       int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       LPVOID parameter) {
    const WideName wideClass(className);
    const WideName wideCaption(caption);
    HWND window = CreateWindowExW(exStyle, wideClass.pointer, wideCaption.pointer, style, x, y,
                                  width, height, parent, menu, instance, parameter);
    // A window of a class registered with RegisterClassExA stays ANSI: its WM_NCCREATE carries
    // the caption converted to the system's code page, and DefWindowProcA keeps that. Setting
    // the text through DefWindowProcW itself, past the ANSI window procedure, keeps it whole.
    if (window != nullptr && wideCaption.pointer != nullptr && !IsWindowUnicode(window)) {
        DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideCaption.pointer));
    }
    // A push button draws its caption in the system font unless it is given another, so outside
    // Japan it gets the Japanese system font, as its client area's texts do.
    if (window != nullptr && IsOfClass(window, WC_BUTTONW) && !SystemFontIsJapanese()) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(JapaneseSystemFont()), FALSE);
    }
    return window;
}

HWND CreateStatusWindow932(LONG style, LPCSTR text, HWND parent, UINT identifier) {
    const WideName wideText(text);
    return CreateStatusWindowW(style, wideText.pointer, parent, identifier);
}

LRESULT SendMessage932(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The message number is WM_USER + 1, which means SB_SETTEXTA only to a status bar.
    if (message == SB_SETTEXTA && IsOfClass(window, STATUSCLASSNAMEW)) {
        const WideName wideText(reinterpret_cast<LPCSTR>(lParam));
        return SendMessageW(window, SB_SETTEXTW, wParam,
                            reinterpret_cast<LPARAM>(wideText.pointer));
    }
    return SendMessageA(window, message, wParam, lParam);
}

int MessageBox932(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const WideName wideText(text);
    const WideName wideCaption(caption);
    return MessageBoxW(owner, wideText.pointer, wideCaption.pointer, type);
}

BOOL TextOut932(HDC dc, int x, int y, LPCSTR text, int length) {
    // TextOutW counts UTF-16 units, not bytes.
    const std::wstring wide = Widen(text, length > 0 ? length : 0);
    const int units = static_cast<int>(wide.size());
    // A device context starts with the system font, which on a Japanese Windows is a Shift-JIS
    // font. Elsewhere it holds only the characters of the system's own code page and shows a
    // Japanese one as an empty box, so the text is drawn in the Japanese system font instead.
    if (GetTextCharset(dc) == SHIFTJIS_CHARSET ||
        GetCurrentObject(dc, OBJ_FONT) != GetStockObject(SYSTEM_FONT)) {
        return TextOutW(dc, x, y, wide.c_str(), units);
    }
    HGDIOBJ previous = SelectObject(dc, JapaneseSystemFont());
    const BOOL drawn = TextOutW(dc, x, y, wide.c_str(), units);
    SelectObject(dc, previous);
    return drawn;
}

}  // namespace codepage932
