// Integer geometry of the sliding-icon progress indicator, kept apart from the window system.
#pragma once

#include <limits.h>

enum {
  // The total of a whole run, which its advances add up to (base/manifest.h).
  kProgressTotalMax = 100,
  // The widest span the indicator takes, far beyond any screen: span * total fits an int.
  kProgressSpanMax = INT_MAX / kProgressTotalMax
};

// A rectangle as the window system reports one: left, top, right and bottom edges.
struct ProgressRect {
  int Left;
  int Top;
  int Right;
  int Bottom;
};

// A control placement as MoveWindow takes one: position, width and height.
struct ProgressPlacement {
  int X;
  int Y;
  int Width;
  int Height;
};

// The frame's rectangle one pixel less high; its left, top and right edges stay.
ProgressRect ShrinkProgressFrame(ProgressRect frame);

// The placement that covers rect exactly.
ProgressPlacement PlacementOfRect(ProgressRect rect);

// The size of the icon, square, that the indicator shows: the system's icon size, but never taller
// than the frame (after it was shrunk), so that at any DPI the icon and the bar stay inside it.
// At least 1, since a size of 0 would ask for the image's own size.
int FitProgressIconSize(int systemIconSize, ProgressRect shrunkFrame);

// How far the icon's left edge travels from 0 to 100 percent: frame width minus icon width, at
// most kProgressSpanMax.
int ComputeProgressSpan(ProgressRect frame, int iconWidth);

// The running total after an advance by percent (0 or more), at most kProgressTotalMax.
int AddProgressPercent(int total, int percent);

// The icon's offset from the frame's left edge: span * total / 100, truncated toward zero, for a
// span of ComputeProgressSpan and a total of AddProgressPercent.
int ComputeProgressOffset(int span, int total);

// The icon at offset along the frame whose top-left corner is the origin.
ProgressPlacement PlaceProgressIcon(int originX, int originY, int offset, int iconWidth,
                                    int iconHeight);

// The bar, inset by 2 pixels from the frame's left and top edges, ending at the icon's left edge
// and 4 pixels less high than the icon. Below an offset of 2 its width is 0 or negative.
ProgressPlacement PlaceProgressBar(int originX, int originY, int offset, int iconHeight);
