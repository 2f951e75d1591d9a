// The client surface as a painter: draw on a small surface, then check its exact pixels and the
// exact changes it reports.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "platform/standin/surface.h"

// Found by the changes' own namespace, for the comparisons and messages below.
namespace standin {
bool operator==(const ChangedColumns& first, const ChangedColumns& second) {
    return first.row == second.row && first.left == second.left && first.right == second.right;
}
void PrintTo(const ChangedColumns& change, std::ostream* out) {
    *out << "row " << change.row << " [" << change.left << ", " << change.right << ")";
}
}  // namespace standin

namespace {

using standin::ChangedColumns;
using standin::Surface;

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t GREY = 0x404040;
constexpr std::uint32_t RED = 0xFF0000;

std::vector<std::uint32_t> RowOf(Surface& surface, int y) {
    return std::vector<std::uint32_t>(surface.Row(y), surface.Row(y) + surface.Width());
}

using Changes = std::vector<ChangedColumns>;

TEST(SurfaceTest, AnEraseAndTheSamePictureAgainReportNothing) {
    // A 40 by 3 surface erased grey shows a red bar at columns 4 to 9 of row 1; erasing it and
    // drawing the bar again leaves the same pixels and reports no change.
    Surface surface(40, 3);
    EXPECT_EQ(RowOf(surface, 2), std::vector<std::uint32_t>(40, BLACK));
    EXPECT_TRUE(surface.FillRows(0, 3, 0, 40, GREY));
    EXPECT_EQ(surface.TakeChanges(), (Changes{{0, 0, 40}, {1, 0, 40}, {2, 0, 40}}));
    const std::vector<std::uint32_t> bar(6, RED);
    EXPECT_TRUE(surface.Put(1, 4, bar.data(), 6));
    EXPECT_FALSE(surface.Put(1, 4, bar.data(), 6));
    EXPECT_EQ(surface.TakeChanges(), (Changes{{1, 4, 10}}));

    EXPECT_TRUE(surface.FillRows(0, 3, 0, 40, GREY));
    EXPECT_EQ(surface.Row(1)[4], GREY);
    EXPECT_TRUE(surface.Put(1, 4, bar.data(), 6));
    EXPECT_EQ(surface.TakeChanges(), Changes{});
    std::vector<std::uint32_t> expected(40, GREY);
    std::fill(expected.begin() + 4, expected.begin() + 10, RED);
    EXPECT_EQ(RowOf(surface, 1), expected);

    // Moved two columns right: the columns from the first to the last that differ.
    surface.FillRows(0, 3, 0, 40, GREY);
    surface.Put(1, 6, bar.data(), 6);
    EXPECT_EQ(surface.TakeChanges(), (Changes{{1, 4, 12}}));
}

TEST(SurfaceTest, ChangesFarApartOnARowAreReportedApart) {
    // Two pixels 30 columns apart on a grey row are two changes; two 10 apart are one.
    Surface surface(64, 16);
    surface.FillRows(0, 16, 0, 64, GREY);
    surface.TakeChanges();
    EXPECT_TRUE(surface.Set(0, 2, RED));
    EXPECT_TRUE(surface.Set(0, 33, RED));
    EXPECT_TRUE(surface.Set(1, 2, RED));
    EXPECT_TRUE(surface.Set(1, 12, RED));
    EXPECT_EQ(surface.TakeChanges(), (Changes{{0, 2, 3}, {0, 33, 34}, {1, 2, 13}}));
    // A pixel set back to what it was before the last take changes nothing in all.
    surface.Set(0, 2, GREY);
    surface.Set(0, 2, RED);
    EXPECT_EQ(surface.TakeChanges(), Changes{});
}

TEST(SurfaceTest, GrowingKeepsThePixelsAndAddsBlack) {
    // A 4 by 2 grey surface with a red corner, grown to 6 by 3: the corner and the grey stay at
    // the top left, the new pixels are black, and an erase in grey reaches the new columns too.
    Surface surface(4, 2);
    surface.FillRows(0, 2, 0, 4, GREY);
    surface.Set(0, 0, RED);
    surface.GrowTo(6, 3);
    EXPECT_EQ(RowOf(surface, 0), (std::vector<std::uint32_t>{RED, GREY, GREY, GREY, BLACK, BLACK}));
    EXPECT_EQ(RowOf(surface, 2), std::vector<std::uint32_t>(6, BLACK));
    surface.TakeChanges();
    EXPECT_TRUE(surface.FillRows(0, 3, 0, 6, GREY));
    EXPECT_EQ(RowOf(surface, 1), std::vector<std::uint32_t>(6, GREY));
    EXPECT_EQ(RowOf(surface, 0)[0], GREY);

    // Growing reports every row whole, once; an erase put off before it is written first.
    surface.TakeChanges();
    surface.Set(1, 1, RED);
    surface.TakeChanges();
    surface.FillRows(0, 3, 0, 6, GREY);
    surface.GrowTo(30, 3);
    EXPECT_EQ(RowOf(surface, 1)[1], GREY);
    EXPECT_EQ(surface.TakeChanges(), (Changes{{0, 0, 30}, {1, 0, 30}, {2, 0, 30}}));
    surface.FillRows(0, 3, 0, 30, BLACK);
    surface.Set(2, 29, RED);
    EXPECT_EQ(surface.TakeChanges(), (Changes{{0, 0, 6}, {1, 0, 6}, {2, 0, 6}, {2, 29, 30}}));
}

}  // namespace
