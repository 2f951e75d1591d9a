// The stand-in's GDI: client surfaces, device contexts, stock brushes, colours and pixels.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// Columns saved beyond a change, on either side, when a row's saved columns grow.
constexpr int SAVED_MARGIN_COLUMNS = 8;

struct StockBrush {
    COLORREF colour;
};

// The stock brushes by their GetStockObject index: white, light grey, grey, dark grey, black.
const StockBrush STOCK_BRUSHES[] = {
    {RGB(255, 255, 255)}, {RGB(192, 192, 192)}, {RGB(128, 128, 128)},
    {RGB(64, 64, 64)},    {RGB(0, 0, 0)},
};

// The first and one past the last of the count pixels that differ between two rows; first equals
// last when none does. The C library's wide compares pass over the equal ends in blocks: a new
// status text differs from the last one in a few digits in the middle, and an erase finds most
// of a row in its colour already.
std::pair<int, int> DifferingSpan(const std::uint32_t* now, const std::uint32_t* before,
                                  int count) {
    constexpr int BLOCK = 16;
    if (std::memcmp(now, before, sizeof *now * static_cast<std::size_t>(count)) == 0) {
        return {0, 0};
    }
    int first = 0;
    while (count - first >= BLOCK &&
           std::memcmp(now + first, before + first, sizeof *now * BLOCK) == 0) {
        first += BLOCK;
    }
    while (now[first] == before[first]) {
        ++first;  // stops before count: a pixel differs
    }
    int last = count;
    while (last - first >= BLOCK &&
           std::memcmp(now + last - BLOCK, before + last - BLOCK, sizeof *now * BLOCK) == 0) {
        last -= BLOCK;
    }
    while (now[last - 1] == before[last - 1]) {
        --last;  // stops at first + 1 at the latest
    }
    return {first, last};
}

}  // namespace

Surface::Surface(int width, int height) {
    static std::uint64_t surfaceCount = 0;
    serial_ = ++surfaceCount;
    GrowTo(std::max(width, 1), std::max(height, 1));
}

void Surface::GrowTo(int width, int height) {
    if (width <= width_ && height <= height_) {
        return;
    }
    // The new columns of an erased row would be content that is not stale.
    Settle();
    const int newWidth = std::max(width, width_);
    const int newHeight = std::max(height, height_);
    // A new window's pixels are black until it is erased, like uninitialised video memory.
    std::vector<std::uint32_t> grown(static_cast<std::size_t>(newWidth) * newHeight, 0);
    for (int y = 0; y < height_; ++y) {
        std::copy_n(Row(y), width_, grown.data() + static_cast<std::ptrdiff_t>(y) * newWidth);
    }
    // The new columns of the old rows are black, which is new content where a row was uniformly
    // of another colour; the new rows are uniformly black.
    for (int y = 0; y < height_; ++y) {
        RowState& row = rows_[static_cast<std::size_t>(y)];
        ++writes_[static_cast<std::size_t>(y)];
        if (row.uniform != 0 && newWidth > width_) {
            row.content = Union(row.content, Span{width_, newWidth});
        }
    }
    rows_.resize(static_cast<std::size_t>(newHeight));
    writes_.resize(static_cast<std::size_t>(newHeight));
    pixels_ = std::move(grown);
    width_ = newWidth;
    height_ = newHeight;
    // Reserved once, so that the heap does not grow while the program runs.
    saved_.reserve(pixels_.size() / 4);
    changedRows_.reserve(rows_.size());
    erasedRows_.reserve(rows_.size());
}

void Surface::NoteChange(int y, int left, int right) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    ++writes_[static_cast<std::size_t>(y)];
    if (row.changed.left >= row.changed.right) {
        changedRows_.push_back(y);
    }
    row.changed = Union(row.changed, Span{left, right});
    if (row.whole) {
        return;
    }
    if (left >= row.saved.left && right <= row.saved.right) {
        return;
    }
    // A few columns more on each side, so that a marker drawn pixel by pixel is saved once.
    const Span wanted = Union(row.saved, Span{std::max(left - SAVED_MARGIN_COLUMNS, 0),
                                              std::min(right + SAVED_MARGIN_COLUMNS, width_)});
    const auto count = static_cast<std::size_t>(wanted.right - wanted.left);
    if (saved_.size() + count > saved_.capacity()) {
        // No host takes the changes: report them as written.
        for (RowState& state : rows_) {
            state.whole = state.whole || state.saved.left < state.saved.right;
            state.saved = Span{};
        }
        row.whole = true;
        saved_.clear();
        return;
    }
    // The new columns have not been written since the changes were last taken; the old ones are
    // saved already.
    const std::size_t at = saved_.size();
    const std::uint32_t* current = Row(y);
    saved_.insert(saved_.end(), current + wanted.left, current + wanted.right);
    if (row.saved.left < row.saved.right) {
        std::copy_n(
            saved_.begin() + static_cast<std::ptrdiff_t>(row.savedAt),
            row.saved.right - row.saved.left,
            saved_.begin() + static_cast<std::ptrdiff_t>(at) + (row.saved.left - wanted.left));
    }
    row.saved = wanted;
    row.savedAt = at;
}

const std::uint32_t* Surface::SameRow(std::uint32_t pixel) {
    if (same_.size() != static_cast<std::size_t>(width_) || same_.front() != pixel) {
        same_.assign(static_cast<std::size_t>(width_), pixel);
    }
    return same_.data();
}

bool Surface::Fill(int y, int left, int right, std::uint32_t pixel) {
    assert(left >= 0 && right <= width_);
    if (left >= right) {
        return false;
    }
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (pixel == row.uniform) {
        // Outside what was drawn the pixels are this colour already.
        const Span drawn = row.Drawn();
        if (left > drawn.left || right < drawn.right) {
            return WriteDifferences(y, std::max(left, drawn.left), std::min(right, drawn.right),
                                    pixel);
        }
        if (drawn.left >= drawn.right) {
            return false;
        }
        if (!row.erased) {
            if (erasedRows_.size() >= rows_.size()) {
                Settle();  // no host reads the pixels: keep the list as short as the surface
            }
            row.erased = true;
            erasedRows_.push_back(y);
        }
        row.content = Union(row.content, row.fresh);
        row.fresh = Span{};
        ++erasures_;
        return true;
    }
    if (left == 0 && right == width_) {
        // The whole row in a new colour: everything outside the content changes.
        std::fill(Row(y), Row(y) + width_, pixel);
        if (row.changed.left >= row.changed.right) {
            changedRows_.push_back(y);
        }
        ++writes_[static_cast<std::size_t>(y)];
        row = RowState{};
        row.uniform = pixel;
        row.changed = Span{0, width_};
        row.whole = true;
        return true;
    }
    WidenDrawn(y, left, right);
    return WriteDifferences(y, left, right, pixel);
}

void Surface::WidenFresh(int y, int left, int right) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    assert(row.erased);
    // The fresh span stays one span: the columns between are erased now.
    const Span stale = row.content;
    const Span fresh = row.fresh;
    if (fresh.left < fresh.right && right < fresh.left) {
        WriteDifferences(y, std::max(right, stale.left), std::min(fresh.left, stale.right),
                         row.uniform);
    } else if (fresh.left < fresh.right && left > fresh.right) {
        WriteDifferences(y, std::max(fresh.right, stale.left), std::min(left, stale.right),
                         row.uniform);
    }
    row.fresh = Union(fresh, Span{left, right});
}

bool Surface::FillRows(int top, int bottom, int left, int right, std::uint32_t pixel) {
    assert(top >= 0 && bottom <= height_);
    bool changed = false;
    for (int y = top; y < bottom; ++y) {
        const RowState& row = rows_[static_cast<std::size_t>(y)];
        const Span drawn = row.Drawn();
        if (pixel == row.uniform && drawn.left >= drawn.right) {
            continue;  // the row is all of this colour
        }
        changed = Fill(y, left, right, pixel) || changed;
    }
    return changed;
}

void Surface::WriteErase(int y) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (!row.erased) {
        return;
    }
    const Span stale = row.content;
    const Span fresh = row.fresh;
    row.erased = false;
    row.content = fresh;
    row.fresh = Span{};
    // An empty fresh span is the columns 0 to 0, which leaves the whole stale span to erase.
    WriteDifferences(y, stale.left, std::min(stale.right, fresh.left), row.uniform);
    WriteDifferences(y, std::max(stale.left, fresh.right), stale.right, row.uniform);
}

void Surface::Settle() {
    for (int y : erasedRows_) {
        WriteErase(y);
    }
    erasedRows_.clear();
}

bool Surface::Put(int y, int left, const std::uint32_t* pixels, int count) {
    assert(left >= 0 && count >= 0 && left + count <= width_);
    if (count == 0) {
        return false;
    }
    WidenDrawn(y, left, left + count);
    std::uint32_t* const row = Row(y) + left;
    const auto [first, last] = DifferingSpan(row, pixels, count);
    if (first == last) {
        return false;
    }
    NoteChange(y, left + first, left + last);
    std::copy(pixels + first, pixels + last, row + first);
    return true;
}

bool Surface::WriteDifferences(int y, int left, int right, std::uint32_t pixel) {
    if (left >= right) {
        return false;
    }
    // A long span (the erase, a text's cell) is mostly of its colour already.
    std::uint32_t* const first = Row(y) + left;
    const std::uint32_t* same = SameRow(pixel);
    const auto [from, to] = DifferingSpan(first, same, right - left);
    if (from == to) {
        return false;
    }
    NoteChange(y, left + from, left + to);
    std::memcpy(first + from, same, static_cast<std::size_t>(to - from) * sizeof pixel);
    return true;
}

std::vector<ChangedColumns> Surface::TakeChanges() {
    Settle();
    std::vector<ChangedColumns> changes;
    std::sort(changedRows_.begin(), changedRows_.end());
    for (int y : changedRows_) {
        RowState& row = rows_[static_cast<std::size_t>(y)];
        Span span = row.changed;
        if (span.left < span.right && !row.whole) {
            // Only what differs from before: an erase and a repaint of the same picture change
            // nothing.
            assert(span.left >= row.saved.left && span.right <= row.saved.right);
            // Both from the changed span's first column on.
            const std::uint32_t* now = Row(y) + span.left;
            const std::uint32_t* before =
                saved_.data() + row.savedAt + static_cast<std::size_t>(span.left - row.saved.left);
            const auto [first, last] = DifferingSpan(now, before, span.right - span.left);
            // Changes far apart on one row, such as a marker passing the status text's digits,
            // are reported apart, so that what lies between them is not redrawn.
            int group = first;
            int equal = 0;
            for (int column = first; column < last; ++column) {
                if (now[column] == before[column]) {
                    ++equal;
                    continue;
                }
                if (equal > BAND_GAP_COLUMNS) {
                    changes.push_back(
                        ChangedColumns{y, span.left + group, span.left + column - equal});
                    group = column;
                }
                equal = 0;
            }
            span = Span{span.left + group, span.left + last};
        }
        if (span.left < span.right) {
            changes.push_back(ChangedColumns{y, span.left, span.right});
        }
        row.changed = Span{};
        row.saved = Span{};
        row.whole = false;
    }
    saved_.clear();
    changedRows_.clear();
    return changes;
}

DeviceContext* FindDeviceContext(HDC dc) {
    for (const auto& record : Global().deviceContexts) {
        if (reinterpret_cast<HDC>(record.get()) == dc) {
            return record.get();
        }
    }
    return nullptr;
}

HDC OpenDeviceContext(Window* window, const RECT* clip) {
    auto dc = std::make_unique<DeviceContext>();
    dc->window = window->handle;
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
    RECT area = clip != nullptr ? *clip : ClientRectangle(window);
    area.right = std::min(area.right, static_cast<LONG>(window->clientWidth));
    area.bottom = std::min(area.bottom, static_cast<LONG>(window->clientHeight));
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    dc->clip = RECT{std::max(area.left + dc->originX, 0), std::max(area.top + dc->originY, 0),
                    std::min(area.right + dc->originX, static_cast<LONG>(level->clientWidth)),
                    std::min(area.bottom + dc->originY, static_cast<LONG>(level->clientHeight))};
    HDC handle = reinterpret_cast<HDC>(dc.get());
    Global().deviceContexts.push_back(std::move(dc));
    return handle;
}

void CloseDeviceContext(HDC dc) {
    auto& records = Global().deviceContexts;
    auto found = std::find_if(records.begin(), records.end(), [dc](const auto& record) {
        return reinterpret_cast<HDC>(record.get()) == dc;
    });
    if (found == records.end()) {
        return;
    }
    const bool damaged = (*found)->damaged;
    HWND topLevel = (*found)->topLevel;
    records.erase(found);
    // The host learns of new pixels once per drawing, not once per pixel.
    if (damaged && FindWindowRecord(topLevel) != nullptr) {
        CurrentHost().SurfaceChanged(topLevel);
    }
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

COLORREF BrushColour(HBRUSH brush, bool* found) {
    for (const StockBrush& stock : STOCK_BRUSHES) {
        if (reinterpret_cast<HBRUSH>(const_cast<StockBrush*>(&stock)) == brush) {
            *found = true;
            return stock.colour;
        }
    }
    *found = false;
    return 0;
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
    return const_cast<StockBrush*>(&STOCK_BRUSHES[object]);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
    return ReplaceColour(dc, &DeviceContext::backgroundColour, colour);
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
    return ReplaceColour(dc, &DeviceContext::textColour, colour);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr) {
        return CLR_INVALID;
    }
    // Widen before adding the origin, so no coordinate can overflow on the way to the clip test.
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    if (surfaceX < record->clip.left || surfaceX >= record->clip.right ||
        surfaceY < record->clip.top || surfaceY >= record->clip.bottom) {
        return CLR_INVALID;
    }
    Surface* surface = record->surface;
    if (surface == nullptr) {
        return CLR_INVALID;
    }
    assert(surfaceX < surface->Width());
    if (surface->Set(static_cast<int>(surfaceY), static_cast<int>(surfaceX),
                     SurfacePixel(colour))) {
        record->damaged = true;
    }
    return colour & 0x00FFFFFF;
}
