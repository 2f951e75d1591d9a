// A client surface: pixels written only where they differ, and the changes a host takes.
#include "platform/standin/surface.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

namespace standin {

namespace {

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

Surface::Span Surface::Union(Span first, Span second) {
    if (first.Empty()) {
        return second;
    }
    if (second.Empty()) {
        return first;
    }
    return Span{std::min(first.left, second.left), std::max(first.right, second.right)};
}

Surface::Surface(int width, int height) {
    GrowTo(std::max(width, 1), std::max(height, 1));
}

void Surface::GrowTo(int width, int height) {
    if (width <= width_ && height <= height_) {
        return;
    }
    Settle();
    const int newWidth = std::max(width, width_);
    std::vector<std::uint32_t> grown(static_cast<std::size_t>(newWidth) *
                                     std::max(height, height_));
    for (int y = 0; y < height_; ++y) {
        std::copy(MutableRow(y), MutableRow(y) + width_,
                  grown.begin() + static_cast<std::ptrdiff_t>(y) * newWidth);
    }
    pixels_ = std::move(grown);
    width_ = newWidth;
    height_ = std::max(height, height_);
    // Hosts show a grown window whole, so every row counts as changed whole, and as drawn on over
    // black; the first erase of each looks at all of it once.
    const Span whole{0, width_};
    rows_.assign(static_cast<std::size_t>(height_),
                 RowState{0, whole, false, {}, whole, WHOLE_ROW});
    // Its room stays, so that the heap does not grow while drawing.
    changedRows_.resize(rows_.size());
    std::iota(changedRows_.begin(), changedRows_.end(), 0);
    saved_.clear();
}

void Surface::NoteChange(int y, int left, int right) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (row.changed.Empty()) {
        changedRows_.push_back(y);
        row.savedAt = saved_.size();
        saved_.insert(saved_.end(), MutableRow(y), MutableRow(y) + width_);
    }
    row.changed = Union(row.changed, Span{left, right});
}

bool Surface::Fill(int y, int left, int right, std::uint32_t pixel) {
    assert(left >= 0 && right <= width_);
    if (left >= right) {
        return false;
    }
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (pixel == row.uniform) {
        // Outside what was drawn the pixels are this colour already.
        const Span drawn = row.erased ? row.fresh : row.drawn;
        if (left > drawn.left || right < drawn.right) {
            return WriteDifferences(y, std::max(left, drawn.left), std::min(right, drawn.right),
                                    pixel);
        }
        if (drawn.Empty()) {
            return false;
        }
        if (!row.erased) {
            if (erasedRows_.size() >= rows_.size()) {
                Settle();  // no host reads the pixels: keep the list as short as the surface
            }
            row.erased = true;
            erasedRows_.push_back(y);
        }
        row.drawn = Union(row.drawn, row.fresh);
        row.fresh = Span{};
        return true;
    }
    if (left == 0 && right == width_) {
        // The whole row in a new colour: all of it changes, and there is nothing to compare.
        if (row.changed.Empty()) {
            changedRows_.push_back(y);
            row.savedAt = WHOLE_ROW;
        }
        std::fill(MutableRow(y), MutableRow(y) + width_, pixel);
        row = RowState{pixel, {}, false, {}, Span{0, width_}, row.savedAt};
        return true;
    }
    WidenDrawn(y, left, right);
    return WriteDifferences(y, left, right, pixel);
}

void Surface::WidenDrawn(int y, int left, int right) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (!row.erased) {
        row.drawn = Union(row.drawn, Span{left, right});
        return;
    }
    // The fresh span stays one span: the stale columns between it and these are erased now.
    if (!row.fresh.Empty()) {
        const Span gap =
            right < row.fresh.left ? Span{right, row.fresh.left} : Span{row.fresh.right, left};
        WriteDifferences(y, std::max(gap.left, row.drawn.left),
                         std::min(gap.right, row.drawn.right), row.uniform);
    }
    row.fresh = Union(row.fresh, Span{left, right});
}

void Surface::WriteErase(int y) {
    RowState& row = rows_[static_cast<std::size_t>(y)];
    if (!row.erased) {
        return;
    }
    const Span stale = row.drawn;
    const Span fresh = row.fresh;
    row.erased = false;
    row.drawn = fresh;
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

bool Surface::FillRows(int top, int bottom, int left, int right, std::uint32_t pixel) {
    assert(top >= 0 && bottom <= height_);
    bool changed = false;
    for (int y = top; y < bottom; ++y) {
        changed = Fill(y, left, right, pixel) || changed;
    }
    return changed;
}

bool Surface::Put(int y, int left, const std::uint32_t* pixels, int count) {
    assert(left >= 0 && count >= 0 && left + count <= width_);
    if (count == 0) {
        return false;
    }
    WidenDrawn(y, left, left + count);
    std::uint32_t* const target = MutableRow(y) + left;
    const auto [first, last] = DifferingSpan(target, pixels, count);
    if (first == last) {
        return false;
    }
    NoteChange(y, left + first, left + last);
    std::copy(pixels + first, pixels + last, target + first);
    return true;
}

bool Surface::WriteDifferences(int y, int left, int right, std::uint32_t pixel) {
    std::uint32_t* const row = MutableRow(y);
    while (left < right && row[left] == pixel) {
        ++left;
    }
    while (right > left && row[right - 1] == pixel) {
        --right;
    }
    if (left >= right) {
        return false;  // also for an empty span given with left past right
    }
    NoteChange(y, left, right);
    std::fill(row + left, row + right, pixel);
    return true;
}

std::vector<ChangedColumns> Surface::TakeChanges() {
    Settle();
    std::vector<ChangedColumns> changes;
    std::sort(changedRows_.begin(), changedRows_.end());
    for (int y : changedRows_) {
        RowState& row = rows_[static_cast<std::size_t>(y)];
        const Span span = row.changed;
        row.changed = Span{};
        if (row.savedAt == WHOLE_ROW) {
            changes.push_back(ChangedColumns{y, span.left, span.right});
            continue;
        }
        // Only what differs from what the host took: an erase and a repaint of the same picture
        // change nothing.
        const std::uint32_t* now = MutableRow(y) + span.left;
        const std::uint32_t* before = saved_.data() + row.savedAt + span.left;
        const auto [first, last] = DifferingSpan(now, before, span.right - span.left);
        // Changes far apart on one row, such as a marker passing the status text's digits, are
        // reported apart, so that what lies between them is not redrawn.
        int group = first;
        int equal = 0;
        for (int column = first; column < last; ++column) {
            if (now[column] == before[column]) {
                ++equal;
                continue;
            }
            if (equal > BAND_GAP_COLUMNS) {
                changes.push_back(ChangedColumns{y, span.left + group, span.left + column - equal});
                group = column;
            }
            equal = 0;
        }
        if (first < last) {
            changes.push_back(ChangedColumns{y, span.left + group, span.left + last});
        }
    }
    changedRows_.clear();
    saved_.clear();  // keeping its room, so that drawing does not reach for the heap
    return changes;
}

}  // namespace standin
