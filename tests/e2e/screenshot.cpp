#include "tests/e2e/screenshot.h"

#include <cstdio>

namespace pagix_e2e {
namespace {

bool Uniform(const RgbImage& image) {
  for (size_t i = 3; i < image.Pixels.size(); ++i) {
    if (image.Pixels[i] != image.Pixels[i % 3]) return false;
  }
  return true;
}

}  // namespace

RgbImage CaptureScreen(const RECT& wanted) {
  RgbImage image;
  // Only what lies on the screen can be read.
  const RECT desktop = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT area;
  if (!IntersectRect(&area, &wanted, &desktop)) return image;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return image;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied =
      BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> bgrx(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  int rows = copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info,
                                DIB_RGB_COLORS)
                    : 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
    image.Pixels[i * 3] = bgrx[i * 4 + 2];
    image.Pixels[i * 3 + 1] = bgrx[i * 4 + 1];
    image.Pixels[i * 3 + 2] = bgrx[i * 4];
  }
  return image;
}

RgbImage CaptureWindow(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return RgbImage();
  return CaptureScreen(rect);
}

RgbImage CaptureSettled(HWND window, DWORD timeoutMs, bool* settled) {
  RgbImage previous, current;
  *settled = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    current = CaptureWindow(window);
    if (!current.Pixels.empty() && !Uniform(current) && current.Width == previous.Width &&
        current.Height == previous.Height && current.Pixels == previous.Pixels) {
      *settled = true;
      break;
    }
    previous = current;
    Sleep(50);
  }
  return current;
}

bool SaveWindowScreenshot(HWND window, const std::string& path, std::string* error) {
  bool settled = false;
  RgbImage current = CaptureSettled(window, 5000, &settled);
  if (current.Pixels.empty()) {
    if (error) *error = "the window's screen area could not be captured";
    return false;
  }
  // A binary PPM: a text header, then the RGB rows from the top; ImageMagick converts it.
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written =
      file && std::fprintf(file, "P6\n%d %d\n255\n", current.Width, current.Height) > 0 &&
      std::fwrite(current.Pixels.data(), 1, current.Pixels.size(), file) == current.Pixels.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  if (!settled) {
    if (error) *error = "the window's picture did not settle within 5 s (written anyway)";
    return false;
  }
  return true;
}

}  // namespace pagix_e2e
