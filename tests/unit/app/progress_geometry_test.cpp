#include "app/progress_geometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ProgressGeometry, FrameOfTheDialogGivesItsSpan) {
  // The 486-pixel frame of the dialog at its usual size with a 32-pixel icon.
  const ProgressRect frame = {120, 300, 606, 332};
  EXPECT_EQ(ComputeProgressSpan(frame, 32), 454);
  // Shrinking the frame changes only its height, so the span is the same after layout.
  EXPECT_EQ(ComputeProgressSpan(ShrinkProgressFrame(frame), 32), 454);
}

TEST(ProgressGeometry, ShrunkFrameKeepsPositionAndWidth) {
  const ProgressPlacement before = PlacementOfRect({10, 98, 496, 130});
  const ProgressPlacement after = PlacementOfRect(ShrinkProgressFrame({10, 98, 496, 130}));
  EXPECT_EQ(after.X, before.X);
  EXPECT_EQ(after.Y, before.Y);
  EXPECT_EQ(after.Width, before.Width);
  EXPECT_EQ(after.Height, before.Height - 1);
}

TEST(ProgressGeometry, IconFitsTheFrameAtEveryDpi) {
  const struct {
    int systemIcon;
    int frameHeight;  // after shrinking
    int size;
  } cases[] = {
      {32, 32, 32},  // 96 DPI: the system's icon fills the frame, as always
      {40, 39, 39},  // 120 DPI
      {48, 47, 47},  // 144 DPI
      {64, 59, 59},  // 192 DPI
      {32, 40, 32},  // a taller frame keeps the system's size
      {32, 0, 1},    // never 0, which would load the image at its own size
      {32, -5, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitProgressIconSize(c.systemIcon, {7, 80, 493, 80 + c.frameHeight}), c.size)
        << "icon " << c.systemIcon << " frame " << c.frameHeight;
  }
}

struct OffsetCase {
  int span;
  int total;
  int offset;
};

TEST(ProgressGeometry, OffsetIsSpanTimesTotalOverHundredTruncated) {
  const OffsetCase cases[] = {
      // The totals that a full installation passes through.
      {454, 0, 0},
      {454, 1, 4},
      {454, 10, 45},
      {454, 70, 317},
      {454, 80, 363},
      {454, 90, 408},
      {454, 100, 454},
      // Truncation is toward zero, also below zero.
      {454, -1, -4},
      {-454, 1, -4},
      {0, 100, 0},
      // The widest span the layout gives, over a whole run, neither wraps nor traps.
      {kProgressSpanMax, 100, kProgressSpanMax},
      {kProgressSpanMax, 50, kProgressSpanMax / 2},
      {-kProgressSpanMax, 3, -644245},  // -64424508 / 100
  };
  for (const OffsetCase& c : cases) {
    EXPECT_EQ(ComputeProgressOffset(c.span, c.total), c.offset)
        << "span " << c.span << " total " << c.total;
  }
}

TEST(ProgressGeometry, TotalsAddUpToAWholeRunAtMost) {
  EXPECT_EQ(AddProgressPercent(0, 0), 0);
  EXPECT_EQ(AddProgressPercent(90, 10), 100);
  EXPECT_EQ(AddProgressPercent(100, 10), kProgressTotalMax);
  EXPECT_EQ(AddProgressPercent(95, 10), kProgressTotalMax);
  // A frame wider than any screen gives the widest span the offsets allow.
  EXPECT_EQ(ComputeProgressSpan({0, 0, INT_MAX, 20}, 32), kProgressSpanMax);
}

struct PlacementCase {
  int total;
  ProgressPlacement icon;
  ProgressPlacement bar;
};

TEST(ProgressGeometry, IconAndBarFollowTheTotal) {
  // Frame origin (7, 80), span 454, icon 32 x 32.
  const PlacementCase cases[] = {
      // At 0 the icon sits at the frame's left edge and the bar has no visible width.
      {0, {7, 80, 32, 32}, {9, 82, -2, 28}},
      // An advance of 1 from 0 shows the first 2 pixels of the bar.
      {1, {11, 80, 32, 32}, {9, 82, 2, 28}},
      {10, {52, 80, 32, 32}, {9, 82, 43, 28}},
      {100, {461, 80, 32, 32}, {9, 82, 452, 28}},
  };
  for (const PlacementCase& c : cases) {
    const int offset = ComputeProgressOffset(454, c.total);
    const ProgressPlacement icon = PlaceProgressIcon(7, 80, offset, 32, 32);
    const ProgressPlacement bar = PlaceProgressBar(7, 80, offset, 32);
    EXPECT_EQ(icon.X, c.icon.X) << "total " << c.total;
    EXPECT_EQ(icon.Y, c.icon.Y) << "total " << c.total;
    EXPECT_EQ(icon.Width, c.icon.Width) << "total " << c.total;
    EXPECT_EQ(icon.Height, c.icon.Height) << "total " << c.total;
    EXPECT_EQ(bar.X, c.bar.X) << "total " << c.total;
    EXPECT_EQ(bar.Y, c.bar.Y) << "total " << c.total;
    EXPECT_EQ(bar.Width, c.bar.Width) << "total " << c.total;
    EXPECT_EQ(bar.Height, c.bar.Height) << "total " << c.total;
    // Bar and icon meet without overlapping once the bar is visible.
    if (bar.Width > 0) {
      EXPECT_EQ(bar.X + bar.Width, icon.X) << "total " << c.total;
    }
  }
  // At 100 the icon's right edge is the frame's right edge: origin + span + icon width.
  const ProgressPlacement last = PlaceProgressIcon(7, 80, ComputeProgressOffset(454, 100), 32, 32);
  EXPECT_EQ(last.X + last.Width, 7 + 454 + 32);
}

}  // namespace
