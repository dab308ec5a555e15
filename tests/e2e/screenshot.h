// Screenshots of windows as PNG files, for the record of what the installer showed.
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

// The PNG file for an image: one IDAT of stored (uncompressed) deflate blocks, which every
// viewer reads.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// CRC-32 (the polynomial of PNG and zip) and Adler-32 (zlib) of a byte range.
std::uint32_t Crc32(const std::uint8_t* bytes, size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* bytes, size_t size);

// What the screen shows inside a rectangle (screen coordinates), or inside the window's outer
// rectangle, now, cut to the screen's edges; empty on failure.
RgbImage CaptureScreen(const RECT& area);
RgbImage CaptureWindow(HWND window);

// Captures the window until two captures in a row agree and show more than one colour (its
// process may still be painting), for at most timeoutMs; settled tells whether they did.
RgbImage CaptureSettled(HWND window, DWORD timeoutMs, bool* settled);

// Captures the window once its picture has settled (two consecutive captures alike, which
// covers a paint that is still under way in the window's process), within a bounded time, and
// writes it as a PNG file. Returns false with a reason when nothing could be captured or
// written.
bool SaveWindowScreenshot(HWND window, const std::string& path, std::string* error);

}  // namespace pagix_e2e
