#include "app/progress_geometry.h"

#include <stdint.h>

namespace {

// Every sum, difference and product is formed in 64 bits and brought back into the int range, so
// that no input, however far outside the dialog's few hundred pixels, can overflow. For every
// value a real dialog produces the result equals plain 32-bit arithmetic.
int ClampToInt(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

int Sum(int a, int b) { return ClampToInt(static_cast<int64_t>(a) + b); }

int Difference(int a, int b) { return ClampToInt(static_cast<int64_t>(a) - b); }

}  // namespace

ProgressRect ShrinkProgressFrame(ProgressRect frame) {
  frame.Bottom = Difference(frame.Bottom, 1);
  return frame;
}

ProgressPlacement PlacementOfRect(ProgressRect rect) {
  ProgressPlacement placement;
  placement.X = rect.Left;
  placement.Y = rect.Top;
  placement.Width = Difference(rect.Right, rect.Left);
  placement.Height = Difference(rect.Bottom, rect.Top);
  return placement;
}

int FitProgressIconSize(int systemIconSize, ProgressRect shrunkFrame) {
  const int frameHeight = Difference(shrunkFrame.Bottom, shrunkFrame.Top);
  const int size = systemIconSize < frameHeight ? systemIconSize : frameHeight;
  return size < 1 ? 1 : size;
}

int ComputeProgressSpan(ProgressRect frame, int iconWidth) {
  return ClampToInt(static_cast<int64_t>(frame.Right) - frame.Left - iconWidth);
}

int AddProgressPercent(int total, int percent) { return Sum(total, percent); }

int ComputeProgressOffset(int span, int total) {
  // C++ division truncates toward zero, as the indicator requires for negative products too.
  return ClampToInt(static_cast<int64_t>(span) * total / 100);
}

ProgressPlacement PlaceProgressIcon(int originX, int originY, int offset, int iconWidth,
                                    int iconHeight) {
  ProgressPlacement placement;
  placement.X = Sum(originX, offset);
  placement.Y = originY;
  placement.Width = iconWidth;
  placement.Height = iconHeight;
  return placement;
}

ProgressPlacement PlaceProgressBar(int originX, int originY, int offset, int iconHeight) {
  ProgressPlacement placement;
  placement.X = Sum(originX, 2);
  placement.Y = Sum(originY, 2);
  placement.Width = Difference(offset, 2);
  placement.Height = Difference(iconHeight, 4);
  return placement;
}
