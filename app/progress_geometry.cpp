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
  // The magnitude is divided by shifting and subtracting, which the 32-bit build does inline: a
  // 64-bit division would link the runtime's helper and its unwind table into the installer.
  // Dividing the magnitude truncates toward zero, as the indicator requires below zero too.
  const int64_t product = static_cast<int64_t>(span) * total;
  uint64_t magnitude =
      product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  uint64_t quotient = 0;
  uint32_t remainder = 0;
  for (int bit = 0; bit < 64; ++bit) {
    remainder = (remainder << 1) | static_cast<uint32_t>(magnitude >> 63);
    magnitude <<= 1;
    quotient <<= 1;
    if (remainder >= 100) {
      remainder -= 100;
      quotient |= 1;
    }
  }
  // The magnitude is at most 2^62, so the quotient fits an int64_t with its sign.
  const int64_t offset = static_cast<int64_t>(quotient);
  return ClampToInt(product < 0 ? -offset : offset);
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
