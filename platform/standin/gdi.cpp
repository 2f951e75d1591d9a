// The stand-in's GDI: device contexts, stock brushes, colours and pixels.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// The stock brushes by their GetStockObject index: white, light grey, grey, dark grey, black.
// A brush's handle is the address of its colour here.
const COLORREF STOCK_BRUSHES[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                  RGB(64, 64, 64), RGB(0, 0, 0)};

// Where the DC's record is among the open ones; their end when there is no such DC.
auto FindRecord(HDC dc) {
    auto& records = Global().deviceContexts;
    return std::find_if(records.begin(), records.end(), [dc](const auto& record) {
        return reinterpret_cast<HDC>(record.get()) == dc;
    });
}

}  // namespace

DeviceContext* FindDeviceContext(HDC dc) {
    const auto found = FindRecord(dc);
    return found != Global().deviceContexts.end() ? found->get() : nullptr;
}

HDC OpenDeviceContext(Window* window, const RECT* clip) {
    auto dc = std::make_unique<DeviceContext>();
    // A child draws on its top-level window's surface, offset by its position there.
    Window* level = window;
    while (level->parent != nullptr) {
        dc->originX += level->rect.left;
        dc->originY += level->rect.top;
        level = FindWindowRecord(level->parent);
        assert(level != nullptr);  // a parent outlives its children
    }
    dc->topLevel = level->handle;
    dc->surface = level->surface.get();
    // The clip is within the window's client area and the surface's, in surface coordinates.
    const RECT client = ClientRectangle(window);
    const RECT area = clip != nullptr ? Intersect(*clip, client) : client;
    dc->clip = Intersect(RECT{area.left + dc->originX, area.top + dc->originY,
                              area.right + dc->originX, area.bottom + dc->originY},
                         ClientRectangle(level));
    HDC handle = reinterpret_cast<HDC>(dc.get());
    Global().deviceContexts.push_back(std::move(dc));
    return handle;
}

bool CloseDeviceContext(HDC dc) {
    const auto found = FindRecord(dc);
    if (found == Global().deviceContexts.end()) {
        return false;
    }
    const bool damaged = (*found)->damaged;
    HWND topLevel = (*found)->topLevel;
    Global().deviceContexts.erase(found);
    // The host learns of new pixels once per drawing, not once per pixel.
    if (damaged && FindWindowRecord(topLevel) != nullptr) {
        CurrentHost().SurfaceChanged(topLevel);
    }
    return true;
}

void FillDeviceContext(DeviceContext* dc, COLORREF colour) {
    Surface* surface = dc->surface;
    const RECT& clip = dc->clip;
    if (surface == nullptr || clip.left >= clip.right || clip.top >= clip.bottom) {
        return;
    }
    const std::uint32_t pixel = SurfacePixel(colour);
    // The clip never leaves the surface, which is kept at least as large as the client area.
    assert(clip.left >= 0 && clip.right <= surface->Width() && clip.bottom <= surface->Height());
    if (surface->FillRows(clip.top, clip.bottom, clip.left, clip.right, pixel)) {
        dc->damaged = true;
    }
}

void ForgetDeviceContextsOf(HWND topLevel) {
    for (const auto& record : Global().deviceContexts) {
        if (record->topLevel == topLevel) {
            record->surface = nullptr;
        }
    }
}

std::optional<COLORREF> BrushColour(HBRUSH brush) {
    for (const COLORREF& stock : STOCK_BRUSHES) {
        if (reinterpret_cast<HBRUSH>(const_cast<COLORREF*>(&stock)) == brush) {
            return stock;
        }
    }
    return std::nullopt;
}

}  // namespace standin

using namespace standin;

namespace {

// Sets one of a DC's colours and returns the one it had, as SetBkColor and SetTextColor do.
COLORREF ReplaceColour(HDC dc, COLORREF DeviceContext::*field, COLORREF colour) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = record->*field;
    record->*field = colour & 0x00FFFFFF;
    return previous;
}

}  // namespace

HGDIOBJ WINAPI GetStockObject(int object) {
    if (object < 0 || object >= static_cast<int>(std::size(STOCK_BRUSHES))) {
        return nullptr;
    }
    return const_cast<COLORREF*>(&STOCK_BRUSHES[object]);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
    return ReplaceColour(dc, &DeviceContext::backgroundColour, colour);
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
    return ReplaceColour(dc, &DeviceContext::textColour, colour);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr || record->surface == nullptr) {
        return CLR_INVALID;
    }
    // Widen before adding the origin, so no coordinate can overflow on the way to the clip test.
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    if (surfaceX < record->clip.left || surfaceX >= record->clip.right ||
        surfaceY < record->clip.top || surfaceY >= record->clip.bottom) {
        return CLR_INVALID;
    }
    assert(surfaceX < record->surface->Width());
    if (record->surface->Set(static_cast<int>(surfaceY), static_cast<int>(surfaceX),
                             SurfacePixel(colour))) {
        record->damaged = true;
    }
    return colour & 0x00FFFFFF;
}
