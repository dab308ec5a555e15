#include "app/progress_geometry.h"

ProgressRect ShrinkProgressFrame(ProgressRect frame) {
  frame.Bottom -= 1;
  return frame;
}

ProgressPlacement PlacementOfRect(ProgressRect rect) {
  ProgressPlacement placement = {rect.Left, rect.Top, rect.Right - rect.Left,
                                 rect.Bottom - rect.Top};
  return placement;
}

int FitProgressIconSize(int systemIconSize, ProgressRect shrunkFrame) {
  const int frameHeight = shrunkFrame.Bottom - shrunkFrame.Top;
  const int size = systemIconSize < frameHeight ? systemIconSize : frameHeight;
  return size < 1 ? 1 : size;
}

int ComputeProgressSpan(ProgressRect frame, int iconWidth) {
  const int span = frame.Right - frame.Left - iconWidth;
  return span < kProgressSpanMax ? span : kProgressSpanMax;
}

int AddProgressPercent(int total, int percent) {
  return total < kProgressTotalMax - percent ? total + percent : kProgressTotalMax;
}

int ComputeProgressOffset(int span, int total) { return span * total / 100; }

ProgressPlacement PlaceProgressIcon(int originX, int originY, int offset, int iconWidth,
                                    int iconHeight) {
  ProgressPlacement placement = {originX + offset, originY, iconWidth, iconHeight};
  return placement;
}

ProgressPlacement PlaceProgressBar(int originX, int originY, int offset, int iconHeight) {
  ProgressPlacement placement = {originX + 2, originY + 2, offset - 2, iconHeight - 4};
  return placement;
}
