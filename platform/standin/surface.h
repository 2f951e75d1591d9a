// A top-level window's client pixels, and which of them changed since a host last looked.
//
// The pixels are 0x00RRGGBB words in plain memory, kept at the largest size so far. Every write
// goes through Fill, Put or Set, which write only the pixels that differ, and a row written since
// TakeChanges last ran keeps a copy of itself as it was then and the columns written since, so
// that TakeChanges compares only those with the copy and reports only pixels that really
// changed: a mode-0 tick erases the client area and draws the same labels again, and the host
// redraws only the markers that moved and the digits that changed. Invariants:
// - outside a row's drawn span, every pixel of the row is of the row's uniform colour;
// - an erased row is of its uniform colour but for its fresh span, what was drawn on it since;
//   its drawn span holds what it held before, until Settle writes the erase;
// - a row with a changed span has its copy in saved_, unless WHOLE_ROW; outside that span, its
//   pixels equal the copy;
// - changedRows_ lists each row whose changed span is not empty, once.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/host.h"

namespace standin {

class Surface {
  public:
    Surface(int width, int height);  // black, like uninitialised video memory
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return width_ * static_cast<int>(sizeof(std::uint32_t)); }  // bytes
    const std::uint32_t* Row(int y) {
        assert(y >= 0 && y < height_);
        Settle();
        return MutableRow(y);
    }
    // All pixels as the drawing left them, with the erases put off until now written.
    const std::uint32_t* Pixels() {
        Settle();
        return pixels_.data();
    }
    // Grows to at least width by height, keeping the pixels at the top left; new pixels are black.
    // The next TakeChanges reports every row whole.
    void GrowTo(int width, int height);
    // Sets columns left to right - 1 of row y to one pixel; returns whether a pixel changed.
    bool Fill(int y, int left, int right, std::uint32_t pixel);
    // Fills rows top to bottom - 1 in the same way, as an erase does.
    bool FillRows(int top, int bottom, int left, int right, std::uint32_t pixel);
    bool Set(int y, int x, std::uint32_t pixel) { return Fill(y, x, x + 1, pixel); }
    // Sets count pixels of row y from left on to the given ones; returns whether a pixel changed.
    bool Put(int y, int left, const std::uint32_t* pixels, int count);
    // The columns of each row that differ from what they were at the last call, top to bottom
    // and left to right; changes more than BAND_GAP_COLUMNS apart on one row are reported apart.
    std::vector<ChangedColumns> TakeChanges();

  private:
    struct Span {
        int left = 0;
        int right = 0;  // one past the last column; empty when not above left
        bool Empty() const { return left >= right; }
    };
    static Span Union(Span first, Span second);
    struct RowState {
        // The colour the row was last filled with whole, and the columns drawn on since: an
        // erase in that colour looks only at those. Removing this cost the program's mode-0 run
        // about a fifth more CPU time in a side-by-side run.
        std::uint32_t uniform = 0;
        Span drawn;
        // An erase of all that the row holds in its uniform colour is only noted, and what is
        // drawn on the row next is compared with what it held before, so that a frame erased and
        // drawn again in the same place writes no pixel. Removing this made the program's
        // mode-0 run cost about 5 % more CPU time in a side-by-side run
        // (1.11 % of a core against 1.06 %, medians of two rounds).
        bool erased = false;
        Span fresh;
        Span changed;             // written since the host last took the changes
        std::size_t savedAt = 0;  // where its copy starts in saved_, while it has changes
    };
    // A row filled whole in a new colour since the last take has no copy: all of it changed.
    static constexpr std::size_t WHOLE_ROW = SIZE_MAX;
    std::uint32_t* MutableRow(int y) {
        return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    }
    void NoteChange(int y, int left, int right);  // columns left to right - 1 of row y
    // Writes the pixels of columns left to right - 1 that differ; returns whether there were any.
    bool WriteDifferences(int y, int left, int right, std::uint32_t pixel);
    // Notes that columns left to right - 1 of row y are about to be drawn on. On an erased row,
    // the stale columns between them and what was drawn since the erase are erased for real.
    void WidenDrawn(int y, int left, int right);
    void WriteErase(int y);  // writes the put-off erase of row y
    void Settle();           // writes every put-off erase

    std::vector<std::uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    std::vector<RowState> rows_;
    std::vector<int> changedRows_;  // in no order
    std::vector<int> erasedRows_;   // noted as erased since the last Settle, in no order
    // The rows written since the host last took the changes, as they were then.
    std::vector<std::uint32_t> saved_;
};

}  // namespace standin
