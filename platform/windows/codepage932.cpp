// The text calls of the Win32 API with code page 932 bytes: convert, then call the wide variant.
#include "platform/windows/codepage932.h"

#include <iterator>

namespace codepage932 {

namespace {

const UINT SHIFT_JIS = 932;

// A code page 932 text as UTF-16, in a buffer of the process heap that it owns; the C++ library's
// strings would bring its exceptions into a program that otherwise needs none of it, and treble
// its size. A null text stays null, and so does a class name that is an atom, not a text.
class WideText {
  public:
    // `byteCount` bytes, or up to the terminating zero when it is -1.
    WideText(LPCSTR text, int byteCount) {
        if (text == nullptr || IS_INTRESOURCE(text)) {
            pointer_ = reinterpret_cast<LPCWSTR>(text);
            return;
        }
        const int bytes = byteCount < 0 ? lstrlenA(text) : byteCount;
        // A character of one or two bytes becomes one UTF-16 unit: as many units as bytes do.
        buffer_ = static_cast<wchar_t*>(
            HeapAlloc(GetProcessHeap(), 0, (static_cast<SIZE_T>(bytes) + 1) * sizeof(wchar_t)));
        if (buffer_ == nullptr) {
            return;
        }
        units_ = bytes > 0 ? MultiByteToWideChar(SHIFT_JIS, 0, text, bytes, buffer_, bytes) : 0;
        buffer_[units_] = L'\0';
        pointer_ = buffer_;
    }
    ~WideText() {
        if (buffer_ != nullptr) {
            HeapFree(GetProcessHeap(), 0, buffer_);
        }
    }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    LPCWSTR get() const { return pointer_; }
    int units() const { return units_; }

  private:
    wchar_t* buffer_ = nullptr;
    LPCWSTR pointer_ = nullptr;
    int units_ = 0;
};

// The system font of a Japanese Windows, as GetObject describes its stock SYSTEM_FONT there.
// Asked for elsewhere, the font mapper gives the Japanese font that matches it best. Made at its
// first use and kept for the life of the process, like the stock objects themselves; the
// program has one thread. Written only by JapaneseSystemFont.
HFONT japaneseSystemFont = nullptr;

HFONT JapaneseSystemFont() {
    if (japaneseSystemFont == nullptr) {
        LOGFONTW description = {};
        description.lfHeight = 18;
        description.lfWidth = 8;
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = SHIFTJIS_CHARSET;
        description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        lstrcpyW(description.lfFaceName, L"System");
        japaneseSystemFont = CreateFontIndirectW(&description);
    }
    return japaneseSystemFont;
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
    const WideText wideClass(className, -1);
    const WideText wideCaption(caption, -1);
    HWND window = CreateWindowExW(exStyle, wideClass.get(), wideCaption.get(), style, x, y, width,
                                  height, parent, menu, instance, parameter);
    // A window of a class registered with RegisterClassExA stays ANSI: its WM_NCCREATE carries
    // the caption converted to the system's code page, and DefWindowProcA keeps that. Setting
    // the text through DefWindowProcW itself, past the ANSI window procedure, keeps it whole.
    if (window != nullptr && wideCaption.get() != nullptr && !IsWindowUnicode(window)) {
        DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideCaption.get()));
    }
    // A push button draws its caption in the system font unless it is given another, so outside
    // Japan it gets the Japanese system font, as its client area's texts do.
    if (window != nullptr && IsOfClass(window, WC_BUTTONW) && !SystemFontIsJapanese()) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(JapaneseSystemFont()), FALSE);
    }
    return window;
}

HWND CreateStatusWindow932(LONG style, LPCSTR text, HWND parent, UINT identifier) {
    const WideText wideText(text, -1);
    return CreateStatusWindowW(style, wideText.get(), parent, identifier);
}

LRESULT SendMessage932(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The message number is WM_USER + 1, which means SB_SETTEXTA only to a status bar.
    if (message == SB_SETTEXTA && IsOfClass(window, STATUSCLASSNAMEW)) {
        const WideText wideText(reinterpret_cast<LPCSTR>(lParam), -1);
        return SendMessageW(window, SB_SETTEXTW, wParam, reinterpret_cast<LPARAM>(wideText.get()));
    }
    return SendMessageA(window, message, wParam, lParam);
}

int MessageBox932(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const WideText wideText(text, -1);
    const WideText wideCaption(caption, -1);
    return MessageBoxW(owner, wideText.get(), wideCaption.get(), type);
}

BOOL TextOut932(HDC dc, int x, int y, LPCSTR text, int length) {
    // TextOutW counts UTF-16 units, not bytes.
    const WideText wide(text, length > 0 ? length : 0);
    // A device context starts with the system font, which on a Japanese Windows is a Shift-JIS
    // font. Elsewhere it holds only the characters of the system's own code page and shows a
    // Japanese one as an empty box, so the text is drawn in the Japanese system font instead.
    if (GetTextCharset(dc) == SHIFTJIS_CHARSET ||
        GetCurrentObject(dc, OBJ_FONT) != GetStockObject(SYSTEM_FONT)) {
        return TextOutW(dc, x, y, wide.get(), wide.units());
    }
    HGDIOBJ previous = SelectObject(dc, JapaneseSystemFont());
    const BOOL drawn = TextOutW(dc, x, y, wide.get(), wide.units());
    SelectObject(dc, previous);
    return drawn;
}

}  // namespace codepage932
