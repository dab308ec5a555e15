// Screenshots of windows as PPM files, for the record of what the installer showed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pagix_e2e {

// An image of 8-bit RGB pixels, rows from top to bottom.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width * Height * 3 bytes
};

// What the screen shows inside a rectangle (screen coordinates), or inside the window's outer
// rectangle, now, cut to the screen's edges; empty on failure.
RgbImage CaptureScreen(const RECT& area);
RgbImage CaptureWindow(HWND window);

// Captures the window until two captures in a row agree and show more than one colour (its
// process may still be painting), for at most timeoutMs; settled tells whether they did.
RgbImage CaptureSettled(HWND window, DWORD timeoutMs, bool* settled);

// Captures the window once its picture has settled (two consecutive captures alike, which
// covers a paint that is still under way in the window's process), within a bounded time, and
// writes it as a binary PPM file. Returns false with a reason when nothing could be captured or
// written.
bool SaveWindowScreenshot(HWND window, const std::string& path, std::string* error);

}  // namespace pagix_e2e
